// Times the photobooth settings file holding every key (all flat keys with the dialog's sharing
// preview, twelve captions with text, twelve boxes, eighteen touch areas and a printer): the
// write as the program does it (document built, written to a temporary name, flushed, renamed)
// and the read from the same bytes in memory (parse into the tree, then every key applied).
// Beside them, in the same run and process, expat parses the same bytes with empty handlers.
// Then a hostile file of 1 MB (and one of 10 MB) of empty elements, which the reader must refuse
// as not a settings file about as fast as expat gets through it.
// Usage: settings_bench [repeats]
#include <expat.h>
#include <stdlib.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "config/PhotoboothSettingsFile.h"
#include "platform/winspool/devmode.h"

namespace {

using Clock = std::chrono::steady_clock;
int g_repeats = 50;

double Best(const std::function<bool()>& work) {
  if (!work()) return -1;
  double best = 1e30;
  for (int i = 0; i < g_repeats; ++i) {
    auto start = Clock::now();
    if (!work()) return -1;
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

void FillEveryKey(ViewSettings& s) {
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    s.m_captions[i].m_nEnable = 1;
    s.m_captions[i].m_nLeft = 100 * i;
    s.m_captions[i].m_strText.Format("Caption %d of the party\r\n@date@ at @time@", i + 1);
  }
  for (int i = 0; i < kLayoutBoxCount; ++i) s.m_layoutBoxes[i] = {i + 1, 10 * i, 20 * i, 600 + i, 400 + i, 0};
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) s.m_touchscreenButtons[i] = {i + 1, i, i, i + 90, i + 90};
}

PhotoboothPrinterRecords Printer() {
  PhotoboothPrinterRecords printer;
  DEVMODEA devMode{};
  std::strcpy(reinterpret_cast<char*>(devMode.dmDeviceName), "Tavorin PDF Printer");
  devMode.dmSize = sizeof(DEVMODEA);
  printer.devMode.assign(reinterpret_cast<BYTE*>(&devMode), reinterpret_cast<BYTE*>(&devMode) + sizeof devMode);
  const char names[] = "winspool\0Tavorin PDF Printer\0";
  DEVNAMES header{8, 17, 37, 0};
  printer.devNames.assign(reinterpret_cast<BYTE*>(&header), reinterpret_cast<BYTE*>(&header) + 8);
  printer.devNames.insert(printer.devNames.end(), names, names + sizeof names);
  return printer;
}

bool ExpatParse(const CString& bytes) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetElementHandler(parser, [](void*, const XML_Char*, const XML_Char**) {}, [](void*, const XML_Char*) {});
  XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
  bool ok = XML_Parse(parser, bytes.GetString(), bytes.GetLength(), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc > 1) g_repeats = std::max(1, atoi(argv[1]));

  ViewSettings source;
  FillEveryKey(source);
  PhotoboothPrinterRecords printer = Printer();
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "tavorin-settings-bench";
  std::filesystem::create_directories(folder);
  std::string path = (folder / "settings.xml").string();
  CString bytes = BuildPhotoboothSettingsDocument(source, true, &printer);

  CString error;
  double write = Best([&] { return WritePhotoboothSettingsFile(path.c_str(), source, true, &printer, error) != FALSE; });
  double build = Best([&] { return BuildPhotoboothSettingsDocument(source, true, &printer).GetLength() > 0; });
  // The records start as copies, so that the time is the reader's, not the defaults' making.
  const ViewSettings defaults;
  double read = Best([&] {
    ViewSettings target = defaults;
    PhotoboothFileReadResult result;
    return ReadPhotoboothSettingsBuffer(bytes.GetString(), bytes.GetLength(), "bench.xml", target, true, result,
                                        error) &&
           result.hasPrinter;
  });
  double readFile = Best([&] {
    ViewSettings target = defaults;
    PhotoboothFileReadResult result;
    return ReadPhotoboothSettingsFile(path.c_str(), target, true, result, error) != FALSE;
  });
  double expat = Best([&] { return ExpatParse(bytes); });

  // Empty elements under one root: the tree grows by one sibling per four bytes.
  auto hostile = [](size_t size) {
    std::string text = "<?xml version=\"1.0\" ?>\n<r>";
    while (text.size() + 4 < size) text += "<a/>";
    return CString(text + "</r>");
  };
  auto refused = [&](const CString& text) {
    ViewSettings target = defaults;
    PhotoboothFileReadResult result;
    CString message;
    return !ReadPhotoboothSettingsBuffer(text.GetString(), text.GetLength(), "hostile.xml", target, true, result,
                                         message) &&
           message.Find("<Tavorin>") >= 0;
  };
  const CString oneMegabyte = hostile(1 << 20), tenMegabytes = hostile(10 << 20);
  const int repeats = g_repeats;
  g_repeats = std::min(repeats, 10);
  double hostileRead = Best([&] { return refused(oneMegabyte); });
  double hostileExpat = Best([&] { return ExpatParse(oneMegabyte); });
  g_repeats = std::min(repeats, 3);
  double bigRead = Best([&] { return refused(tenMegabytes); });
  double bigExpat = Best([&] { return ExpatParse(tenMegabytes); });
  g_repeats = repeats;
  std::filesystem::remove_all(folder);

  std::printf("photobooth settings file, %d bytes, best of %d\n", bytes.GetLength(), g_repeats);
  std::printf("%-44s %10s\n", "", "ms");
  std::printf("%-44s %10.3f\n", "write (build, temp file, flush, rename)", write);
  std::printf("%-44s %10.3f\n", "  of which building the document", build);
  std::printf("%-44s %10.3f\n", "read (parse + apply, same bytes in memory)", read);
  std::printf("%-44s %10.3f\n", "read from the file", readFile);
  std::printf("%-44s %10.3f\n", "reference: expat parse of the same bytes", expat);
  std::printf("read / expat parse: %.1fx (goal: 10x or less)\n", expat > 0 ? read / expat : 0.0);
  std::printf("\nhostile file of empty elements, refused as not a settings file\n");
  std::printf("%-44s %10s %10s %8s\n", "", "read ms", "expat ms", "ratio");
  std::printf("%-44s %10.3f %10.3f %7.1fx\n", "1 MB (goal: 10x or less)", hostileRead, hostileExpat,
              hostileExpat > 0 ? hostileRead / hostileExpat : 0.0);
  std::printf("%-44s %10.3f %10.3f %7.1fx\n", "10 MB (goal: well under a second)", bigRead, bigExpat,
              bigExpat > 0 ? bigRead / bigExpat : 0.0);
  return write < 0 || read < 0 || expat < 0 || hostileRead < 0 || bigRead < 0 ? 1 : 0;
}
