// The live view window offscreen: frames drawn from another thread, the layout at each scale,
// the stored position and crop editing with mouse events through the toolkit.
#include "camera/ViewfinderDlg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QMouseEvent>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "platform/canon/simulator.h"
#include "platform/gdi/wingdi.h"
#include "platform/registry/registry.h"
#include "platform/user/message.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"
#include "platform/win32/sync.h"
#include "support/ProgramGlobals.h"

namespace {

class RecordingOwner : public ViewfinderOwner {
 public:
  void OnViewfinderCommand(UINT id) override { commands.push_back(id); }
  void OnViewfinderCommentKey(UINT key) override { keys.push_back(key); }
  ViewfinderOverlay GetViewfinderOverlay() override { return overlay; }
  std::vector<UINT> commands;
  std::vector<UINT> keys;
  ViewfinderOverlay overlay;
};

// An 8 x 8 red 24-bit bitmap file.
void WriteRedBitmap(const std::string& path) {
  std::vector<BYTE> file(54 + 8 * 8 * 3, 0);
  auto put32 = [&](size_t at, DWORD value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<BYTE>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<DWORD>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 8);
  put32(22, 8);
  file[26] = 1;
  file[28] = 24;
  for (size_t i = 54; i < file.size(); i += 3) file[i + 2] = 255;
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, out);
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs = 10000) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > limitMs) return false;
    PumpWaitingMessages();
    Sleep(2);
  }
  return true;
}

class ViewfinderDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavorin-viewfinder-XXXXXX";
    m_folder = mkdtemp(pattern);
    setenv("TAVORIN_REGISTRY", (m_folder + "/registry.sqlite3").c_str(), 1);
    m_frame = tavsim::SimMakePhoto(320, 240, 1, "Canon PowerShot G9");
  }
  void TearDown() override {
    m_dialog.reset();
    unsetenv("TAVORIN_REGISTRY");
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
  }

  CViewfinderDlg& Open() {
    m_dialog = std::make_unique<CViewfinderDlg>(nullptr, &m_owner);
    EXPECT_NE(nullptr, m_dialog->m_hWnd);
    return *m_dialog;
  }

  // Draws one frame on another thread, as the SDK does, and lets the window catch up.
  void Feed(int angle = 0, const std::vector<BYTE>* frame = nullptr) {
    const std::vector<BYTE>& jpeg = frame ? *frame : m_frame;
    int before = m_dialog->GetFramesDrawn();
    std::thread sdk([&] { m_dialog->ViewfinderCB(jpeg.data(), static_cast<DWORD>(jpeg.size()), angle); });
    ASSERT_TRUE(PumpUntil([&] { return m_dialog->GetFramesDrawn() > before; }));
    sdk.join();
    PumpWaitingMessages();
  }

  SIZE ClientSize() {
    RECT client{};
    GetClientRect(m_dialog->m_hWnd, &client);
    return {client.right, client.bottom};
  }

  void Mouse(QEvent::Type type, int x, int y) {
    QWidget* widget = user_p::WidgetOf(m_dialog->m_hWnd);
    ASSERT_NE(nullptr, widget);
    QPointF at(x, y);
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
  }

  void Drag(POINT from, POINT to) {
    Mouse(QEvent::MouseButtonPress, from.x, from.y);
    Mouse(QEvent::MouseMove, (from.x + to.x) / 2, (from.y + to.y) / 2);
    Mouse(QEvent::MouseMove, to.x, to.y);
    Mouse(QEvent::MouseButtonRelease, to.x, to.y);
  }

  void WritePosition(DWORD left, DWORD top) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                             nullptr));
    RegSetValueExA(key, "ViewfinderWindowLeft", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&left), sizeof left);
    RegSetValueExA(key, "ViewfinderWindowTop", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&top), sizeof top);
    RegCloseKey(key);
  }

  std::string m_folder;
  std::vector<BYTE> m_frame;
  RecordingOwner m_owner;
  std::unique_ptr<CViewfinderDlg> m_dialog;
};

TEST_F(ViewfinderDlgTest, FramesFromAnotherThreadReachTheWindow) {
  CViewfinderDlg& dialog = Open();
  dialog.ShowViewfinder(true);
  m_owner.overlay.grid = true;
  m_owner.overlay.gridColumns = 2;
  m_owner.overlay.gridRows = 2;
  m_owner.overlay.gridColour = RGB(255, 0, 0);
  Feed();
  HDC dc = GetDC(dialog.m_hWnd);
  ASSERT_NE(nullptr, dc);
  COLORREF yellow = GetPixel(dc, 60, 20);  // the test card's second bar
  COLORREF grid = GetPixel(dc, 160, 10);
  ReleaseDC(dialog.m_hWnd, dc);
  EXPECT_GT(GetRValue(yellow), 200);
  EXPECT_GT(GetGValue(yellow), 200);
  EXPECT_LT(GetBValue(yellow), 60);
  EXPECT_EQ(RGB(255, 0, 0), grid);
}

TEST_F(ViewfinderDlgTest, AScreenshotAt1xShowsTheCropShadingAndTheGrid) {
  CViewfinderDlg& dialog = Open();
  dialog.m_bCrop = TRUE;
  dialog.SetCropRect({100, 60, 250, 200});
  m_owner.overlay.grid = true;
  m_owner.overlay.gridColumns = 3;
  m_owner.overlay.gridRows = 3;
  m_owner.overlay.gridColour = RGB(255, 255, 255);
  dialog.ShowViewfinder(true);
  Feed();
  Feed();  // the second frame lands on the laid-out window
  QWidget* window = user_p::WidgetOf(dialog.m_hWnd);
  ASSERT_NE(nullptr, window);
  QImage shot = window->grab().toImage();
  QString folder = QString::fromUtf8(TAVORIN_BINARY_DIR) + "/test-output";
  QDir().mkpath(folder);
  ASSERT_TRUE(shot.save(folder + "/viewfinder-1x.png", "PNG"));
  // The first (white) bar is halved outside the crop rectangle and whole inside it.
  EXPECT_LT(qRed(shot.pixel(20, 20)), 140);
  EXPECT_GT(qRed(shot.pixel(120, 80)), 200) << "inside the crop rectangle";
  EXPECT_EQ(qRgb(255, 255, 255), shot.pixel(106, 30)) << "the first grid line at a third of 320";
  EXPECT_EQ(qRgb(255, 255, 255), shot.pixel(30, 80)) << "the first grid line at a third of 240";
}

TEST_F(ViewfinderDlgTest, TheClientAreaFollowsTheScale) {
  CViewfinderDlg& dialog = Open();
  dialog.ShowViewfinder(true);
  Feed();
  SIZE one = ClientSize();
  EXPECT_EQ(320, one.cx);
  int controls = one.cy - 240;
  EXPECT_GT(controls, 10) << "room for the check boxes below the picture";
  EXPECT_TRUE(GetWindowLongPtrA(dialog.m_hWnd, GWL_STYLE) & WS_CAPTION);

  dialog.SetScale(2);
  Feed();
  EXPECT_EQ(640, ClientSize().cx);
  EXPECT_EQ(480 + controls, ClientSize().cy);

  dialog.SetScale(5);
  Feed();
  EXPECT_FALSE(GetWindowLongPtrA(dialog.m_hWnd, GWL_STYLE) & WS_CAPTION);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), ClientSize().cx);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), ClientSize().cy);
  RECT box{};
  GetWindowRect(GetDlgItem(dialog.m_hWnd, IDC_STAY_ON_TOP), &box);
  EXPECT_GE(box.left, GetSystemMetrics(SM_CXSCREEN)) << "the controls leave the screen";

  dialog.SetScale(1);
  Feed();
  EXPECT_TRUE(GetWindowLongPtrA(dialog.m_hWnd, GWL_STYLE) & WS_CAPTION);
  EXPECT_EQ(320, ClientSize().cx);
}

TEST_F(ViewfinderDlgTest, TheStoredPositionIsTakenOnlyWhenItIsOnTheScreen) {
  WritePosition(static_cast<DWORD>(-100), 50);
  Open();
  RECT refused{};
  GetWindowRect(m_dialog->m_hWnd, &refused);
  EXPECT_NE(-100, refused.left);
  m_dialog.reset();

  WritePosition(200, 150);
  Open();
  RECT taken{};
  GetWindowRect(m_dialog->m_hWnd, &taken);
  EXPECT_EQ(200, taken.left);
  EXPECT_EQ(150, taken.top);
}

TEST_F(ViewfinderDlgTest, TheCropRectangleIsDraggedAtScale1Only) {
  CViewfinderDlg& dialog = Open();
  dialog.m_bCrop = TRUE;
  dialog.SetCropRect({100, 100, 250, 200});
  dialog.ShowViewfinder(true);
  Feed();

  // At a corner the top edge wins; it stops 10 pixels above the bottom.
  Drag({101, 101}, {101, 400});
  RECT crop = dialog.GetCropRect();
  EXPECT_EQ(190, crop.top);
  EXPECT_EQ(100, crop.left);

  // Moved against the right border, the rectangle keeps its width.
  dialog.SetCropRect({100, 100, 250, 200});
  Drag({150, 150}, {500, 150});
  crop = dialog.GetCropRect();
  EXPECT_EQ(319, crop.right);
  EXPECT_EQ(169, crop.left);
  EXPECT_EQ(100, crop.top);

  // Turned a quarter: the pointer's x runs along the frame's rows from the bottom up.
  dialog.SetCropRect({100, 100, 250, 200});
  Feed(90);
  Drag({140, 175}, {0, 175});  // frame (175, 100): the top edge, pulled down to the bottom's limit
  EXPECT_EQ(190, dialog.GetCropRect().top);

  // At 2x the rectangle stays as it is.
  dialog.SetCropRect({100, 100, 250, 200});
  dialog.SetScale(2);
  Feed();
  Drag({101, 101}, {101, 400});
  crop = dialog.GetCropRect();
  EXPECT_EQ(100, crop.top);
  EXPECT_EQ(200, crop.bottom);
}

TEST_F(ViewfinderDlgTest, TheKeyBackgroundIsMadeAgainForFramesOfAnotherSize) {
  std::string background = m_folder + "/background.bmp";
  WriteRedBitmap(background);
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
  DWORD green = 1;
  RegSetValueExA(key, "ChromakeyMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&green), sizeof green);
  RegSetValueExA(key, "ChromakeyBackground", 0, REG_SZ, reinterpret_cast<const BYTE*>(background.c_str()),
                 static_cast<DWORD>(background.size() + 1));
  RegCloseKey(key);

  CViewfinderDlg& dialog = Open();
  dialog.ShowViewfinder(true);
  Feed();
  // A larger frame keys against a background of its own size, not the small one's.
  std::vector<BYTE> large = tavsim::SimMakePhoto(640, 480, 2, "Canon PowerShot G9");
  Feed(0, &large);
  dialog.SetScale(1);
  HDC dc = GetDC(dialog.m_hWnd);
  // The test card's green bar (the fourth of eight) shows the red background.
  COLORREF keyed = GetPixel(dc, 3 * 640 / 8 + 40, 20);
  ReleaseDC(dialog.m_hWnd, dc);
  EXPECT_GT(GetRValue(keyed), 200);
  EXPECT_LT(GetGValue(keyed), 60);
}

TEST_F(ViewfinderDlgTest, KeepingTheOnionFrameWhileFramesFlowIsSafe) {
  CViewfinderDlg& dialog = Open();
  dialog.m_bOnionSkin = TRUE;
  dialog.ShowViewfinder(true);
  std::vector<BYTE> large = tavsim::SimMakePhoto(640, 480, 2, "Canon PowerShot G9");
  std::atomic<bool> stop{false};
  std::atomic<int> drawn{0};
  // Frames of two sizes reallocate the buffers while the UI thread copies them.
  std::thread sdk([&] {
    for (int i = 0; !stop; ++i) {
      const std::vector<BYTE>& jpeg = i % 2 ? large : m_frame;
      dialog.ViewfinderCB(jpeg.data(), static_cast<DWORD>(jpeg.size()), 0);
      ++drawn;
    }
  });
  for (int i = 0; i < 100; ++i) {
    dialog.KeepOnionSkinFrame();
    PumpWaitingMessages();
  }
  ASSERT_TRUE(PumpUntil([&] { return drawn > 4; }));
  stop = true;
  sdk.join();
  SUCCEED();
}

}  // namespace
