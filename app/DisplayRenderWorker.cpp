#include "app/DisplayRenderWorker.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/user/message.h"

CDisplayRenderWorker::CDisplayRenderWorker(HWND window, UINT message)
    : m_window(window), m_message(message), m_thread([this] { Run(); }) {}

CDisplayRenderWorker::~CDisplayRenderWorker() {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_stop = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

void CDisplayRenderWorker::Submit(unsigned generation, const BYTE* jpeg, DWORD size, const DisplayRequest& request) {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_pending = true;
    m_pendingGeneration = generation;
    m_pendingJpeg.assign(jpeg, jpeg + size);
    m_pendingRequest = request;
  }
  m_wake.notify_all();
}

std::unique_ptr<DisplayRender> CDisplayRenderWorker::Take(unsigned generation) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_done || m_doneGeneration != generation) return nullptr;
  return std::move(m_done);
}

void CDisplayRenderWorker::Run() {
  // The picture on screen can wait a little; the camera's transfer and the photo's save, which
  // run beside it when shots follow closely, cannot.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
  std::unique_lock<std::mutex> lock(m_lock);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stop || m_pending; });
    if (m_stop) return;
    unsigned generation = m_pendingGeneration;
    std::vector<BYTE> jpeg;
    jpeg.swap(m_pendingJpeg);
    DisplayRequest request = m_pendingRequest;
    m_pending = false;
    lock.unlock();
    std::unique_ptr<DisplayRender> render =
        RenderDisplay(jpeg.data(), static_cast<DWORD>(jpeg.size()), request);
    lock.lock();
    m_done = std::move(render);
    m_doneGeneration = generation;
    // A window already gone simply never takes it; the render is freed with the worker.
    if (!m_stop) ::PostMessageA(m_window, m_message, generation, 0);
  }
}
