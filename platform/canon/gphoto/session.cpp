#include "platform/canon/gphoto/session.h"

#include "platform/canon/gphoto/libgphoto2_p.h"

#include <cstdio>
#include <cstring>

#include "platform/canon/gphoto/registry.h"
#include "platform/win32/trace.h"

namespace tavgp {

namespace {

void OnError(GPContext*, const char* text, void* data) {
  if (data && text) *static_cast<std::string*>(data) = text;
}

// Loading the drivers' abilities reads every driver: done once per process.
std::mutex g_abilitiesLock;
CameraAbilitiesList* g_abilities = nullptr;

CameraAbilitiesList* Abilities(GPContext* context) {
  std::lock_guard<std::mutex> guard(g_abilitiesLock);
  if (!g_abilities) {
    CameraAbilitiesList* list = nullptr;
    if (gp_abilities_list_new(&list) < GP_OK) return nullptr;
    if (gp_abilities_list_load(list, context) < GP_OK) {
      gp_abilities_list_free(list);
      return nullptr;
    }
    g_abilities = list;
  }
  return g_abilities;
}

}  // namespace

int OpenCamera(const std::string& port, const std::string& model, Handle& h) {
  h.lastError->clear();
  h.context = gp_context_new();
  if (!h.context) return GP_ERROR_NO_MEMORY;
  gp_context_set_error_func(h.context, OnError, h.lastError.get());
  int result = gp_camera_new(&h.camera);
  if (result < GP_OK) {
    CloseCamera(h);
    return result;
  }
  CameraAbilitiesList* abilities = Abilities(h.context);
  int index = abilities ? gp_abilities_list_lookup_model(abilities, model.c_str()) : GP_ERROR_MODEL_NOT_FOUND;
  CameraAbilities a;
  if (index < GP_OK || (result = gp_abilities_list_get_abilities(abilities, index, &a)) < GP_OK ||
      (result = gp_camera_set_abilities(h.camera, a)) < GP_OK) {
    CloseCamera(h);
    return index < GP_OK ? index : result;
  }
  GPPortInfoList* ports = nullptr;
  GPPortInfo info;
  result = gp_port_info_list_new(&ports);
  if (result >= GP_OK) result = gp_port_info_list_load(ports);
  int found = result >= GP_OK ? gp_port_info_list_lookup_path(ports, port.c_str()) : result;
  if (found >= GP_OK) result = gp_port_info_list_get_info(ports, found, &info);
  if (found >= GP_OK && result >= GP_OK) result = gp_camera_set_port_info(h.camera, info);
  if (ports) gp_port_info_list_free(ports);
  if (found < GP_OK || result < GP_OK) {
    CloseCamera(h);
    return found < GP_OK ? found : result;
  }
  result = gp_camera_init(h.camera, h.context);
  if (result < GP_OK) CloseCamera(h);
  return result;
}

void CloseCamera(Handle& h) {
  if (h.camera) {
    gp_camera_exit(h.camera, h.context);
    gp_camera_unref(h.camera);
    h.camera = nullptr;
  }
  if (h.context) {
    gp_context_unref(h.context);
    h.context = nullptr;
  }
}

std::string StatusText(Handle& h, const char* name) {
  CameraWidget* widget = nullptr;
  std::string text;
  if (gp_camera_get_single_config(h.camera, name, &widget, h.context) >= GP_OK) {
    CameraWidgetType type;
    const char* value = nullptr;
    if (gp_widget_get_type(widget, &type) >= GP_OK && type == GP_WIDGET_TEXT &&
        gp_widget_get_value(widget, &value) >= GP_OK && value)
      text.assign(value, strnlen(value, 256));
    gp_widget_free(widget);
  }
  return text;
}

void QueueEvent(Session& s, WORD code, DWORD parameter) {
  prEventRecord record{};
  record.Length = 16;
  record.Type = 4;
  record.Code = code;
  record.Parameter[0] = parameter;
  s.outbox.push_back(record);
  s.wake.notify_all();
}

void MarkGone(Session& s) {
  if (s.gone) return;
  s.gone = true;
  TRACE("tavgp - the camera on %s stopped answering\n", s.port.c_str());
  QueueEvent(s, prPTP_EVENT_SHUTDOWN);
}

void LearnCamera(Session& s) {
  Handle& h = s.handle;
  CameraText summary;
  std::string text;
  if (gp_camera_get_summary(h.camera, &summary, h.context) >= GP_OK)
    text.assign(summary.text, strnlen(summary.text, sizeof summary.text));
  CameraIdentity identity = ParseSummaryIdentity(text);
  identity.manufacturer = StatusText(h, "manufacturer");
  identity.model = StatusText(h, "cameramodel");
  identity.version = StatusText(h, "deviceversion");
  identity.serial = StatusText(h, "serialnumber");
  std::vector<WORD> operations = {0x1001, 0x1002, 0x1003, 0x1014, 0x1015, 0x1016, 0x9008, 0x9009};
  CameraAbilities a;
  if (gp_camera_get_abilities(h.camera, &a) >= GP_OK && (a.operations & GP_OPERATION_CAPTURE_PREVIEW)) {
    operations.push_back(prPTP_OC_INITIATE_VIEWFINDER);
    operations.push_back(prPTP_OC_TERMINATE_VIEWFINDER);
  }
  CameraWidget* focus = nullptr;
  if (gp_camera_get_single_config(h.camera, "focuslock", &focus, h.context) >= GP_OK) {
    operations.push_back(prPTP_OC_FOCUS_LOCK);
    gp_widget_free(focus);
  }
  std::map<WORD, PropertyShape> shapes = ParseSummaryProperties(text);
  std::lock_guard<std::mutex> guard(s.lock);
  if (!identity.model.empty()) s.shownModel = identity.model;
  s.identity = identity;
  s.operations = operations;
  s.shapes = shapes;
}

prResponse FromGp(int result) {
  switch (result) {
    case GP_OK: return prOK;
    case GP_ERROR_CAMERA_BUSY:
    case GP_ERROR_IO_USB_CLAIM: return prDEVICE_BUSY;
    case GP_ERROR_NOT_SUPPORTED: return prNOT_SUPPORTED;
    case GP_ERROR_BAD_PARAMETERS: return prINVALID_PARAMETER;
    default: return result >= GP_OK ? prOK : kCommunicationError;
  }
}

}  // namespace tavgp
