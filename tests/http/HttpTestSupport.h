// Helpers of the HTTP client tests: catching the library's exception, and temporary files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "http/HttpClientException.h"

struct CaughtHttpError {
  bool thrown = false;
  DWORD code = 0;
  DWORD lastError = 0;
  std::string message;
};

inline CaughtHttpError CatchHttpError(const std::function<void()>& call) {
  CaughtHttpError caught;
  try {
    call();
  } catch (const Vonar::httpclientexceptionA& e) {
    caught.thrown = true;
    caught.code = e.ErrorCode();
    caught.lastError = e.LastError();
    caught.message = e.errmsg();
  }
  return caught;
}

/// A temporary folder, removed with its files afterwards (one level deep is enough here).
class HttpTempDir {
 public:
  HttpTempDir() {
    char pattern[] = "/tmp/tavorin-http-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~HttpTempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }
  static void Write(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
  }
  static std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream out;
    out << file.rdbuf();
    return out.str();
  }

 private:
  std::string path_;
};
