#include "printlayout/PrinterMargins.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "PrintLayoutTestSupport.h"
#include "platform/polyimage/polyimage.h"
#include "platform/registry/registry.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace {

class PrinterMarginsTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kPrinterMarginsKey);
    SelectTestPrinter(1030, 1550, 300, 300, 1);  // 1217 x 1831 pixels
  }
};

TEST(DefaultPrinterMarginsTest, TrimSlightlyLargerPagesToFourOrSixInches) {
  struct Row {
    int horz, vert, dpiX, dpiY;
    int left, top, right, bottom;
  };
  const Row rows[] = {
      {1236, 1836, 300, 300, 18, 18, 18, 18},
      {1250, 1836, 300, 300, 0, 18, 0, 18},   // 1250 is outside 1201..1249
      {1836, 1236, 300, 300, 18, 18, 18, 18},
      {1217, 1831, 300, 300, 8, 15, 8, 15},
      {1201, 1801, 301, 301, 0, 0, 0, 0},      // 4 and 6 inches at 301 dpi are wider: no negative trim
      {1210, 1830, 301, 301, 3, 12, 3, 12},
      {2450, 3700, 600, 600, 25, 50, 25, 50},
      {2500, 3800, 600, 600, 0, 0, 0, 0},
      {1236, 1836, 300, 600, 0, 0, 0, 0},      // unequal resolutions
      {1236, 1836, 150, 150, 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.horz << " x " << row.vert << " @ " << row.dpiX << "x" << row.dpiY);
    int left, top, right, bottom;
    DefaultPrinterMargins(row.horz, row.vert, row.dpiX, row.dpiY, left, top, right, bottom);
    EXPECT_EQ(left, row.left);
    EXPECT_EQ(top, row.top);
    EXPECT_EQ(right, row.right);
    EXPECT_EQ(bottom, row.bottom);
  }
}

TEST_F(PrinterMarginsTest, StoredPerPrinterResolutionAndOrientation) {
  int left, top, right, bottom;
  GetPrinterMargins(left, top, right, bottom);
  EXPECT_EQ(left, 8);
  EXPECT_EQ(top, 15);
  EXPECT_EQ(right, 8);
  EXPECT_EQ(bottom, 15);

  SavePrinterMargins(1, 2, 3, 4);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Printers", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD value = 0, type = 0, size = sizeof(value);
  EXPECT_EQ(RegQueryValueExA(key, "Tavorin PDF Printer_300DPI_P_bottomMargin", nullptr, &type,
                             reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 4u);
  RegCloseKey(key);

  // Landscape has its own set: the defaults of the turned page until it is saved.
  SetPrinterOrientation(2);
  EXPECT_EQ(GetPrinterOrientation(), 2);
  GetPrinterMargins(left, top, right, bottom);
  EXPECT_EQ(left, 15);
  EXPECT_EQ(top, 8);
  SetPrinterOrientation(1);
  GetPrinterMargins(left, top, right, bottom);
  EXPECT_EQ(left, 1);
  EXPECT_EQ(top, 2);
  EXPECT_EQ(right, 3);
  EXPECT_EQ(bottom, 4);

  // A DEVMODE without the orientation field counts as portrait and cannot be turned.
  SelectTestPrinter(1030, 1550, 300, 300, 0);
  SetPrinterOrientation(2);
  EXPECT_EQ(GetPrinterOrientation(), 1);
  GetPrinterMargins(left, top, right, bottom);
  EXPECT_EQ(left, 1);
}

TEST_F(PrinterMarginsTest, PageInfoIsTheApplicationsPrinter) {
  SelectTestPrinter(1524, 1016, 300, 300, 1);
  int dpiX, dpiY, width, height;
  GetPrinterPageInfo(dpiX, dpiY, width, height);
  EXPECT_EQ(width, 1800);
  EXPECT_EQ(height, 1200);
  SetPrinterOrientation(2);
  GetPrinterPageInfo(dpiX, dpiY, width, height);
  EXPECT_EQ(width, 1200);
  EXPECT_EQ(height, 1800);
  SelectTestPrinter(1016, 1524, 300, 600, 1);
  GetPrinterResolution(dpiX, dpiY);
  EXPECT_EQ(dpiX, 300);
  EXPECT_EQ(dpiY, 600);
}

TEST_F(PrinterMarginsTest, PrinterNamesAndRecords) {
  CString name;
  EXPECT_TRUE(GetCurrentPrinterName(name));
  EXPECT_STREQ(name, kTestPdfPrinter);

  HGLOBAL names = nullptr, mode = nullptr;
  EXPECT_EQ(GetPrinterDevModeAndNames("No Such Printer", &names, &mode), 0);
  EXPECT_EQ(GetPrinterDevModeAndNames(kTestPdfPrinter, nullptr, &mode), 0);
  ASSERT_EQ(GetPrinterDevModeAndNames(kTestPdfPrinter, &names, &mode), 1);
  std::vector<BYTE> bytes(static_cast<const BYTE*>(GlobalLock(names)),
                          static_cast<const BYTE*>(GlobalLock(names)) + GlobalSize(names));
  GlobalUnlock(names);
  GlobalUnlock(names);
  EXPECT_STREQ(AfxDevNamesDevice(bytes.data(), bytes.size()), kTestPdfPrinter);
  EXPECT_GE(GlobalSize(mode), sizeof(DEVMODEA));
  GlobalFree(names);
  GlobalFree(mode);
}

TEST_F(PrinterMarginsTest, CropTakesTheMarginsOffTheImage) {
  SavePrinterMargins(8, 15, 10, 5);
  PipSession session;
  ASSERT_NE(cNewImage(session.m_hSession, 1217, 1831, RGB(255, 255, 255)), 0);
  EXPECT_NE(CropToPrinterMargins(session), 0);
  EXPECT_EQ(session.GetWidth(), 1217u - 18u);
  EXPECT_EQ(session.GetHeight(), 1831u - 20u);
}

// Workers read the margins while the UI replaces the printer and turns it.
TEST_F(PrinterMarginsTest, WorkersReadWhileThePrinterChanges) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> workers;
  for (int i = 0; i < 2; ++i)
    workers.emplace_back([&stop] {
      while (!stop) {
        int l, t, r, b;
        GetPrinterMargins(l, t, r, b);
        EXPECT_TRUE((l == 8 && t == 15) || (l == 15 && t == 8)) << l << "," << t;
      }
    });
  for (int i = 0; i < 40; ++i) {
    SelectTestPrinter(1030, 1550, 300, 300, 1 + i % 2);
    SetPrinterOrientation(static_cast<short>(2 - i % 2));
  }
  stop = true;
  for (std::thread& worker : workers) worker.join();
}

}  // namespace
