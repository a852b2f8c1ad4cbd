#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/winspool/properties_p.h"
#include "platform/winspool/winspool.h"

namespace {
char kPdf[] = "Tavorin PDF Printer";
}

TEST(PrinterCatalogueTest, EnumPrintersListsThePdfPrinterWithTwoCallProtocol) {
  DWORD needed = 0, returned = 0;
  EXPECT_FALSE(EnumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &returned));
  ASSERT_GT(needed, sizeof(PRINTER_INFO_2A));
  std::vector<unsigned char> buffer(needed);
  ASSERT_TRUE(EnumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, buffer.data(), needed, &needed,
                           &returned));
  auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
  int pdf = -1, defaults = 0;
  for (DWORD i = 0; i < returned; ++i) {
    if (std::string(info[i].pPrinterName) == kPdf) pdf = int(i);
    defaults += (info[i].Attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0;
    ASSERT_NE(info[i].pDevMode, nullptr);
    EXPECT_EQ(info[i].pDevMode->dmSize, sizeof(DEVMODEA));
  }
  ASSERT_GE(pdf, 0);
  EXPECT_EQ(defaults, 1);

  char name[260];
  DWORD size = 3;
  EXPECT_FALSE(GetDefaultPrinter(name, &size));
  EXPECT_GT(size, 3u);
  ASSERT_TRUE(GetDefaultPrinter(name, &size));
  EXPECT_EQ(size, std::strlen(name) + 1);
}

TEST(PrinterCatalogueTest, OpenGetClosePrinter) {
  HANDLE printer = nullptr;
  char unknown[] = "No Such Printer";
  EXPECT_FALSE(OpenPrinter(unknown, &printer, nullptr));
  EXPECT_EQ(printer, nullptr);
  ASSERT_TRUE(OpenPrinter(kPdf, &printer, nullptr));
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinter(printer, 2, nullptr, 0, &needed));
  std::vector<unsigned char> buffer(needed);
  ASSERT_TRUE(GetPrinter(printer, 2, buffer.data(), needed, &needed));
  auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
  EXPECT_STREQ(info->pPrinterName, kPdf);
  EXPECT_EQ(info->pDevMode->dmPrintQuality, 300);
  EXPECT_EQ(info->pDevMode->dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));
}

TEST(PrinterCatalogueTest, DocumentPropertiesMergesAndPrompts) {
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinter(kPdf, &printer, nullptr));
  EXPECT_EQ(DocumentProperties(nullptr, printer, kPdf, nullptr, nullptr, 0), LONG(sizeof(DEVMODEA)));
  DEVMODEA in{}, out{};
  ASSERT_EQ(DocumentProperties(nullptr, printer, kPdf, &in, nullptr, DM_OUT_BUFFER), IDOK);
  in.dmFields = DM_ORIENTATION;
  in.dmOrientation = DMORIENT_LANDSCAPE;
  ASSERT_EQ(DocumentProperties(nullptr, printer, kPdf, &out, &in, DM_IN_BUFFER | DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(out.dmOrientation, DMORIENT_LANDSCAPE);

  winspool_p::SetPropertiesDialogAnswer([](DEVMODEA& dm) {
    EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE) << "the dialog starts from the input";
    dm.dmPrintQuality = dm.dmYResolution = 600;
    return true;
  });
  EXPECT_EQ(DocumentProperties(nullptr, printer, kPdf, &out, &in, DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(out.dmPrintQuality, 600);
  winspool_p::SetPropertiesDialogAnswer([](DEVMODEA& dm) {
    dm.dmPrintQuality = 150;
    return false;
  });
  DEVMODEA untouched = out;
  EXPECT_EQ(DocumentProperties(nullptr, printer, kPdf, &out, &in, DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER),
            IDCANCEL);
  EXPECT_EQ(out.dmPrintQuality, untouched.dmPrintQuality) << "a cancelled dialog changes nothing";
  winspool_p::SetPropertiesDialogAnswer(nullptr);

  DEVMODEA bad = in;
  bad.dmSize = 12;
  EXPECT_LT(DocumentProperties(nullptr, printer, kPdf, &out, &bad, DM_IN_BUFFER | DM_OUT_BUFFER), 0);
  ClosePrinter(printer);
}
