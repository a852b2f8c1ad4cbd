#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <vector>

#include "pdf_page.h"
#include "platform/gdi/wingdi.h"
#include "platform/winspool/globalmem.h"
#include "platform/winspool/printdc.h"
#include "platform/winspool/winspool.h"

namespace {

const char kPdf[] = "Tavorin PDF Printer";

DEVMODEA Settings(SHORT orientation, SHORT dpi) {
  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  dm.dmFields = DM_ORIENTATION | DM_PRINTQUALITY | DM_YRESOLUTION;
  dm.dmOrientation = orientation;
  dm.dmPrintQuality = dm.dmYResolution = dpi;
  return dm;
}

// Points the documents folder at a fresh temporary folder for one test.
struct DocumentsFolder {
  QTemporaryDir dir;
  DocumentsFolder() { setenv("XDG_DOCUMENTS_DIR", dir.path().toUtf8().constData(), 1); }
  QStringList pdfs() const {
    return QDir(dir.path() + "/Tavorin Prints").entryList({"*.pdf"}, QDir::Files, QDir::Name);
  }
};

}  // namespace

TEST(PdfPrinterTest, CapsFollowTheDevMode) {
  struct Row {
    SHORT orientation, dpi;
    int horz, vert;
  };
  const Row rows[] = {
      {DMORIENT_PORTRAIT, 300, 1200, 1800},
      {DMORIENT_LANDSCAPE, 300, 1800, 1200},
      {DMORIENT_PORTRAIT, 600, 2400, 3600},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.orientation << " at " << row.dpi);
    DEVMODEA dm = Settings(row.orientation, row.dpi);
    HDC dc = CreateDC(nullptr, kPdf, nullptr, &dm);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), row.horz);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), row.vert);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), row.horz);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), row.vert);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 0);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), row.dpi);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), row.dpi);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), row.orientation == DMORIENT_PORTRAIT ? 102 : 152);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    DeleteDC(dc);
  }
}

TEST(PdfPrinterTest, PrintedPagesBecomeOnePdfOfTheRightSize) {
  DocumentsFolder docs;
  DEVMODEA dm = Settings(DMORIENT_LANDSCAPE, 300);
  HDC dc = CreateDC(nullptr, kPdf, nullptr, &dm);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(StartPage(dc), SP_ERROR) << "no document yet";
  DOCINFOA info{sizeof(DOCINFOA), "Tavorin - Photobooth Edition", nullptr, nullptr, 0};
  ASSERT_GT(StartDoc(dc, &info), 0);
  EXPECT_EQ(StartDoc(dc, &info), SP_ERROR) << "one document at a time";
  for (int page = 0; page < 2; ++page) {
    ASSERT_GT(StartPage(dc), 0);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(Rectangle(dc, 100, 100, 1700, 1100));
    EXPECT_TRUE(TextOut(dc, 200, 200, "Tavorin", 7));
    ASSERT_GT(EndPage(dc), 0);
  }
  EXPECT_TRUE(docs.pdfs().isEmpty()) << "nothing appears before EndDoc";
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteDC(dc);

  const QStringList pdfs = docs.pdfs();
  ASSERT_EQ(pdfs.size(), 1);
  EXPECT_TRUE(pdfs[0].startsWith("Tavorin - Photobooth Edition")) << pdfs[0].toStdString();
  const auto sizes = PdfPageSizes(docs.dir.path() + "/Tavorin Prints/" + pdfs[0]);
  ASSERT_EQ(sizes.size(), 2u);
  // 6 x 4 inches landscape = 432 x 288 points.
  EXPECT_NEAR(sizes[0].width(), 432, 1);
  EXPECT_NEAR(sizes[0].height(), 288, 1);
}

TEST(PdfPrinterTest, StartDocFailsWhenTheFolderCannotBeMade) {
  QTemporaryDir dir;
  const QString blocker = dir.path() + "/file";
  QFile(blocker).open(QIODevice::WriteOnly);
  setenv("XDG_DOCUMENTS_DIR", blocker.toUtf8().constData(), 1);  // a file where a folder should be
  HDC dc = CreateDC(nullptr, kPdf, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  DOCINFOA info{sizeof(DOCINFOA), "x", nullptr, nullptr, 0};
  EXPECT_EQ(StartDoc(dc, &info), SP_ERROR);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  DeleteDC(dc);
}

TEST(PdfPrinterTest, AfxCreateDcValidatesTheGlobalBlocks) {
  const char names[] = "Tavorin PDF\0Tavorin PDF Printer\0PDF:";
  const WORD header[4] = {8, 8 + 12, 8 + 12 + 20, 0};
  HGLOBAL devNames = GlobalAlloc(GHND, 8 + sizeof names);
  auto* p = static_cast<unsigned char*>(GlobalLock(devNames));
  std::memcpy(p, header, 8);
  std::memcpy(p + 8, names, sizeof names);
  GlobalUnlock(devNames);
  HGLOBAL devMode = GlobalAlloc(GHND, sizeof(DEVMODEA));
  DEVMODEA dm = Settings(DMORIENT_LANDSCAPE, 300);
  std::memcpy(GlobalLock(devMode), &dm, sizeof dm);
  GlobalUnlock(devMode);

  HDC dc = AfxCreateDC(devNames, devMode);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1800);
  DeleteDC(dc);

  p = static_cast<unsigned char*>(GlobalLock(devNames));
  p[2] = 0xF0;  // device offset past the block
  GlobalUnlock(devNames);
  EXPECT_EQ(AfxCreateDC(devNames, devMode), nullptr);
  GlobalFree(devNames);

  HGLOBAL shortMode = GlobalAlloc(GHND, 40);
  HGLOBAL okNames = GlobalAlloc(GHND, 8 + sizeof names);
  p = static_cast<unsigned char*>(GlobalLock(okNames));
  std::memcpy(p, header, 8);
  std::memcpy(p + 8, names, sizeof names);
  GlobalUnlock(okNames);
  EXPECT_EQ(AfxCreateDC(okNames, shortMode), nullptr) << "a DEVMODE block too short";
  HDC defaults = AfxCreateDC(okNames, nullptr);
  EXPECT_NE(defaults, nullptr) << "without a DEVMODE the printer's defaults apply";
  DeleteDC(defaults);
  GlobalFree(okNames);
  GlobalFree(shortMode);
  GlobalFree(devMode);
}

// The disk fills while the job is written (a file-size limit): EndDoc fails and no PDF, whole or
// cut, is left under any name.
TEST(PdfPrinterTest, AFullDiskFailsEndDocAndLeavesNoPdf) {
  DocumentsFolder docs;
  DEVMODEA dm = Settings(DMORIENT_PORTRAIT, 300);
  HDC dc = CreateDC(nullptr, kPdf, nullptr, &dm);
  ASSERT_NE(dc, nullptr);
  // Noise does not compress: the page's picture is far larger than the limit.
  const int w = 600, h = 600;
  std::vector<unsigned char> pixels(size_t(w) * h * 4);
  unsigned seed = 12345;
  for (unsigned char& byte : pixels) byte = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_IGN);
  rlimit limited{8192, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  DOCINFOA info{sizeof(DOCINFOA), "Full disk", nullptr, nullptr, 0};
  int started = StartDoc(dc, &info);
  int page = started > 0 ? StartPage(dc) : SP_ERROR;
  if (page > 0) {
    StretchDIBits(dc, 0, 0, 1200, 1200, 0, 0, w, h, pixels.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
    EndPage(dc);
  }
  int ended = started > 0 ? EndDoc(dc) : SP_ERROR;
  setrlimit(RLIMIT_FSIZE, &old);
  DeleteDC(dc);
  EXPECT_GT(started, 0);
  EXPECT_EQ(ended, SP_ERROR);
  for (const QString& name : docs.pdfs())
    ADD_FAILURE() << name.toStdString() << " " << QFileInfo(docs.dir.path() + "/Tavorin Prints/" + name).size();
  EXPECT_TRUE(docs.pdfs().isEmpty());
  EXPECT_TRUE(QDir(docs.dir.path() + "/Tavorin Prints").entryList(QDir::Files).isEmpty());
}
