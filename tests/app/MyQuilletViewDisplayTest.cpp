#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <utility>
#include <vector>

#include "AppTestSupport.h"
#include "app/BlankDlg.h"
#include "platform/user/window_p.h"

namespace {

class MyQuilletViewDisplayTest : public ViewTestBase {
 protected:

  /// Whether any pixel of the histogram bitmap has that colour.
  bool HistogramHas(COLORREF colour) {
    if (!m_view->m_pHistogramBitmap) return false;
    BITMAP info{};
    m_view->m_pHistogramBitmap->GetBitmap(&info);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(m_view->m_pHistogramBitmap.get());
    bool found = false;
    for (int y = 0; y < info.bmHeight && !found; ++y)
      for (int x = 0; x < info.bmWidth && !found; ++x) found = dc.GetPixel(x, y) == colour;
    dc.SelectObject(old);
    return found;
  }

  /// The centre of a control in the view's client coordinates.
  CPoint CentreOf(int id) {
    CRect place;
    m_view->GetDlgItem(id)->GetWindowRect(&place);
    m_view->ScreenToClient(&place);
    return place.CenterPoint();
  }

};

QImage Grab(HWND hwnd) {
  QWidget* widget = user_p::WidgetOf(hwnd);
  return widget ? widget->grab().toImage() : QImage();
}

COLORREF PixelAt(const QImage& image, int x, int y) {
  QRgb pixel = image.pixel(x, y);
  return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(20, 255, 20), kBlue = RGB(0, 0, 255), kGrey = RGB(90, 90, 90);

TEST_F(MyQuilletViewDisplayTest, CurveCommandsToggleTheirFlagAndRedraw) {
  m_view->m_histogram.Reset();
  for (int i = 0; i < 300; ++i) m_view->m_histogram.AddPixel(200, 60, 30);
  for (int i = 0; i < 300; ++i) m_view->m_histogram.AddPixel(40, 120, 220);
  const struct {
    UINT id;
    BOOL CMyQuilletView::*flag;
    COLORREF colour;
  } rows[] = {{ID_HISTOGRAM_INTENSITY, &CMyQuilletView::m_bIntensity, kGrey},
              {ID_HISTOGRAM_RED, &CMyQuilletView::m_bRed, kRed},
              {ID_HISTOGRAM_GREEN, &CMyQuilletView::m_bGreen, kGreen},
              {ID_HISTOGRAM_BLUE, &CMyQuilletView::m_bBlue, kBlue}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    m_view->m_bIntensity = m_view->m_bRed = m_view->m_bGreen = m_view->m_bBlue = TRUE;
    m_view->DrawHistogram();
    ASSERT_TRUE(HistogramHas(row.colour));
    m_view->SendMessage(WM_COMMAND, MAKEWPARAM(row.id, 0), 0);
    EXPECT_FALSE(m_view->*row.flag);
    EXPECT_FALSE(HistogramHas(row.colour));
    for (const auto& other : rows) {
      if (other.id != row.id) {
        EXPECT_TRUE(HistogramHas(other.colour)) << other.id;
      }
    }
    m_view->SendMessage(WM_COMMAND, MAKEWPARAM(row.id, 0), 0);
    EXPECT_TRUE(m_view->*row.flag);
    EXPECT_TRUE(HistogramHas(row.colour));
  }
  EXPECT_FALSE(m_view->OnHistogramCommand(ID_HISTOGRAM_BLUE + 1));
}

TEST_F(MyQuilletViewDisplayTest, TheMenuTicksTheCurvesThatShow) {
  m_view->m_bIntensity = TRUE;
  m_view->m_bRed = FALSE;
  m_view->m_bGreen = TRUE;
  m_view->m_bBlue = FALSE;
  HMENU menu = m_view->BuildHistogramMenu();
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(4, GetMenuItemCount(menu));
  const struct {
    UINT id;
    bool ticked;
  } rows[] = {{ID_HISTOGRAM_INTENSITY, true}, {ID_HISTOGRAM_RED, false}, {ID_HISTOGRAM_GREEN, true},
              {ID_HISTOGRAM_BLUE, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    EXPECT_EQ(row.ticked, (GetMenuState(menu, row.id, MF_BYCOMMAND) & MF_CHECKED) != 0);
  }
  DestroyMenu(menu);
}

// Watches, while it lives, for the pop-up that TrackPopupMenu runs its loop for: records the
// items with their ticks, picks `choose` and closes the menu.
// A main frame closed by an earlier test asked Qt to quit, which ends every nested event loop
// (the pop-up menu's) at once; a finished application loop clears that request.
void ClearQuitRequest() {
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

class MenuWatcher {
 public:
  explicit MenuWatcher(const QString& choose) {
    QObject::connect(&m_timer, &QTimer::timeout, [this, choose] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      m_timer.stop();
      opened = true;
      QAction* chosen = nullptr;
      for (QAction* action : menu->actions()) {
        items.emplace_back(action->text(), action->isChecked());
        if (action->text() == choose) chosen = action;
      }
      if (chosen) chosen->trigger();
      menu->close();
    });
    m_timer.start(1);
  }

  bool opened = false;
  std::vector<std::pair<QString, bool>> items;

 private:
  QTimer m_timer;
};

TEST_F(MyQuilletViewDisplayTest, RightClickOnTheHistogramOpensTheCurvesMenu) {
  m_view->m_bIntensity = TRUE;
  m_view->m_bRed = m_view->m_bGreen = m_view->m_bBlue = FALSE;

  ClearQuitRequest();
  // On the control itself: the click reaches the view, as on the form's background.
  MenuWatcher seen("&Blue");
  m_view->m_histogramPicture.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  ASSERT_TRUE(seen.opened);
  const std::vector<std::pair<QString, bool>> expected = {
      {"&Intensity", true}, {"&Red", false}, {"&Green", false}, {"&Blue", false}};
  EXPECT_EQ(expected, seen.items);
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_bBlue == TRUE; }, 5000));
  EXPECT_TRUE(m_view->m_bIntensity);

  MenuWatcher again("");
  CPoint inside = CentreOf(IDC_HISTOGRAM);
  m_view->SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
  ASSERT_TRUE(again.opened);
  ASSERT_EQ(4u, again.items.size());
  EXPECT_TRUE(again.items[3].second);  // blue is ticked now
}

TEST_F(MyQuilletViewDisplayTest, RightClickElsewhereOpensNoMenu) {
  CRect histogram;
  m_view->GetDlgItem(IDC_HISTOGRAM)->GetWindowRect(&histogram);
  m_view->ScreenToClient(&histogram);
  ClearQuitRequest();
  MenuWatcher seen("");
  m_view->SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(histogram.right + 2, histogram.top));
  // A menu would have been found and closed while the call ran.
  EXPECT_FALSE(seen.opened);
}

TEST_F(MyQuilletViewDisplayTest, MinimumTrackingSizeIs400By410) {
  MINMAXINFO info{};
  info.ptMaxTrackSize = {32767, 32767};
  m_view->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(400, info.ptMinTrackSize.x);
  EXPECT_EQ(410, info.ptMinTrackSize.y);
  EXPECT_EQ(32767, info.ptMaxTrackSize.x);
}

TEST_F(MyQuilletViewDisplayTest, OnlyTheDigitalZoomLabelIsRed) {
  const struct {
    int id;
    COLORREF text;
  } rows[] = {{IDC_DIGITALZOOM, RGB(255, 0, 0)}, {IDC_BATTERY, RGB(1, 2, 3)}, {IDC_LENS, RGB(1, 2, 3)}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    dc.SetTextColor(RGB(1, 2, 3));
    CWnd* label = m_view->GetDlgItem(row.id);
    ASSERT_NE(nullptr, label);
    m_view->SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC), reinterpret_cast<LPARAM>(label->m_hWnd));
    EXPECT_EQ(row.text, dc.GetTextColor());
  }
}

// A bitmap of width x height in `fill`, with a 4 x 4 square of `corner` at (x, y).
CBitmap* MakeBitmap(int width, int height, COLORREF fill, int x, int y, COLORREF corner) {
  auto* bitmap = new CBitmap;
  bitmap->CreateBitmap(width, height, 1, 32, nullptr);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(bitmap);
  dc.FillSolidRect(0, 0, width, height, fill);
  dc.FillSolidRect(x, y, 4, 4, corner);
  dc.SelectObject(old);
  return bitmap;
}

TEST_F(MyQuilletViewDisplayTest, PictureControlPaintsItsBitmapAtTheTopLeftClipped) {
  CMyStatic& picture = m_view->m_picture;
  ASSERT_TRUE(picture.m_hWnd);
  CRect client;
  picture.GetClientRect(&client);
  ASSERT_GT(client.Width(), 20);
  ASSERT_GT(client.Height(), 20);
  // Larger than the control; its corner mark sits at the control's last pixels.
  std::unique_ptr<CBitmap> large(
      MakeBitmap(client.Width() + 30, client.Height() + 30, RGB(0, 0, 200), client.Width() - 4, client.Height() - 4,
                 RGB(200, 0, 0)));
  HBITMAP previous = picture.SetBitmap(*large);
  QImage shown = Grab(picture.m_hWnd);
  EXPECT_EQ(RGB(0, 0, 200), PixelAt(shown, 1, 1));
  EXPECT_EQ(RGB(200, 0, 0), PixelAt(shown, client.Width() - 2, client.Height() - 2));

  // A small bitmap covers only its own pixels; the rest of the control is not erased.
  CDC* dc = picture.GetDC();
  ASSERT_NE(nullptr, dc);
  dc->FillSolidRect(0, 0, client.Width(), client.Height(), RGB(255, 0, 255));
  picture.ReleaseDC(dc);
  std::unique_ptr<CBitmap> small(MakeBitmap(10, 10, RGB(0, 180, 0), 0, 0, RGB(0, 180, 0)));
  picture.SetBitmap(*small);
  shown = Grab(picture.m_hWnd);
  EXPECT_EQ(RGB(0, 180, 0), PixelAt(shown, 5, 5));
  EXPECT_EQ(RGB(255, 0, 255), PixelAt(shown, 15, 15));
  EXPECT_EQ(RGB(255, 0, 255), PixelAt(shown, client.Width() - 2, client.Height() - 2));
  picture.SetBitmap(previous);
}

TEST_F(MyQuilletViewDisplayTest, TheBlinkingHighlightReachesThePictureControl) {
  CClientDC viewDc(m_view);
  CBitmap* photo = new CBitmap;
  CBitmap* marked = new CBitmap;
  photo->CreateCompatibleBitmap(&viewDc, 4, 4);
  marked->CreateCompatibleBitmap(&viewDc, 4, 4);
  m_view->m_picture.SetBitmap(nullptr);
  delete m_view->m_pDisplayBitmap;
  delete m_view->m_pHighlightBitmap;
  m_view->m_pDisplayBitmap = photo;
  m_view->m_pHighlightBitmap = marked;
  m_view->m_bAutoReconnect = FALSE;
  m_view->m_nTickCount = 0;
  for (int i = 0; i < 15; ++i) m_view->SendMessage(WM_TIMER, 2, 0);
  ASSERT_EQ(marked, m_view->m_pDisplayBitmap);
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_picture.GetBitmap() == static_cast<HBITMAP>(*marked); }, 5000));
}

TEST_F(MyQuilletViewDisplayTest, BlankScreenIsOneTopmostBlackWindowUntilTurnedOff) {
  m_view->ShowBlankScreen(true);
  CBlankDlg* blank = m_view->m_pBlankDlg;
  ASSERT_NE(nullptr, blank);
  HWND window = blank->m_hWnd;
  ASSERT_TRUE(window);
  EXPECT_TRUE(m_view->m_bBlankScreen);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(IsZoomed(window));
  QWidget* widget = user_p::WidgetOf(window);
  ASSERT_NE(nullptr, widget);
  EXPECT_TRUE(widget->windowFlags() & Qt::WindowStaysOnTopHint);
  QImage shown = Grab(window);
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(RGB(0, 0, 0), PixelAt(shown, shown.width() / 2, shown.height() / 2));
  EXPECT_EQ(RGB(0, 0, 0), PixelAt(shown, 0, 0));

  const qsizetype windows = QApplication::topLevelWidgets().size();
  m_view->ShowBlankScreen(true);
  EXPECT_EQ(blank, m_view->m_pBlankDlg);
  EXPECT_EQ(windows, QApplication::topLevelWidgets().size());

  m_view->ShowBlankScreen(false);
  EXPECT_EQ(nullptr, m_view->m_pBlankDlg);
  EXPECT_FALSE(m_view->m_bBlankScreen);
  EXPECT_FALSE(IsWindow(window));
  m_view->ShowBlankScreen(false);  // nothing left to close
  EXPECT_EQ(nullptr, m_view->m_pBlankDlg);
}

TEST_F(MyQuilletViewDisplayTest, ALeftClickEndsTheBlankScreenAndTheNextShotShowsItAgain) {
  m_view->ShowBlankScreen(true);
  ASSERT_NE(nullptr, m_view->m_pBlankDlg);
  HWND window = m_view->m_pBlankDlg->m_hWnd;
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_FALSE(IsWindowVisible(window));
  m_view->ShowBlankScreen(true);
  EXPECT_EQ(window, m_view->m_pBlankDlg->m_hWnd);
  EXPECT_TRUE(IsWindowVisible(window));
  m_view->ShowBlankScreen(false);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(MyQuilletViewDisplayTest, TheOrientationMenuTurnsTheShownPhoto) {
  std::vector<BYTE> photo = tavsim::SimMakePhoto(320, 240, 1, "Canon PowerShot G9");
  m_view->m_pCurrentJpeg = new BYTE[photo.size()];
  std::copy(photo.begin(), photo.end(), m_view->m_pCurrentJpeg);
  m_view->m_nCurrentJpegSize = static_cast<DWORD>(photo.size());
  m_view->m_nCurrentImage = -1;
  struct Row {
    UINT command;
    bool upright;
  } rows[] = {{ID_ORIENTATION_LANDSCAPE, false}, {ID_ORIENTATION_LANDSCAPE + 1, true},
              {ID_ORIENTATION_LANDSCAPE + 2, true}, {ID_ORIENTATION_LANDSCAPE + 3, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(row.command, 0), 0);
    std::unique_ptr<CBitmap> shown(m_view->BuildDisplayBitmap(nullptr, 400, 400, nullptr, nullptr, 0));
    ASSERT_NE(nullptr, shown);
    BITMAP info{};
    shown->GetBitmap(&info);
    EXPECT_EQ(row.upright, info.bmHeight > info.bmWidth) << info.bmWidth << "x" << info.bmHeight;
  }
}

BYTE* CopyOf(const std::vector<BYTE>& bytes) {
  BYTE* copy = new BYTE[bytes.size()];
  std::copy(bytes.begin(), bytes.end(), copy);
  return copy;
}

bool ShownUpright(CBitmap* bitmap) {
  BITMAP info{};
  return bitmap && bitmap->GetBitmap(&info) && info.bmHeight > info.bmWidth;
}

TEST_F(MyQuilletViewDisplayTest, ADownloadedPhotoIsDecodedOffTheUiThreadAndALaterRefreshWins) {
  m_view->m_nCurrentImage = -1;
  m_view->m_nOrientationSetting = 0;
  std::vector<BYTE> wide = tavsim::SimMakePhoto(2400, 1600, 1, "Canon PowerShot G9");
  std::vector<BYTE> tall = tavsim::SimMakePhoto(1600, 2400, 2, "Canon PowerShot G9");

  // The message returns at once; the picture and histogram follow when the render is done.
  m_view->SendMessage(WM_DISPLAY_JPEG, wide.size(), reinterpret_cast<LPARAM>(CopyOf(wide)));
  EXPECT_EQ(nullptr, m_view->m_pDisplayBitmap);
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_pDisplayBitmap != nullptr; }, 20000));
  EXPECT_FALSE(ShownUpright(m_view->m_pDisplayBitmap));
  EXPECT_GT(m_view->m_histogram.m_pixelCount, 0);
  EXPECT_EQ(m_view->m_picture.GetBitmap(), static_cast<HBITMAP>(*m_view->m_pDisplayBitmap));

  // Another photo is put up (as browsing does) while the render of a new one is under way:
  // the render that finishes later must not cover it.
  m_view->SendMessage(WM_DISPLAY_JPEG, wide.size(), reinterpret_cast<LPARAM>(CopyOf(wide)));
  delete[] m_view->m_pCurrentJpeg;
  m_view->m_pCurrentJpeg = CopyOf(tall);
  m_view->m_nCurrentJpegSize = static_cast<DWORD>(tall.size());
  m_view->RefreshDisplay();
  ASSERT_TRUE(ShownUpright(m_view->m_pDisplayBitmap));
  Sleep(500);
  PumpWaitingMessages();
  EXPECT_TRUE(ShownUpright(m_view->m_pDisplayBitmap));
}

TEST_F(MyQuilletViewDisplayTest, AViewClosedWhileItsPhotoRendersGoesCleanly) {
  std::vector<BYTE> photo = tavsim::SimMakePhoto(3000, 2000, 1, "Canon PowerShot G9");
  m_view->SendMessage(WM_DISPLAY_JPEG, photo.size(), reinterpret_cast<LPARAM>(CopyOf(photo)));
  m_view->SendMessage(WM_DISPLAY_JPEG, photo.size(), reinterpret_cast<LPARAM>(CopyOf(photo)));
  // The fixture closes the view now: the render thread is stopped and its result freed.
}

}  // namespace
