#include "printlayout/PrintLayoutFile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>

#include "platform/user/messagebox.h"
#include "platform/user/winmsg.h"
#include "platform/win32/files.h"
#include "printlayout/PrinterMargins.h"
#include "support/LogFontHex.h"
#include "support/ProgramGlobals.h"
#include "support/XmlDocument.h"
#include "support/XmlNode.h"

const char* const kLayoutLayerFiles[4] = {"header.jpg", "footer.jpg", "background.jpg", "overlay.png"};

namespace {

const BYTE kMarker = 0xE5;
const BYTE kCurrentForm = 0x5E;

int ClampToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

int TenthsOf(double degrees) {
  const double tenths = degrees * 10.0;
  if (!(tenths == tenths)) return 0;
  return ClampToInt(static_cast<long long>(std::clamp(tenths, -2147483648.0, 2147483647.0)));
}

CString LayerPath(const char* folder, int layer) { return CString(folder) + "/" + kLayoutLayerFiles[layer]; }

int Ask(const PrintLayoutFileHooks& hooks, const char* text, UINT type) {
  if (hooks.messageBox) return hooks.messageBox(text, type);
  return ::MessageBoxA(nullptr, text, "Tavorin", type);
}

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

// Frees the tree whatever way the caller leaves.
struct TreeOwner {
  XmlNode* root = nullptr;
  ~TreeOwner() {
    if (root) {
      root->Destroy();
      delete root;
    }
  }
};

void PutLength(std::vector<BYTE>& bytes, size_t length) {
  const uint32_t value = static_cast<uint32_t>(length);
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// Reads the little-endian lengths at `offset`; false when the file ends first.
bool TakeLength(const BYTE* data, size_t size, size_t& offset, uint32_t& length) {
  if (size - offset < 4) return false;
  length = uint32_t(data[offset]) | uint32_t(data[offset + 1]) << 8 | uint32_t(data[offset + 2]) << 16 |
           uint32_t(data[offset + 3]) << 24;
  offset += 4;
  return true;
}

const char* AttributeText(const XmlNode* node, const char* name) {
  const XmlAttribute* attribute = node->FindAttribute(name);
  return attribute ? attribute->m_value.GetString() : nullptr;
}

bool ChildInt(const XmlNode* node, const char* name, int& value) {
  const XmlNode* child = node->FindChild(name);
  if (!child) return false;
  value = ParseLayoutInt(child->GetText());
  return true;
}

}  // namespace

int ParseLayoutInt(const char* text) {
  if (!text) return 0;
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    value = value * 10 + (*text - '0');
    if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;  // clamped below, never overflowing
  }
  return ClampToInt(negative ? -value : value);
}

CString WithPrintLayoutExtension(const char* path) {
  CString result(path);
  const int length = result.GetLength();
  if (length < 5 || result.Right(5).CompareNoCase(".pblt") != 0) result += ".pblt";
  return result;
}

BOOL BuildPrintLayoutFile(const PrintLayoutModel& model, const char* imagesFolder, const std::vector<BYTE>& thumbnail,
                          std::vector<BYTE>& bytes) {
  // The layers first, so that the lengths written are those of the bytes that follow them.
  std::vector<BYTE> layers[4];
  for (int i = 0; i < 4; ++i) {
    const CString path = LayerPath(imagesFolder, i);
    if (PathFileExistsA(path) && !ReadWholeFile(path, layers[i])) layers[i].clear();
    if (layers[i].size() > 0xFFFFFFFFu) return FALSE;
  }
  if (thumbnail.size() > 0xFFFFFFFFu) return FALSE;

  int dpiX, dpiY, width, height;
  GetPrinterPageInfo(dpiX, dpiY, width, height);
  TreeOwner tree;
  tree.root = new XmlNode(nullptr, "morvane_systems_photobooth");
  tree.root->AddAttribute("build_date", "Dec 21 2016");
  tree.root->AddAttribute("version", g_strProgramVersion);
  tree.root->AddAttribute("application", "Tavorin");
  XmlNode* layout = tree.root->AddElement("photobooth_print_layout", nullptr);
  XmlNode* printer = layout->AddElement("printer_settings", nullptr);
  auto attribute = [](XmlNode* node, const char* name, long long value) {
    CString text;
    text.Format("%d", ClampToInt(value));
    node->AddAttribute(name, text);
  };
  attribute(printer, "aspect_ratio_width", model.aspectWidth);
  attribute(printer, "aspect_ratio_height", model.aspectHeight);
  attribute(printer, "width", width);
  attribute(printer, "height", height);
  attribute(printer, "x_dpi", dpiX);
  attribute(printer, "y_dpi", dpiY);
  attribute(printer, "left_margin", model.leftMargin);
  attribute(printer, "top_margin", model.topMargin);
  attribute(printer, "right_margin", model.rightMargin);
  attribute(printer, "bottom_margin", model.bottomMargin);
  attribute(printer, "background_color", static_cast<int>(model.background));
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    const PhotoboothCaption& caption = model.captions[i];
    if (!caption.m_nEnable) continue;
    CString name;
    name.Format("photoboothCaption%d", i + 1);
    XmlNode* node = layout->AddElement(name, nullptr);
    node->AddIntElement("Enable", 1);
    node->AddIntElement("Colour", static_cast<int>(caption.m_colour));
    node->AddElement("Font", LogFontToHex(caption.m_font));
    node->AddElement("Text", caption.m_strText);
    node->AddIntElement("Left", caption.m_nLeft);
    node->AddIntElement("Top", caption.m_nTop);
    node->AddIntElement("MaxNumberOfLines", caption.m_nMaxNumberOfLines);
    node->AddIntElement("MaxLineWidthInPixels", caption.m_nMaxLineWidth);
    node->AddIntElement("Angle", TenthsOf(caption.m_dAngle));
    node->AddIntElement("Alignment", caption.m_nAlignment);
  }
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    const LayoutEditBox& box = model.boxes[i];
    const bool qr = box.image == model.photos + 1;
    if (!qr && (box.image < 1 || box.image > kMaxLayoutPhotos)) continue;
    CString name;
    name.Format("PhotoboothCustomLayout%d", i + 1);
    XmlNode* node = layout->AddElement(name, nullptr);
    attribute(node, "left", box.left);
    attribute(node, "top", box.top);
    attribute(node, "width", box.width);
    attribute(node, "height", box.height);
    attribute(node, "image", box.image > model.photos ? -1 : box.image);
    attribute(node, "rotation", TenthsOf(box.rotation));
  }
  CString xml;
  tree.root->Serialize(xml, 0);

  static const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  bytes.assign(kDeclaration, kDeclaration + sizeof(kDeclaration) - 1);
  bytes.insert(bytes.end(), xml.GetString(), xml.GetString() + xml.GetLength());
  bytes.push_back(kMarker);
  bytes.push_back(kCurrentForm);
  PutLength(bytes, thumbnail.size());
  for (const std::vector<BYTE>& layer : layers) PutLength(bytes, layer.size());
  bytes.insert(bytes.end(), thumbnail.begin(), thumbnail.end());
  for (const std::vector<BYTE>& layer : layers) bytes.insert(bytes.end(), layer.begin(), layer.end());
  return TRUE;
}

BOOL ExportPrintLayout(const char* path, const PrintLayoutModel& model, const char* imagesFolder,
                       const std::vector<BYTE>& thumbnail, const PrintLayoutFileHooks& hooks) {
  std::vector<BYTE> bytes;
  if (!BuildPrintLayoutFile(model, imagesFolder, thumbnail, bytes) ||
      !WriteFileReplacing(path, bytes.data(), bytes.size())) {
    Ask(hooks, CString("Error writing file: ") + path, MB_OK | MB_ICONERROR);
    return FALSE;
  }
  return TRUE;
}

BOOL ParsePrintLayoutFile(const BYTE* data, size_t size, PrintLayoutFileContents& contents, CString& error,
                          const char* path) {
  const CString damaged = CString("Error reading file: ") + path;
  // The text runs up to the first marker byte; the binary tail follows it. An empty file has
  // no bytes to search.
  const BYTE* marker = size ? static_cast<const BYTE*>(std::memchr(data, kMarker, size)) : nullptr;
  const size_t textLength = marker ? static_cast<size_t>(marker - data) : size;
  if (marker) {
    size_t offset = textLength + 1;
    const bool current = offset < size && data[offset] == kCurrentForm;
    const bool legacy = offset < size && data[offset] == kMarker;
    ++offset;
    uint32_t thumbnailLength = 0, lengths[4] = {};
    bool haveLengths = current || legacy;
    if (current) haveLengths = TakeLength(data, size, offset, thumbnailLength);
    for (int i = 0; i < 4 && haveLengths; ++i) haveLengths = TakeLength(data, size, offset, lengths[i]);
    // A header or blob cut short is a damaged file: nothing of it is taken, so that no layer
    // image is replaced by part of one, or deleted for want of one.
    if ((current || legacy) && !haveLengths) {
      error = damaged;
      return FALSE;
    }
    if (haveLengths) {
      if (size - offset < thumbnailLength) {
        error = damaged;
        return FALSE;
      }
      offset += thumbnailLength;
      for (int i = 0; i < 4; ++i) {
        if (!lengths[i]) continue;
        // A length past the end of the file is never allocated.
        if (size - offset < lengths[i]) {
          error = damaged;
          return FALSE;
        }
        contents.layers[i].assign(data + offset, data + offset + lengths[i]);
        contents.layerRead[i] = true;
        offset += lengths[i];
      }
    }
  }

  TreeOwner tree;
  CString parseError;
  tree.root = XmlDocument::LoadBuffer(reinterpret_cast<const char*>(data), textLength, nullptr, &parseError);
  // A text that does not parse to its end is refused whole, even when its first part reads.
  if (!tree.root || !parseError.IsEmpty()) {
    error = damaged;
    return FALSE;
  }
  XmlNode* root = tree.root->FindDescendant("morvane_systems_photobooth");
  if (!root) {
    error = "Can't find <morvane_systems_photobooth> tag, file may not be photobooth print layout file";
    return FALSE;
  }
  XmlNode* layout = root->FindChild("photobooth_print_layout");
  if (!layout) {
    error = "Can't find <photobooth_print_layout> tag, file may not be photobooth print layout file";
    return FALSE;
  }
  XmlNode* printer = layout->FindChild("printer_settings");
  if (!printer) {
    error = "Can't find <printer_settings> tag, file may not be photobooth print layout file";
    return FALSE;
  }
  struct Required {
    const char* name;
    int* value;
  };
  int background = 0;
  const Required required[] = {{"x_dpi", &contents.xDpi},           {"y_dpi", &contents.yDpi},
                               {"width", &contents.width},          {"height", &contents.height},
                               {"top_margin", &contents.topMargin}, {"left_margin", &contents.leftMargin}};
  for (const Required& item : required) {
    const char* text = AttributeText(printer, item.name);
    if (!text) {
      error.Format("Can't find %s attribute", item.name);
      return FALSE;
    }
    *item.value = ParseLayoutInt(text);
  }
  const char* right = AttributeText(printer, "right_margin");
  contents.rightMargin = right ? ParseLayoutInt(right) : contents.leftMargin;
  const char* bottom = AttributeText(printer, "bottom_margin");
  contents.bottomMargin = bottom ? ParseLayoutInt(bottom) : contents.topMargin;
  const char* colour = AttributeText(printer, "background_color");
  if (!colour) {
    error = "Can't find background_color attribute";
    return FALSE;
  }
  background = ParseLayoutInt(colour);
  contents.background = static_cast<COLORREF>(background);
  contents.aspectWidth = ParseLayoutInt(AttributeText(printer, "aspect_ratio_width"));
  contents.aspectHeight = ParseLayoutInt(AttributeText(printer, "aspect_ratio_height"));

  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    PhotoboothCaption& caption = contents.captions[i];
    CString name;
    name.Format("photoboothCaption%d", i + 1);
    const XmlNode* node = layout->FindChild(name);
    if (!node) continue;
    contents.captionPresent[i] = true;
    int value = 0;
    if (ChildInt(node, "Enable", value)) caption.m_nEnable = value != 0;
    if (!caption.m_nEnable) continue;
    if (ChildInt(node, "Colour", value)) caption.m_colour = static_cast<COLORREF>(value);
    if (const XmlNode* font = node->FindChild("Font")) HexToLogFont(font->GetText(), caption.m_font);
    if (const XmlNode* text = node->FindChild("Text")) {
      caption.m_strText = text->GetText();
      caption.m_strText.Replace("\r", "\r\n");
    }
    ChildInt(node, "Left", caption.m_nLeft);
    ChildInt(node, "Top", caption.m_nTop);
    if (ChildInt(node, "MaxNumberOfLines", caption.m_nMaxNumberOfLines))
      caption.m_nMaxNumberOfLines = ClampCaptionLines(caption.m_nMaxNumberOfLines);
    ChildInt(node, "MaxLineWidthInPixels", caption.m_nMaxLineWidth);
    if (ChildInt(node, "Angle", value)) caption.m_dAngle = value / 10.0;
    if (!ChildInt(node, "Alignment", caption.m_nAlignment) && ChildInt(node, "Center", value))
      caption.m_nAlignment = value != 0 ? 1 : 0;
  }

  for (int i = 0; i < kLayoutBoxCount; ++i) {
    LayoutEditBox& box = contents.boxes[i];
    CString name;
    name.Format("PhotoboothCustomLayout%d", i + 1);
    const XmlNode* node = layout->FindChild(name);
    if (!node) continue;
    if (const char* image = AttributeText(node, "image")) {
      box.image = ParseLayoutInt(image);
      if (box.image < -1 || box.image > kMaxLayoutPhotos) {
        contents.boxImageOutOfRange = true;
        box.image = 0;
      }
      contents.photos = std::max(contents.photos, box.image);
    }
    box.left = ParseLayoutInt(AttributeText(node, "left"));
    box.top = ParseLayoutInt(AttributeText(node, "top"));
    box.width = ParseLayoutInt(AttributeText(node, "width"));
    box.height = ParseLayoutInt(AttributeText(node, "height"));
    box.rotation = ParseLayoutInt(AttributeText(node, "rotation")) / 10.0;
  }
  return TRUE;
}

BOOL ImportPrintLayout(const char* path, PrintLayoutModel& model, const char* imagesFolder,
                       const PrintLayoutFileHooks& hooks) {
  std::vector<BYTE> data;
  if (!PathFileExistsA(path) || !ReadWholeFile(path, data)) {
    Ask(hooks, "ERROR reading file", MB_OK | MB_ICONERROR);
    return FALSE;
  }
  PrintLayoutFileContents file;
  CString error;
  if (!ParsePrintLayoutFile(data.data(), data.size(), file, error, path)) {
    Ask(hooks, error, MB_OK | MB_ICONERROR);
    return FALSE;
  }

  if (file.aspectWidth >= 1 && file.aspectHeight >= 1 &&
      !(file.aspectWidth == model.aspectWidth && file.aspectHeight == model.aspectHeight) && model.aspectHeight) {
    const double ours = double(model.aspectWidth) / model.aspectHeight;
    const double theirs = double(file.aspectWidth) / file.aspectHeight;
    if (std::fabs(ours - theirs) > 0.01 &&
        Ask(hooks,
            "Aspect ratio doesn't match. Importing this template may result in photos being cropped.\n\n"
            "Do you wish to continue importing this template?",
            MB_YESNO | MB_ICONQUESTION) != IDYES)
      return FALSE;
  }

  const bool pageWide = model.pageWidth > model.pageHeight, pageTall = model.pageHeight > model.pageWidth;
  if ((pageWide && file.height > file.width) || (pageTall && file.width > file.height)) {
    SetPrinterOrientation(GetPrinterOrientation() == 2 ? 1 : 2);
    GetPrinterPageInfo(model.dpiX, model.dpiY, model.pageWidth, model.pageHeight);
    GetPrinterMargins(model.leftMargin, model.topMargin, model.rightMargin, model.bottomMargin);
    Call(hooks.pageChanged);
  }

  // Centre the file's printable area on ours.
  const long long shiftX = (static_cast<long long>(model.leftMargin) + model.pageWidth - model.rightMargin) / 2 -
                           (static_cast<long long>(file.leftMargin) + file.width - file.rightMargin) / 2;
  const long long shiftY = (static_cast<long long>(model.topMargin) + model.pageHeight - model.bottomMargin) / 2 -
                           (static_cast<long long>(file.topMargin) + file.height - file.bottomMargin) / 2;
  for (PhotoboothCaption& caption : file.captions) {
    if (!caption.m_nEnable) continue;
    caption.m_nLeft = ClampToInt(caption.m_nLeft + shiftX);
    caption.m_nTop = ClampToInt(caption.m_nTop + shiftY);
  }
  for (LayoutEditBox& box : file.boxes) {
    box.left = ClampToInt(box.left + shiftX);
    box.top = ClampToInt(box.top + shiftY);
  }
  if (file.boxImageOutOfRange) {
    Ask(hooks, "ERROR image index out of range", MB_OK | MB_ICONERROR);
    return FALSE;
  }

  int printerDpiX, printerDpiY;
  GetPrinterResolution(printerDpiX, printerDpiY);
  if (file.xDpi != file.yDpi) {
    Ask(hooks, "ERROR: Horizontal and vertical resolutions are not the same", MB_OK | MB_ICONERROR);
    return FALSE;
  }
  if (std::llabs(static_cast<long long>(file.xDpi) - printerDpiX) > 1) {
    CString text;
    text.Format("ERROR: layout resolution (%d DPI) does not match printer resolution (%d DPI)", file.xDpi, printerDpiX);
    Ask(hooks, text, MB_OK | MB_ICONERROR);
    return FALSE;
  }

  CString existing;
  for (int i = 0; i < 4; ++i)
    if (PathFileExistsA(LayerPath(imagesFolder, i))) {
      if (!existing.IsEmpty()) existing += ", ";
      existing += kLayoutLayerFiles[i];
    }
  bool apply = true;
  if (!existing.IsEmpty())
    apply = Ask(hooks,
                CString("The following files in the photobooth images folder will be overwritten:\n") + existing +
                    "\n\nDo you wish to continue?",
                MB_YESNO | MB_ICONQUESTION) == IDYES;
  Call(hooks.invalidate);
  if (!apply) return FALSE;

  Call(hooks.layersReplacing);
  for (int i = 0; i < 4; ++i) {
    const CString target = LayerPath(imagesFolder, i);
    if (file.layerRead[i] && !file.layers[i].empty()) {
      // Replaced in one step: a failed write keeps the old image.
      if (!WriteFileReplacing(target, file.layers[i].data(), file.layers[i].size()))
        Ask(hooks, CString("Error writing file: ") + target, MB_OK | MB_ICONERROR);
    } else if (PathFileExistsA(target) && !DeleteFileA(target)) {
      Ask(hooks, "Error deleting file", MB_OK);
    }
  }
  for (int i = 0; i < kLayoutCaptionCount; ++i) model.captions[i] = file.captions[i];
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    model.boxes[i] = file.boxes[i];
    if (model.boxes[i].image < 0) model.boxes[i].image = file.photos + 1;
  }
  model.photos = file.photos;
  model.background = file.background;
  Call(hooks.layoutReplaced);
  return TRUE;
}
