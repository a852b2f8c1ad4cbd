// Scenario files for the simulated camera (named by TAVORIN_CAMERA_SIM).
//
// One statement per line; a line starting with '#' is a comment (model names may hold " #2");
// words are separated by blanks.
//   mode threaded|sync              how callbacks are delivered (default threaded)
//   cdversions 5 6 7                CDSDK versions that CDStartSDK accepts (default 5 to 10)
//   camera cd|pr|both <model...>    adds a camera; the rest of the line is its model name
//   option <flag>                   for the last camera: noraw, noviewfinder, nofocus,
//                                   stopviewfinder (stop the viewfinder before each release)
//   name <text...>                  for the last camera: its internal/system device name
//   viewfinder <width> <height>     for the last camera: its viewfinder frame size (320 240)
//   photos <folder...>              for the last camera: each release delivers the folder's next
//                                   JPEG (.jpg/.jpeg, in name order, then from the first again)
//                                   instead of a made-up one, with the .THM/.CRW companion of the
//                                   same base name when there is one; the thumbnail is the
//                                   companion THM, else the photo's Exif thumbnail, else made up
//   fault <function> <call|*> <code>  fails that call of an SDK function (1 = first) or all
// Example:
//   camera both Canon PowerShot A640
//   fault PR_ConnectCamera 1 8
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/canon/simulator.h"

namespace tavsim {

SimScenario SimDefaultScenario() {
  SimScenario scenario;
  scenario.cameras.push_back(SimCameraProfile{});
  return scenario;
}

namespace {

std::string RestOf(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  size_t first = rest.find_first_not_of(" \t");
  size_t last = rest.find_last_not_of(" \t\r");
  return first == std::string::npos ? std::string() : rest.substr(first, last - first + 1);
}

bool HasJpegExtension(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  auto endsWith = [&](const char* ext) {
    size_t n = std::char_traits<char>::length(ext);
    return lower.size() > n && lower.compare(lower.size() - n, n, ext) == 0;
  };
  return endsWith(".jpg") || endsWith(".jpeg");
}

// The folder's JPEG files in name order; empty when there are none or it cannot be read.
std::vector<std::string> JpegsIn(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::error_code ignored;
    if (entry.is_regular_file(ignored) && HasJpegExtension(entry.path().filename().string()))
      found.push_back(entry.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool ParseNumber(const std::string& word, unsigned long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  value = std::strtoul(word.c_str(), &end, 0);
  return end && *end == '\0';
}

}  // namespace

bool SimParseScenario(const std::string& text, SimScenario& scenario, std::string& error) {
  SimScenario result;
  result.cameras.clear();
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    error = "scenario line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') continue;
    if (word == "mode") {
      std::string mode;
      in >> mode;
      if (mode != "threaded" && mode != "sync") return fail("mode is threaded or sync");
      result.threaded = mode == "threaded";
    } else if (word == "cdversions") {
      result.cdVersions.clear();
      std::string v;
      unsigned long n;
      while (in >> v) {
        if (!ParseNumber(v, n)) return fail("bad version '" + v + "'");
        result.cdVersions.push_back(static_cast<int>(n));
      }
    } else if (word == "camera") {
      std::string sdk;
      in >> sdk;
      SimCameraProfile profile;
      if (sdk == "cd") profile.sdks = kSimCd;
      else if (sdk == "pr") profile.sdks = kSimPr;
      else if (sdk == "both") profile.sdks = kSimBoth;
      else return fail("camera needs cd, pr or both");
      profile.model = RestOf(in);
      if (profile.model.empty()) return fail("camera needs a model name");
      result.cameras.push_back(profile);
    } else if (word == "option" || word == "name") {
      if (result.cameras.empty()) return fail(word + " before any camera");
      SimCameraProfile& profile = result.cameras.back();
      std::string value = RestOf(in);
      if (word == "name") profile.internalName = value;
      else if (value == "noraw") profile.rawCapable = false;
      else if (value == "noviewfinder") profile.viewfinder = false;
      else if (value == "nofocus") profile.focusLock = false;
      else if (value == "stopviewfinder") profile.stopViewfinderBeforeRelease = true;
      else return fail("unknown option '" + value + "'");
    } else if (word == "viewfinder") {
      if (result.cameras.empty()) return fail("viewfinder before any camera");
      std::string w, h;
      unsigned long width = 0, height = 0;
      if (!(in >> w >> h) || !ParseNumber(w, width) || !ParseNumber(h, height) || width < 16 || height < 16 ||
          width > 4096 || height > 4096)
        return fail("viewfinder needs a width and a height from 16 to 4096");
      result.cameras.back().viewfinderWidth = static_cast<int>(width);
      result.cameras.back().viewfinderHeight = static_cast<int>(height);
    } else if (word == "photos") {
      if (result.cameras.empty()) return fail("photos before any camera");
      std::string folder = RestOf(in);
      if (folder.empty()) return fail("photos needs a folder");
      std::vector<std::string> photos = JpegsIn(folder);
      if (photos.empty()) return fail("no JPEG file in photos folder '" + folder + "'");
      result.cameras.back().photos = photos;
    } else if (word == "fault") {
      std::string function, call, code;
      unsigned long n = 0, e = 0;
      if (!(in >> function >> call >> code)) return fail("fault needs function, call and code");
      if (call != "*" && !ParseNumber(call, n)) return fail("bad call number '" + call + "'");
      if (!ParseNumber(code, e) || e == 0) return fail("bad error code '" + code + "'");
      result.faults.push_back({function, call == "*" ? 0 : static_cast<int>(n), static_cast<DWORD>(e)});
    } else {
      return fail("unknown statement '" + word + "'");
    }
  }
  scenario = result;
  return true;
}

bool SimLoadScenarioFile(const char* path, SimScenario& scenario, std::string& error) {
  std::ifstream in(path ? path : "");
  if (!in) {
    error = std::string("cannot read scenario file ") + (path ? path : "");
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  return SimParseScenario(text.str(), scenario, error);
}

}  // namespace tavsim
