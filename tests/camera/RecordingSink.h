// A stand-in for the view's window: records what the camera posts, in order, and frees it
// as the view would.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "camera/CameraMessages.h"
#include "platform/mfc/cstring.h"
#include "support/Exif.h"

struct Message {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::string text;          // WM_SAVED_FILE
  std::vector<BYTE> bytes;   // WM_DISPLAY_JPEG
  int rotation = -1;         // WM_EXIF
  std::string model;         // WM_EXIF
};

// Takes what the camera posts, as the view does, and frees it.
class RecordingSink : public CameraMessageSink {
 public:
  BOOL Post(UINT message, WPARAM wParam, LPARAM lParam) override {
    Message m{message, wParam, lParam, {}, {}, -1, {}};
    if (message == WM_SAVED_FILE) {
      auto* text = reinterpret_cast<CString*>(lParam);
      m.text = text->GetString();
      delete text;
    } else if (message == WM_DISPLAY_JPEG) {
      auto* bytes = reinterpret_cast<BYTE*>(lParam);
      m.bytes.assign(bytes, bytes + wParam);
      delete[] bytes;
    } else if (message == WM_EXIF) {
      auto* exif = reinterpret_cast<Exif*>(lParam);
      m.rotation = exif->GetRotation();
      m.model = exif->GetModel().GetString();
      delete exif;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.push_back(std::move(m));
    m_changed.notify_all();
    return TRUE;
  }
  BOOL IsAlive() override { return m_alive; }
  std::atomic<bool> m_alive{true};
  void OnReleaseStarted() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_releases;
  }

  /// Waits (bounded, generous for sanitizer builds) until `count` messages of that kind came.
  bool WaitFor(UINT message, size_t count) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return CountLocked(message) >= count; });
  }
  /// Everything but progress reports, in order.
  std::vector<Message> Messages() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Message> out;
    for (const Message& m : m_messages)
      if (m.message != WM_DOWNLOAD_PROGRESS) out.push_back(m);
    return out;
  }
  std::vector<Message> Progress() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Message> out;
    for (const Message& m : m_messages)
      if (m.message == WM_DOWNLOAD_PROGRESS) out.push_back(m);
    return out;
  }
  int Releases() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_releases;
  }

 private:
  size_t CountLocked(UINT message) {
    size_t n = 0;
    for (const Message& m : m_messages) n += m.message == message;
    return n;
  }
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Message> m_messages;
  int m_releases = 0;
};

