#include "config/PhotoboothSettingsFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "platform/win32/folders.h"
#include "platform/winspool/devmode.h"
#include "support/HexBytes.h"
#include "support/LogFontHex.h"
#include "support/ProgramGlobals.h"
#include "support/XmlDocument.h"
#include "support/XmlNode.h"

const char kPhotoboothFileBuildDate[] = "Dec 21 2016";

namespace {

const char kFileVersion[] = "3.1";
const int kTouchscreenSlots = kPhotoboothTouchscreenButtonCount;

int Saturate(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

CString Numbered(const char* prefix, int number, const char* suffix = "") {
  CString name;
  name.Format("%s%d%s", prefix, number, suffix);
  return name;
}

// Text of a direct child, or NULL-like false when the element is absent.
bool ChildText(const XmlNode* parent, const char* name, CString& text) {
  const XmlNode* child = parent->FindChild(name);
  if (!child) return false;
  text = child->GetText();
  return true;
}

bool ChildInt(const XmlNode* parent, const char* name, int& value) {
  CString text;
  if (!ChildText(parent, name, text)) return false;
  value = ParseSettingsInt(text);
  return true;
}

// The children of <photobooth_settings> by name, the first of each name as FindChild would
// find it: some four hundred keys are looked up, and walking the list for each is quadratic.
class ChildIndex {
 public:
  explicit ChildIndex(const XmlNode* parent) {
    for (const XmlNode* child = parent->m_firstChild; child; child = child->m_nextSibling)
      m_children.emplace(child->m_name.str(), child);
  }
  const XmlNode* FindChild(const char* name) const {
    auto found = m_children.find(name);
    return found == m_children.end() ? nullptr : found->second;
  }

 private:
  std::unordered_map<std::string, const XmlNode*> m_children;
};

bool ChildText(const ChildIndex& parent, const char* name, CString& text) {
  const XmlNode* child = parent.FindChild(name);
  if (!child) return false;
  text = child->GetText();
  return true;
}

bool ChildInt(const ChildIndex& parent, const char* name, int& value) {
  CString text;
  if (!ChildText(parent, name, text)) return false;
  value = ParseSettingsInt(text);
  return true;
}

CString WithCrLf(const CString& text) {
  std::string out;
  for (char c : text.str()) {
    out += c;
    if (c == '\r') out += '\n';
  }
  return CString(out);
}

void ReadFont(const CString& hex, LOGFONTA& font) {
  LOGFONTA read = font;
  if (!HexToLogFont(hex, read)) return;
  // A stored 8-bit font may fill its face name to the last byte.
  read.lfFaceName[LF_FACESIZE - 1] = '\0';
  font = read;
}

// Whether `version` compares below `literal` byte by byte; an absent version is "".
bool Older(const CString& version, const char* literal) { return std::strcmp(version, literal) < 0; }

void ReadKey(const BoothFileKey& key, const CString& text) {
  switch (key.kind) {
    case BoothKeyKind::Int:
      *static_cast<int*>(key.member) = ParseSettingsInt(text);
      break;
    case BoothKeyKind::Flag:
      *static_cast<BOOL*>(key.member) = ParseSettingsInt(text) != 0 ? TRUE : FALSE;
      break;
    case BoothKeyKind::Text:
      *static_cast<CString*>(key.member) = text;
      break;
    case BoothKeyKind::LongText:
      *static_cast<CString*>(key.member) = WithCrLf(text);
      break;
    case BoothKeyKind::ImageDir: {
      *static_cast<CString*>(key.member) = text;
      break;
    }
    case BoothKeyKind::Border: {
      double border = 0;
      if (ParseSettingsRational(text, border)) *static_cast<double*>(key.member) = std::clamp(border, 0.0, 15.0);
      break;
    }
    case BoothKeyKind::Font:
      ReadFont(text, *static_cast<LOGFONTA*>(key.member));
      break;
    case BoothKeyKind::Images:
      *static_cast<int*>(key.member) = std::clamp(ParseSettingsInt(text), 1, 20);
      break;
    case BoothKeyKind::AtLeastOne:
      *static_cast<int*>(key.member) = std::max(ParseSettingsInt(text), 1);
      break;
    case BoothKeyKind::EvfMaxHeight:
      *static_cast<int*>(key.member) = std::clamp(ParseSettingsInt(text), 100, 1000);
      break;
    case BoothKeyKind::Ranged:
      *static_cast<int*>(key.member) = std::clamp(ParseSettingsInt(text), key.low, key.high);
      break;
    case BoothKeyKind::EvfXOffset: {
      int offset = ParseSettingsInt(text);
      *static_cast<int*>(key.member) = static_cast<unsigned>(offset) > 2000u ? -1 : offset;
      break;
    }
    case BoothKeyKind::Interval:
      *static_cast<int*>(key.member) = std::clamp(ParseSettingsInt(text), 0, 30);
      break;
    case BoothKeyKind::Low32:
      *static_cast<LONGLONG*>(key.member) = static_cast<LONGLONG>(static_cast<DWORD>(ParseSettingsInt(text)));
      break;
    case BoothKeyKind::Count:
      *static_cast<int*>(key.member) = std::clamp(ParseSettingsInt(text), 0, 1000);
      break;
    case BoothKeyKind::WrittenFlag:
    case BoothKeyKind::WrittenInt:
      break;
  }
}

void WriteKey(XmlNode* parent, const BoothFileKey& key) {
  switch (key.kind) {
    case BoothKeyKind::Flag:
    case BoothKeyKind::WrittenFlag:
      parent->AddIntElement(key.element, *static_cast<const BOOL*>(key.member));
      break;
    case BoothKeyKind::Text:
    case BoothKeyKind::LongText:
    case BoothKeyKind::ImageDir:
      parent->AddElement(key.element, *static_cast<const CString*>(key.member));
      break;
    case BoothKeyKind::Border:
      parent->AddNumberElement(key.element, *static_cast<const double*>(key.member));
      break;
    case BoothKeyKind::Font:
      parent->AddElement(key.element, LogFontToHex(*static_cast<const LOGFONTA*>(key.member)));
      break;
    case BoothKeyKind::Low32:
      parent->AddIntElement(key.element, static_cast<int>(static_cast<DWORD>(*static_cast<const LONGLONG*>(key.member))));
      break;
    default:
      parent->AddIntElement(key.element, *static_cast<const int*>(key.member));
      break;
  }
}

void WriteCaptions(XmlNode* parent, const PhotoboothCaption* captions) {
  int dpiX = 300, dpiY = 300;
  GetPrinterResolution(dpiX, dpiY);
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    const PhotoboothCaption& caption = captions[i];
    CString prefix = Numbered("photoboothCaption", i + 1);
    parent->AddIntElement(prefix + "Colour", static_cast<int>(caption.m_colour));
    parent->AddElement(prefix + "Font", LogFontToHex(caption.m_font));
    parent->AddIntElement(prefix + "Enable", caption.m_nEnable);
    parent->AddElement(prefix + "Text", caption.m_strText);
    parent->AddIntElement(prefix + "LeftOffsetInPixels", caption.m_nLeft);
    parent->AddIntElement(prefix + "LeftOffset", PixelsToMillimetres(caption.m_nLeft, dpiX));
    parent->AddIntElement(prefix + "TopOffsetInPixels", caption.m_nTop);
    parent->AddIntElement(prefix + "TopOffset", PixelsToMillimetres(caption.m_nTop, dpiY));
    parent->AddIntElement(prefix + "MaxNumberOfLines", caption.m_nMaxNumberOfLines);
    parent->AddIntElement(prefix + "MaxLineWidthInPixels", caption.m_nMaxLineWidth);
    double tenths = caption.m_dAngle * 10.0;
    parent->AddIntElement(prefix + "Angle",
                          std::isfinite(tenths) ? static_cast<int>(std::clamp(tenths, -2147483648.0, 2147483647.0)) : 0);
    parent->AddIntElement(prefix + "Alignment", caption.m_nAlignment);
  }
}

void ReadCaptions(const ChildIndex& settings, PhotoboothCaption* captions, bool addCaptions) {
  // Asked of the printer only when an older file needs millimetres turned into pixels.
  int dpiX = 300, dpiY = 300;
  bool haveDpi = false;
  auto dpi = [&](bool horizontal) {
    if (!haveDpi) GetPrinterResolution(dpiX, dpiY);
    haveDpi = true;
    return horizontal ? dpiX : dpiY;
  };
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    PhotoboothCaption& caption = captions[i];
    CString prefix = Numbered("photoboothCaption", i + 1);
    CString text;
    int value = 0;
    if (ChildInt(settings, prefix + "Colour", value)) caption.m_colour = static_cast<COLORREF>(value);
    if (ChildText(settings, prefix + "Font", text)) ReadFont(text, caption.m_font);
    if (ChildInt(settings, prefix + "Enable", value)) caption.m_nEnable = value != 0 ? 1 : 0;
    if (!addCaptions) caption.m_nEnable = 0;
    if (ChildText(settings, prefix + "Text", text)) caption.m_strText = WithCrLf(text);
    // Older files kept the offsets in whole millimetres only.
    if (ChildInt(settings, prefix + "LeftOffsetInPixels", value))
      caption.m_nLeft = value;
    else if (ChildInt(settings, prefix + "LeftOffset", value))
      caption.m_nLeft = MillimetresToPixels(value, dpi(true));
    if (ChildInt(settings, prefix + "TopOffsetInPixels", value))
      caption.m_nTop = value;
    else if (ChildInt(settings, prefix + "TopOffset", value))
      caption.m_nTop = MillimetresToPixels(value, dpi(false));
    if (ChildInt(settings, prefix + "MaxNumberOfLines", value)) caption.m_nMaxNumberOfLines = ClampCaptionLines(value);
    if (ChildInt(settings, prefix + "MaxLineWidthInPixels", value)) caption.m_nMaxLineWidth = value;
    if (ChildInt(settings, prefix + "Angle", value)) caption.m_dAngle = value / 10.0;
    if (ChildInt(settings, prefix + "Alignment", value))
      caption.m_nAlignment = value;
    else if (ChildInt(settings, prefix + "Center", value))
      caption.m_nAlignment = value != 0 ? 1 : 0;
  }
}

void WriteBoxes(XmlNode* parent, const PhotoboothCustomLayoutBox* boxes) {
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    XmlNode* element = parent->AddElement(Numbered("PhotoboothCustomLayout", i + 1), nullptr);
    element->AddIntElement("left", boxes[i].left);
    element->AddIntElement("top", boxes[i].top);
    element->AddIntElement("right", boxes[i].right);
    element->AddIntElement("bottom", boxes[i].bottom);
    element->AddIntElement("image", boxes[i].image);
    element->AddIntElement("rotation", boxes[i].rotation);
  }
}

void ReadBoxes(const ChildIndex& settings, PhotoboothCustomLayoutBox* boxes, const CString& version) {
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    PhotoboothCustomLayoutBox& box = boxes[i];
    if (Older(version, "2.3")) box = PhotoboothCustomLayoutBox{};
    const XmlNode* element = settings.FindChild(Numbered("PhotoboothCustomLayout", i + 1));
    if (!element) continue;
    // Boxes of the first layout version showed the photo of their own number.
    if (version == "1.0") {
      box.image = i + 1;
      box.rotation = 0;
    }
    ChildInt(element, "left", box.left);
    ChildInt(element, "top", box.top);
    ChildInt(element, "right", box.right);
    ChildInt(element, "bottom", box.bottom);
    ChildInt(element, "image", box.image);
    if (ChildInt(element, "rotation", box.rotation) && (box.rotation < 0 || box.rotation >= 3600)) box.rotation = 0;
  }
}

void WriteTouchscreenButtons(XmlNode* parent, const PhotoboothTouchscreenButton* buttons) {
  for (int i = 0; i < kTouchscreenSlots; ++i) {
    XmlNode* element = parent->AddElement(Numbered("PhotoboothTouchscreenButton", i + 1), nullptr);
    element->AddIntElement("action", buttons[i].action);
    element->AddIntElement("left", buttons[i].left);
    element->AddIntElement("top", buttons[i].top);
    element->AddIntElement("right", buttons[i].right);
    element->AddIntElement("bottom", buttons[i].bottom);
  }
}

void ReadTouchscreenButtons(const ChildIndex& settings, PhotoboothTouchscreenButton* buttons) {
  for (int i = 0; i < kTouchscreenSlots; ++i) {
    const XmlNode* element = settings.FindChild(Numbered("PhotoboothTouchscreenButton", i + 1));
    if (!element) continue;
    ChildInt(element, "action", buttons[i].action);
    ChildInt(element, "left", buttons[i].left);
    ChildInt(element, "top", buttons[i].top);
    ChildInt(element, "right", buttons[i].right);
    ChildInt(element, "bottom", buttons[i].bottom);
  }
}

void ApplyVersionResets(const CString& version, ViewSettings& s) {
  if (Older(version, "2.3")) {
    s.m_bGreenScreenEnable = FALSE;
    s.m_bPhotoboothSaveGreenscreenedImage = FALSE;
    s.m_bPhotoboothCopyJpegPrint = FALSE;
    s.m_bPhotoboothCopyJpegPrintCrop = FALSE;
    s.m_nPhotoboothCopyJpegPrintRotate = 0;
  }
  if (Older(version, "2.2")) s.m_nPhotoboothEvfXOffset = -1;
  if (Older(version, "3.0")) {
    s.m_bPhotoboothThumnailEnable = FALSE;
    s.m_nPhotoboothBackgroundColor = 0x00FFFFFF;
    for (int i = 2; i < kLayoutCaptionCount; ++i) s.m_captions[i].m_nEnable = 0;
  }
  if (Older(version, "3.1")) {
    s.m_bPhotoboothFbCrop = FALSE;
    s.m_bPhotoboothEmailCrop = FALSE;
  }
  if (Older(version, "3.2")) {
    for (int i = 8; i < kLayoutCaptionCount; ++i) s.m_captions[i].m_nEnable = 0;
    s.m_nPhotoboothInactivityTimeout = 0;
    s.m_strPhotoboothEmailMsgHTML.Empty();
    s.m_bPhotoboothEmailOfflineMode = FALSE;
    s.m_bPhotoboothAutoStandby = FALSE;
  }
  if (Older(version, "3.3")) s.m_bPhotoboothClickerMode = FALSE;
}

bool ReadPrinter(const ChildIndex& settings, PhotoboothPrinterRecords& printer) {
  CString devModeHex, devNamesHex;
  if (!ChildText(settings, "printerDevMode", devModeHex) || !ChildText(settings, "printerDevNames", devNamesHex))
    return false;
  PhotoboothPrinterRecords read;
  if (!HexToBytes(devModeHex, read.devMode) || !HexToBytes(devNamesHex, read.devNames)) return false;
  if (!ArePrinterRecordsUsable(read)) return false;
  printer = std::move(read);
  return true;
}

}  // namespace

int ParseSettingsInt(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 1LL << 32) value = 1LL << 32;  // far enough past the int range to saturate
  }
  return Saturate(negative ? -value : value);
}

bool ParseSettingsRational(const char* text, double& value) {
  if (!text) return false;
  // "%d/%d" first, as the writer produces; anything else is a decimal number.
  auto readInt = [](const char*& p, int& out) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    if (*p < '0' || *p > '9') return false;
    while (*p >= '0' && *p <= '9') ++p;
    out = ParseSettingsInt(std::string(start, p).c_str());
    return true;
  };
  const char* p = text;
  int numerator = 0, denominator = 0;
  if (readInt(p, numerator) && *p == '/') {
    ++p;
    if (readInt(p, denominator)) {
      if (denominator == 0) return false;
      value = static_cast<double>(numerator) / denominator;
      return true;
    }
  }
  p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  if (*p == '+') ++p;
  double read = 0;
  auto [end, error] = std::from_chars(p, p + std::strlen(p), read);
  if (error == std::errc::result_out_of_range) return false;  // beyond a double: no border at all
  if (error != std::errc() || end == p) read = 0;            // not a number reads as 0
  if (!std::isfinite(read)) return false;
  value = read;
  return true;
}

int MillimetresToPixels(int millimetres, int dpi) { return Saturate(static_cast<long long>(millimetres) * dpi * 10 / 254); }

int PixelsToMillimetres(int pixels, int dpi) {
  if (dpi == 0) return 0;
  return Saturate(static_cast<long long>(pixels) * 254 / (10LL * dpi));
}

bool ArePrinterRecordsUsable(const PhotoboothPrinterRecords& printer) {
  const std::vector<BYTE>& mode = printer.devMode;
  const std::vector<BYTE>& names = printer.devNames;
  if (mode.empty() || mode.size() > kMaxPrinterRecord || names.empty() || names.size() > kMaxPrinterRecord)
    return false;
  if (mode.size() < sizeof(DEVMODEA)) return false;
  DEVMODEA devMode;
  std::memcpy(&devMode, mode.data(), sizeof devMode);
  if (devMode.dmSize != sizeof(DEVMODEA) || size_t(devMode.dmSize) + devMode.dmDriverExtra > mode.size()) return false;
  if (names.size() < sizeof(DEVNAMES) || names.size() > 0xFFFF) return false;
  DEVNAMES devNames;
  std::memcpy(&devNames, names.data(), sizeof devNames);
  auto named = [&](WORD offset, bool needText) {
    if (offset < sizeof(DEVNAMES) || offset >= names.size()) return false;
    const void* end = std::memchr(names.data() + offset, '\0', names.size() - offset);
    return end && (!needText || end != names.data() + offset);
  };
  return named(devNames.wDriverOffset, false) && named(devNames.wDeviceOffset, true) &&
         named(devNames.wOutputOffset, false);
}

std::vector<BoothFileKey> BuildPhotoboothFileTable(ViewSettings& s, bool sharePreview) {
  using K = BoothKeyKind;
  std::vector<BoothFileKey> table = {
      {"numberOfPhotoboothImages", K::Images, &s.m_nNumberOfPhotoboothImages},
      {"photoboothBackgroundColor", K::Int, &s.m_nPhotoboothBackgroundColor},
      {"photoboothInactivityTimeout", K::Low32, &s.m_nPhotoboothInactivityTimeout},
      {"photoboothNumberOfColumns", K::AtLeastOne, &s.m_nPhotoboothNumberOfColumns},
      {"photoboothNumberOfRows", K::AtLeastOne, &s.m_nPhotoboothNumberOfRows},
      {"photoboothImageDir", K::ImageDir, &s.m_strPhotoboothImageDir},
      {"greenScreenBackgroundImage", K::Text, &s.m_strGreenScreenBackgroundImage},
      {"greenScreenEnable", K::Flag, &s.m_bGreenScreenEnable},
      {"photoboothSaveGreenscreenedImage", K::Flag, &s.m_bPhotoboothSaveGreenscreenedImage},
      {"photoboothThumnailEnable", K::Flag, &s.m_bPhotoboothThumnailEnable},
      {"photoboothThumnailShowAtEnd", K::Flag, &s.m_bPhotoboothThumnailShowAtEnd},
      {"photoboothThumnailX", K::Int, &s.m_nPhotoboothThumnailX},
      {"photoboothThumnailY", K::Int, &s.m_nPhotoboothThumnailY},
      {"photoboothThumnailW", K::Int, &s.m_nPhotoboothThumnailW},
      {"photoboothThumnailXSpacing", K::Int, &s.m_nPhotoboothThumnailXSpacing},
      {"photoboothThumnailYSpacing", K::Int, &s.m_nPhotoboothThumnailYSpacing},
      {"photoboothRotateToFitPaper", K::Flag, &s.m_bPhotoboothRotateToFitPaper},
      {"photoboothRepeatToFillEmptyCols", K::Flag, &s.m_bPhotoboothRepeatToFillEmptyCols},
      {"photoboothCropToFit", K::Flag, &s.m_bPhotoboothCropToFit},
      {"photoboothBorderInMM", K::Border, &s.m_dPhotoboothBorderInMM},
      {"photoboothInterval", K::Interval, &s.m_nPhotoboothInterval},
      {"photoboothFirstInterval", K::Int, &s.m_nPhotoboothFirstInterval},
      {"photoboothMsgColour", K::Int, &s.m_nPhotoboothMsgColour},
      {"photoboothMsgFont", K::Font, &s.m_photoboothMsgFont},
      {"photoboothMsg", K::Text, &s.m_strPhotoboothMsg},
      {"photoboothOutput", K::Ranged, &s.m_nPhotoboothSaveJpegCopyOfPrints, 0, 3},
      {"photoboothConfirmPrinting", K::Flag, &s.m_bPhotoboothConfirmPrinting},
      {"photoboothEnableLiveView", K::Flag, &s.m_bPhotoboothEnableLiveView},
      {"photoboothMirrorLiveView", K::Flag, &s.m_bPhotoboothMirrorLiveView},
      {"photoboothAutoStandby", K::Flag, &s.m_bPhotoboothAutoStandby},
      {"photoboothClickerMode", K::Flag, &s.m_bPhotoboothClickerMode},
      {"photoboothEvfMaxHeight", K::EvfMaxHeight, &s.m_nPhotoboothEvfMaxHeight},
      {"photoboothEvfXOffset", K::EvfXOffset, &s.m_nPhotoboothEvfXOffset},
      {"photoboothEvfYOffset", K::Int, &s.m_nPhotoboothEvfYOffset},
      {"photoboothEvfCrop", K::Int, &s.m_nPhotoboothEvfCrop},
      {"photobooth3to2Crop", K::Flag, &s.m_bPhotobooth3to2Crop},
      {"photoboothTextYOffset", K::Int, &s.m_nPhotoboothTextYOffset},
      {"photoboothSuppressEvfAfterFirstShot", K::Flag, &s.m_bPhotoboothSuppressEvfAfterFirstShot},
      {"photoboothSuppressEvfDuringPrinting", K::Flag, &s.m_bPhotoboothSuppressEvfDuringPrinting},
      // Program-wide values: a loaded file changes them for every profile.
      {"photoboothConfirmPrintingTimeout", K::Int, &g_nPhotoboothConfirmPrintingTimeout},
      {"photoboothConfirmPrintingTimeoutAction", K::Flag, &g_bPhotoboothConfirmPrintingTimeoutAction},
      {"photoboothPrintPreviewX", K::Int, &g_nPhotoboothPrintPreviewX},
      {"photoboothPrintPreviewY", K::Int, &g_nPhotoboothPrintPreviewY},
      {"photoboothPrintPreviewW", K::Int, &g_nPhotoboothPrintPreviewW},
      {"photoboothPrintPreviewH", K::Int, &g_nPhotoboothPrintPreviewH},
      {"photoboothPrintPreviewRotate", K::Int, &g_nPhotoboothPrintPreviewRotate},
      {"photoboothPhotoPreviewX", K::Int, &g_nPhotoboothPhotoPreviewX},
      {"photoboothPhotoPreviewY", K::Int, &g_nPhotoboothPhotoPreviewY},
      {"photoboothPhotoPreviewW", K::Int, &g_nPhotoboothPhotoPreviewW},
      {"photoboothPhotoPreviewH", K::Int, &g_nPhotoboothPhotoPreviewH},
  };
  if (sharePreview) {
    table.push_back({"photoboothSharePreviewX", K::Int, &s.m_nPhotoboothSharePreviewX});
    table.push_back({"photoboothSharePreviewY", K::Int, &s.m_nPhotoboothSharePreviewY});
    table.push_back({"photoboothSharePreviewW", K::Int, &s.m_nPhotoboothSharePreviewW});
    table.push_back({"photoboothSharePreviewH", K::Int, &s.m_nPhotoboothSharePreviewH});
  }
  const std::vector<BoothFileKey> rest = {
      {"photoboothOutputFilename", K::Text, &s.m_strPhotoboothOutputFilename},
      {"photoboothCopyJpegPrint", K::Flag, &s.m_bPhotoboothCopyJpegPrint},
      {"photoboothCopyJpegPrintDir", K::Text, &s.m_strPhotoboothCopyJpegPrintDir},
      {"photoboothCopyJpegPrintCrop", K::Flag, &s.m_bPhotoboothCopyJpegPrintCrop},
      {"photoboothCopyJpegPrintCropX", K::Int, &s.m_nPhotoboothCopyJpegPrintCropX},
      {"photoboothCopyJpegPrintCropY", K::Int, &s.m_nPhotoboothCopyJpegPrintCropY},
      {"photoboothCopyJpegPrintCropW", K::Int, &s.m_nPhotoboothCopyJpegPrintCropW},
      {"photoboothCopyJpegPrintCropH", K::Int, &s.m_nPhotoboothCopyJpegPrintCropH},
      {"photoboothCopyJpegPrintResize", K::WrittenFlag, &s.m_bPhotoboothCopyJpegPrintResize},
      {"photoboothCopyJpegPrintResizeW", K::Int, &s.m_nPhotoboothCopyJpegPrintResizeW},
      {"photoboothCopyJpegPrintResizeH", K::Int, &s.m_nPhotoboothCopyJpegPrintResizeH},
      {"photoboothCopyJpegPrintRotate", K::Int, &s.m_nPhotoboothCopyJpegPrintRotate},
      {"startPhotoboothOnConnect", K::Flag, &s.m_bStartPhotoboothOnConnect},
      {"photoboothEnableSharpening", K::Flag, &s.m_bPhotoboothEnableSharpening},
      {"photoboothSharpeningAmount", K::Ranged, &s.m_nPhotoboothSharpeningAmount, 0, 100},
      {"photoboothBW", K::Ranged, &s.m_nPhotoboothBW, 0, 2},
      {"photoboothToningHue", K::Ranged, &s.m_nPhotoboothToningHue, 0, 360},
      {"photoboothToningSaturation", K::Ranged, &s.m_nPhotoboothToningSaturation, 0, 100},
      {"printOptionInSharingScreen", K::Flag, &s.m_bPrintOptionInSharingScreen},
      // A count of prints allowed, whatever the old key table called it.
      {"printOptionInSharingScreenLimit", K::Count, &s.m_nPrintOptionInSharingScreenLimit},
      {"printOptionInSharingScreenLimitMsg", K::Text, &s.m_strPrintOptionInSharingScreenLimitMsg},
      {"photoboothFbUpload", K::Flag, &s.m_bPhotoboothFbUpload},
      {"photoboothFbAlbum", K::Text, &s.m_strPhotoboothFbAlbum},
      {"photoboothFbAlbumDesc", K::Text, &s.m_strPhotoboothFbAlbumDesc},
      {"photoboothFbComment", K::Text, &s.m_strPhotoboothFbComment},
      {"photoboothFbMaxWidth", K::Int, &s.m_nPhotoboothFbMaxWidth},
      {"photoboothFbMaxHeight", K::Int, &s.m_nPhotoboothFbMaxHeight},
      {"photoboothFbRotate", K::Int, &s.m_nPhotoboothFbRotate},
      {"photoboothFbCrop", K::Flag, &s.m_bPhotoboothFbCrop},
      {"photoboothFbCropX", K::Int, &s.m_nPhotoboothFbCropX},
      {"photoboothFbCropY", K::Int, &s.m_nPhotoboothFbCropY},
      {"photoboothFbCropW", K::Int, &s.m_nPhotoboothFbCropW},
      {"photoboothFbCropH", K::Int, &s.m_nPhotoboothFbCropH},
      {"photoboothEmail", K::Flag, &s.m_bPhotoboothEmail},
      {"photoboothEmailOfflineMode", K::Flag, &s.m_bPhotoboothEmailOfflineMode},
      {"photoboothEmailFrom", K::Text, &s.m_strPhotoboothEmailFrom},
      {"photoboothEmailSubject", K::Text, &s.m_strPhotoboothEmailSubject},
      {"photoboothEmailMsgText", K::LongText, &s.m_strPhotoboothEmailMsgText},
      {"photoboothEmailMsgHTML", K::LongText, &s.m_strPhotoboothEmailMsgHTML},
      {"photoboothEmailRotate", K::Int, &s.m_nPhotoboothEmailRotate},
      {"photoboothEmailMaxWidth", K::Int, &s.m_nPhotoboothEmailMaxWidth},
      {"photoboothEmailMaxHeight", K::Int, &s.m_nPhotoboothEmailMaxHeight},
      {"photoboothEmailCrop", K::Flag, &s.m_bPhotoboothEmailCrop},
      {"photoboothEmailCropX", K::Int, &s.m_nPhotoboothEmailCropX},
      {"photoboothEmailCropY", K::Int, &s.m_nPhotoboothEmailCropY},
      {"photoboothEmailCropW", K::Int, &s.m_nPhotoboothEmailCropW},
      {"photoboothEmailCropH", K::Int, &s.m_nPhotoboothEmailCropH},
      {"EnableTwitter", K::Flag, &s.m_bEnableTwitter},
      {"PhotoboothTwitterComment", K::Text, &s.m_strPhotoboothTwitterComment},
      {"PhotoboothTwitterMaxWidth", K::Int, &s.m_nPhotoboothTwitterMaxWidth},
      {"PhotoboothTwitterMaxHeight", K::Int, &s.m_nPhotoboothTwitterMaxHeight},
      {"PhotoboothTwitterRotate", K::Int, &s.m_nPhotoboothTwitterRotate},
      {"PhotoboothTwitterCrop", K::Flag, &s.m_bPhotoboothTwitterCrop},
      {"PhotoboothTwitterCropX", K::Int, &s.m_nPhotoboothTwitterCropX},
      {"PhotoboothTwitterCropY", K::Int, &s.m_nPhotoboothTwitterCropY},
      {"PhotoboothTwitterCropW", K::Int, &s.m_nPhotoboothTwitterCropW},
      {"PhotoboothTwitterCropH", K::Int, &s.m_nPhotoboothTwitterCropH},
      {"EnableMMS", K::Flag, &s.m_bEnableMMS},
      {"MmsMessage", K::Text, &s.m_strMmsMessage},
      {"MmsCrop", K::Flag, &s.m_bMmsCrop},
      {"MmsCropX", K::Int, &s.m_nMmsCropX},
      {"MmsCropY", K::Int, &s.m_nMmsCropY},
      {"MmsCropW", K::Int, &s.m_nMmsCropW},
      {"MmsCropH", K::Int, &s.m_nMmsCropH},
      {"MmsMaxWidth", K::Int, &s.m_nMmsMaxWidth},
      {"MmsMaxHeight", K::Int, &s.m_nMmsMaxHeight},
      {"MmsRotate", K::Int, &s.m_nMmsRotate},
      {"MmsMsgType", K::Int, &s.m_nMmsMsgType},
      {"MmsMaxMsgLength", K::Int, &s.m_nMmsMaxMsgLength},
      {"photoboothGifCreate", K::Flag, &s.m_bPhotoboothGifCreate},
      {"photoboothGifLoopingPlayback", K::Flag, &s.m_bPhotoboothGifLoopingPlayback},
      {"photoboothGifPingPongPlayback", K::Flag, &s.m_bPhotoboothGifPingPongPlayback},
      {"photoboothGifTitleAtEnd", K::Flag, &s.m_bPhotoboothGifTitleAtEnd},
      {"photoboothGifWidth", K::Int, &s.m_nPhotoboothGifWidth},
      {"photoboothGifImageDelay", K::Int, &s.m_nPhotoboothGifImageDelay},
      {"photoboothGifTitleDelay", K::Int, &s.m_nPhotoboothGifTitleDelay},
      {"photoboothGifOverlaysPerPhoto", K::Int, &s.m_nPhotoboothGifOverlaysPerPhoto},
      {"photoboothGifSizeW", K::Int, &s.m_nPhotoboothGifSizeW},
      {"photoboothGifSizeH", K::Int, &s.m_nPhotoboothGifSizeH},
      {"photoboothGifOffsetX", K::Int, &s.m_nPhotoboothGifOffsetX},
      {"photoboothGifOffsetY", K::Int, &s.m_nPhotoboothGifOffsetY},
      {"shareAnimatedGIFs", K::Flag, &s.m_bShareAnimatedGIFs},
      {"shareGifMaxPercentageUpscaling", K::WrittenInt, &s.m_nShareGifMaxPercentageUpscaling},
      {"photoboothGifPerPhoto", K::Flag, &s.m_bPhotoboothGifPerPhoto},
      {"photoboothGifCreateMP4", K::Flag, &s.m_bPhotoboothGifCreateMP4},
      {"photoboothMP4MinDuration", K::Int, &s.m_nPhotoboothMP4MinDuration},
      {"photoboothGifMP4Subfolder", K::Int, &s.m_nPhotoboothGifMP4Subfolder},
  };
  table.insert(table.end(), rest.begin(), rest.end());
  return table;
}

// The keys written after the captions.
static std::vector<BoothFileKey> BuildTrailingKeys(ViewSettings& s) {
  using K = BoothKeyKind;
  return {
      {"photoboothPreviewTime", K::Int, &s.m_nPhotoboothPreviewTime},
      {"photoboothMinProcessingDuration", K::Ranged, &s.m_nPhotoboothMinProcessingDuration, 0, 120},
      {"photoboothShowProgress", K::Flag, &s.m_bPhotoboothShowProgress},
      {"photoboothUseMouseToTrigger", K::Ranged, &s.m_nPhotoboothUseMouseToTrigger, 0, 5},
      {"photoboothPrintCopies", K::Ranged, &s.m_nPhotoboothPrintCopies, 1, 9},
      {"photoboothCustomLayout", K::Flag, &s.m_bPhotoboothCustomLayout},
      {"photoboothKeyboard", K::Ranged, &s.m_nPhotoboothKeyboard, 0, 4},
  };
}

CString BuildPhotoboothSettingsDocument(ViewSettings& s, bool sharePreview, const PhotoboothPrinterRecords* printer) {
  XmlNode* root = new XmlNode(nullptr, "Tavorin");
  root->AddAttribute("version", kFileVersion);
  root->AddAttribute("build_date", kPhotoboothFileBuildDate);
  XmlNode* settings = root->AddElement("photobooth_settings", nullptr);
  for (const BoothFileKey& key : BuildPhotoboothFileTable(s, sharePreview)) WriteKey(settings, key);
  WriteCaptions(settings, s.m_captions);
  for (const BoothFileKey& key : BuildTrailingKeys(s)) WriteKey(settings, key);
  WriteBoxes(settings, s.m_layoutBoxes);
  WriteTouchscreenButtons(settings, s.m_touchscreenButtons);
  if (printer) {
    settings->AddElement("printerDevMode", BytesToHex(printer->devMode.data(), printer->devMode.size()));
    settings->AddElement("printerDevNames", BytesToHex(printer->devNames.data(), printer->devNames.size()));
  }
  CString tree;
  root->Serialize(tree, 0);
  root->Destroy();
  delete root;

  // The file is text: every line break is CR LF, the declaration's included.
  std::string document;
  const std::string body = std::string("<?xml version=\"1.0\" ?>\n") + tree.str();
  document.reserve(body.size() + body.size() / 16);
  for (char c : body) {
    if (c == '\n') document += '\r';
    document += c;
  }
  return CString(document);
}

BOOL WritePhotoboothSettingsFile(const char* path, ViewSettings& settings, bool sharePreview,
                                 const PhotoboothPrinterRecords* printer, CString& error) {
  CString document = BuildPhotoboothSettingsDocument(settings, sharePreview, printer);
  if (!path || !*path || !WriteFileReplacing(path, document.GetString(), static_cast<size_t>(document.GetLength()))) {
    error = CString("Error writing file: ") + (path ? path : "");
    return FALSE;
  }
  return TRUE;
}

BOOL ApplyPhotoboothSettingsTree(XmlNode* root, ViewSettings& s, bool sharePreview, PhotoboothFileReadResult& result,
                                 CString& error) {
  XmlNode* tavorin = root ? root->FindDescendant("Tavorin") : nullptr;
  if (!tavorin) {
    error = "Can't find <Tavorin> tag, file may not be a Tavorin photobooth settings file";
    return FALSE;
  }
  const XmlAttribute* versionAttribute = tavorin->FindAttribute("version");
  CString version = versionAttribute ? versionAttribute->m_value : CString();
  const XmlNode* settingsElement = tavorin->FindChild("photobooth_settings");
  if (!settingsElement) {
    error = "Can't find <photobooth_settings> tag, file may not be a Tavorin photobooth settings file";
    return FALSE;
  }
  result.version = version;
  const ChildIndex settings(settingsElement);

  ApplyVersionResets(version, s);
  for (const BoothFileKey& key : BuildPhotoboothFileTable(s, sharePreview)) {
    CString text;
    if (ChildText(settings, key.element, text)) ReadKey(key, text);
    // Files before the first interval had its own key used one interval for every photo.
    if (key.kind == BoothKeyKind::Interval && Older(version, "2.3")) s.m_nPhotoboothFirstInterval = s.m_nPhotoboothInterval;
    if (key.kind == BoothKeyKind::ImageDir) {
      std::string documents = GetDocumentsFolder();
      if (!documents.empty()) s.m_strPhotoboothImageDir.Replace("{documents}", documents.c_str());
    }
  }
  int addCaptions = 1;
  ChildInt(settings, "photoboothAddCaptions", addCaptions);
  int doubleStrip = 0;
  if (ChildInt(settings, "photoboothCustomDoubleStrip", doubleStrip)) s.m_bPhotoboothCustomDoubleStrip = doubleStrip != 0;
  ReadCaptions(settings, s.m_captions, addCaptions != 0);
  for (const BoothFileKey& key : BuildTrailingKeys(s)) {
    CString text;
    if (ChildText(settings, key.element, text)) ReadKey(key, text);
  }
  ReadBoxes(settings, s.m_layoutBoxes, version);
  result.layoutChangedWarning = version == "1.0" && s.m_bPhotoboothCustomLayout && s.m_bPhotoboothCustomDoubleStrip;
  ReadTouchscreenButtons(settings, s.m_touchscreenButtons);
  result.hasPrinter = ReadPrinter(settings, result.printer);
  return TRUE;
}

// A document that did not parse to its end is refused whole: applying the keys before the
// damage would leave the booth half configured. Frees such a tree.
static bool TakeWholeDocument(XmlNode*& root, const CString& parseError, const char* path, CString& error) {
  if (root && parseError.IsEmpty()) return true;
  if (root) {
    root->Destroy();
    delete root;
    root = nullptr;
  }
  error = CString("Error reading file: ") + (path ? path : "");
  return false;
}

BOOL ReadPhotoboothSettingsBuffer(const char* bytes, size_t length, const char* path, ViewSettings& settings,
                                  bool sharePreview, PhotoboothFileReadResult& result, CString& error) {
  CString parseError;
  XmlNode* root = bytes ? XmlDocument::LoadBuffer(bytes, length, nullptr, &parseError) : nullptr;
  if (!TakeWholeDocument(root, parseError, path, error)) return FALSE;
  BOOL ok = ApplyPhotoboothSettingsTree(root, settings, sharePreview, result, error);
  root->Destroy();
  delete root;
  return ok;
}

BOOL ReadPhotoboothSettingsFile(const char* path, ViewSettings& settings, bool sharePreview,
                                PhotoboothFileReadResult& result, CString& error) {
  CString parseError;
  XmlNode* root = path ? XmlDocument::LoadFile(path, nullptr, &parseError) : nullptr;
  if (!TakeWholeDocument(root, parseError, path, error)) return FALSE;
  BOOL ok = ApplyPhotoboothSettingsTree(root, settings, sharePreview, result, error);
  root->Destroy();
  delete root;
  return ok;
}

void ShowPhotoboothFileError(HWND owner, const CString& error) {
  MessageBoxA(owner, error, "Tavorin", MB_OK | MB_ICONSTOP);
}

void ShowLayoutChangedWarning(HWND owner) {
  MessageBoxA(owner, "WARNING: The photobooth custom layout has changed in this version.\nPlease check your layout",
              "Tavorin", MB_OK | MB_ICONEXCLAMATION);
}
