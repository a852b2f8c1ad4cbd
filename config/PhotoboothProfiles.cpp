#include "config/PhotoboothProfiles.h"

#include "platform/mfc/collections.h"
#include "platform/win32/folders.h"
#include "support/TextTemplate.h"

int ResolveProfileRequest(int requested, int current, const CString paths[kProfileSlots]) {
  if (requested < 0 || requested >= 101) {
    const int step = requested < 0 ? -1 : 1;
    int slot = current >= 1 && current <= kProfileSlots ? current : 1;
    for (int tries = 0; tries < kProfileSlots; ++tries) {
      slot += step;
      if (slot < 1) slot = kProfileSlots;
      if (slot > kProfileSlots) slot = 1;
      if (!paths[slot - 1].IsEmpty()) break;
    }
    if (slot == current) return 0;
    requested = slot;
  }
  return requested >= 1 && requested <= kProfileSlots ? requested : 0;
}

CString ProfileParentFolder(const CString& imagesFolder) {
  CString folder = imagesFolder;
  folder.TrimRight("/ ");
  int slash = folder.ReverseFind('/');
  if (slash <= 0) return folder;
  return folder.Left(slash + 1);
}

CString ExpandProfilePath(const CString& path, const CString& imagesFolder) {
  CMapStringToString values;
  values.SetAt("{photoboothDir}", imagesFolder);
  CString parent = ProfileParentFolder(imagesFolder);
  values.SetAt("{photoboothSubdir}", parent);
  values.SetAt("{photoboothSubDir}", parent);
  std::string documents = GetDocumentsFolder();
  if (!documents.empty()) values.SetAt("{documents}", documents.c_str());
  CString expanded = path;
  ExpandTextTemplate(values, expanded);
  return expanded;
}
