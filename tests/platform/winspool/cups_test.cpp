// Prints through a real CUPS server: runs when cupsd answers and has the cups-pdf queue that
// scripts/start-cups adds, and is skipped otherwise.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <string>
#include <vector>

#include "cups_queue.h"
#include "pdf_page.h"
#include "platform/gdi/wingdi.h"
#include "platform/winspool/printdc.h"
#include "platform/winspool/winspool.h"

namespace {

}  // namespace

TEST(CupsPrinterTest, PrintedPageArrivesAsPdfOfTheChosenSize) {
  if (!CupsTestQueueListed())
    GTEST_SKIP() << "cupsd is not reachable or has no " << kCupsTestQueue << " queue; run scripts/start-cups as root";

  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  dm.dmFields = DM_PAPERSIZE | DM_ORIENTATION | DM_PRINTQUALITY;
  dm.dmPaperSize = DMPAPER_A5;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPrintQuality = 300;
  HDC dc = CreateDC(nullptr, kCupsTestQueue, nullptr, &dm);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
  EXPECT_NEAR(GetDeviceCaps(dc, PHYSICALWIDTH), 1748, 2);  // 148 mm at 300 dpi
  EXPECT_NEAR(GetDeviceCaps(dc, PHYSICALHEIGHT), 2480, 2);

  const std::string title = "TavorinCupsTest" + std::to_string(QDateTime::currentMSecsSinceEpoch());
  DOCINFOA info{sizeof(DOCINFOA), title.c_str(), nullptr, nullptr, 0};
  ASSERT_GT(StartDoc(dc, &info), 0);
  ASSERT_GT(StartPage(dc), 0);
  SelectObject(dc, GetStockObject(GRAY_BRUSH));
  Rectangle(dc, 100, 100, 1000, 1000);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);

  // cups-pdf writes the file once the job has passed its filters.
  QString found;
  for (int i = 0; i < 600 && found.isEmpty(); ++i) {
    for (const QString& name : QDir(kCupsTestOutput).entryList({"*.pdf"}, QDir::Files))
      if (name.contains(QString::fromStdString(title))) found = QString(kCupsTestOutput) + "/" + name;
    if (found.isEmpty()) QThread::msleep(100);
  }
  ASSERT_FALSE(found.isEmpty()) << "no PDF for the job in " << kCupsTestOutput;
  // The file shows up while cups-pdf is still writing it: wait until its page can be read.
  auto sizes = PdfPageSizes(found);
  for (int i = 0; i < 300 && sizes.empty(); ++i) {
    QThread::msleep(100);
    sizes = PdfPageSizes(found);
  }
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_NEAR(sizes[0].width(), 419.5, 2);  // A5: 148 x 210 mm
  EXPECT_NEAR(sizes[0].height(), 595.3, 2);
  QFile::remove(found);
}

// A queue that refuses jobs (cupsreject, as a full or switched-off printer does): EndDoc says
// so, and the job's temporary PDF does not stay behind.
TEST(CupsPrinterTest, AQueueThatRefusesJobsFailsEndDoc) {
  if (!CupsTestQueueListed())
    GTEST_SKIP() << "cupsd is not reachable or has no " << kCupsTestQueue << " queue; run scripts/start-cups as root";
  const std::string queue = "TavorinRefusingTest" + std::to_string(getpid());
  const std::string add = "lpadmin -p " + queue + " -E -v cups-pdf:/" + queue +
                          " -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null && cupsreject " + queue;
  if (std::system(add.c_str()) != 0) GTEST_SKIP() << "cannot add a queue of its own (needs root)";
  // A temporary folder of its own: other tests print through the shared one at the same time.
  QTemporaryDir own;
  ASSERT_TRUE(own.isValid());
  const QByteArray oldTemp = qgetenv("TMPDIR");
  qputenv("TMPDIR", own.path().toUtf8());
  QDir temp(QDir::tempPath());
  ASSERT_EQ(temp.absolutePath(), QDir(own.path()).absolutePath());
  HDC dc = CreateDC(nullptr, queue.c_str(), nullptr, nullptr);
  int started = SP_ERROR, ended = SP_ERROR;
  if (dc) {
    DOCINFOA info{sizeof(DOCINFOA), "Refused", nullptr, nullptr, 0};
    started = StartDoc(dc, &info);
    if (started > 0 && StartPage(dc) > 0) {
      Rectangle(dc, 10, 10, 100, 100);
      EndPage(dc);
    }
    ended = started > 0 ? EndDoc(dc) : SP_ERROR;
    DeleteDC(dc);
  }
  std::system(("lpadmin -x " + queue).c_str());
  const QStringList left = temp.entryList({"tavorin-job-*"}, QDir::Files);
  if (oldTemp.isNull()) qunsetenv("TMPDIR"); else qputenv("TMPDIR", oldTemp);
  ASSERT_NE(dc, nullptr);
  EXPECT_GT(started, 0);
  EXPECT_EQ(ended, SP_ERROR);
  EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
}
