// What an outside Exif validator says of a file: the validation line and every warning.
#pragma once

#include <cstdio>
#include <string>

namespace exiftest {

/// Runs "exiftool -validate -warning -a" on the file; its output (empty when it cannot run).
inline std::string ExiftoolValidate(const std::string& path) {
  std::string command = "exiftool -validate -warning -a -s '" + path + "' 2>&1";
  std::string output;
  if (FILE* p = popen(command.c_str(), "r")) {
    char line[512];
    while (fgets(line, sizeof line, p)) output += line;
    pclose(p);
  }
  return output;
}

/// True when exiftool found nothing to warn about.
inline bool ExiftoolAccepts(const std::string& output) {
  return output.find("Validate") != std::string::npos && output.find(": OK") != std::string::npos &&
         output.find("Warning") == std::string::npos;
}

}  // namespace exiftest
