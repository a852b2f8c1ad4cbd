// The sharing screen under test: a folder with a photo, the temporary folder inside it, the
// keyboard answered with real key events and the screen's display times shortened.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/mfc/dialogscript.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/messagebox.h"
#include "sharing/UploadDlg.h"
#include "support/PipSession.h"
#include "tests/keyboard/KeyboardDialogTestSupport.h"
#include "keyboard/KeyboardResource.h"

class UploadDlgTestBase : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    char pattern[] = "/tmp/tavorin-upload-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::create_directories(dir_ + "/tmp");
    std::filesystem::create_directories(dir_ + "/images");
    const char* old = std::getenv("TMPDIR");
    oldTmp_ = old ? old : "";
    hadTmp_ = old != nullptr;
    setenv("TMPDIR", (dir_ + "/tmp").c_str(), 1);
    photo_ = dir_ + "/photo.jpg";
    MakePhoto(photo_, 1200, 800, RGB(255, 128, 0));
  }
  void TearDown() override {
    ClearDialogScripts();
    if (hadTmp_) setenv("TMPDIR", oldTmp_.c_str(), 1);
    else unsetenv("TMPDIR");
    std::filesystem::remove_all(dir_);
  }

  static void MakePhoto(const std::string& path, int width, int height, COLORREF colour) {
    PipSession image;
    cNewImage(image.m_hSession, width, height, colour);
    cSave(image.m_hSession, path.c_str(), PIP_FORMAT_JPEG, 0, 0, 0);
  }
  /// Files left in the temporary folder.
  int TemporaryFiles() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ + "/tmp")) count += entry.is_regular_file();
    return count;
  }
  void Fill(CUploadDlg& dialog) const {
    dialog.m_share.imagesFolder = (dir_ + "/images").c_str();
    dialog.m_share.photoPath = photo_.c_str();
    dialog.m_timeScale = 0.01;
  }
  /// The keyboard answered: the text typed into its first field, then Return.
  static void AnswerKeyboard(const std::string& text) {
    PushDialogScript(DialogScript(IDD_KEYBOARD).Call([text](CDialog* dialog) {
      TypeOnKeyboard(dialog, text);
      PressQtKey(dialog, Qt::Key_Return, "\r");
    }));
  }
  /// The screen runs until it closes itself.
  static void RunScreenToTheEnd() {
    PushDialogScript(DialogScript(IDD_UPLOAD).RunUntil([] { return false; }));
  }

  std::string dir_, photo_, oldTmp_;
  bool hadTmp_ = false;
};
