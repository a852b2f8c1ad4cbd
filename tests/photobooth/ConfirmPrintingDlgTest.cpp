#include "photobooth/ConfirmPrintingDlg.h"

#include <QMouseEvent>

#include "keyboard/KeyboardDialog.h"
#include "keyboard/KeyboardResource.h"
#include "keyboard/MyMessageBox.h"
#include "photobooth/TouchActionTable.h"
#include "platform/mfc/dialogscript.h"
#include "sharing/UploadDlg.h"
#include "support/ImageGIF.h"
#include "tests/support/GifTestFiles.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

namespace fs = std::filesystem;

void TapAt(CDialog* dialog, QPoint at) {
  QWidget* widget = user_p::WidgetOf(dialog->m_hWnd);
  ASSERT_NE(nullptr, widget);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &release);
}

struct Opened {
  int kind;
  CString facebookComment;
};

class ConfirmPrintingDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    m_folder = FreshBoothFolder("confirm");
    WriteJpeg(m_folder / "confirm_printing.jpg", 64, 48, Qt::darkGreen);
    WriteJpeg(m_folder / "share.jpg", 64, 48, Qt::darkBlue);
    s_now = 5000;
    CConfirmPrintingDlg::s_pfnNow = [] { return s_now; };
    s_opened.clear();
    CConfirmPrintingDlg::s_pfnOpenSharingScreen = [](CConfirmPrintingDlg&, int kind, const ViewSettings& settings) {
      s_opened.push_back({kind, settings.m_strPhotoboothFbComment});
      return static_cast<INT_PTR>(IDOK);
    };
    m_savedTimeout = g_nPhotoboothConfirmPrintingTimeout;
    m_savedAction = g_bPhotoboothConfirmPrintingTimeoutAction;
    g_nPhotoboothConfirmPrintingTimeout = 0;
    cNewImage(m_page.m_hSession, 300, 200, RGB(200, 30, 30));
    for (PhotoboothTouchscreenButton& area : m_areas) area = {};
  }
  void TearDown() override {
    ClearDialogScripts();
    g_nPhotoboothConfirmPrintingTimeout = m_savedTimeout;
    g_bPhotoboothConfirmPrintingTimeoutAction = m_savedAction;
    CConfirmPrintingDlg::s_pfnNow = [] { return static_cast<LONGLONG>(time(nullptr)); };
  }
  /// A screen in confirm or sharing mode over its background, with the areas.
  std::unique_ptr<CConfirmPrintingDlg> Make(bool sharing, const PipSession* image = nullptr) {
    auto dialog = std::make_unique<CConfirmPrintingDlg>(nullptr, &m_copies, image ? *image : m_page, m_areas);
    dialog->m_strBackgroundPath = (m_folder / (sharing ? "share.jpg" : "confirm_printing.jpg")).string().c_str();
    dialog->m_strImagesFolder = m_folder.string().c_str();
    dialog->m_pPrinted = &m_printed;
    dialog->m_bPrintOption = TRUE;
    dialog->m_shareSettings.m_bPhotoboothFbUpload = TRUE;
    dialog->m_shareSettings.m_bPhotoboothEmail = TRUE;
    return dialog;
  }
  /// Runs the dialog with one scripted step inside it; its result.
  INT_PTR Run(CConfirmPrintingDlg& dialog, std::function<void(CDialog*)> inside) {
    PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call(inside));
    return dialog.DoModal();
  }
  static void Tick(CDialog* dialog) { dialog->SendMessage(WM_TIMER, TIMER_CONFIRM_PRINTING, 0); }

  static LONGLONG s_now;
  static std::vector<Opened> s_opened;
  fs::path m_folder;
  PipSession m_page;
  PhotoboothTouchscreenButton m_areas[kPhotoboothTouchscreenButtonCount];
  int m_copies = 1;
  bool m_printed = false;
  int m_savedTimeout = 0;
  BOOL m_savedAction = FALSE;
};

LONGLONG ConfirmPrintingDlgTest::s_now = 0;
std::vector<Opened> ConfirmPrintingDlgTest::s_opened;

TEST(ConfirmPrintingPreviewBoxTest, FitsTheImageInsideTheLimitsKeepingItsAspect) {
  struct Row {
    const char* name;
    int imageW, imageH;
    bool sharing;
    int x, y, w, h;
    CRect expected;
  } rows[] = {
      {"confirm, nothing set: the client", 400, 300, false, 0, 0, 0, 0, CRect(0, 25, 1000, 775)},
      {"sharing, nothing set: W-200 by 3/4 H", 400, 300, true, 0, 0, 0, 0, CRect(100, 100, 900, 700)},
      {"set width only", 400, 300, false, 0, 0, 500, 0, CRect(250, 212, 750, 587)},
      {"sharing with a width only keeps the sharing limits", 400, 300, true, 0, 0, 500, 0, CRect(250, 212, 750, 587)},
      {"5 or less counts as unset", 400, 300, false, 0, 0, 5, 5, CRect(0, 25, 1000, 775)},
      {"x sets the left edge and narrows", 400, 300, false, 100, 0, 0, 0, CRect(100, 62, 1000, 737)},
      {"tall image: height first", 300, 600, false, 0, 50, 0, 0, CRect(312, 50, 687, 800)},
      {"no image: no box", 0, 0, false, 0, 0, 0, 0, CRect(0, 0, 0, 0)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CRect box = CConfirmPrintingDlg::ComputePreviewBox(1000, 800, row.imageW, row.imageH, row.sharing, row.x, row.y,
                                                       row.w, row.h);
    EXPECT_EQ(row.expected, box);
  }
  // A GIF may not grow past its own size times the limit.
  EXPECT_EQ(CRect(350, 325, 650, 475),
            CConfirmPrintingDlg::ComputePreviewBox(1000, 800, 200, 100, false, 0, 0, 0, 0, 300, 150));
}

TEST_F(ConfirmPrintingDlgTest, TimeOutsEndAfterMoreThanTheirWholeSeconds) {
  struct Row {
    bool sharing;
    int timeout;
    BOOL printOnTimeout;
    INT_PTR expected;  // -1: still open after 1000 s
  } rows[] = {
      {false, 10, TRUE, IDOK}, {false, 10, FALSE, IDCANCEL}, {false, 0, TRUE, -1}, {true, 10, TRUE, IDCANCEL},
      {true, 0, TRUE, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.sharing << " " << row.timeout << " " << row.printOnTimeout);
    auto dialog = Make(row.sharing);
    g_nPhotoboothConfirmPrintingTimeout = row.sharing ? 0 : row.timeout;
    g_bPhotoboothConfirmPrintingTimeoutAction = row.printOnTimeout;
    dialog->m_nSharingTimeout = row.sharing ? row.timeout : 0;
    // A step runs only while the screen is still open.
    bool openAfter10 = false, openAfter11 = false;
    PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING)
                         .Call([&](CDialog* d) {
                           s_now += 10;
                           Tick(d);
                         })
                         .Call([&](CDialog* d) {
                           openAfter10 = true;
                           s_now += 1;
                           Tick(d);
                         })
                         .Call([&](CDialog* d) {
                           openAfter11 = true;
                           s_now += 1000;
                           Tick(d);
                         }));
    INT_PTR result = dialog->DoModal();
    EXPECT_TRUE(openAfter10) << "10 s is not more than 10 whole seconds";
    EXPECT_EQ(row.expected == -1, openAfter11);
    EXPECT_EQ(row.expected == -1 ? IDCANCEL : row.expected, result);
  }
}

TEST_F(ConfirmPrintingDlgTest, KeysActByMode) {
  struct Row {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool sharing;
    INT_PTR result;  // what the screen ends with; IDCANCEL when it stayed open
    int copies;
    int openedKind;  // -1: none
  } rows[] = {
      {Qt::Key_A, Qt::NoModifier, false, IDOK, 1, -1},
      {Qt::Key_A, Qt::NoModifier, true, IDCANCEL, 1, -1},
      {Qt::Key_X, Qt::NoModifier, false, IDCANCEL, 1, -1},
      {Qt::Key_X, Qt::NoModifier, true, IDCANCEL, 1, -1},
      {Qt::Key_P, Qt::NoModifier, false, 40, 1, -1},
      {Qt::Key_P, Qt::NoModifier, true, IDCANCEL, 1, SharePrint},
      {Qt::Key_F, Qt::NoModifier, false, IDCANCEL, 1, -1},
      {Qt::Key_F, Qt::NoModifier, true, IDCANCEL, 1, ShareFacebook},
      {Qt::Key_E, Qt::NoModifier, true, IDCANCEL, 1, ShareEmail},
      {Qt::Key_T, Qt::NoModifier, true, IDCANCEL, 1, ShareTwitter},
      {Qt::Key_S, Qt::NoModifier, true, IDCANCEL, 1, ShareMms},
      {Qt::Key_S, Qt::NoModifier, false, IDCANCEL, 1, -1},
      {Qt::Key_3, Qt::ControlModifier, false, IDOK, 3, -1},
      {Qt::Key_8, Qt::ControlModifier, true, IDOK, 8, -1},
      {Qt::Key_Plus, Qt::KeypadModifier, false, IDCANCEL, 2, -1},
      {Qt::Key_Minus, Qt::KeypadModifier, true, IDCANCEL, 1, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "key " << row.key << " mods " << row.modifiers << " sharing " << row.sharing);
    m_copies = 1;
    s_opened.clear();
    auto dialog = Make(row.sharing);
    INT_PTR result = Run(*dialog, [&](CDialog* d) {
      Activate(d->m_hWnd);
      PressKey(d->m_hWnd, row.key, row.modifiers);
    });
    EXPECT_EQ(row.result, result);
    EXPECT_EQ(row.copies, m_copies);
    ASSERT_EQ(row.openedKind == -1 ? 0u : 1u, s_opened.size());
    if (row.openedKind != -1) { EXPECT_EQ(row.openedKind, s_opened[0].kind); }
  }
}

TEST_F(ConfirmPrintingDlgTest, TheFirstContainingAreaWhoseCodeTheModeHandlesActs) {
  struct Row {
    bool sharing;
    int first, second;
    INT_PTR result;
    int copies;
  } rows[] = {
      {false, kTouchShareFacebook, kTouchConfirmPrinting, IDOK, 1},  // 36 passed over in confirm mode
      {false, kTouchCancelPrinting, kTouchConfirmPrinting, IDCANCEL, 1},
      {false, 8, kTouchConfirmPrinting, IDOK, 3},
      {false, 53, kTouchCancelPrinting, IDOK, 8},
      {false, kTouchConfirmNoJpegCopy, kTouchCancelPrinting, 40, 1},
      {true, kTouchConfirmPrinting, kTouchShareClose, IDCANCEL, 1},
      {true, kTouchStart, 0, IDCANCEL, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.first << " then " << row.second << " sharing " << row.sharing);
    m_copies = 1;
    m_areas[0] = {row.first, 10, 10, 100, 100};
    m_areas[1] = {row.second, 50, 50, 150, 150};
    auto dialog = Make(row.sharing);
    INT_PTR result = Run(*dialog, [&](CDialog* d) { TapAt(d, QPoint(100, 100)); });  // both edges inclusive
    EXPECT_EQ(row.result, result);
    EXPECT_EQ(row.copies, m_copies);
  }
}

TEST_F(ConfirmPrintingDlgTest, CopiesStayWithinOneToTwentyAndShowTheirText) {
  m_areas[0] = {kTouchIncreasePrints, 0, 0, 50, 50};
  m_areas[1] = {kTouchDecreasePrints, 60, 0, 110, 50};
  struct Row {
    int start;
    QPoint tap;
    int taps;
    int expected;
  } rows[] = {{19, {5, 5}, 3, 20}, {2, {70, 5}, 3, 1}, {0, {5, 5}, 1, 1}, {30, {70, 5}, 1, 20}, {15, {5, 5}, 1, 16}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.start);
    m_copies = row.start;
    auto dialog = Make(false);
    LONGLONG deadline = 0, start = s_now;
    Run(*dialog, [&](CDialog* d) {
      for (int i = 0; i < row.taps; ++i) TapAt(d, row.tap);
      deadline = static_cast<CConfirmPrintingDlg*>(d)->m_nCopiesTextDeadline;
      s_now += 2;
      Tick(d);
      EXPECT_EQ(0, static_cast<CConfirmPrintingDlg*>(d)->m_nCopiesTextDeadline) << "the text is wiped";
    });
    EXPECT_EQ(row.expected, m_copies);
    EXPECT_EQ(start + 2, deadline);
  }
}

TEST_F(ConfirmPrintingDlgTest, TheCopiesTextIsOnTheScreenUntilItsDeadline) {
  m_copies = 2;
  auto dialog = Make(false);
  QImage before, shown, wiped;
  Run(*dialog, [&](CDialog* d) {
    QWidget* widget = user_p::WidgetOf(d->m_hWnd);
    Activate(d->m_hWnd);
    before = widget->grab().toImage();
    PressKey(d->m_hWnd, Qt::Key_Plus, Qt::KeypadModifier);
    shown = widget->grab().toImage();
    s_now += 2;
    Tick(d);
    wiped = widget->grab().toImage();
  });
  EXPECT_EQ(3, m_copies);
  ASSERT_FALSE(before.isNull());
  // "Copies: 3  " stands at the bottom-right corner.
  const QRect corner(before.width() - 200, before.height() - 40, 200, 40);
  EXPECT_NE(before.copy(corner), shown.copy(corner)) << "the text shows after the key";
  EXPECT_EQ(before.copy(corner), wiped.copy(corner)) << "and is gone after 2 s";
}

TEST_F(ConfirmPrintingDlgTest, SharingActionsOpenTheSharingScreenWithTheirKindAndMessage) {
  const int codes[] = {kTouchShareFacebook, kTouchShareEmail, kTouchSharePrint, kTouchShareTwitter, kTouchShareMms};
  for (int i = 0; i < 5; ++i) m_areas[i] = {codes[i], i * 100, 0, i * 100 + 90, 90};
  m_areas[5] = {kTouchShareEditMessage, 0, 200, 90, 290};
  auto dialog = Make(true);
  dialog->m_shareSettings.m_strPhotoboothFbComment = "Look: {message}!";
  dialog->m_strSharingMessage = "hello";
  int keyboardType = -1;
  CString prefilled;
  PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call([&](CDialog* d) {
    for (int i = 0; i < 5; ++i) TapAt(d, QPoint(i * 100 + 5, 5));
    TapAt(d, QPoint(5, 205));  // edit message
    TapAt(d, QPoint(5, 5));    // Facebook again, with the new message
    auto* confirm = static_cast<CConfirmPrintingDlg*>(d);
    confirm->m_shareSettings.m_bPhotoboothFbUpload = FALSE;
    confirm->m_shareSettings.m_bPhotoboothEmail = FALSE;
    confirm->m_bPrintOption = FALSE;
    for (int i = 0; i < 3; ++i) TapAt(d, QPoint(i * 100 + 5, 5));  // disabled channels do nothing
  }));
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* d) {
    auto* keyboard = static_cast<CKeyboardDialog*>(d);
    keyboardType = keyboard->m_editor.m_type;
    prefilled = keyboard->Field(0).m_text;
    keyboard->Field(0).m_text = "bye";
    keyboard->EndDialog(IDOK);
  }));
  EXPECT_EQ(IDCANCEL, dialog->DoModal());
  ASSERT_EQ(6u, s_opened.size());
  const int kinds[] = {ShareFacebook, ShareEmail, SharePrint, ShareTwitter, ShareMms, ShareFacebook};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(kinds[i], s_opened[i].kind) << i;
  EXPECT_EQ("Look: hello!", s_opened[0].facebookComment);
  EXPECT_EQ("Look: bye!", s_opened[5].facebookComment);
  EXPECT_EQ(4, keyboardType);
  EXPECT_EQ("hello", prefilled);
  EXPECT_EQ("bye", dialog->m_strSharingMessage);
  EXPECT_TRUE(m_printed);
  EXPECT_EQ(1, dialog->m_nPrintsMade);
}

TEST_F(ConfirmPrintingDlgTest, TheSharingStationGetsTheKindTheChannelSettingsAndTheKeptFacebookTexts) {
  CConfirmPrintingDlg::s_pfnOpenSharingScreen = OpenUploadScreen;
  m_areas[0] = {kTouchShareFacebook, 0, 0, 90, 90};
  m_areas[1] = {kTouchShareEmail, 100, 0, 190, 90};
  m_areas[2] = {kTouchShareMms, 200, 0, 290, 90};
  auto dialog = Make(true);
  dialog->m_strImagePath = (m_folder / "page.jpg").string().c_str();
  dialog->m_strSharingMessage = "hello";
  ViewSettings& s = dialog->m_shareSettings;
  s.m_strPhotoboothFbAlbum = "Album {message}";
  s.m_nPhotoboothFbMaxWidth = 640;
  s.m_strPhotoboothEmailSubject = "Re: {message}";
  s.m_bPhotoboothEmailOfflineMode = TRUE;
  s.m_bPhotoboothEmailCrop = TRUE;
  s.m_nPhotoboothEmailCropW = 123;
  s.m_strMmsMessage = "{message} {url}";
  s.m_nMmsRotate = 90;
  struct Seen {
    int kind;
    ShareSettings share;
  };
  std::vector<Seen> seen;
  auto record = [&](bool answerAsGuest) {
    return DialogScript(IDD_UPLOAD).Call([&, answerAsGuest](CDialog* d) {
      auto* upload = static_cast<CUploadDlg*>(d);
      seen.push_back({upload->m_nShareKind, upload->m_share});
      if (answerAsGuest) {
        upload->m_share.userName = "ann";
        upload->m_share.sharingMessage = "from ann";
      }
      upload->EndDialog(IDCANCEL);
    });
  };
  PushDialogScript(record(true));
  PushDialogScript(record(false));
  PushDialogScript(record(false));
  PushDialogScript(record(false));
  PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call([&](CDialog* d) {
    TapAt(d, QPoint(5, 5));
    TapAt(d, QPoint(105, 5));
    TapAt(d, QPoint(205, 5));
    TapAt(d, QPoint(5, 5));
  }));
  dialog->DoModal();
  ASSERT_EQ(4u, seen.size());
  EXPECT_EQ(ShareFacebook, seen[0].kind);
  EXPECT_EQ("Album hello", seen[0].share.facebook.text);
  EXPECT_EQ(640, seen[0].share.image.maxWidth);
  EXPECT_EQ((m_folder / "page.jpg").string(), seen[0].share.photoPath.GetString());
  EXPECT_EQ(m_folder.string(), seen[0].share.imagesFolder.GetString());
  EXPECT_EQ(ShareEmail, seen[1].kind);
  EXPECT_EQ("Re: hello", seen[1].share.email.subject);
  EXPECT_TRUE(seen[1].share.email.offline);
  EXPECT_TRUE(seen[1].share.image.cropEnable);
  EXPECT_EQ(123, seen[1].share.image.cropWidth);
  EXPECT_EQ(ShareMms, seen[2].kind);
  EXPECT_EQ("hello {url}", seen[2].share.mms.message);
  EXPECT_EQ(90, seen[2].share.image.rotation);
  EXPECT_EQ(ShareFacebook, seen[3].kind);
  EXPECT_EQ("ann", seen[3].share.userName) << "kept from the first Facebook share";
  EXPECT_EQ("from ann", seen[3].share.sharingMessage);
}

TEST_F(ConfirmPrintingDlgTest, TheGifPlaysInThePreviewBoxWithinItsScaleLimit) {
  std::string big = (m_folder / "clip.gif").string(), tiny = (m_folder / "tiny.gif").string();
  ASSERT_TRUE(WriteSolidGif(big, {0xFFFF0000, 0xFF00FF00}, {10, 10}, 40, 30));
  ASSERT_TRUE(WriteSolidGif(tiny, {0xFFFF0000, 0xFF00FF00}, {10, 10}, 5, 30));
  struct Row {
    std::string path;
    bool plays;
  } rows[] = {{big, true}, {tiny, false}, {(m_folder / "missing.gif").string(), false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    auto dialog = Make(true);
    dialog->m_strGifPath = row.path.c_str();
    dialog->m_nGifScaleLimit = 200;
    bool playing = false;
    RECT box{};
    CRect client;
    Run(*dialog, [&](CDialog* d) {
      auto* screen = static_cast<CConfirmPrintingDlg*>(d);
      d->GetClientRect(&client);
      playing = screen->m_pGif && screen->m_pGif->IsPlaying();
      if (screen->m_pGif) box = screen->m_pGif->GetDrawRect();
    });
    EXPECT_EQ(row.plays, playing);
    if (row.plays) {
      EXPECT_EQ(80, box.right - box.left) << "twice its width, no more";
      EXPECT_EQ(60, box.bottom - box.top);
      EXPECT_EQ((client.Width() - 80) / 2, box.left);
    }
  }
}

TEST_F(ConfirmPrintingDlgTest, APrintLimitOfOneShowsTheLimitMessageOnTheSecondPrint) {
  auto dialog = Make(true);
  dialog->m_nPrintLimit = 1;
  dialog->m_strLimitMessage = "Once only";
  dialog->m_nSharingTimeout = 30;
  CString told;
  int toldFor = 0;
  int timeoutWhileTold = -1;
  PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call([&](CDialog* d) {
    Activate(d->m_hWnd);
    PressKey(d->m_hWnd, Qt::Key_P);
    PressKey(d->m_hWnd, Qt::Key_P);
  }));
  PushDialogScript(DialogScript(IDD_MYMESSAGEBOX).Call([&](CDialog* d) {
    told = static_cast<CMyMessageBox*>(d)->m_text;
    toldFor = static_cast<CMyMessageBox*>(d)->m_timeoutSeconds;
    timeoutWhileTold = dialog->m_nSharingTimeout;
  }));
  dialog->DoModal();
  ASSERT_EQ(1u, s_opened.size());
  EXPECT_EQ(SharePrint, s_opened[0].kind);
  EXPECT_EQ("Once only", told);
  EXPECT_EQ(5, toldFor);
  EXPECT_EQ(0, timeoutWhileTold) << "no time-out under a sub-screen";
  EXPECT_EQ(30, dialog->m_nSharingTimeout);
  EXPECT_EQ(1, dialog->m_nPrintsMade);
}

TEST_F(ConfirmPrintingDlgTest, WithoutAnImageOnlyTheBackgroundIsPainted) {
  PipSession empty;
  auto dialog = Make(false, &empty);
  QImage shot;
  Run(*dialog, [&](CDialog* d) { shot = user_p::WidgetOf(d->m_hWnd)->grab().toImage(); });
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(QColor(Qt::darkGreen).green() / 16, shot.pixelColor(10, 10).green() / 16) << "the background";
  EXPECT_EQ(QColor(Qt::black), shot.pixelColor(shot.width() / 2, shot.height() / 2)) << "no image, black beyond it";
}

TEST_F(ConfirmPrintingDlgTest, TitleButtonsAndThePaintedPage) {
  struct Row {
    bool sharing;
    bool background;
    int area;
    const char* titleEnd;
    bool buttonsShown;
  } rows[] = {
      {false, true, 0, "confirm_printing.jpg", true},
      {false, false, 0, "Photobooth - confirm printing", true},
      {false, true, kTouchConfirmNoJpegCopy, "confirm_printing.jpg", false},
      {true, true, 0, "share.jpg", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.titleEnd);
    m_areas[3] = {row.area, 0, 0, 10, 10};
    auto dialog = Make(row.sharing);
    if (!row.background) dialog->m_strBackgroundPath = (m_folder / "missing.jpg").string().c_str();
    CString title;
    bool shown = false;
    QImage shot;
    Run(*dialog, [&](CDialog* d) {
      d->GetWindowText(title);
      shown = d->GetDlgItem(IDOK)->IsWindowVisible() && d->GetDlgItem(IDCANCEL)->IsWindowVisible();
      shot = user_p::WidgetOf(d->m_hWnd)->grab().toImage();
    });
    EXPECT_TRUE(std::string(title.GetString()).starts_with("Morvane Systems Photobooth - "));
    EXPECT_TRUE(std::string(title.GetString()).ends_with(row.titleEnd)) << title.GetString();
    EXPECT_EQ(row.buttonsShown, shown);
    // The red page sits in the middle of the screen.
    QColor middle = shot.pixelColor(shot.width() / 2, shot.height() / 2);
    EXPECT_GT(middle.red(), 150);
    EXPECT_LT(middle.green(), 80);
  }
}

}  // namespace

namespace {

TEST(ConfirmPrintingImageTest, CropAndRotateTheCopiedImage) {
  PipSession page;
  cNewImage(page.m_hSession, 300, 200, RGB(10, 20, 30));
  int copies = 1;
  CConfirmPrintingDlg dialog(nullptr, &copies, page, nullptr);
  EXPECT_EQ(300u, page.GetWidth()) << "the caller's image stays whole";
  struct Row {
    int x, y, w, h, degrees;
    DWORD width, height;
  } rows[] = {{10, 20, 100, 50, 0, 100, 50}, {0, 0, 100, 50, 90, 50, 100}, {0, 0, 50, 100, 180, 50, 100}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.degrees);
    dialog.CropImage(row.x, row.y, row.w, row.h);
    dialog.RotateImage(row.degrees);
    EXPECT_EQ(row.width, dialog.m_image.GetWidth());
    EXPECT_EQ(row.height, dialog.m_image.GetHeight());
  }
}

}  // namespace
