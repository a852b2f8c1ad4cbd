// Window messages between two real processes on one window station.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "peerprocess.h"
#include "platform/win32/error.h"
#include "platform/win32/sync.h"
#include "testwindow.h"

namespace {

UINT Echo() { return RegisterWindowMessageA("TAVORIN_PEER_ECHO"); }
UINT Hello() { return RegisterWindowMessageA("TAVORIN_PEER_HELLO"); }

DWORD Checksum(const void* data, DWORD size) {
  DWORD hash = 2166136261u;
  for (DWORD i = 0; i < size; ++i) hash = (hash ^ static_cast<const unsigned char*>(data)[i]) * 16777619u;
  return hash & 0x7FFFFFFFu;
}

// The pattern the peer's "copydata" sends.
std::vector<unsigned char> Pattern(size_t size) {
  std::vector<unsigned char> data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(i * 7 + 3);
  return data;
}

struct Collected {
  std::string prefix;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectByPrefix(HWND hWnd, LPARAM lParam) {
  auto* collected = reinterpret_cast<Collected*>(lParam);
  char title[256] = {};
  GetWindowTextA(hWnd, title, sizeof title);
  if (std::strncmp(title, collected->prefix.c_str(), collected->prefix.size()) == 0) collected->found.push_back(hWnd);
  return TRUE;
}

std::vector<HWND> WindowsWithPrefix(const std::string& prefix) {
  Collected collected{prefix, {}};
  EnumWindows(CollectByPrefix, reinterpret_cast<LPARAM>(&collected));
  return collected.found;
}

}  // namespace

TEST(CrossProcessTest, RegisteredMessagesHaveTheSameNumberInBothProcesses) {
  PeerProcess peer;
  ASSERT_TRUE(peer.Running());
  for (const char* name : {"WM_MORVANESYS_TAVORIN_IPC", "WM_USER_HOTSPOTMESSAGE", "wm_user_hotspotmessage"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(peer.Command(std::string("msg ") + name), std::to_string(RegisterWindowMessageA(name)));
  }
}

TEST(CrossProcessTest, FindsAnotherProcessWindowByTitlePrefixAndClosesIt) {
  PeerProcess peer;
  ASSERT_TRUE(peer.Running());
  HWND other = peer.CommandHwnd("window Other program");
  HWND uploader = peer.CommandHwnd("window Morvane Systems Twitter Uploader (logging in)");
  HWND shorter = peer.CommandHwnd("window Morvane Systems Twitter");
  ASSERT_TRUE(other && uploader && shorter);
  TestWindow own;
  SetWindowTextA(own.hwnd, "Tavorin - xproc");
  // Handles are unique across the station's processes.
  EXPECT_EQ(std::set<HWND>({other, uploader, shorter, own.hwnd}).size(), 4u);

  EXPECT_EQ(WindowsWithPrefix("Morvane Systems Twitter Uploader"), std::vector<HWND>{uploader});
  EXPECT_EQ(WindowsWithPrefix("Tavorin - xproc"), std::vector<HWND>{own.hwnd});
  EXPECT_EQ(FindWindowA(nullptr, "Other program"), other);
  EXPECT_EQ(FindWindowA("tavorinpeer", "Other program"), other);
  EXPECT_EQ(FindWindowA("NoSuchClass", "Other program"), nullptr);
  EXPECT_EQ(peer.Command("find Tavorin - xproc"), PeerProcess::Hex(own.hwnd) + " ");
  EXPECT_EQ(peer.Command("title " + PeerProcess::Hex(own.hwnd)), "Tavorin - xproc");

  // The uploader rewrites its title; the watcher reads the new one.
  ASSERT_EQ(peer.Command("settitle " + PeerProcess::Hex(uploader) + " Morvane Systems Twitter Uploader (Upload OK)"), "ok");
  char title[1025] = {};
  EXPECT_EQ(GetWindowTextA(uploader, title, sizeof title), 44);
  EXPECT_STREQ(title, "Morvane Systems Twitter Uploader (Upload OK)");
  EXPECT_EQ(GetWindowTextLengthA(uploader), 44);
  char className[64] = {};
  EXPECT_EQ(GetClassNameA(uploader, className, sizeof className), 11);
  EXPECT_STRCASEEQ(className, "TavorinPeer");  // class names are published folded
  // Put on top from here; a foreign window is never moved or sized by it.
  EXPECT_TRUE(SetWindowPos(uploader, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW));
  EXPECT_EQ(peer.Command("exstyle " + PeerProcess::Hex(uploader)), "8");

  EXPECT_TRUE(IsWindow(uploader));
  SendMessageA(uploader, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(uploader));
  EXPECT_TRUE(WindowsWithPrefix("Morvane Systems Twitter Uploader").empty());
  EXPECT_TRUE(IsWindow(other));
}

TEST(CrossProcessTest, SendReturnsTheOtherProcessResultBothWays) {
  PeerProcess peer;
  HWND window = peer.CommandHwnd("window Echo");
  ASSERT_TRUE(window);
  EXPECT_EQ(SendMessageA(window, Echo(), 7, 5), 7005);
  DWORD_PTR result = 0;
  EXPECT_TRUE(SendMessageTimeoutA(window, Echo(), 12, 34, SMTO_ABORTIFHUNG, 5000, &result));
  EXPECT_EQ(result, 12034u);

  TestWindow own;
  own.handler = [](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    return message == Echo() ? static_cast<LRESULT>(wParam * 10 + lParam) : 0;
  };
  EXPECT_EQ(peer.Command("send " + PeerProcess::Hex(own.hwnd) + " " + std::to_string(Echo()) + " 3 4"), "34 0");
  ASSERT_EQ(own.Messages(Echo()).size(), 1u);
  EXPECT_EQ(own.Messages(Echo())[0].thread, GetCurrentThreadId());  // on our UI thread
}

TEST(CrossProcessTest, PostedMessagesArriveInOrderBothWays) {
  PeerProcess peer;
  HWND window = peer.CommandHwnd("window Posts");
  ASSERT_TRUE(window);
  const UINT order = RegisterWindowMessageA("TAVORIN_XPROC_ORDER");
  const int kCount = 300;
  for (int i = 0; i < kCount; ++i) ASSERT_TRUE(PostMessageA(window, order, i, 0));
  // Posted messages run after the command that asks about them; ask until all are in.
  std::string all = std::to_string(kCount) + " ";
  std::string answer = peer.Command("received " + std::to_string(order));
  for (ULONGLONG deadline = GetTickCount64() + 10000; answer.rfind(all, 0) != 0 && GetTickCount64() < deadline;) {
    answer = peer.Command("received " + std::to_string(order));
  }
  EXPECT_EQ(answer, all + "ordered");

  TestWindow own;
  EXPECT_EQ(peer.Command("post " + PeerProcess::Hex(own.hwnd) + " " + std::to_string(order) + " " + std::to_string(kCount)),
            std::to_string(kCount));
  ASSERT_TRUE(PumpUntil([&] { return own.Messages(order).size() == static_cast<size_t>(kCount); }));
  std::vector<RecordedMessage> got = own.Messages(order);
  for (int i = 0; i < kCount; ++i) EXPECT_EQ(got[i].wParam, static_cast<WPARAM>(i));
}

TEST(CrossProcessTest, NestedSendIsAnsweredWhileTheSenderWaits) {
  // The motion-trigger hello: we send to the peer, whose handler sends back to us before it
  // returns; both sends complete.
  PeerProcess peer;
  HWND window = peer.CommandHwnd("window Motion peer");
  ASSERT_TRUE(window);
  TestWindow own;
  own.handler = [](UINT message, WPARAM wParam, LPARAM) -> LRESULT {
    return message == Hello() && wParam == 6000 ? 41 : 0;
  };
  EXPECT_EQ(SendMessageA(window, Hello(), 0, reinterpret_cast<LPARAM>(own.hwnd)), 42);
  std::vector<RecordedMessage> answers = own.Messages(Hello());
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].wParam, 6000u);
  EXPECT_EQ(answers[0].lParam, reinterpret_cast<LPARAM>(window));
  EXPECT_EQ(answers[0].thread, GetCurrentThreadId());

  // The same from a worker thread of ours: the answer still lands on our UI thread's window.
  LRESULT fromWorker = 0;
  std::thread worker([&] { fromWorker = SendMessageA(window, Hello(), 0, reinterpret_cast<LPARAM>(own.hwnd)); });
  ASSERT_TRUE(PumpUntil([&] { return own.Messages(Hello()).size() == 2; }));
  worker.join();
  EXPECT_EQ(fromWorker, 42);
}

TEST(CrossProcessTest, CopyDataCarriesTheWholePayload) {
  PeerProcess peer;
  HWND window = peer.CommandHwnd("window Frames");
  ASSERT_TRUE(window);
  TestWindow own;
  for (size_t size : {size_t{0}, size_t{1}, size_t{230400}, size_t{1} << 20}) {
    SCOPED_TRACE(size);
    std::vector<unsigned char> data = Pattern(size);
    COPYDATASTRUCT copy{1, static_cast<DWORD>(size), size ? data.data() : nullptr};
    EXPECT_EQ(SendMessageA(window, WM_COPYDATA, reinterpret_cast<WPARAM>(own.hwnd), reinterpret_cast<LPARAM>(&copy)),
              static_cast<LRESULT>(Checksum(data.data(), static_cast<DWORD>(size))));
  }

  // A 320 x 240 frame of 3-byte pixels from the peer to us.
  const DWORD kFrame = 230400;
  DWORD seenSize = 0;
  ULONG_PTR seenKind = 0;
  WPARAM seenFrom = 0;
  own.handler = [&](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message != WM_COPYDATA) return 0;
    auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    seenSize = copy->cbData;
    seenKind = copy->dwData;
    seenFrom = wParam;
    return static_cast<LRESULT>(Checksum(copy->lpData, copy->cbData));
  };
  std::vector<unsigned char> frame = Pattern(kFrame);
  EXPECT_EQ(peer.Command("copydata " + PeerProcess::Hex(own.hwnd) + " " + PeerProcess::Hex(window) + " " +
                         std::to_string(kFrame)),
            std::to_string(Checksum(frame.data(), kFrame)));
  EXPECT_EQ(seenSize, kFrame);
  EXPECT_EQ(seenKind, 1u);
  EXPECT_EQ(seenFrom, reinterpret_cast<WPARAM>(window));
  // Data behind a pointer cannot be posted to another process.
  COPYDATASTRUCT copy{1, 4, frame.data()};
  EXPECT_FALSE(PostMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)));
}

TEST(CrossProcessTest, SendToAKilledOrHungPeerFailsWithinItsTimeOut) {
  {
    PeerProcess peer;
    HWND window = peer.CommandHwnd("window Short-lived");
    ASSERT_EQ(SendMessageA(window, Echo(), 1, 1), 1001);
    std::string entry = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/tavorin-station/" + std::to_string(peer.Pid());
    struct stat st;
    ASSERT_EQ(stat((entry + ".windows").c_str(), &st), 0);
    peer.Kill();
    DWORD_PTR result = 99;
    ULONGLONG start = GetTickCount64();
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeoutA(window, Echo(), 1, 1, SMTO_ABORTIFHUNG, 2000, &result), 0);
    EXPECT_LT(GetTickCount64() - start, 2000u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(SendMessageA(window, Echo(), 1, 1), 0);
    EXPECT_FALSE(PostMessageA(window, Echo(), 1, 1));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindWindowA(nullptr, "Short-lived"), nullptr);
    // The dead process's entries are cleaned by whoever comes across them.
    EXPECT_NE(stat((entry + ".windows").c_str(), &st), 0);
    EXPECT_NE(stat((entry + ".sock").c_str(), &st), 0);
  }
  {
    PeerProcess peer;
    HWND window = peer.CommandHwnd("window Hung");
    ASSERT_EQ(peer.Command("hang"), "ok");
    DWORD_PTR result = 99;
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeoutA(window, Echo(), 1, 1, SMTO_ABORTIFHUNG, 200, &result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    // Killed while a send waits on it: the send ends at once instead of at its time-out.
    LRESULT sent = 1;
    DWORD error = 0;
    ULONGLONG start = GetTickCount64();
    std::thread sender([&] {
      DWORD_PTR value = 0;
      sent = SendMessageTimeoutA(window, Echo(), 1, 1, SMTO_NORMAL, 60000, &value);
      error = GetLastError();
    });
    peer.Kill();
    sender.join();
    EXPECT_EQ(sent, 0);
    EXPECT_NE(error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_LT(GetTickCount64() - start, 30000u);
  }
}
