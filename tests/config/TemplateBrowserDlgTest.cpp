#include "config/TemplateBrowserDlg.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ConfigTestSupport.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/dragdrop_p.h"
#include "platform/user/messagebox.h"
#include "platform/user/window_p.h"
#include "printlayout/PrintLayoutFile.h"
#include "support/PipSession.h"

namespace fs = std::filesystem;

namespace {

const char kOnlyTemplates[] =
    "You can only drop photobooth template files with a .pblt file extension into this window.";

std::vector<BYTE> JpegOf(int width, int height, COLORREF colour) {
  PipSession session;
  cNewImage(session.m_hSession, width, height, colour);
  PolyArray jpeg;
  cSaveToMemory(session.m_hSession, PIP_FORMAT_JPEG, &jpeg, 0, 0);
  return jpeg.Bytes();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Paints the list the way the screen would, so that its items are drawn (and thumbnails load).
void PaintList(CDialog* dialog) {
  QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
  QWidget* list = user_p::WidgetOf(::GetDlgItem(dialog->m_hWnd, IDC_TEMPLATE_LIST));
  ASSERT_NE(window, nullptr);
  ASSERT_NE(list, nullptr);
  window->resize(1400, 900);  // room for every item
  list->grab();
}

}  // namespace

class TemplateBrowserDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
    char pattern[] = "/tmp/template-browser-XXXXXX";
    m_dir = mkdtemp(pattern);
    m_folder = m_dir + "/templates";
    m_outside = m_dir + "/outside";
    fs::create_directories(m_folder);
    fs::create_directories(m_outside);
    fs::create_directories(m_dir + "/images");
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
  }

  /// A layout file as the layout editor writes it, with a thumbnail of the given size and colour.
  void WriteTemplate(const std::string& path, int width = 200, int height = 133, COLORREF colour = RGB(200, 30, 30)) {
    PrintLayoutModel model;
    std::vector<BYTE> bytes;
    ASSERT_TRUE(BuildPrintLayoutFile(model, (m_dir + "/images").c_str(), JpegOf(width, height, colour), bytes));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
  }

  std::string m_dir, m_folder, m_outside;
};

TEST_F(TemplateBrowserDlgTest, ListsTemplatesWithLazyThumbnailsAndReturnsTheFirstSelected) {
  WriteTemplate(m_folder + "/Wedding.pblt");
  WriteTemplate(m_folder + "/Birthday.PBLT", 133, 200, RGB(30, 30, 200));
  std::ofstream(m_folder + "/Broken.pblt").flush();  // empty: no picture can be had
  std::ofstream(m_folder + "/notes.txt") << "not a template";
  fs::create_directories(m_folder + "/folder.pblt");

  CTemplateBrowserDlg dialog;
  dialog.m_strTemplateFolder = (m_folder + "//").c_str();
  PushDialogScript(
      DialogScript(IDD_TEMPLATE_BROWSER)
          .Call([&](CDialog* d) {
            auto* browser = static_cast<CTemplateBrowserDlg*>(d);
            EXPECT_EQ(Text(d, IDC_TEMPLATE_FOLDER), m_folder);
            ASSERT_EQ(browser->List().GetItemCount(), 3);
            EXPECT_EQ(browser->List().GetItemText(0, 0), "Birthday");
            EXPECT_EQ(browser->List().GetItemText(1, 0), "Broken");
            EXPECT_EQ(browser->List().GetItemText(2, 0), "Wedding");
            for (const TemplateRGBImage& entry : browser->Entries()) EXPECT_TRUE(entry.pixels.empty()) << "lazy";
            EXPECT_TRUE(Enabled(d, IDOK));
            PaintList(d);
            const std::vector<TemplateRGBImage>& entries = browser->Entries();
            EXPECT_EQ(entries[0].width, 133);
            EXPECT_EQ(entries[0].height, 200);
            EXPECT_EQ(entries[2].width, 200);
            EXPECT_EQ(entries[2].height, 133);
            EXPECT_TRUE(entries[1].pixels.empty()) << "listed by name, with an empty box";
            EXPECT_FALSE(Enabled(d, IDOK)) << "nothing selected once items are drawn";
            browser->List().SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
            browser->List().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
            PaintList(d);
            EXPECT_TRUE(Enabled(d, IDOK));
          })
          .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_strResultPath.str(), m_folder + "/Birthday.PBLT") << "the stored path, extension as on disk";
}

TEST_F(TemplateBrowserDlgTest, AnEmptyOrMissingFolderListsNothingAndReturnsNoPath) {
  for (const std::string& folder : {m_folder, m_dir + "/missing"}) {
    SCOPED_TRACE(folder);
    CTemplateBrowserDlg dialog;
    dialog.m_strTemplateFolder = folder.c_str();
    PushDialogScript(DialogScript(IDD_TEMPLATE_BROWSER)
                         .Call([](CDialog* d) {
                           EXPECT_EQ(static_cast<CTemplateBrowserDlg*>(d)->List().GetItemCount(), 0);
                           PaintList(d);
                           EXPECT_TRUE(Enabled(d, IDOK));
                         })
                         .Press(IDOK));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(dialog.m_strResultPath.IsEmpty());
  }
}

TEST_F(TemplateBrowserDlgTest, LongNamesAreShortenedToTheLabelWidthInTheLabelFont) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  CFont font;
  ASSERT_TRUE(font.CreatePointFont(100, "Arial"));
  HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(font));
  auto width = [dc](const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  EXPECT_EQ(ShortenTemplateLabel(dc, "Wedding", 196), "Wedding");
  std::string longName = "A very long template name for the summer wedding in the old barn";
  ASSERT_GT(width(longName), 196);
  std::string shown = ShortenTemplateLabel(dc, longName.c_str(), 196).str();
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_LE(width(shown), 196);
  std::string kept = shown.substr(0, shown.size() - 3);
  EXPECT_EQ(longName.compare(0, kept.size(), kept), 0);
  EXPECT_GT(width(longName.substr(0, kept.size() + 1) + "..."), 196) << "no more cut than needed";
  SelectObject(dc, old);
  DeleteDC(dc);
}

TEST_F(TemplateBrowserDlgTest, DroppedTemplatesAreCopiedInAfterAQuestion) {
  WriteTemplate(m_folder + "/Existing.pblt", 200, 100);
  WriteTemplate(m_outside + "/Party.PBLT");
  WriteTemplate(m_outside + "/Existing.pblt", 120, 120);
  std::ofstream(m_outside + "/readme.txt") << "text";
  const std::string existingBefore = ReadAll(m_folder + "/Existing.pblt");
  struct Row {
    const char* name;
    std::vector<std::string> dropped;
    std::vector<int> answers;
    std::vector<std::string> shown;  // message texts, in order
  } rows[] = {
      {"folder alone", {m_outside}, {}, {kOnlyTemplates}},
      {"text alone", {m_outside + "/readme.txt"}, {}, {kOnlyTemplates}},
      {"overwrite refused", {m_outside + "/Existing.pblt"}, {IDNO},
       {"There is already a template named 'Existing.pblt' in your templates folder.\n\nDo you want to overwrite it?"}},
      {"self-drop", {m_folder + "/Existing.pblt"}, {IDYES},
       {"There is already a template named 'Existing.pblt' in your templates folder.\n\nDo you want to overwrite it?",
        "Error copying " + m_folder + "/Existing.pblt\nto " + m_folder + "/Existing.pblt"}},
      {"mix", {m_outside + "/readme.txt", m_outside + "/Party.PBLT"}, {IDYES},
       {"Copy this photobooth layout template to your templates folder?\nParty.PBLT"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClearMessageBoxes();
    for (int answer : row.answers) PushMessageBoxAnswer(answer);
    CTemplateBrowserDlg dialog;
    dialog.m_strTemplateFolder = m_folder.c_str();
    PushDialogScript(DialogScript(IDD_TEMPLATE_BROWSER)
                         .Call([&row](CDialog* d) {
                           d->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(user_p::MakeDrop(row.dropped, {5, 5})));
                         })
                         .Press(IDOK));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    std::vector<std::string> texts;
    for (const ShownMessageBox& box : GetShownMessageBoxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, row.shown);
    EXPECT_EQ(ReadAll(m_folder + "/Existing.pblt"), existingBefore) << "never truncated or replaced here";
  }
  EXPECT_EQ(ReadAll(m_folder + "/Party.PBLT"), ReadAll(m_outside + "/Party.PBLT"));
  std::vector<ShownMessageBox> last = GetShownMessageBoxes();
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].caption, "Tavorin");
  EXPECT_EQ(last[0].icon, static_cast<UINT>(MB_ICONQUESTION));
}

TEST_F(TemplateBrowserDlgTest, ACopiedTemplateIsSelectedAndOverwritingReplacesTheFile) {
  WriteTemplate(m_folder + "/Alpha.pblt");
  WriteTemplate(m_folder + "/Party.pblt", 200, 100);
  WriteTemplate(m_outside + "/Party.pblt", 150, 150);
  PushMessageBoxAnswer(IDYES);
  CTemplateBrowserDlg dialog;
  dialog.m_strTemplateFolder = m_folder.c_str();
  PushDialogScript(DialogScript(IDD_TEMPLATE_BROWSER)
                       .Call([this](CDialog* d) {
                         d->SendMessage(WM_DROPFILES,
                                        reinterpret_cast<WPARAM>(user_p::MakeDrop({m_outside + "/Party.pblt"}, {5, 5})));
                         auto* browser = static_cast<CTemplateBrowserDlg*>(d);
                         EXPECT_EQ(browser->List().GetNextItem(-1, LVNI_SELECTED), 1);
                         EXPECT_EQ(browser->List().GetNextItem(-1, LVNI_FOCUSED), 1);
                       })
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_strResultPath.str(), m_folder + "/Party.pblt");
  EXPECT_EQ(ReadAll(m_folder + "/Party.pblt"), ReadAll(m_outside + "/Party.pblt"));
  EXPECT_FALSE(fs::exists(m_folder + "/Party.pblt.part"));
}

TEST_F(TemplateBrowserDlgTest, ResizingKeepsTheButtonsInTheirCorners) {
  CTemplateBrowserDlg dialog;
  dialog.m_strTemplateFolder = m_folder.c_str();
  PushDialogScript(DialogScript(IDD_TEMPLATE_BROWSER)
                       .Call([](CDialog* d) {
                         QWidget* window = user_p::WidgetOf(d->m_hWnd);
                         ASSERT_NE(window, nullptr);
                         window->resize(700, 500);
                         CRect client, ok, cancel, open, list;
                         d->GetClientRect(&client);
                         d->GetDlgItem(IDOK)->GetWindowRect(&ok);
                         d->GetDlgItem(IDCANCEL)->GetWindowRect(&cancel);
                         d->GetDlgItem(IDC_TEMPLATE_OPEN_FOLDER)->GetWindowRect(&open);
                         d->GetDlgItem(IDC_TEMPLATE_LIST)->GetWindowRect(&list);
                         d->ScreenToClient(&ok);
                         d->ScreenToClient(&cancel);
                         d->ScreenToClient(&open);
                         d->ScreenToClient(&list);
                         EXPECT_EQ(cancel.right, client.right - 7);
                         EXPECT_EQ(ok.right, cancel.left - 7);
                         EXPECT_EQ(open.left, 7);
                         EXPECT_EQ(cancel.bottom, client.bottom - 7);
                         EXPECT_EQ(list.left, 7);
                         EXPECT_EQ(list.right, client.right - 7);
                         EXPECT_LT(list.bottom, ok.top);
                         // Shrunk as far as the frame goes, it stays 480 x 320 with the buttons inside.
                         window->resize(200, 150);
                         d->GetClientRect(&client);
                         EXPECT_GE(client.Width(), 480);
                         EXPECT_GE(client.Height(), 320);
                         d->GetDlgItem(IDOK)->GetWindowRect(&ok);
                         d->ScreenToClient(&ok);
                         EXPECT_GE(ok.left, 7);
                         EXPECT_LE(ok.bottom, client.bottom);
                       })
                       .Press(IDCANCEL));
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(TemplateBrowserDlgTest, OpenFolderScansTheChosenFolder) {
  WriteTemplate(m_outside + "/Elsewhere.pblt");
  CommonDialogAnswer folder;
  folder.paths = {m_outside};
  PushCommonDialogAnswer(folder);
  CTemplateBrowserDlg dialog;
  dialog.m_strTemplateFolder = m_folder.c_str();
  PushDialogScript(DialogScript(IDD_TEMPLATE_BROWSER)
                       .Press(IDC_TEMPLATE_OPEN_FOLDER)
                       .Call([this](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_TEMPLATE_FOLDER), m_outside);
                         EXPECT_EQ(static_cast<CTemplateBrowserDlg*>(d)->List().GetItemCount(), 1);
                       })
                       .Press(IDCANCEL));
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  std::vector<ShownCommonDialog> shown = GetShownCommonDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, "folder");
  EXPECT_EQ(shown[0].title, "Select template folder");
  EXPECT_EQ(shown[0].initialFolder, m_folder);
}

// A picture of the browser for the eye; only on a real X display (xvfb-run with QT_QPA_PLATFORM=xcb).
TEST_F(TemplateBrowserDlgTest, ScreenshotOfThreeTemplates) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!platform || std::string(platform) != "xcb") GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb";
  WriteTemplate(m_folder + "/Red wedding strip.pblt", 200, 133, RGB(200, 30, 30));
  WriteTemplate(m_folder + "/Blue birthday.pblt", 133, 200, RGB(30, 30, 200));
  WriteTemplate(m_folder + "/A green template with a name far too long to fit under it.pblt", 180, 180,
                RGB(30, 160, 30));
  const char* out = std::getenv("TAVORIN_SCREENSHOT");
  std::string path = out ? out : "/tmp/template-browser.png";
  CTemplateBrowserDlg dialog;
  dialog.m_strTemplateFolder = m_folder.c_str();
  PushDialogScript(DialogScript(IDD_TEMPLATE_BROWSER)
                       .Call([&path](CDialog* d) {
                         auto* browser = static_cast<CTemplateBrowserDlg*>(d);
                         browser->List().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
                         QWidget* window = user_p::WidgetOf(d->m_hWnd);
                         QCoreApplication::processEvents();
                         EXPECT_TRUE(window->grab().save(QString::fromStdString(path)));
                       })
                       .Press(IDCANCEL));
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}
