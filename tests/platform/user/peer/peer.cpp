// Test peer: a second process on the window station, driven one command per line on stdin,
// one answer per line on stdout. Commands run on its UI thread. Its windows answer:
//   "TAVORIN_PEER_ECHO"  with wParam * 1000 + lParam;
//   "TAVORIN_PEER_HELLO" with wParam 0 by sending the hello back to the window in lParam
//                         (wParam 6000, lParam its own handle) and returning that result + 1;
//   WM_COPYDATA          with an FNV-1a checksum of the data (31 bits);
// and record every registered message they get (see "received").
#include <QApplication>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/user/winuser.h"
#include "platform/win32/error.h"
#include "platform/win32/filemapping.h"
#include "platform/win32/handle.h"
#include "platform/win32/sync.h"

namespace {

const UINT kCommand = WM_APP + 1;
UINT g_echo = 0, g_hello = 0;
std::mutex g_mutex;
std::map<UINT, std::vector<WPARAM>> g_received;
std::vector<HWND> g_windows;
HANDLE g_mapping = nullptr;
char* g_view = nullptr;

DWORD Checksum(const void* data, DWORD size) {
  DWORD hash = 2166136261u;
  for (DWORD i = 0; i < size; ++i) hash = (hash ^ static_cast<const unsigned char*>(data)[i]) * 16777619u;
  return hash & 0x7FFFFFFFu;
}

LRESULT CALLBACK PeerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= 0xC000) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_received[message].push_back(wParam);
  }
  if (message == g_echo) return static_cast<LRESULT>(wParam * 1000 + lParam);
  if (message == g_hello && wParam == 0) {
    HWND caller = reinterpret_cast<HWND>(lParam);
    return SendMessageA(caller, g_hello, 6000, reinterpret_cast<LPARAM>(hWnd)) + 1;
  }
  if (message == WM_COPYDATA) {
    auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    return data ? static_cast<LRESULT>(Checksum(data->lpData, data->cbData)) : 0;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND ParseHwnd(std::istream& in) {
  std::string text;
  in >> text;
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(text.c_str(), nullptr, 16)));
}

std::string Rest(std::istream& in) {
  std::string rest;
  std::getline(in, rest);
  if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  return rest;
}

std::string Hex(HWND hWnd) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", HandleToDword(hWnd));
  return text;
}

BOOL CALLBACK CollectByPrefix(HWND hWnd, LPARAM lParam) {
  auto* found = reinterpret_cast<std::pair<std::string, std::string>*>(lParam);
  char title[256] = {};
  GetWindowTextA(hWnd, title, sizeof title);
  if (std::strncmp(title, found->first.c_str(), found->first.size()) == 0) found->second += Hex(hWnd) + " ";
  return TRUE;
}

std::string Run(const std::string& line) {
  std::istringstream in(line);
  std::string command;
  in >> command;
  if (command == "window") {
    std::string title = Rest(in);
    HWND hWnd = CreateWindowExA(0, "TavorinPeer", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
    g_windows.push_back(hWnd);
    return Hex(hWnd);
  }
  if (command == "exstyle") {
    HWND hWnd = ParseHwnd(in);
    return std::to_string(GetWindowLong(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
  if (command == "settitle") {
    HWND hWnd = ParseHwnd(in);
    return SetWindowTextA(hWnd, Rest(in).c_str()) ? "ok" : "fail";
  }
  if (command == "msg") return std::to_string(RegisterWindowMessageA(Rest(in).c_str()));
  if (command == "find") {
    std::pair<std::string, std::string> found{Rest(in), ""};
    EnumWindows(CollectByPrefix, reinterpret_cast<LPARAM>(&found));
    return found.second.empty() ? "none" : found.second;
  }
  if (command == "findexact") return Hex(FindWindowA(nullptr, Rest(in).c_str()));
  if (command == "title") {
    char title[1025] = {};
    GetWindowTextA(ParseHwnd(in), title, sizeof title);
    return title;
  }
  if (command == "iswindow") return IsWindow(ParseHwnd(in)) ? "1" : "0";
  if (command == "send") {
    HWND hWnd = ParseHwnd(in);
    unsigned long message = 0, wParam = 0;
    long lParam = 0;
    in >> message >> wParam >> lParam;
    SetLastError(0);
    LRESULT result = SendMessageA(hWnd, static_cast<UINT>(message), wParam, lParam);
    return std::to_string(result) + " " + std::to_string(GetLastError());
  }
  if (command == "post") {
    HWND hWnd = ParseHwnd(in);
    unsigned long message = 0, count = 0;
    in >> message >> count;
    unsigned long posted = 0;
    for (unsigned long i = 0; i < count; ++i) posted += PostMessageA(hWnd, static_cast<UINT>(message), i, 0) ? 1 : 0;
    return std::to_string(posted);
  }
  if (command == "received") {
    unsigned long message = 0;
    in >> message;
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::vector<WPARAM>& list = g_received[static_cast<UINT>(message)];
    bool ordered = true;
    for (size_t i = 0; i < list.size(); ++i) ordered = ordered && list[i] == i;
    return std::to_string(list.size()) + (ordered ? " ordered" : " unordered");
  }
  if (command == "copydata") {
    HWND hWnd = ParseHwnd(in);
    HWND from = ParseHwnd(in);
    unsigned long size = 0;
    in >> size;
    std::vector<unsigned char> data(size);
    for (unsigned long i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(i * 7 + 3);
    COPYDATASTRUCT copy{1, static_cast<DWORD>(size), data.data()};
    return std::to_string(SendMessageA(hWnd, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&copy)));
  }
  if (command == "map") {
    std::string name;
    unsigned long size = 0;
    in >> name >> size;
    g_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size), name.c_str());
    DWORD error = GetLastError();
    if (!g_mapping) return "fail " + std::to_string(error);
    g_view = static_cast<char*>(MapViewOfFile(g_mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!g_view) return "fail view";
    return error == ERROR_ALREADY_EXISTS ? "exists" : "new";
  }
  if (command == "write" && g_view) {
    unsigned long offset = 0;
    in >> offset;
    std::string text = Rest(in);
    std::memcpy(g_view + offset, text.c_str(), text.size() + 1);
    return FlushViewOfFile(g_view, 0) ? "ok" : "fail";
  }
  if (command == "read" && g_view) {
    unsigned long offset = 0;
    in >> offset;
    return std::string(g_view + offset);
  }
  if (command == "hang") {
    std::printf("ok\n");
    std::fflush(stdout);
    for (;;) Sleep(1000);  // a hung UI thread; the test kills us
  }
  if (command == "quit") {
    PostQuitMessage(0);
    return "bye";
  }
  return "unknown";
}

LRESULT CALLBACK ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kCommand) return DefWindowProcA(hWnd, message, wParam, lParam);
  std::string answer = Run(*reinterpret_cast<const std::string*>(lParam));
  std::printf("%s\n", answer.c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  g_echo = RegisterWindowMessageA("TAVORIN_PEER_ECHO");
  g_hello = RegisterWindowMessageA("TAVORIN_PEER_HELLO");
  WNDCLASSA peerClass{};
  peerClass.lpfnWndProc = PeerProc;
  peerClass.lpszClassName = "TavorinPeer";
  RegisterClassA(&peerClass);
  WNDCLASSA controlClass{};
  controlClass.lpfnWndProc = ControlProc;
  controlClass.lpszClassName = "TavorinPeerControl";
  RegisterClassA(&controlClass);
  HWND control = CreateWindowExA(0, "TavorinPeerControl", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::printf("ready %s\n", Hex(control).c_str());
  std::fflush(stdout);
  std::thread reader([control] {
    std::string line;
    while (std::getline(std::cin, line)) {
      SendMessageA(control, kCommand, 0, reinterpret_cast<LPARAM>(&line));
      if (line == "quit") return;
    }
    std::string quit = "quit";  // stdin closed: the test is gone
    SendMessageA(control, kCommand, 0, reinterpret_cast<LPARAM>(&quit));
  });
  int code = RunUiMessageLoop();
  reader.join();
  for (HWND hWnd : g_windows) {
    if (IsWindow(hWnd)) DestroyWindow(hWnd);
  }
  DestroyWindow(control);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  if (g_view) UnmapViewOfFile(g_view);
  if (g_mapping) CloseHandle(g_mapping);
  return code;
}
