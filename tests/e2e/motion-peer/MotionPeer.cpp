// tavorin-motion-peer: finds Tavorin's window, says hello with the registered hot-spot
// message, asks for frames (320 x 240, blue-green-red, by WM_COPYDATA) and for pictures.
// Exit 0 when every answer came as the protocol says, else 1 with the reason on stderr.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/win32/sync.h"

namespace {

const char kMotionProgramKey[] = "SOFTWARE\\Vevir Edidad\\Rizoru Vori Rivarad";
const size_t kFrameBytes = 320 * 240 * 3;
const WPARAM kHello = 0, kHelloAnswer = 6000, kSendFrame = 10, kTakePicture = 11;

UINT g_hotSpot = 0;
HWND g_tavorinView = nullptr;  // what Tavorin named in its answer to hello
bool g_answered = false;
int g_framesReceived = 0;
std::string g_protocolError;
std::vector<unsigned char> g_frame;

LRESULT CALLBACK PeerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == g_hotSpot && g_hotSpot != 0) {
    if (wParam == kHelloAnswer) {
      g_tavorinView = reinterpret_cast<HWND>(lParam);
      g_answered = true;
    }
    return 0;
  }
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != 1 || data->cbData != kFrameBytes || !data->lpData) {
      g_protocolError = "a frame of the wrong kind or size came";
    } else if (reinterpret_cast<HWND>(wParam) != g_tavorinView) {
      g_protocolError = "a frame came from a window that did not answer hello";
    } else {
      const auto* bytes = static_cast<const unsigned char*>(data->lpData);
      g_frame.assign(bytes, bytes + kFrameBytes);
      ++g_framesReceived;
    }
    return TRUE;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

int Fail(const std::string& reason) {
  std::fprintf(stderr, "tavorin-motion-peer: %s\n", reason.c_str());
  return 1;
}

// Runs this thread's messages until the flag is set or the time is up.
bool PumpUntil(const bool& flag, DWORD milliseconds) {
  DWORD start = GetTickCount();
  MSG msg;
  while (!flag && GetTickCount() - start < milliseconds) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (!flag) Sleep(5);
  }
  return flag;
}

BOOL CALLBACK FindTavorin(HWND hWnd, LPARAM found) {
  char title[256] = {};
  GetWindowTextA(hWnd, title, sizeof title);
  if (std::strncmp(title, "Tavorin - ", 10) == 0) {
    *reinterpret_cast<HWND*>(found) = hWnd;
    return FALSE;
  }
  return TRUE;
}

int Register() {
  char path[4096] = {};
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return Fail("cannot find its own path");
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kMotionProgramKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return Fail("cannot open the registry key");
  LSTATUS status = RegSetValueExA(key, "Executable", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                  static_cast<DWORD>(std::strlen(path) + 1));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 0 : Fail("cannot write the registry value");
}

bool WritePpm(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fprintf(file, "P6\n320 240\n255\n");
  std::vector<unsigned char> rgb(kFrameBytes);
  for (size_t i = 0; i < kFrameBytes; i += 3) {
    rgb[i] = g_frame[i + 2];
    rgb[i + 1] = g_frame[i + 1];
    rgb[i + 2] = g_frame[i];
  }
  bool written = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
  return std::fclose(file) == 0 && written;
}

// Asks for one frame; false (with the reason kept) when none came.
bool RequestFrame(HWND tavorin) {
  int before = g_framesReceived;
  SendMessageA(tavorin, g_hotSpot, kSendFrame, 0);
  if (!g_protocolError.empty()) return false;
  if (g_framesReceived == before) {
    g_protocolError = "no frame came for a frame request";
    return false;
  }
  return true;
}

double MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
  return a.empty() ? 0 : sum / static_cast<double>(a.size());
}

void Usage() {
  std::fprintf(stderr,
               "usage: tavorin-motion-peer --register\n"
               "       tavorin-motion-peer [--frames N] [--out FILE] [--shoot] [--watch] [--threshold T]\n");
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 0;
  bool shoot = false, watch = false, registering = false;
  double threshold = 12;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    bool hasValue = i + 1 < argc;
    if (option == "--register") registering = true;
    else if (option == "--shoot") shoot = true;
    else if (option == "--watch") watch = true;
    else if (option == "--frames" && hasValue) frames = std::atoi(argv[++i]);
    else if (option == "--out" && hasValue) out = argv[++i];
    else if (option == "--threshold" && hasValue) threshold = std::atof(argv[++i]);
    else {
      Usage();
      return 2;
    }
  }
  if (registering) return Register();

  g_hotSpot = RegisterWindowMessageA("WM_USER_HOTSPOTMESSAGE");
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = PeerProc;
  windowClass.lpszClassName = "RizoruVoriRivarad";
  RegisterClassA(&windowClass);
  HWND own = CreateWindowExA(0, "RizoruVoriRivarad", "Rizoru Vori Rivarad", 0, 0, 0, 0, 0, nullptr, nullptr,
                             nullptr, nullptr);
  if (!own) return Fail("cannot make its window");

  HWND tavorin = nullptr;
  EnumWindows(FindTavorin, reinterpret_cast<LPARAM>(&tavorin));
  if (!tavorin) return Fail("no window titled \"Tavorin - ...\"");

  SendMessageA(tavorin, g_hotSpot, kHello, reinterpret_cast<LPARAM>(own));
  if (!PumpUntil(g_answered, 5000)) return Fail("no answer 6000 to hello within 5 s");
  if (!g_tavorinView) return Fail("the answer to hello named no window");
  std::printf("hello answered\n");

  for (int i = 0; i < frames && !watch; ++i) {
    if (!RequestFrame(tavorin)) return Fail(g_protocolError);
  }
  if (frames > 0 && !watch) std::printf("frames received: %d\n", g_framesReceived);
  if (!out.empty()) {
    if (g_frame.empty()) return Fail("no frame to write");
    if (!WritePpm(out)) return Fail("cannot write " + out);
  }
  if (shoot) {
    SendMessageA(tavorin, g_hotSpot, kTakePicture, 0);
    std::printf("picture requested\n");
  }
  if (watch) {
    // A frame every 200 ms; a picture when the picture changed more than the threshold.
    std::vector<unsigned char> previous;
    for (int i = 0; frames == 0 || i < frames; ++i) {
      if (!RequestFrame(tavorin)) return Fail(g_protocolError);
      if (!previous.empty()) {
        double difference = MeanDifference(previous, g_frame);
        std::printf("difference %.2f\n", difference);
        if (difference > threshold) {
          SendMessageA(tavorin, g_hotSpot, kTakePicture, 0);
          std::printf("movement: picture requested\n");
        }
      }
      previous = g_frame;
      std::fflush(stdout);
      bool never = false;
      PumpUntil(never, 200);
    }
  }
  DestroyWindow(own);
  return 0;
}
