#include "photobooth/SessionRecord.h"

#include "platform/win32/files.h"
#include "support/TextUtilities.h"
#include "support/XmlNode.h"

namespace {

CString FileNameOf(const CString& path) {
  int slash = path.ReverseFind('/');
  return slash >= 0 ? path.Mid(slash + 1) : path;
}

}  // namespace

CString SessionRecordPath(const PhotoboothSessionRecord& record) {
  if (record.photoPaths.IsEmpty()) return CString();
  CString path = record.photoPaths[0];
  int slash = path.ReverseFind('/');
  int dot = path.ReverseFind('.');
  if (dot > slash) path = path.Left(dot);
  return path + ".xml";
}

CString BuildSessionRecordText(const PhotoboothSessionRecord& record) {
  XmlNode root(nullptr, "morvane_systems_photobooth");
  root.AddAttribute("version", "1.1");
  XmlNode* info = root.AddElement("photo_information", nullptr);
  info->AddElement("date", FormatTime(record.captureTime, "%Y/%m/%d"));
  info->AddElement("time", FormatTime(record.captureTime, "%H:%M:%S"));

  bool anyText = false;
  for (const CString& text : record.keyboardTexts) anyText |= !text.IsEmpty();
  bool messageTakesIt = record.secondForm && !record.userMessage.IsEmpty();
  info->AddElement("user_data", anyText && !messageTakesIt ? record.keyboardTexts[0].GetString() : "");
  for (int i = 1; i < 10; ++i) {
    if (record.keyboardTexts[i].IsEmpty()) continue;
    CString name;
    name.Format("user%d_data", i + 1);
    info->AddElement(name, record.keyboardTexts[i]);
  }
  for (size_t i = 0; i < record.checkBoxes.size(); ++i) {
    CString name;
    name.Format("chkbox%d", int(i + 1));
    info->AddElement(name, record.checkBoxes[i] ? "1" : "0");
  }
  if (record.secondForm && !record.userMessage.IsEmpty()) info->AddElement("user_message", record.userMessage);
  info->AddIntElement("prints", !record.secondForm || record.printed ? record.copies : 0);
  info->AddElement("photobooth_images_folder", record.imagesFolder);
  XmlNode* bw = info->AddIntElement("bw_mode", record.bwMode);
  if (record.bwMode == 2) {
    CString value;
    value.Format("%d", record.toningHue);
    bw->AddAttribute("hue", value);
    value.Format("%d", record.toningSaturation);
    bw->AddAttribute("saturation", value);
  }
  XmlNode* photos = info->AddElement("photos", nullptr);
  for (INT_PTR i = 0; i < record.photoPaths.GetSize(); ++i) {
    XmlNode* photo = photos->AddElement("photo", FileNameOf(record.photoPaths[i]));
    CString number;
    number.Format("%d", int(i + 1));
    photo->AddAttribute("image", number);
  }
  const bool saved = record.pageSaved < 0 ? record.printed : record.pageSaved > 0;
  if (record.secondForm && saved && record.outputMode >= 1)
    info->AddElement("output", "prints/" + record.outputName);

  CString tree;
  root.Serialize(tree, 0);
  root.Destroy();
  return "<?xml version=\"1.0\" ?>\n" + tree;
}

BOOL WriteSessionRecord(const PhotoboothSessionRecord& record, CString& path) {
  path = SessionRecordPath(record);
  if (path.IsEmpty()) return FALSE;
  CString text = BuildSessionRecordText(record);
  return WriteFileReplacing(path, text.GetString(), size_t(text.GetLength()));
}
