// Finding, opening and closing cameras: the PRSDK connection calls of the libgphoto2 back end.
#include "platform/canon/gphoto/libgphoto2_p.h"
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/canon/backend.h"
#include "platform/canon/gphoto/registry.h"
#include "platform/canon/prsdk_answers.h"
#include "platform/win32/trace.h"

namespace tavgp {

namespace {

constexpr const char* kNetworkDriver = "PTP/IP Camera";

std::string Utf8(const prWChar* text, size_t capacity) {
  std::string out;
  for (size_t i = 0; i < capacity && text[i]; ++i) {
    char16_t c = text[i];
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Model names are ASCII in practice; anything else is shown as '?'.
std::u16string Ascii16(const std::string& text) {
  std::u16string wide(text.size(), u'?');
  for (size_t i = 0; i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) < 0x80) wide[i] = char16_t(text[i]);
  return wide;
}

std::string DriverFor(const std::string& port) {
  if (port.rfind("ptpip:", 0) == 0) return kNetworkDriver;
  return "USB PTP Class Camera";
}

// The camera on TAVORIN_CAMERA_PORT answers only when it is opened: it is listed under the
// model it reports and kept open for the connection that follows.
bool ProbeNamedPort(const std::string& port, const std::string& driver, Device& device) {
  Registry& r = Reg();
  {
    std::lock_guard<std::mutex> guard(r.lock);
    for (auto& [id, session] : r.sessions) {
      std::lock_guard<std::mutex> sessionGuard(session->lock);
      if (session->port == port && session->connected) {
        device = {port, session->driverModel, session->shownModel};
        return true;
      }
    }
    auto old = r.listed.find(port);
    if (old != r.listed.end()) {
      CloseCamera(old->second);
      r.listed.erase(old);
    }
  }
  Handle h;
  int result = OpenCamera(port, driver, h);
  if (result < GP_OK) {
    ReportOpenFailure(port, result, *h.lastError);
    return false;
  }
  std::string model = StatusText(h, "cameramodel");
  device = {port, driver, model.empty() ? driver : model};
  std::lock_guard<std::mutex> guard(r.lock);
  r.reported.erase(port);
  r.listed[port] = h;
  return true;
}

std::vector<Device> Enumerate() {
  std::vector<Device> devices;
  GPContext* context = gp_context_new();
  CameraList* list = nullptr;
  if (context && gp_list_new(&list) >= GP_OK && gp_camera_autodetect(list, context) >= GP_OK) {
    int count = gp_list_count(list);
    for (int i = 0; i < count; ++i) {
      const char *name = nullptr, *port = nullptr;
      if (gp_list_get_name(list, i, &name) < GP_OK || gp_list_get_value(list, i, &port) < GP_OK || !name || !port)
        continue;
      devices.push_back({port, name, name});
    }
  }
  if (list) gp_list_free(list);
  if (context) gp_context_unref(context);

  const char* named = std::getenv("TAVORIN_CAMERA_PORT");
  if (named && *named) {
    std::string port = NormalizePort(named);
    std::string driver = DriverFor(port);
    bool known = false;
    for (const Device& d : devices)
      if (d.port == port) known = true, driver = d.driverModel;
    Device device;
    if (ProbeNamedPort(port, driver, device)) {
      std::erase_if(devices, [&](const Device& d) { return d.port == port; });
      devices.push_back(device);
    } else if (known) {
      std::erase_if(devices, [&](const Device& d) { return d.port == port; });
    }
  }
  return devices;
}

}  // namespace

Registry& Reg() {
  static Registry* registry = new Registry;  // outlives statics: SDK threads may still run
  return *registry;
}

std::string NormalizePort(const std::string& port) {
  if (port.rfind("ptpip:", 0) != 0) return port;
  std::string rest = port.substr(6);
  size_t first = rest.find(':');
  if (first == std::string::npos || rest.find(':', first + 1) != std::string::npos) return port;
  return port + ":" + rest.substr(first + 1);
}

std::string HeldByAnotherProcessText(const std::string& port) {
  return "The camera on " + port +
         " is held by another process: the desktop has probably mounted it. Unmount or eject the camera "
         "in the file manager (or close the photo importer that opened it); Tavorin keeps trying to "
         "connect.";
}

void ReportOpenFailure(const std::string& port, int result, const std::string& detail) {
  if (result == GP_ERROR_IO_USB_CLAIM) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.reported.insert(port).second) std::fprintf(stderr, "Tavorin: %s\n", HeldByAnotherProcessText(port).c_str());
    return;
  }
  TRACE("tavgp - cannot open the camera on %s: %s (%d) %s\n", port.c_str(), gp_result_as_string(result), result,
        detail.c_str());
}

prResponse PR_StartSDK() {
  // A camera on the network that goes away must fail the write, not end the program.
  struct sigaction current {};
  if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) signal(SIGPIPE, SIG_IGN);
  return prOK;
}

prResponse PR_GetDeviceList(prUInt32* bufferSize, prDeviceList* list) {
  if (!bufferSize) return prINVALID_PARAMETER;
  Registry& r = Reg();
  std::vector<Device> devices;
  {
    std::lock_guard<std::mutex> listing(r.listing);
    // The size query and the copy come in pairs: the copy uses the list of the query.
    bool fresh = !list || *bufferSize < prDeviceListSize(0);
    if (fresh) {
      devices = Enumerate();
      std::lock_guard<std::mutex> guard(r.lock);
      r.devices = devices;
    } else {
      std::lock_guard<std::mutex> guard(r.lock);
      devices = r.devices;
    }
  }
  std::vector<tavcam::ListedCamera> listed;
  for (size_t i = 0; i < devices.size(); ++i)
    listed.push_back({Ascii16(devices[i].port), Ascii16(devices[i].shownModel), static_cast<prUInt32>(i + 1)});
  return tavcam::AnswerDeviceList(bufferSize, list, listed);
}

prResponse PR_CreateCameraObject(const prDeviceInfoTable* device, prHCamera* camera) {
  if (!device || !camera) return prINVALID_PARAMETER;
  std::string port = Utf8(device->DeviceInternalName, prDEVICE_INTERNAL_NAME_LENGTH);
  Registry& r = Reg();
  std::lock_guard<std::mutex> guard(r.lock);
  const Device* found = nullptr;
  for (const Device& d : r.devices)
    if (d.port == port) found = &d;
  if (!found) return prINVALID_PARAMETER;
  for (auto& [id, session] : r.sessions)
    if (session->port == port) return prDEVICE_BUSY;
  auto session = std::make_shared<Session>();
  session->id = r.nextId++;
  session->port = found->port;
  session->driverModel = found->driverModel;
  session->shownModel = found->shownModel;
  r.sessions[session->id] = session;
  *camera = session->id;
  return prOK;
}

std::shared_ptr<Session> FindSession(prHCamera id) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.sessions.find(id);
  return it == r.sessions.end() ? nullptr : it->second;
}

std::shared_ptr<Session> FindConnectedSession(prHCamera id, prResponse& error) {
  auto s = FindSession(id);
  error = s ? prOK : prINVALID_HANDLE;
  if (!s) return nullptr;
  std::lock_guard<std::mutex> guard(s->lock);
  if (!s->connected) error = prINVALID_FN_CALL;
  else if (s->gone) error = kCommunicationError;
  return error ? nullptr : s;
}

prResponse PR_SetEventCallBack(prHCamera camera, prContext context, prSetEventCB callback) {
  auto s = FindSession(camera);
  if (!s) return prINVALID_HANDLE;
  if (!callback) return prINVALID_PARAMETER;
  std::lock_guard<std::mutex> guard(s->lock);
  s->eventCallback = callback;
  s->eventContext = context;
  return prOK;
}

prResponse PR_ClearEventCallBack(prHCamera camera) {
  auto s = FindSession(camera);
  if (!s) return prINVALID_HANDLE;
  std::lock_guard<std::mutex> guard(s->lock);
  s->eventCallback = nullptr;
  s->eventContext = 0;
  return prOK;
}

prResponse PR_ConnectCamera(prHCamera camera) {
  auto s = FindSession(camera);
  if (!s) return prINVALID_HANDLE;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    if (s->connected) return prINVALID_FN_CALL;
  }
  std::unique_lock<std::timed_mutex> io(s->io, std::defer_lock);
  if (!io.try_lock_for(kSettingWait)) return prDEVICE_BUSY;
  Handle h;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> guard(r.lock);
    auto listed = r.listed.find(s->port);
    if (listed != r.listed.end()) {
      h = listed->second;
      r.listed.erase(listed);
    }
  }
  if (!h.camera) {
    int result = OpenCamera(s->port, s->driverModel, h);
    if (result < GP_OK) {
      ReportOpenFailure(s->port, result, *h.lastError);
      return FromGp(result);
    }
    Registry& r = Reg();
    std::lock_guard<std::mutex> guard(r.lock);
    r.reported.erase(s->port);
  }
  s->handle = h;
  LearnCamera(*s);
  {
    std::lock_guard<std::mutex> guard(s->lock);
    s->connected = true;
    s->gone = false;
    s->stopEvents = false;
  }
  io.unlock();
  StartEventThread(*s);
  return prOK;
}

namespace {

void Disconnect(Session& s) {
  StopThreads(s);
  std::lock_guard<std::timed_mutex> io(s.io);
  CloseCamera(s.handle);
  std::lock_guard<std::mutex> guard(s.lock);
  s.connected = false;
  s.releaseControl = false;
  s.items.clear();
  s.buttonShots.clear();
  s.outbox.clear();
}

}  // namespace

prResponse PR_DisconnectCamera(prHCamera camera) {
  auto s = FindSession(camera);
  if (!s) return prINVALID_HANDLE;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->connected) return prINVALID_FN_CALL;
  }
  Disconnect(*s);
  return prOK;
}

prResponse PR_DestroyCameraObject(prHCamera camera) {
  std::shared_ptr<Session> s;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.sessions.find(camera);
    if (it == r.sessions.end()) return prINVALID_HANDLE;
    s = it->second;
    r.sessions.erase(it);
  }
  Disconnect(*s);
  return prOK;
}

prResponse PR_GetDeviceInfo(prHCamera camera, prUInt32* bufferSize, prVoid* buffer) {
  auto s = FindSession(camera);
  if (!s) return prINVALID_HANDLE;
  if (!bufferSize) return prINVALID_PARAMETER;
  std::vector<BYTE> bytes;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->connected) return prINVALID_FN_CALL;
    std::vector<WORD> properties;
    for (const auto& [code, shape] : s->shapes) properties.push_back(code);
    bytes = DeviceInfoDataset(s->identity, s->operations, properties);
  }
  if (!buffer || *bufferSize < bytes.size()) {
    *bufferSize = static_cast<prUInt32>(bytes.size());
    return prINSUFFICIENT_BUFFER;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  *bufferSize = static_cast<prUInt32>(bytes.size());
  return prOK;
}

}  // namespace tavgp
