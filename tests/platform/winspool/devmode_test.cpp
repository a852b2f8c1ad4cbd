#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/winspool/winspool_p.h"

using namespace winspool_p;

namespace {

std::vector<unsigned char> DevNames(const std::string& driver, const std::string& device, const std::string& output) {
  std::vector<unsigned char> bytes(sizeof(DEVNAMES));
  auto add = [&](const std::string& s) {
    WORD offset = static_cast<WORD>(bytes.size());
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
    return offset;
  };
  DEVNAMES dn{add(driver), add(device), add(output), 0};
  std::memcpy(bytes.data(), &dn, sizeof dn);
  return bytes;
}

}  // namespace

TEST(DevNamesTest, ReadsWellFormedAndRejectsDamaged) {
  auto good = DevNames("Tavorin PDF", "Tavorin PDF Printer", "PDF:");
  std::string driver, device, output;
  ASSERT_TRUE(ReadDevNames(good.data(), good.size(), driver, device, output));
  EXPECT_EQ(device, "Tavorin PDF Printer");
  EXPECT_EQ(output, "PDF:");

  struct Row {
    const char* what;
    std::function<void(std::vector<unsigned char>&)> damage;
  };
  const Row rows[] = {
      {"offset past the end", [](auto& b) { b[2] = 0xFF; b[3] = 0x7F; }},
      {"offset inside the header", [](auto& b) { b[2] = 4; b[3] = 0; }},
      {"missing terminator", [](auto& b) { b.pop_back(); }},
      {"shorter than the header", [](auto& b) { b.resize(6); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto bytes = good;
    row.damage(bytes);
    EXPECT_FALSE(ReadDevNames(bytes.data(), bytes.size(), driver, device, output));
  }
}

TEST(DevModeTest, ValidatesSizesAndMergesMarkedFields) {
  PrinterEntry pdf;
  pdf.name = kPdfPrinterName;
  pdf.builtIn = true;
  DEVMODEA dm = DefaultDevMode(pdf);
  EXPECT_EQ(dm.dmSize, sizeof(DEVMODEA));
  EXPECT_EQ(dm.dmPrintQuality, 300);
  EXPECT_EQ(dm.dmPaperWidth, 1016);
  EXPECT_STREQ(reinterpret_cast<const char*>(dm.dmDeviceName), kPdfPrinterName);

  DEVMODEA read;
  EXPECT_TRUE(ReadDevMode(&dm, sizeof dm, read));
  EXPECT_FALSE(ReadDevMode(&dm, sizeof dm - 1, read)) << "short block";
  DEVMODEA extra = dm;
  extra.dmDriverExtra = 500;
  EXPECT_FALSE(ReadDevMode(&extra, sizeof extra, read)) << "driver data past the block";
  DEVMODEA wrongSize = dm;
  wrongSize.dmSize = 220;
  EXPECT_FALSE(ReadDevMode(&wrongSize, sizeof wrongSize, read));

  DEVMODEA change{};
  change.dmSize = sizeof change;
  change.dmFields = DM_ORIENTATION | DM_PRINTQUALITY;
  change.dmOrientation = DMORIENT_LANDSCAPE;
  change.dmPrintQuality = 150;
  change.dmPaperWidth = 5;  // not marked: ignored
  MergeDevMode(dm, change);
  EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(dm.dmPrintQuality, 150);
  EXPECT_EQ(dm.dmYResolution, 150);
  EXPECT_EQ(dm.dmPaperWidth, 1016);
  change.dmFields = DM_PRINTQUALITY;
  change.dmPrintQuality = -4;  // a quality code, not a resolution
  MergeDevMode(dm, change);
  EXPECT_EQ(dm.dmPrintQuality, 150);
}

TEST(DevModeTest, PdfOutputFolderFollowsTheDocumentsFolder) {
  const std::string saved = std::getenv("XDG_DOCUMENTS_DIR") ? std::getenv("XDG_DOCUMENTS_DIR") : "";
  setenv("XDG_DOCUMENTS_DIR", "/tmp/some docs", 1);
  EXPECT_EQ(PdfOutputFolder(), "/tmp/some docs/Tavorin Prints");
  setenv("XDG_DOCUMENTS_DIR", saved.c_str(), 1);
}
