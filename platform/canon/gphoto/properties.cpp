// Settings: the camera's PTP properties through libgphoto2's configuration widgets, which
// name each property by its hex code ("d01c") and carry its values as decimal text.
#include "platform/canon/gphoto/libgphoto2_p.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/canon/backend.h"
#include "platform/canon/gphoto/registry.h"

namespace tavgp {

namespace {

std::string WidgetName(WORD code) {
  char name[8];
  std::snprintf(name, sizeof name, "%04x", code);
  return name;
}

std::string Text(const char* value) { return value ? std::string(value, strnlen(value, 64)) : std::string(); }

bool ReadWidget(CameraWidget* widget, WidgetView& view) {
  CameraWidgetType type;
  if (gp_widget_get_type(widget, &type) < GP_OK) return false;
  int readOnly = 0;
  gp_widget_get_readonly(widget, &readOnly);
  view.readOnly = readOnly != 0;
  if (type == GP_WIDGET_RANGE) {
    view.kind = WidgetView::kRange;
    return gp_widget_get_range(widget, &view.minimum, &view.maximum, &view.step) >= GP_OK &&
           gp_widget_get_value(widget, &view.value) >= GP_OK;
  }
  if (type != GP_WIDGET_MENU && type != GP_WIDGET_RADIO && type != GP_WIDGET_TEXT) return false;
  const char* value = nullptr;
  if (gp_widget_get_value(widget, &value) < GP_OK) return false;
  view.current = Text(value);
  if (type == GP_WIDGET_TEXT) return true;
  view.kind = WidgetView::kMenu;
  int count = gp_widget_count_choices(widget);
  if (count < 0 || count > 4096) return false;
  for (int i = 0; i < count; ++i) {
    const char* choice = nullptr;
    if (gp_widget_get_choice(widget, i, &choice) < GP_OK) return false;
    view.choices.push_back(Text(choice));
  }
  return true;
}

struct Setting {
  std::shared_ptr<Session> session;
  PropertyShape shape;
};

prResponse Find(prHCamera camera, WORD code, Setting& setting) {
  setting.session = FindSession(camera);
  if (!setting.session) return prINVALID_HANDLE;
  std::lock_guard<std::mutex> guard(setting.session->lock);
  if (!setting.session->connected) return prINVALID_FN_CALL;
  if (setting.session->gone) return kCommunicationError;
  auto it = setting.session->shapes.find(code);
  if (it == setting.session->shapes.end() || !TypeWidth(it->second.dataType)) return prPROPERTY_NOT_FOUND;
  setting.shape = it->second;
  return prOK;
}

// Reads the property's widget (io held).
prResponse Read(Session& s, WORD code, WidgetView& view) {
  CameraWidget* widget = nullptr;
  int result = gp_camera_get_single_config(s.handle.camera, WidgetName(code).c_str(), &widget, s.handle.context);
  if (result < GP_OK) return result == GP_ERROR_BAD_PARAMETERS ? prPROPERTY_NOT_FOUND : FromGp(result);
  bool ok = ReadWidget(widget, view);
  gp_widget_free(widget);
  return ok ? prOK : prPROPERTY_NOT_FOUND;
}

// The release data kind (what a release sends to the computer) is the program's choice, which
// the camera layer makes before every release. libgphoto2 picks the camera's transfer mode for
// each capture itself (memory or card), and other makers' cameras use this code for settings of
// their own: the choice is held by the back end and never sent to the camera.
constexpr WORD kReleaseDataKind = 0xD029;

prResponse CopyOut(const std::vector<BYTE>& bytes, prUInt32* bufferSize, prVoid* buffer) {
  if (!buffer || *bufferSize < bytes.size()) {
    *bufferSize = static_cast<prUInt32>(bytes.size());
    return prINSUFFICIENT_BUFFER;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  *bufferSize = static_cast<prUInt32>(bytes.size());
  return prOK;
}

// The PTP response code in libgphoto2's text of a refused set ("... was not set (0x201c: ...").
DWORD ResponseIn(const std::string& text) {
  size_t at = text.find("(0x");
  if (at == std::string::npos) return 0;
  DWORD code = 0;
  for (size_t i = at + 3; i < text.size() && i < at + 7; ++i) {
    char c = text[i];
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return 0;
    code = code << 4 | DWORD(digit);
  }
  return code;
}

// The property's setting and its widget as the camera has it now; busy when another call holds
// the camera longer than a setting may wait.
prResponse FindAndRead(prHCamera camera, prUInt16 code, Setting& setting, WidgetView& view) {
  if (prResponse r = Find(camera, code, setting)) return r;
  Session& s = *setting.session;
  std::unique_lock<std::timed_mutex> io(s.io, std::defer_lock);
  if (!io.try_lock_for(kSettingWait)) return prDEVICE_BUSY;
  return Read(s, code, view);
}

}  // namespace

prResponse PR_GetDevicePropDesc(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer) {
  if (!bufferSize) return prINVALID_PARAMETER;
  Setting setting;
  WidgetView view;
  if (prResponse r = FindAndRead(camera, code, setting, view)) return r;
  std::vector<BYTE> desc;
  if (!DescribeProperty(code, setting.shape, view, desc)) return prPROPERTY_NOT_FOUND;
  return CopyOut(desc, bufferSize, buffer);
}

prResponse PR_GetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer) {
  if (!bufferSize) return prINVALID_PARAMETER;
  if (code == kReleaseDataKind) {
    prResponse error;
    auto s = FindConnectedSession(camera, error);
    if (!s) return error;
    std::lock_guard<std::mutex> guard(s->lock);
    return CopyOut({BYTE(s->releaseDataKind), BYTE(s->releaseDataKind >> 8)}, bufferSize, buffer);
  }
  Setting setting;
  WidgetView view;
  if (prResponse r = FindAndRead(camera, code, setting, view)) return r;
  std::vector<BYTE> value;
  bool ok = view.kind == WidgetView::kRange ? TextToValue(setting.shape.dataType, std::to_string(long(view.value)), value)
                                            : TextToValue(setting.shape.dataType, view.current, value);
  if (!ok) return prPROPERTY_NOT_FOUND;
  return CopyOut(value, bufferSize, buffer);
}

prResponse PR_SetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32 size, const prVoid* data) {
  if (code == kReleaseDataKind) {
    if (size != 2 || !data) return prINVALID_PARAMETER;
    prResponse error;
    auto s = FindConnectedSession(camera, error);
    if (!s) return error;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    std::lock_guard<std::mutex> guard(s->lock);
    s->releaseDataKind = WORD(bytes[0] | bytes[1] << 8);
    return prOK;
  }
  Setting setting;
  if (prResponse r = Find(camera, code, setting)) return r;
  std::string text;
  if (!ValueToText(setting.shape.dataType, data, size, text)) return prINVALID_PARAMETER;
  if (!setting.shape.writable) return prINVALID_PROPERTY_VALUE;
  Session& s = *setting.session;
  std::unique_lock<std::timed_mutex> io(s.io, std::defer_lock);
  if (!io.try_lock_for(kSettingWait)) return prDEVICE_BUSY;
  CameraWidget* widget = nullptr;
  std::string name = WidgetName(code);
  int result = gp_camera_get_single_config(s.handle.camera, name.c_str(), &widget, s.handle.context);
  if (result < GP_OK) return result == GP_ERROR_BAD_PARAMETERS ? prPROPERTY_NOT_FOUND : FromGp(result);
  CameraWidgetType type;
  gp_widget_get_type(widget, &type);
  if (type == GP_WIDGET_RANGE) {
    float value = std::strtof(text.c_str(), nullptr);
    result = gp_widget_set_value(widget, &value);
  } else {
    result = gp_widget_set_value(widget, text.c_str());
  }
  s.handle.lastError->clear();
  if (result >= GP_OK) result = gp_camera_set_single_config(s.handle.camera, name.c_str(), widget, s.handle.context);
  gp_widget_free(widget);
  // libgphoto2 may answer success for a value the camera refused; its error text tells.
  if (result >= GP_OK && s.handle.lastError->empty()) return prOK;
  DWORD response = ResponseIn(*s.handle.lastError);
  if (response == 0x2019) return prDEVICE_BUSY;
  if (result < GP_OK && result != GP_ERROR && result != GP_ERROR_BAD_PARAMETERS) return FromGp(result);
  return prINVALID_PROPERTY_VALUE;
}

}  // namespace tavgp
