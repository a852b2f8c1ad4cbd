// One camera opened through libgphoto2, shared by the PRSDK calls of the libgphoto2 back end.
//
// libgphoto2 is not thread-safe per camera, so every call on a camera holds its `io` lock;
// the calls wait for it a bounded time and answer busy rather than block their caller.
// The event thread polls the camera's events and delivers the program's event callbacks;
// the viewfinder thread fetches preview frames. Callbacks never run with a lock held.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/canon/gphoto/propdesc.h"
#include "platform/canon/prsdk.h"

struct _Camera;
struct _CameraFile;
struct _GPContext;

namespace tavgp {

// Results of our own for failures the PRSDK codes do not name.
constexpr prResponse kCommunicationError = 0x0301u;  // the camera did not answer or went away

// How long a call waits for a camera another thread is using.
constexpr auto kSettingWait = std::chrono::seconds(5);
constexpr auto kReleaseWait = std::chrono::seconds(30);

/// An opened camera and the context its calls report errors through. Copies share the text.
struct Handle {
  _Camera* camera = nullptr;
  _GPContext* context = nullptr;
  std::shared_ptr<std::string> lastError = std::make_shared<std::string>();  // newest error text
};

/// Opens the camera on `port` with libgphoto2's driver of `model`; a libgphoto2 result.
int OpenCamera(const std::string& port, const std::string& model, Handle& handle);
void CloseCamera(Handle& handle);

/// A libgphoto2 text widget of the camera's status ("cameramodel", ...); empty when absent.
std::string StatusText(Handle& handle, const char* name);

/// A photo as libgphoto2 fetched it: the bytes stay in its file, shared, never copied.
class Photo {
 public:
  Photo() = default;
  /// Takes over the reference to `file`, whose bytes are `data`.
  Photo(_CameraFile* file, const BYTE* data, size_t size);
  const BYTE* data() const { return m_data; }
  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }

 private:
  std::shared_ptr<_CameraFile> m_file;
  const BYTE* m_data = nullptr;
  size_t m_size = 0;
};

struct Item {
  WORD eventCode = 0;
  Photo photo;
};

struct Session {
  prHCamera id = 0;
  std::string port, driverModel, shownModel;

  std::timed_mutex io;  // every libgphoto2 call on `handle`
  Handle handle;

  std::mutex lock;  // everything below
  std::condition_variable wake;
  prSetEventCB eventCallback = nullptr;
  prContext eventContext = 0;
  bool connected = false, releaseControl = false, gone = false, stopEvents = false;
  std::deque<prEventRecord> outbox;
  std::map<DWORD, Item> items;
  DWORD nextObject = 0x100;
  std::deque<Photo> buttonShots;  // photos the camera took on its own
  WORD releaseDataKind = 2;        // kept here, not on the camera (see kReleaseDataKind)
  std::map<WORD, PropertyShape> shapes;
  CameraIdentity identity;
  std::vector<WORD> operations;
  std::thread eventThread;

  prViewFinderCB frameCallback = nullptr;
  prContext frameContext = 0;
  bool viewfinder = false, stopViewfinder = false;
  std::thread viewfinderThread;
  std::vector<std::thread> finished;  // threads that ended themselves, joined later
};

std::shared_ptr<Session> FindSession(prHCamera id);
/// The session of a connected camera that has not gone; otherwise null, with the SDK's error.
std::shared_ptr<Session> FindConnectedSession(prHCamera id, prResponse& error);

/// Queues an event for the program's callback (lock held).
void QueueEvent(Session& s, WORD code, DWORD parameter = 0);
/// The camera stopped answering: the program hears of it once as a shut-down (lock held).
void MarkGone(Session& s);

/// Reads the camera's identity, properties and operations (io held).
void LearnCamera(Session& s);

void StartEventThread(Session& s);
/// Stops the event and viewfinder threads and joins them (no lock held).
void StopThreads(Session& s);

/// Maps a libgphoto2 result to a PRSDK result.
prResponse FromGp(int result);

}  // namespace tavgp
