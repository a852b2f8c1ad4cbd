#include <sys/stat.h>

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "AppTestSupport.h"
#include "app/ImagePreviewDlg.h"
#include "app/RenameImageDlg.h"
#include "camera/TimeLapseDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/scrollbar.h"
#include "platform/user/window_p.h"

namespace {

namespace fs = std::filesystem;

class MyQuilletViewBrowseTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    m_folder = TestFolder() + "/browse";
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
  }
  void TearDown() override {
    ClearDialogScripts();
    ViewTestBase::TearDown();
  }
  std::string Photo(const std::string& name) {
    std::string path = WriteTestPhoto("browse/" + name);
    m_view->m_images.emplace_back(CString(path.c_str()));
    return path;
  }
  std::string Status() { return std::string(m_view->m_strStatusText.GetString()); }
  // A script that writes each argument it gets on a line of `out`.
  std::string RecordingScript(const std::string& name, const std::string& out) {
    std::string path = m_folder + "/" + name;
    std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << out << ".part\"\nmv \""
                        << out << ".part\" \"" << out << "\"\n";
    chmod(path.c_str(), 0755);
    return path;
  }
  std::string WaitForFile(const std::string& path) {
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(path); }, 10000)) << path;
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string m_folder;
};

TEST_F(MyQuilletViewBrowseTest, SteppingWrapsBothWaysAndSkipsAnUnreadablePhoto) {
  std::string a = Photo("a.jpg"), b = Photo("b.jpg"), c = Photo("c.jpg");
  m_view->OnNextImage();  // no current photo: the first
  EXPECT_EQ(0, m_view->m_nCurrentImage);
  EXPECT_EQ(0u, Status().find("Image 1 of 3: " + a + " ("));
  m_view->OnPreviousImage();  // wraps to the last
  EXPECT_EQ(2, m_view->m_nCurrentImage);
  m_view->OnNextImage();  // wraps to the first
  EXPECT_EQ(0, m_view->m_nCurrentImage);
  ASSERT_NE(nullptr, m_view->m_pDisplayBitmap);
  EXPECT_GT(m_view->m_nCurrentJpegSize, 0u);

  fs::remove(b);  // unreadable: stepping stays where it was
  m_view->OnNextImage();
  EXPECT_EQ(0, m_view->m_nCurrentImage);
  EXPECT_EQ(0u, Status().find("Image 1 of 3: "));
}

TEST_F(MyQuilletViewBrowseTest, OnePhotoCurrentOrNot) {
  Photo("only.jpg");
  m_view->OnPreviousImage();  // not current yet: shown
  EXPECT_EQ(0, m_view->m_nCurrentImage);
  m_view->m_nCurrentImage = 0;
  delete[] m_view->m_pCurrentJpeg;
  m_view->m_pCurrentJpeg = nullptr;
  m_view->OnPreviousImage();  // current: nothing
  EXPECT_EQ(nullptr, m_view->m_pCurrentJpeg);
  m_view->OnNextImage();  // current: read and shown again
  EXPECT_NE(nullptr, m_view->m_pCurrentJpeg);
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(m_view->m_hWnd, IDC_NEXT_IMAGE)));
}

TEST_F(MyQuilletViewBrowseTest, DeleteAsksThenShowsTheNextOrClears) {
  std::string a = Photo("a.jpg"), b = Photo("b.jpg");
  m_view->ShowImage(1);
  PushMessageBoxAnswer(IDNO);
  m_view->OnDeleteImage();
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Are you sure you wish to delete:\n" + b, GetShownMessageBoxes()[0].text);
  EXPECT_EQ("Druskel", GetShownMessageBoxes()[0].caption);
  EXPECT_TRUE(fs::exists(b));

  PushMessageBoxAnswer(IDYES);
  m_view->OnDeleteImage();  // the last: the first remaining one shows
  EXPECT_FALSE(fs::exists(b));
  ASSERT_EQ(1u, m_view->m_images.size());
  EXPECT_EQ(0, m_view->m_nCurrentImage);
  EXPECT_EQ(0u, Status().find("Image 1 of 1: " + a));

  PushMessageBoxAnswer(IDYES);
  m_view->OnDeleteImage();  // the only one: display and histogram cleared
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(m_view->m_images.empty());
  EXPECT_EQ(-1, m_view->m_nCurrentImage);
  EXPECT_EQ(nullptr, m_view->m_pCurrentJpeg);
  EXPECT_EQ(nullptr, m_view->m_pDisplayBitmap);
  EXPECT_EQ(0, m_view->m_histogram.m_pixelCount);
  EXPECT_EQ("Deleted " + a, Status());
}

TEST_F(MyQuilletViewBrowseTest, DeletingACrwTakesItsThumbnailInAnyCase) {
  std::string crw = m_folder + "/IMG_0001.CRW";
  std::ofstream(crw) << "raw";
  std::ofstream(m_folder + "/IMG_0001.THM") << "thm";
  std::ofstream(m_folder + "/IMG_0001.jpg") << "other";
  m_view->m_images.emplace_back(CString(crw.c_str()));
  m_view->m_nCurrentImage = 0;
  PushMessageBoxAnswer(IDYES);
  m_view->OnDeleteImage();
  EXPECT_FALSE(fs::exists(crw));
  EXPECT_FALSE(fs::exists(m_folder + "/IMG_0001.THM"));
  EXPECT_TRUE(fs::exists(m_folder + "/IMG_0001.jpg"));
}

TEST_F(MyQuilletViewBrowseTest, AFailingDeleteKeepsTheRecordAndClearsTheDisplay) {
  std::string a = Photo("a.jpg");
  m_view->ShowImage(0);
  std::string folder = m_folder + "/folder.jpg";  // a folder: deleting it as a file fails
  fs::create_directories(folder + "/inside");
  m_view->m_images.emplace_back(CString(folder.c_str()));
  m_view->m_nCurrentImage = 1;
  PushMessageBoxAnswer(IDYES);
  m_view->OnDeleteImage();
  ASSERT_EQ(2u, GetShownMessageBoxes().size());
  EXPECT_EQ("Error deleting file: " + folder, GetShownMessageBoxes()[1].text);
  EXPECT_EQ("Error", GetShownMessageBoxes()[1].caption);
  EXPECT_EQ(2u, m_view->m_images.size());
  EXPECT_EQ(-1, m_view->m_nCurrentImage);
  EXPECT_EQ(nullptr, m_view->m_pCurrentJpeg);
}

TEST_F(MyQuilletViewBrowseTest, RenameKeepsTheExtensionAndRefusesBadNames) {
  std::string a = Photo("a.jpg");
  std::ofstream(m_folder + "/taken.jpg") << "x";
  CRenameImageDlg dialog(CString(a.c_str()));
  struct Row {
    const char* name;
    const char* path;  // "" when refused
    const char* error;
  } rows[] = {
      {"b", "/b.jpg", ""},
      {"b.JPG", "/b.JPG", ""},
      {"b.png", "", "The file extension must not be changed"},
      {"c:x.jpg", "", "Filename must not contain any of the following characters:\n\\/:*?\"<>|"},
      {"taken", "", "Cannot rename file. A file of the same name already exists"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CString error;
    CString path = dialog.CheckNewName(row.name, error);
    EXPECT_EQ(*row.path ? m_folder + row.path : std::string(), std::string(path.GetString()));
    EXPECT_EQ(std::string(row.error), std::string(error.GetString()));
  }

  m_view->ShowImage(0);
  PushDialogScript(DialogScript(IDD_RENAME_IMAGE)
                       .Call([](CDialog* shown) {
                         CString prompt;
                         shown->GetDlgItemText(IDC_RENAME_PROMPT, prompt);
                         EXPECT_EQ(CString("Rename 'a.jpg' to:"), prompt);
                       })
                       .SetText(IDC_RENAME_NAME, "b.png")
                       .Press(IDOK)
                       .SetText(IDC_RENAME_NAME, "b")
                       .Press(IDOK));
  m_view->OnRenameImage();
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("The file extension must not be changed", GetShownMessageBoxes()[0].text);
  EXPECT_TRUE(fs::exists(m_folder + "/b.jpg"));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(CString((m_folder + "/b.jpg").c_str()), m_view->m_images[0].m_strFileName);
  EXPECT_EQ(0u, Status().find("Image 1 of 1: " + m_folder + "/b.jpg"));
}

TEST_F(MyQuilletViewBrowseTest, TheEditorGetsThePhotoAfterItsWords) {
  std::string out = m_folder + "/argv.txt";
  std::string script = RecordingScript("my editor.sh", out);
  std::string photo = Photo("with blank.jpg");
  m_view->ShowImage(0);
  m_view->m_nShellExecute = 0;
  struct Row {
    std::string command;
    std::string argv;
  } rows[] = {
      {"\"" + script + "\" -open", "-open\n" + photo + "\n"},
      {"  " + script.substr(0, script.size() - 3) + ".SH --fixed word", ""},  // no such program
  };
  // Quoted program with a blank, a fixed word, a photo path with a blank arriving whole.
  m_view->m_strLaunchEditorCmd = rows[0].command.c_str();
  m_view->OnEditImage();
  EXPECT_EQ(rows[0].argv, WaitForFile(out));
  EXPECT_TRUE(GetShownMessageBoxes().empty());

  // A command line without a marker: program first, then its words.
  fs::remove(out);
  fs::copy_file(script, m_folder + "/editor.sh");
  m_view->m_strLaunchEditorCmd = (m_folder + "/editor.sh -a -b").c_str();
  m_view->OnEditImage();
  EXPECT_EQ("-a\n-b\n" + photo + "\n", WaitForFile(out));

  // A missing program: the reason and every argument.
  m_view->m_strLaunchEditorCmd = (m_folder + "/missing.exe -x").c_str();
  m_view->OnEditImage();
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Error trying to edit file:\nENOENT: File or path not found\ncmd: " + m_folder + "/missing.exe\narg 0: " +
                m_folder + "/missing.exe\narg 1: -x\narg 2: \"" + photo + "\"\n",
            GetShownMessageBoxes()[0].text);

  ClearMessageBoxes();
  m_view->m_strLaunchEditorCmd = "\"/no/closing -x";
  m_view->OnEditImage();
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Invalid command line - no closing quotes:\n\"/no/closing -x", GetShownMessageBoxes()[0].text);

  // The desktop opener when "ShellExecute" is on.
  static std::string opened;
  auto saved = CMyQuilletView::s_pfnShellOpen;
  CMyQuilletView::s_pfnShellOpen = [](const char* target) { opened = target; };
  m_view->m_nShellExecute = 1;
  m_view->OnEditImage();
  CMyQuilletView::s_pfnShellOpen = saved;
  EXPECT_EQ(photo, opened);
}

TEST_F(MyQuilletViewBrowseTest, TheSeriesCommandGetsTheSeriesPhotosOldestFirst) {
  std::string out = m_folder + "/series.txt";
  std::string script = RecordingScript("merge.sh", out);
  Photo("before.jpg");
  std::string one = Photo("shot 1.jpg"), two = Photo("shot2.jpg");
  m_view->m_nAutoBracketCmdEnable = 1;
  m_view->m_nStoreImage = 1;
  m_view->m_strAutoBracketCmd = (script + " hdr").c_str();
  // Nothing starts: save mode 2, a count out of range, the command off.
  for (int attempt = 0; attempt < 4; ++attempt) {
    m_view->m_nStoreImage = attempt == 0 ? 2 : 1;
    m_view->m_nAutoBracketCmdEnable = attempt == 3 ? 0 : 1;
    m_view->RunExternalCommand(attempt == 1 ? 0 : attempt == 2 ? 4 : 2);
  }
  Sleep(200);
  EXPECT_FALSE(fs::exists(out));
  m_view->m_nAutoBracketCmdEnable = 1;
  m_view->RunExternalCommand(2);
  EXPECT_EQ("hdr\n" + one + "\n" + two + "\n", WaitForFile(out));
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(MyQuilletViewBrowseTest, ASeriesWithAFailedDownloadHandsOnlyItsOwnPhotos) {
  std::string out = m_folder + "/series.txt";
  m_view->m_strAutoBracketCmd = (RecordingScript("merge.sh", out) + " hdr").c_str();
  m_view->m_nAutoBracketCmdEnable = 1;
  m_view->m_nStoreImage = 1;
  Photo("before.jpg");  // taken before the series
  std::string last = WriteTestPhoto("browse/last.jpg");
  // A two-shot series whose first download failed: only the second photo arrives.
  m_view->m_nAutoBracket = 1;
  m_view->m_nAutoBracketNumShots = 2;
  m_view->m_nBracketStep = 2;
  m_view->m_bBusy = true;
  m_view->SendMessage(WM_SAVED_FILE, 0, reinterpret_cast<LPARAM>(new CString(last.c_str())));
  EXPECT_EQ(-1, m_view->m_nBracketStep);
  EXPECT_EQ("hdr\n" + last + "\n", WaitForFile(out));
}

TEST(BracketPlanTest, EntriesFollowTheSelectionAndStopBeforeTheEnd) {
  struct Row {
    int start, count, step, shots, limit;
    std::vector<int> plan;
  } rows[] = {
      {20, 40, 3, 5, 39, {14, 17, 20, 23, 26}},
      {2, 40, 3, 5, 39, {2, 5, 8, 11, 14}},
      {6, 13, 3, 3, 13, {3, 6, 9}},
      {8, 10, 1, 5, 9, {6, 7, 8}},
      {6, 13, 1, 49, 13, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.start);
    EXPECT_EQ(row.plan, PlanBracketEntries(row.start, row.count, row.step, row.shots, row.limit));
  }
}

TEST_F(MyQuilletViewBrowseTest, WithoutACameraTheSeriesStepsTheCompensationFromItsMiddle) {
  for (int i = 0; i < 13; ++i) m_view->m_cbExpComp.AddString("x");
  m_view->m_cbExpComp.SetCurSel(11);
  m_view->m_nAutoBracketNumShots = 0x7FFFFFFF;  // kept within 49
  m_view->m_nAutoBracketInterval = 3;
  m_view->m_nAutoBracketNumShots = 3;
  EXPECT_EQ(3, m_view->CalcBracketPlan());
  EXPECT_EQ(3, m_view->m_bracketPlan[0].expComp);
  EXPECT_EQ(6, m_view->m_bracketPlan[1].expComp);
  EXPECT_EQ(9, m_view->m_bracketPlan[2].expComp);
  EXPECT_EQ(-1, m_view->m_bracketPlan[3].expComp);
  EXPECT_EQ(11, m_view->m_bracketRestore.expComp);
  m_view->m_nAutoBracketNumShots = 2147483647;
  m_view->m_nAutoBracketInterval = 1;
  EXPECT_EQ(13, m_view->CalcBracketPlan());
  EXPECT_EQ(49u, m_view->m_bracketPlan.size());
}

TEST_F(MyQuilletViewBrowseTest, AReleaseErrorInASeriesRestoresTheStartAndRunsNoCommand) {
  std::string out = m_folder + "/series.txt";
  m_view->m_strAutoBracketCmd = RecordingScript("merge.sh", out).c_str();
  m_view->m_nAutoBracketCmdEnable = 1;
  Photo("shot.jpg");
  m_view->m_seriesFiles.push_back(m_view->m_images[0].m_strFileName);
  for (int i = 0; i < 13; ++i) m_view->m_cbExpComp.AddString("x");
  m_view->m_cbExpComp.SetCurSel(9);
  m_view->m_nAutoBracket = 1;
  m_view->m_nBracketStep = 2;
  m_view->m_bracketRestore = {-1, -1, 6};
  PushMessageBoxAnswer(IDOK);
  m_view->SendMessage(WM_RELEASE_ERROR, 1, 0);
  EXPECT_EQ(6, m_view->m_cbExpComp.GetCurSel());
  EXPECT_EQ(-1, m_view->m_nBracketStep);
  EXPECT_TRUE(m_view->m_seriesFiles.empty());
  Sleep(200);
  EXPECT_FALSE(fs::exists(out));
}

// The preview stays above the main window while that is active, and drops back when another
// window takes the activation (WM_ACTIVATE reaches the view through its frame). Offscreen, and
// on a real X display where the X server moves the focus as a click would (xdotool).
TEST_F(MyQuilletViewBrowseTest, ThePreviewStaysOnTopOnlyWhileTheMainWindowIsActiveXvfb) {
  const QString xdotool = QStandardPaths::findExecutable("xdotool");
  const bool x11 = QGuiApplication::platformName() == "xcb";
  if (x11 && xdotool.isEmpty()) GTEST_SKIP() << "needs xdotool on X";
  auto activate = [&](QWidget* window) {
    if (x11) QProcess::execute(xdotool, {"windowfocus", "--sync", QString::number(window->winId())});
    else window->activateWindow();
  };
  std::vector<BYTE> photo = tavsim::SimMakePhoto(400, 300, 1, "Canon PowerShot G9");
  m_view->m_pCurrentJpeg = new BYTE[photo.size()];
  std::copy(photo.begin(), photo.end(), m_view->m_pCurrentJpeg);
  m_view->m_nCurrentJpegSize = static_cast<DWORD>(photo.size());
  m_view->OnImagePreview();
  CImagePreviewDlg* preview = m_view->m_pImagePreviewDlg;
  ASSERT_NE(nullptr, preview);
  QWidget* frame = user_p::WidgetOf(m_harness->m_frame->m_hWnd);
  QWidget other;
  other.setWindowTitle("another window");
  other.resize(200, 100);
  other.show();
  auto topmost = [&] { return (::GetWindowLong(preview->m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  struct Row {
    const char* name;
    QWidget* active;
    bool topmost;
  } rows[] = {{"main window", frame, true}, {"another window", &other, false}, {"main window again", frame, true},
              {"the preview itself", user_p::WidgetOf(preview->m_hWnd), false}, {"main window", frame, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    activate(row.active);
    ASSERT_TRUE(PumpUntil([&] { return row.active->isActiveWindow(); }, 5000))
        << (QApplication::activeWindow() ? QApplication::activeWindow()->windowTitle().toStdString() : "none");
    EXPECT_TRUE(PumpUntil([&] { return preview->m_bTopmost == row.topmost; }, 2000));
    EXPECT_EQ(row.topmost, topmost());
  }
}

TEST_F(MyQuilletViewBrowseTest, ThePreviewShowsTheTurnedPhotoAndClampsItsScrolling) {
  std::vector<BYTE> photo = tavsim::SimMakePhoto(3000, 2000, 1, "Canon PowerShot G9");
  m_view->m_pCurrentJpeg = new BYTE[photo.size()];
  std::copy(photo.begin(), photo.end(), m_view->m_pCurrentJpeg);
  m_view->m_nCurrentJpegSize = static_cast<DWORD>(photo.size());
  m_view->m_nRotation = 90;
  m_view->OnImagePreview();
  CImagePreviewDlg* preview = m_view->m_pImagePreviewDlg;
  ASSERT_NE(nullptr, preview);
  EXPECT_TRUE(preview->m_bShown);
  CString title;
  preview->GetWindowText(title);
  EXPECT_EQ(CString("Image Preview (2000x3000)"), title);
  CRect client;
  preview->GetClientRect(&client);
  // Centred at first.
  EXPECT_EQ((2000 - client.Width()) / 2, ::GetScrollPos(preview->m_hWnd, SB_HORZ));
  EXPECT_EQ((3000 - client.Height()) / 2, ::GetScrollPos(preview->m_hWnd, SB_VERT));

  struct Row {
    UINT message;
    WPARAM wParam;
    int bar;
    int expected;
  } rows[] = {
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), SB_VERT, 0},
      {WM_VSCROLL, SB_LINEUP, SB_VERT, 0},
      {WM_VSCROLL, SB_LINEDOWN, SB_VERT, 10},
      {WM_VSCROLL, SB_PAGEDOWN, SB_VERT, 10 + client.Height() * 4 / 5},
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 32000), SB_VERT, 3000 - client.Height()},
      {WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5), SB_HORZ, 5},
      {WM_HSCROLL, SB_PAGEUP, SB_HORZ, 0},
      {WM_MOUSEWHEEL, MAKEWPARAM(0, 240), SB_VERT, 3000 - client.Height() - 120},
      {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-1200)), SB_VERT, 3000 - client.Height()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    preview->SendMessage(row.message, row.wParam, 0);
    EXPECT_EQ(row.expected, ::GetScrollPos(preview->m_hWnd, row.bar));
  }

  // A drag moves the picture with the mouse.
  ::SetScrollPos(preview->m_hWnd, SB_HORZ, 100, TRUE);
  ::SetScrollPos(preview->m_hWnd, SB_VERT, 100, TRUE);
  preview->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(50, 50));
  preview->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 20));
  preview->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 20));
  EXPECT_EQ(120, ::GetScrollPos(preview->m_hWnd, SB_HORZ));
  EXPECT_EQ(130, ::GetScrollPos(preview->m_hWnd, SB_VERT));

  // Another photo keeps the point in the middle.
  std::vector<BYTE> half = tavsim::SimMakePhoto(1500, 1000, 1, "Canon PowerShot G9");
  SCROLLINFO v{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  ::GetScrollInfo(preview->m_hWnd, SB_VERT, &v);
  preview->SetImage(half.data(), static_cast<DWORD>(half.size()), 0);
  preview->GetWindowText(title);
  EXPECT_EQ(CString("Image Preview (1500x1000)"), title);
  int expected = 1000 * (v.nPos + static_cast<int>(v.nPage) / 2) / 3000 - client.Height() / 2;
  EXPECT_EQ(std::max(0, std::min(expected, 1000 - client.Height())), ::GetScrollPos(preview->m_hWnd, SB_VERT));

  // F7 closes it again.
  MSG msg{preview->m_hWnd, WM_KEYDOWN, VK_F7, 0, 0, {}};
  EXPECT_TRUE(preview->PreTranslateMessage(&msg));
  EXPECT_FALSE(preview->m_bShown);
  EXPECT_FALSE(preview->IsWindowVisible());
}

TEST_F(MyQuilletViewBrowseTest, TheTimeLapseWindowIsNamedWhileItRunsAndItsValuesAreKept) {
  static LONGLONG now = 1700000000;
  auto savedClock = CTimeLapseDlg::s_pfnNow;
  CTimeLapseDlg::s_pfnNow = [] { return now; };
  CWnd* named = nullptr;
  PushDialogScript(DialogScript(IDD_TIME_LAPSE)
                       .Call([&](CDialog* dialog) { named = m_view->m_pTimeLapseWindow == dialog ? dialog : nullptr; })
                       .SetText(IDC_TL_INTERVAL, "45")
                       .SetText(IDC_TL_FRAMES, "7")
                       .Call([](CDialog*) {
                         PushMessageBoxAnswer(IDNO);   // the shot: no camera, no reconnection
                         PushMessageBoxAnswer(IDYES);  // cancel the running sequence
                       })
                       .Press(IDC_TL_START_STOP)
                       .Press(IDCANCEL));
  m_view->OnTimeLapse();
  CTimeLapseDlg::s_pfnNow = savedClock;
  EXPECT_NE(nullptr, named);
  EXPECT_EQ(nullptr, m_view->m_pTimeLapseWindow);
  EXPECT_EQ(45, m_view->m_nTimelapseInterval);
  EXPECT_EQ(7, m_view->m_nTimelapseNumFrames);
}

}  // namespace

TEST_F(MyQuilletViewBrowseTest, ThePreviewFollowsTheCurrentPhoto) {
  // Photos of three sizes, stepped through with the keys while the preview is up.
  for (const auto& [name, width, height] : {std::tuple{"big.jpg", 640, 480}, std::tuple{"small.jpg", 400, 300},
                                            std::tuple{"tall.jpg", 300, 500}}) {
    std::vector<BYTE> photo = tavsim::SimMakePhoto(width, height, 1, "Canon PowerShot G9");
    const std::string path = m_folder + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(photo.data()),
                                                static_cast<std::streamsize>(photo.size()));
    m_view->m_images.emplace_back(CString(path.c_str()));
  }
  QWidget* frame = user_p::WidgetOf(m_harness->m_frame->m_hWnd);
  frame->activateWindow();
  ASSERT_TRUE(PumpUntil([&] { return frame->isActiveWindow(); }, 5000));
  auto press = [&](Qt::Key key) {
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent event(type, key, Qt::NoModifier);
      QApplication::sendEvent(frame->windowHandle(), &event);
    }
  };
  auto title = [&] {
    CString text;
    if (m_view->m_pImagePreviewDlg) m_view->m_pImagePreviewDlg->GetWindowText(text);
    return std::string(text.GetString());
  };
  press(Qt::Key_PageDown);
  ASSERT_EQ(0, m_view->m_nCurrentImage);
  press(Qt::Key_F7);
  ASSERT_NE(nullptr, m_view->m_pImagePreviewDlg);
  ASSERT_TRUE(m_view->m_pImagePreviewDlg->m_bShown);
  EXPECT_EQ("Image Preview (640x480)", title());
  const struct {
    Qt::Key key;
    int current;
    const char* title;
  } steps[] = {{Qt::Key_PageDown, 1, "Image Preview (400x300)"},
               {Qt::Key_PageDown, 2, "Image Preview (300x500)"},
               {Qt::Key_PageUp, 1, "Image Preview (400x300)"}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.title);
    frame->activateWindow();
    press(step.key);
    EXPECT_EQ(step.current, m_view->m_nCurrentImage);
    EXPECT_EQ(step.title, title());
  }
}
