// The libgphoto2 back end's cameras: open sessions by handle, the last device list and the
// cameras opened while listing (kept for the connection that follows).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/canon/gphoto/session.h"

namespace tavgp {

struct Device {
  std::string port, driverModel, shownModel;
};

struct Registry {
  std::mutex lock;  // the maps below; never held during a camera call
  std::map<prHCamera, std::shared_ptr<Session>> sessions;
  prHCamera nextId = 0x7000;
  std::vector<Device> devices;
  std::map<std::string, Handle> listed;  // opened while listing, by port
  std::set<std::string> reported;        // ports whose "held by another process" text was shown
  std::mutex listing;                    // one enumeration at a time
};

Registry& Reg();

/// A network port as libgphoto2 needs it: "ptpip:HOST:PORT" gains its event port (the same
/// port, as PTP/IP has it); other ports are kept.
std::string NormalizePort(const std::string& port);

/// The text shown when another process holds the camera (libgphoto2 -53).
std::string HeldByAnotherProcessText(const std::string& port);

/// Reports why a camera could not be opened (the held-by text once per port, else a trace).
void ReportOpenFailure(const std::string& port, int result, const std::string& detail);

}  // namespace tavgp
