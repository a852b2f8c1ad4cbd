// DEVMODE and DEVNAMES: defaults, validation of stored records, merging and page geometry.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/winspool/winspool_p.h"

namespace winspool_p {

namespace {

// The built-in printer prints 4x6 inch photos at 300 dpi unless told otherwise.
constexpr SHORT kPdfWidth = 1016, kPdfLength = 1524;  // tenths of a millimetre
constexpr int kDefaultDpi = 300;

struct PaperSize {
  SHORT code;
  SHORT width, length;  // tenths of a millimetre
  const char* form;
};
const PaperSize kPapers[] = {
    {DMPAPER_LETTER, 2159, 2794, "Letter"}, {DMPAPER_LEGAL, 2159, 3556, "Legal"},
    {DMPAPER_A4, 2100, 2970, "A4"},         {DMPAPER_A5, 1480, 2100, "A5"},
    {DMPAPER_A6, 1050, 1480, "A6"},
};

void SetName(BYTE (&field)[32], const std::string& name) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, name.data(), std::min(name.size(), sizeof field - 1));
}

SHORT ClampShort(int value, int low, int high) { return static_cast<SHORT>(std::clamp(value, low, high)); }

}  // namespace

DEVMODEA DefaultDevMode(const PrinterEntry& printer) {
  DEVMODEA dm{};
  SetName(dm.dmDeviceName, printer.name);
  dm.dmSpecVersion = DM_SPECVERSION;
  dm.dmSize = sizeof(DEVMODEA);
  dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PRINTQUALITY |
                DM_YRESOLUTION | DM_COPIES | DM_FORMNAME;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmCopies = 1;
  dm.dmScale = 100;
  dm.dmPaperSize = DMPAPER_USER;
  dm.dmPaperWidth = kPdfWidth;
  dm.dmPaperLength = kPdfLength;
  dm.dmPrintQuality = dm.dmYResolution = kDefaultDpi;
  std::string form = "4x6";
  if (!printer.builtIn) {
    CupsMedia media;
    if (CupsDefaultMedia(printer.name, media)) {
      dm.dmPaperWidth = ClampShort(int(std::lround(media.widthMm * 10)), 100, 30000);
      dm.dmPaperLength = ClampShort(int(std::lround(media.heightMm * 10)), 100, 30000);
      form = "";
      for (const PaperSize& p : kPapers)
        if (std::abs(p.width - dm.dmPaperWidth) <= 2 && std::abs(p.length - dm.dmPaperLength) <= 2) {
          dm.dmPaperSize = p.code;
          form = p.form;
        }
      if (media.dpi > 0) dm.dmPrintQuality = dm.dmYResolution = static_cast<SHORT>(media.dpi);
    }
  }
  SetName(dm.dmFormName, form);
  return dm;
}

bool ReadDevMode(const void* data, size_t size, DEVMODEA& devMode) {
  if (!data || size < sizeof(DEVMODEA)) return false;
  DEVMODEA dm;
  std::memcpy(&dm, data, sizeof dm);
  if (dm.dmSize != sizeof(DEVMODEA) || size_t(dm.dmSize) + dm.dmDriverExtra > size) return false;
  dm.dmDeviceName[CCHDEVICENAME - 1] = 0;
  dm.dmFormName[CCHFORMNAME - 1] = 0;
  dm.dmDriverExtra = 0;  // driver data of another installation means nothing here
  devMode = dm;
  return true;
}

bool ReadDevNames(const void* data, size_t size, std::string& driver, std::string& device, std::string& output) {
  if (!data || size < sizeof(DEVNAMES) || size > 0xFFFF) return false;
  DEVNAMES dn;
  std::memcpy(&dn, data, sizeof dn);
  const char* bytes = static_cast<const char*>(data);
  auto read = [&](WORD offset, std::string& out) {
    if (offset < sizeof(DEVNAMES) || offset >= size) return false;
    const void* end = std::memchr(bytes + offset, '\0', size - offset);
    if (!end) return false;
    out.assign(bytes + offset, static_cast<const char*>(end));
    return true;
  };
  return read(dn.wDriverOffset, driver) && read(dn.wDeviceOffset, device) && read(dn.wOutputOffset, output) &&
         !device.empty();
}

void MergeDevMode(DEVMODEA& target, const DEVMODEA& in) {
  if ((in.dmFields & DM_ORIENTATION) &&
      (in.dmOrientation == DMORIENT_PORTRAIT || in.dmOrientation == DMORIENT_LANDSCAPE))
    target.dmOrientation = in.dmOrientation;
  if (in.dmFields & DM_PAPERSIZE) {
    for (const PaperSize& p : kPapers)
      if (p.code == in.dmPaperSize) {
        target.dmPaperSize = p.code;
        target.dmPaperWidth = p.width;
        target.dmPaperLength = p.length;
        SetName(target.dmFormName, p.form);
      }
  }
  // An explicit size wins over a paper code; absurd sizes are ignored.
  if ((in.dmFields & DM_PAPERWIDTH) && in.dmPaperWidth >= 100) {
    target.dmPaperWidth = in.dmPaperWidth;
    target.dmPaperSize = DMPAPER_USER;
  }
  if ((in.dmFields & DM_PAPERLENGTH) && in.dmPaperLength >= 100) {
    target.dmPaperLength = in.dmPaperLength;
    target.dmPaperSize = DMPAPER_USER;
  }
  if ((in.dmFields & DM_FORMNAME) && in.dmFormName[0]) {
    std::memcpy(target.dmFormName, in.dmFormName, CCHFORMNAME);
    target.dmFormName[CCHFORMNAME - 1] = 0;
  }
  if ((in.dmFields & DM_PRINTQUALITY) && in.dmPrintQuality >= 72 && in.dmPrintQuality <= 2400) {
    target.dmPrintQuality = in.dmPrintQuality;
    if (!(in.dmFields & DM_YRESOLUTION)) target.dmYResolution = in.dmPrintQuality;
  }
  if ((in.dmFields & DM_YRESOLUTION) && in.dmYResolution >= 72 && in.dmYResolution <= 2400)
    target.dmYResolution = in.dmYResolution;
  if ((in.dmFields & DM_COPIES) && in.dmCopies >= 1) target.dmCopies = in.dmCopies;
}

PageGeometry ResolvePage(const PrinterEntry& printer, const DEVMODEA& dm) {
  PageGeometry g;
  g.dpiX = dm.dmPrintQuality >= 72 && dm.dmPrintQuality <= 2400 ? dm.dmPrintQuality : kDefaultDpi;
  g.dpiY = dm.dmYResolution >= 72 && dm.dmYResolution <= 2400 ? dm.dmYResolution : g.dpiX;
  double w = (dm.dmPaperWidth >= 100 ? dm.dmPaperWidth : kPdfWidth) / 10.0;
  double h = (dm.dmPaperLength >= 100 ? dm.dmPaperLength : kPdfLength) / 10.0;
  CupsMedia margins;
  if (!printer.builtIn) CupsDefaultMedia(printer.name, margins);
  double left = margins.left, top = margins.top, right = margins.right, bottom = margins.bottom;
  if (dm.dmOrientation == DMORIENT_LANDSCAPE) {
    std::swap(w, h);
    // The sheet turns a quarter counter-clockwise: its left edge becomes the bottom.
    const double oldLeft = left;
    left = top;
    top = right;
    right = bottom;
    bottom = oldLeft;
  }
  g.widthMm = w;
  g.heightMm = h;
  auto px = [](double mm, int dpi) { return static_cast<int>(std::lround(mm * dpi / 25.4)); };
  g.physWidth = px(w, g.dpiX);
  g.physHeight = px(h, g.dpiY);
  g.offsetX = px(left, g.dpiX);
  g.offsetY = px(top, g.dpiY);
  g.horzRes = std::max(1, g.physWidth - g.offsetX - px(right, g.dpiX));
  g.vertRes = std::max(1, g.physHeight - g.offsetY - px(bottom, g.dpiY));
  return g;
}

}  // namespace winspool_p
