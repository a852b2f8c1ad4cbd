// The PDFs the built-in PDF printer leaves in <documents>/Tavorin Prints, for the printing tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/folders.h"

inline std::string PrintsFolder() { return GetDocumentsFolder() + "/Tavorin Prints"; }

/// The PDFs printed so far, in no particular order.
inline std::vector<std::string> Pdfs() {
  std::vector<std::string> out;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(PrintsFolder(), error))
    if (entry.path().extension() == ".pdf") out.push_back(entry.path().string());
  return out;
}

/// The page count pdfinfo reads from the file, -1 when it cannot tell.
inline int PdfPages(const std::string& pdf) {
  FILE* pipe = popen(("pdfinfo '" + pdf + "' 2>/dev/null").c_str(), "r");
  if (!pipe) return -1;
  char line[512];
  int pages = -1;
  while (fgets(line, sizeof line, pipe))
    if (std::strncmp(line, "Pages:", 6) == 0) pages = std::atoi(line + 6);
  pclose(pipe);
  return pages;
}
