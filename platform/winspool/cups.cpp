// The CUPS side of the catalogue: local destinations, their default media and job submission.
#include <cups/cups.h>

#include <cmath>
#include <cstdio>

#include "platform/win32/trace.h"
#include "platform/winspool/winspool_p.h"

namespace winspool_p {

namespace {

std::string OptionOf(const cups_dest_t& dest, const char* name) {
  const char* value = cupsGetOption(name, dest.num_options, dest.options);
  return value ? value : "";
}

}  // namespace

std::vector<PrinterEntry> CupsPrinters() {
  std::vector<PrinterEntry> printers;
  cups_dest_t* dests = nullptr;
  // Only queues the server knows; discovery of network printers would make this slow.
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  for (int i = 0; i < count; ++i) {
    const cups_dest_t& dest = dests[i];
    if (dest.instance) continue;
    PrinterEntry entry;
    entry.name = dest.name;
    entry.driver = OptionOf(dest, "printer-make-and-model");
    if (entry.driver.empty()) entry.driver = "CUPS";
    entry.port = OptionOf(dest, "device-uri");
    entry.comment = OptionOf(dest, "printer-info");
    entry.location = OptionOf(dest, "printer-location");
    entry.isDefault = dest.is_default != 0;
    printers.push_back(entry);
  }
  cupsFreeDests(count, dests);
  return printers;
}

bool CupsDefaultMedia(const std::string& name, CupsMedia& media) {
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr);
  if (!dest) return false;
  bool ok = false;
  if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
    cups_size_t size{};
    if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) && size.width > 0 && size.length > 0) {
      // CUPS sizes are in hundredths of a millimetre.
      media.widthMm = size.width / 100.0;
      media.heightMm = size.length / 100.0;
      media.left = size.left / 100.0;
      media.right = size.right / 100.0;
      media.top = size.top / 100.0;
      media.bottom = size.bottom / 100.0;
      ok = true;
    }
    if (ipp_attribute_t* res = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
      ipp_res_t units;
      int y = 0;
      int x = ippGetResolution(res, 0, &y, &units);
      if (units == IPP_RES_PER_CM) x = static_cast<int>(std::lround(x * 2.54));
      if (x >= 72 && x <= 4800) media.dpi = x;
    }
    cupsFreeDestInfo(info);
  }
  cupsFreeDests(1, dest);
  return ok;
}

int CupsSubmit(const std::string& name, const std::string& path, const std::string& title, double widthMm,
               double heightMm) {
  cups_option_t* options = nullptr;
  int count = 0;
  char media[64];
  std::snprintf(media, sizeof media, "Custom.%.1fx%.1fmm", widthMm, heightMm);
  count = cupsAddOption("media", media, count, &options);
  count = cupsAddOption("fit-to-page", "false", count, &options);
  const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, name.c_str(), path.c_str(), title.c_str(), count, options);
  if (job == 0) TRACE("CupsSubmit() - %s: %s\n", name.c_str(), cupsLastErrorString());
  cupsFreeOptions(count, options);
  return job;
}

}  // namespace winspool_p
