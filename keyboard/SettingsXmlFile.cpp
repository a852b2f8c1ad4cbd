#include "keyboard/SettingsXmlFile.h"

#include <memory>

#include "support/XmlDocument.h"

BOOL ReadSettingsXmlFile(const char* path, CString* error, const std::function<BOOL(XmlNode& top)>& read) {
  CString damaged;
  auto free = [](XmlNode* root) {
    root->Destroy();
    delete root;
  };
  std::unique_ptr<XmlNode, decltype(free)> root(XmlDocument::LoadFile(path, nullptr, &damaged), free);
  // A file that is there but does not parse to its end is refused whole.
  if (!damaged.IsEmpty()) {
    if (error) *error = "Error reading file";
    return FALSE;
  }
  if (!root) return TRUE;
  XmlNode* top = root->FindDescendant("morvane_systems_photobooth");
  if (!top) {
    if (error) *error = "Can't find <morvane_systems_photobooth> tag, file may not be a photobooth settings file";
    return FALSE;
  }
  return read(*top);
}
