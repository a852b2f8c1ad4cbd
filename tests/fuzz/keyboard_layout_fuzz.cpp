// Feeds arbitrary bytes to the keyboard layout reader and the forbidden-words loader, as a
// designer's files in the photobooth images folder. Whatever the reader accepts must write
// back and read again to the same layout.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "keyboard/ForbiddenWords.h"
#include "keyboard/KeyboardLayoutFile.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    char name[] = "/tmp/keyboard-fuzz-XXXXXX";
    const char* made = mkdtemp(name);
    if (!made) std::abort();
    return std::string(made);
  }();
  return folder;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string layoutPath = Folder() + "/keyboard.xml";
  if (!WriteFile(layoutPath, data, size) || !WriteFile(Folder() + "/forbidden_words.xml", data, size)) return 0;

  KeyboardLayout layout;
  layout.SetDefaults(KeyboardGeneral, 1920);
  CString error;
  ReadKeyboardLayout(layoutPath.c_str(), layout, &error);
  CString forbiddenError;
  if (LoadForbiddenWords(Folder().c_str(), &forbiddenError)) {
    IsFreeOfForbiddenWords("Some Text typed by a guest");
  }
  FindForbiddenWordField(layout);
  FindInvalidEmailField(layout);

  // The design read survives a write and a second read.
  const std::string copyPath = Folder() + "/copy.xml";
  if (!WriteKeyboardLayoutFile(copyPath.c_str(), layout)) std::abort();
  KeyboardLayout again;
  again.SetDefaults(KeyboardGeneral, 1920);
  if (!ReadKeyboardLayout(copyPath.c_str(), again, &error)) __builtin_trap();
  if (again.m_keys.GetSize() != layout.m_keys.GetSize()) __builtin_trap();
  for (INT_PTR i = 0; i < layout.m_keys.GetSize(); ++i) {
    if (again.m_keys[i].m_x != layout.m_keys[i].m_x || again.m_keys[i].m_height != layout.m_keys[i].m_height) {
      __builtin_trap();
    }
  }
  return 0;
}
