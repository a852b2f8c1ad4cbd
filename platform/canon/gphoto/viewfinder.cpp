// The viewfinder: a thread of preview captures feeding the frame callback at the camera's rate.
#include "platform/canon/gphoto/libgphoto2_p.h"

#include <algorithm>

#include "platform/canon/backend.h"
#include "platform/canon/gphoto/registry.h"
#include "platform/canon/gphoto/transfer.h"
#include "platform/win32/trace.h"

namespace tavgp {

namespace {

// Failures in a row after which the camera counts as gone.
constexpr int kMaxFrameFailures = 3;

void ViewfinderLoop(std::shared_ptr<Session> keep) {
  Session& s = *keep;
  int failures = 0;
  bool reported = false;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(s.lock);
      if (s.stopViewfinder || s.gone) break;
    }
    std::vector<BYTE> frame;
    std::string mime;
    int result;
    {
      std::unique_lock<std::timed_mutex> io(s.io, std::defer_lock);
      if (!io.try_lock_for(kSettingWait)) continue;
      result = Preview(s.handle, frame, mime);
    }
    if (result < GP_OK) {
      if (++failures >= kMaxFrameFailures) {
        std::lock_guard<std::mutex> guard(s.lock);
        MarkGone(s);
        break;
      }
      continue;
    }
    failures = 0;
    // A frame that is not JPEG is converted once here; one that cannot be is reported.
    if (!IsJpeg(frame) && !PpmToJpeg(frame)) {
      if (!reported) TRACE("tavgp - viewfinder frames of type %s cannot be shown\n", mime.c_str());
      reported = true;
      continue;
    }
    prViewFinderCB callback;
    prContext context;
    {
      std::lock_guard<std::mutex> guard(s.lock);
      if (s.stopViewfinder) break;
      callback = s.frameCallback;
      context = s.frameContext;
    }
    if (callback) callback(s.id, context, static_cast<prUInt32>(frame.size()), frame.data());
  }
}

}  // namespace

prResponse PR_RC_StartViewFinder(prHCamera camera, prContext context, prViewFinderCB callback) {
  auto s = FindSession(camera);
  if (!s) return prINVALID_HANDLE;
  if (!callback) return prINVALID_PARAMETER;
  std::vector<std::thread> join;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->connected) return prINVALID_FN_CALL;
    if (s->gone) return kCommunicationError;
    if (std::find(s->operations.begin(), s->operations.end(), prPTP_OC_INITIATE_VIEWFINDER) == s->operations.end())
      return prNOT_SUPPORTED;
    if (s->viewfinder) return prINVALID_FN_CALL;
    if (s->viewfinderThread.joinable()) join.push_back(std::move(s->viewfinderThread));
    for (std::thread& t : s->finished)
      if (t.get_id() != std::this_thread::get_id()) join.push_back(std::move(t));
    std::erase_if(s->finished, [](const std::thread& t) { return !t.joinable(); });
  }
  for (std::thread& t : join) t.join();
  std::lock_guard<std::mutex> guard(s->lock);
  s->frameCallback = callback;
  s->frameContext = context;
  s->viewfinder = true;
  s->stopViewfinder = false;
  s->viewfinderThread = std::thread(ViewfinderLoop, s);
  return prOK;
}

prResponse PR_RC_TermViewFinder(prHCamera camera) {
  auto s = FindSession(camera);
  if (!s) return prINVALID_HANDLE;
  std::thread join;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->connected) return prINVALID_FN_CALL;
    if (!s->viewfinder) return prINVALID_FN_CALL;
    s->viewfinder = false;
    s->stopViewfinder = true;
    // Called from inside the frame callback: the thread ends after it and is joined later.
    if (s->viewfinderThread.get_id() == std::this_thread::get_id()) s->finished.push_back(std::move(s->viewfinderThread));
    else join = std::move(s->viewfinderThread);
  }
  if (join.joinable()) join.join();
  return prOK;
}

}  // namespace tavgp
