// The event thread of a connected camera: it delivers the program's event callbacks and polls
// the camera, so that a shot taken with the camera's own button and an unplugged camera reach
// the camera layer.
#include "platform/canon/gphoto/libgphoto2_p.h"

#include <cstdlib>

#include "platform/canon/gphoto/registry.h"
#include "platform/canon/gphoto/transfer.h"
#include "platform/win32/trace.h"

namespace tavgp {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);
// Only a few button shots wait for the release that fetches them.
constexpr size_t kMaxButtonShots = 4;

void FreeEventData(CameraEventType, void* data) { std::free(data); }

// One look at the camera's events (no lock held on entry).
void Poll(Session& s, int& failures) {
  std::unique_lock<std::timed_mutex> io(s.io, std::try_to_lock);
  if (!io.owns_lock() || !s.handle.camera) return;  // a call is under way: look again later
  CameraEventType type = GP_EVENT_TIMEOUT;
  void* data = nullptr;
  int result = gp_camera_wait_for_event(s.handle.camera, 0, &type, &data, s.handle.context);
  if (result < GP_OK) {
    FreeEventData(type, data);
    if (result == GP_ERROR_CAMERA_BUSY) return;
    // A camera that fails twice in a row is gone (unplugged, switched off, off the network).
    if (++failures >= 2) {
      std::lock_guard<std::mutex> guard(s.lock);
      MarkGone(s);
    }
    return;
  }
  failures = 0;
  if (type == GP_EVENT_FILE_ADDED && data) {
    auto* path = static_cast<CameraFilePath*>(data);
    Photo photo;
    bool keepOnCamera;
    {
      std::lock_guard<std::mutex> guard(s.lock);
      keepOnCamera = (s.releaseDataKind & kPictureToCamera) != 0;
    }
    int got = Download(s.handle, path->folder, path->name, photo, keepOnCamera);
    io.unlock();
    std::lock_guard<std::mutex> guard(s.lock);
    if (got >= GP_OK) {
      // The camera's own button took this photo: the release it starts fetches it.
      s.buttonShots.push_back(std::move(photo));
      while (s.buttonShots.size() > kMaxButtonShots) s.buttonShots.pop_front();
      QueueEvent(s, prPTP_EVENT_CAMERA_RELEASE_ON);
    } else {
      TRACE("tavgp - a photo taken on the camera could not be fetched (%d)\n", got);
    }
  }
  FreeEventData(type, data);
}

void EventLoop(std::shared_ptr<Session> keep) {
  Session& s = *keep;
  int failures = 0;
  std::unique_lock<std::mutex> lock(s.lock);
  while (!s.stopEvents) {
    while (!s.outbox.empty() && !s.stopEvents) {
      prEventRecord record = s.outbox.front();
      s.outbox.pop_front();
      prSetEventCB callback = s.eventCallback;
      prContext context = s.eventContext;
      lock.unlock();
      if (callback) callback(s.id, context, &record);
      lock.lock();
    }
    if (s.stopEvents) break;
    if (s.connected && !s.gone) {
      lock.unlock();
      Poll(s, failures);
      lock.lock();
    }
    if (!s.outbox.empty()) continue;
    s.wake.wait_for(lock, kPollInterval, [&] { return s.stopEvents || !s.outbox.empty(); });
  }
}

}  // namespace

void StartEventThread(Session& s) {
  std::shared_ptr<Session> keep = FindSession(s.id);
  if (!keep) return;
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.eventThread.joinable()) return;
  s.stopEvents = false;
  s.eventThread = std::thread(EventLoop, keep);
}

void StopThreads(Session& s) {
  std::vector<std::thread> join;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.stopEvents = true;
    s.stopViewfinder = true;
    s.viewfinder = false;
    s.wake.notify_all();
    // A thread that stops its own session cannot join itself: it is joined later.
    for (std::thread* t : {&s.eventThread, &s.viewfinderThread}) {
      if (!t->joinable()) continue;
      if (t->get_id() == std::this_thread::get_id()) s.finished.push_back(std::move(*t));
      else join.push_back(std::move(*t));
    }
    for (auto it = s.finished.begin(); it != s.finished.end();) {
      if (it->get_id() != std::this_thread::get_id()) {
        join.push_back(std::move(*it));
        it = s.finished.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (std::thread& t : join) t.join();
}

}  // namespace tavgp
