// A whole booth session: the booth window up in photobooth mode over a threaded simulated
// camera, four shots paced by the view's timer, then the real processing worker. What it
// leaves is what a guest takes home: the page JPEG, the record, the GIF with its clip and the
// printed copies. The outputs are kept in test-output/booth-session/ for a look by hand.
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "photobooth/PhotoboothProcessingWorker.h"
#include "platform/win32/folders.h"
#include "support/Mp4ClipMaker.h"
#include "tests/photobooth/BoothTestSupport.h"
#include "tests/photobooth/BoothViewFixture.h"

namespace fs = std::filesystem;

namespace {

std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

std::vector<fs::path> FilesWithExtension(const fs::path& folder, const std::string& extension) {
  std::vector<fs::path> out;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == extension) out.push_back(entry.path());
  return out;
}

class BoothSessionTest : public BoothViewFixture<> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OpenView(1000000));
    FreshPhotosAndPrints("session-photos", 150);
    ConnectCamera();
  }
  // The booth's screens and the page's frame pictures.
  void MakeImagesFolder(const fs::path& folder) {
    for (const char* screen : {"ready.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg", "taking.jpg", "processing.jpg"})
      WriteJpeg(folder / screen, 320, 240, QColor(40, 40, 90));
    // A white card over the page's centre: the overlay over the whole page.
    QImage overlay(120, 80, QImage::Format_ARGB32);
    overlay.fill(QColor(250, 250, 250));
    ASSERT_TRUE(overlay.save(QString::fromStdString((folder / "overlay.png").string())));
    // A GIF overlay: a corner mark on every frame.
    QImage mark(60, 60, QImage::Format_ARGB32);
    mark.fill(QColor(255, 200, 0, 200));
    ASSERT_TRUE(mark.save(QString::fromStdString((folder / "GIF_overlay.png").string())));
  }
};

}  // namespace

TEST_F(BoothSessionTest, FourShotsBecomePagePdfRecordGifAndClip) {
  fs::path images = FreshBoothFolder("session-booth");
  MakeImagesFolder(images);
  m_view->m_strPhotoboothImagesDir = images.string().c_str();
  m_view->m_strPhotoboothImageDir = images.string().c_str();
  m_view->m_nNumberOfPhotoboothImages = 4;
  m_view->m_nPhotoboothFirstInterval = 1;
  m_view->m_nPhotoboothInterval = 1;
  m_view->m_nPhotoboothPreviewTime = 0;
  m_view->m_bPhotoboothCustomLayout = FALSE;
  m_view->m_nPhotoboothNumberOfRows = 2;
  m_view->m_nPhotoboothNumberOfColumns = 2;
  m_view->m_bPhotoboothCropToFit = TRUE;
  m_view->m_nPhotoboothBackgroundColor = RGB(20, 30, 60);
  m_view->m_strPhotoboothOutputFilename = "";
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;  // print and save the page
  m_view->m_nPhotoboothPrintCopies = 2;
  m_view->m_bPhotoboothGifCreate = TRUE;
  m_view->m_bPhotoboothGifPingPongPlayback = TRUE;
  m_view->m_bPhotoboothGifCreateMP4 = TRUE;
  m_view->m_nPhotoboothGifWidth = 400;

  // The booth window as the photobooth start command brings it up.
  m_view->m_bPhotoboothActive = true;
  ASSERT_NO_FATAL_FAILURE(CreateBooth());

  m_view->OnPhotoboothShot();
  ASSERT_EQ(4, m_view->m_nShotsLeft);
  size_t photosBefore = m_view->m_images.size();
  ASSERT_TRUE(PumpUntil(
      [&] {
        Tick();
        return m_view->m_nShotsLeft == -1 && !m_view->m_bProcessingUnderWay &&
               !m_view->m_strLastPrintPath.IsEmpty();
      },
      120000));
  ASSERT_EQ(photosBefore + 4, m_view->m_images.size());
  EXPECT_TRUE(GetShownMessageBoxes().empty()) << GetShownMessageBoxes()[0].text;

  const CString first = m_view->m_images[photosBefore].m_strFileName;
  fs::path firstPath(first.GetString());
  fs::path folder = firstPath.parent_path();
  // The page: prints/<yyyymmdd_hhmmss>.jpg.
  fs::path page(m_view->m_strLastPrintPath.GetString());
  EXPECT_EQ(folder / "prints", page.parent_path());
  EXPECT_EQ(15u, page.stem().string().size()) << page;
  QImage pageImage(QString::fromStdString(page.string()));
  ASSERT_FALSE(pageImage.isNull());
  QColor centre = pageImage.pixelColor(pageImage.width() / 2, pageImage.height() / 2);
  EXPECT_GT(centre.red(), 235);
  EXPECT_GT(centre.blue(), 235);
  // The record beside the first photo names the page.
  fs::path record = folder / (firstPath.stem().string() + ".xml");
  std::ifstream recordIn(record);
  std::string recordText((std::istreambuf_iterator<char>(recordIn)), {});
  EXPECT_NE(std::string::npos, recordText.find("<output>prints/" + page.filename().string() + "</output>"))
      << recordText;
  EXPECT_NE(std::string::npos, recordText.find("<prints>2</prints>")) << recordText;
  // The GIF (1 2 3 4 3 2) and its clip.
  fs::path gif = folder / "GIF" / (page.stem().string() + ".gif");
  ASSERT_TRUE(fs::exists(gif));
  EXPECT_EQ(CString(gif.string().c_str()), m_view->m_strLastGifPath);
  EXPECT_EQ("6", CommandOutput("identify '" + gif.string() + "' | wc -l | tr -d ' \\n'"));
  fs::path mp4 = gif;
  mp4.replace_extension(".mp4");
  ASSERT_TRUE(fs::exists(mp4));
  EXPECT_EQ("h264", CommandOutput("ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of "
                                  "default=nw=1:nk=1 '" + mp4.string() + "' | tr -d '\\n'"));
  // The printed copies: one job of two pages.
  auto pdfs = FilesWithExtension(GetDocumentsFolder() + "/Tavorin Prints", ".pdf");
  ASSERT_EQ(1u, pdfs.size());
  EXPECT_NE(std::string::npos, CommandOutput("pdfinfo '" + pdfs[0].string() + "'").find("Pages:           2"));

  fs::path output = fs::path(TAVORIN_BINARY_DIR) / "test-output" / "booth-session";
  fs::remove_all(output);
  fs::create_directories(output);
  for (const fs::path& file : {page, record, gif, mp4, pdfs[0]})
    fs::copy_file(file, output / file.filename(), fs::copy_options::overwrite_existing);
}

namespace {

// The operator's box, while it is up: no test-run answer, a real box as an operator sees it.
QMessageBox* OpenFfmpegBox() {
  for (QWidget* widget : QApplication::allWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible() &&
                                                        box->text().contains("Unable to find ffmpeg"))
      return box;
  return nullptr;
}

// A booth run on a computer without ffmpeg, its boxes real: nothing in the test run answers them.
class BoothSessionWithoutFfmpegTest : public BoothSessionTest {
 protected:
  void SetUp() override {
    m_oldPath = getenv("PATH") ? getenv("PATH") : "";
    m_noPrograms = TestFolder() + "/no-programs";
    fs::create_directories(m_noPrograms);
    setenv("PATH", m_noPrograms.c_str(), 1);
    setenv("TAVORIN_TEST", "0", 1);
    BoothSessionTest::SetUp();
  }
  void TearDown() override {
    if (QMessageBox* box = OpenFfmpegBox()) box->close();
    BoothSessionTest::TearDown();
    setenv("TAVORIN_TEST", "1", 1);
    setenv("PATH", m_oldPath.c_str(), 1);
  }
  std::string m_oldPath;
  std::string m_noPrograms;
};

}  // namespace

// The operator is told by a box over the booth, and the session does not wait for the answer:
// its page is composed (the GIF without its clip) and the booth is back at its start screen
// while the box is still up; the box never held the session on a modal loop.
TEST_F(BoothSessionWithoutFfmpegTest, TheMissingClipEncoderIsToldWithoutHoldingTheSession) {
  ASSERT_TRUE(FindFfmpeg().empty());
  fs::path images = FreshBoothFolder("session-no-ffmpeg");
  MakeImagesFolder(images);
  m_view->m_strPhotoboothImagesDir = images.string().c_str();
  m_view->m_strPhotoboothImageDir = images.string().c_str();
  m_view->m_nNumberOfPhotoboothImages = 2;
  m_view->m_nPhotoboothFirstInterval = 1;
  m_view->m_nPhotoboothInterval = 1;
  m_view->m_nPhotoboothPreviewTime = 0;
  m_view->m_bPhotoboothCustomLayout = FALSE;
  m_view->m_nPhotoboothNumberOfRows = 1;
  m_view->m_nPhotoboothNumberOfColumns = 2;
  m_view->m_strPhotoboothOutputFilename = "";
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 2;  // save the page, print nothing
  m_view->m_bPhotoboothGifCreate = TRUE;
  m_view->m_bPhotoboothGifCreateMP4 = TRUE;
  m_view->m_nPhotoboothGifWidth = 200;
  m_view->m_bPhotoboothActive = true;
  m_booth = std::make_unique<CFullscreenDlg>(m_view, 1);
  m_view->m_pFullscreenDlg = m_booth.get();
  m_view->m_bFullScreen = true;
  ASSERT_TRUE(m_booth->Create(IDD_FULLSCREEN, m_view));

  // A box that holds the session runs its own loop: note it, and answer it so the test goes on.
  bool heldTheSession = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    QMessageBox* box = OpenFfmpegBox();
    if (box && QApplication::activeModalWidget() == box) {
      heldTheSession = true;
      box->accept();
    }
  });
  watch.start(20);

  m_view->OnPhotoboothShot();
  ASSERT_TRUE(PumpUntil(
      [&] {
        Tick();
        return m_view->m_nShotsLeft == -1 && !m_view->m_bProcessingUnderWay && !m_view->m_strLastGifPath.IsEmpty();
      },
      120000));
  EXPECT_FALSE(heldTheSession);
  ASSERT_TRUE(PumpUntil([] { return OpenFfmpegBox() != nullptr; }));
  EXPECT_TRUE(std::string(m_booth->m_strCurrentScreen.GetString()).ends_with("/ready.jpg"))
      << m_booth->m_strCurrentScreen.GetString();
  EXPECT_FALSE(m_view->m_strLastPrintPath.IsEmpty());
  EXPECT_TRUE(fs::exists(m_view->m_strLastPrintPath.GetString()));
  fs::path gif(m_view->m_strLastGifPath.GetString());
  EXPECT_TRUE(fs::exists(gif));
  EXPECT_FALSE(fs::exists(fs::path(gif).replace_extension(".mp4")));
  auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("CreateMp4FromPng", boxes[0].caption);
  EXPECT_EQ(0, boxes[0].answer);  // not answered yet
  EXPECT_FALSE(OpenFfmpegBox()->isModal());
}
