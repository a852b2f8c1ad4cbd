#include "app/MainMenu.h"

#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

#include "app/Resource.h"
#include "photobooth/BoothCommands.h"
#include "platform/user/input.h"
#include "platform/user/window.h"

namespace {

struct MenuEntry {
  UINT id;  // 0: a separator
  const char* text;
};

HMENU Popup(std::initializer_list<MenuEntry> entries) {
  HMENU popup = CreatePopupMenu();
  for (const MenuEntry& entry : entries) {
    if (entry.id == 0) AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    else AppendMenuA(popup, MF_STRING, entry.id, entry.text);
  }
  return popup;
}

void AddPopup(HMENU bar, const char* title, HMENU popup) {
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
}

// The window layer does not free a window's menu with the window, so the menus shown are kept here.
struct AttachedMenus {
  std::vector<std::pair<HWND, HMENU>> menus;
  ~AttachedMenus() {
    for (auto& shown : menus) DestroyMenu(shown.second);
  }
};

}  // namespace

BOOL AttachMainMenu(HWND window, HMENU menu) {
  static AttachedMenus attached;
  if (!SetMenu(window, menu)) return FALSE;
  auto& menus = attached.menus;
  for (auto it = menus.begin(); it != menus.end();) {
    if (it->second == menu) {
      it = menus.erase(it);  // shown again: listed once below
    } else if (it->first == window || !IsWindow(it->first)) {
      DestroyMenu(it->second);
      it = menus.erase(it);
    } else {
      ++it;
    }
  }
  menus.emplace_back(window, menu);
  return TRUE;
}

HMENU BuildMainMenu() {
  HMENU bar = CreateMenu();
  AddPopup(bar, "&File",
           Popup({{ID_RENAME_IMAGE, "Rename Image...\tCtrl+R"},
                  {ID_DELETE_IMAGE, "&Delete Image\tDel"},
                  {0, nullptr},
                  {ID_PREFERENCES, "&Preferences..."},
                  {ID_SETUP_EDITOR, "Setup Image &Editor..."},
                  {ID_POST_PROCESSING, "Post Processing..."},
                  {ID_COLOUR_MANAGEMENT, "Color Management Settings..."},
                  {0, nullptr},
                  {ID_FILE_PRINT_SETUP, "Printer Setup..."},
                  {ID_START_PHOTOBOOTH, "&Full Screen Photobooth mode...\tCtrl+F4"},
                  {ID_REPRINT_PHOTOS, "Reprint Photos\tCtrl+Shift+R"},
                  {ID_PRINT_SELECTED_PHOTOS, "Print Selected Photobooth Photos..."},
                  {ID_PHOTOBOOTH_SETTINGS, "Photobooth &Settings...\tCtrl+S"},
                  {ID_PHOTOBOOTH_SETUP_WIZARD, "Photobooth Setup Wizard..."},
                  {0, nullptr},
                  {ID_APP_EXIT, "E&xit"}}));
  AddPopup(bar, "&Camera",
           Popup({{ID_CONNECT_CAMERA, "Connect to camera"},
                  {ID_RELEARN_CAMERA_SETTINGS, "Re-learn Camera Settings"},
                  {ID_AUTO_RECONNECT, "Auto Reconnect"},
                  {ID_REFRESH, "&Refresh\tF5"},
                  {0, nullptr},
                  {ID_SAVE_PC_ONLY, "Save to &PC only"},
                  {ID_SAVE_CAMERA_AND_PC, "&Save to Camera && PC"},
                  {ID_SAVE_CAMERA_ONLY, "Save to &Camera only"},
                  {0, nullptr},
                  {ID_VIEWFINDER_LCD, "Viewfinder to LCD"},
                  {ID_VIEWFINDER_VIDEO_OUT, "Viewfinder to Video Out"},
                  {ID_VIEWFINDER_OFF, "Viewfinder Off"},
                  {ID_CAMERA_BEEP, "Camera Beep"},
                  {ID_MOTION_DETECTION, "Motion Detection..."},
                  {ID_TIME_LAPSE, "&Time Lapse..."},
                  {0, nullptr},
                  {ID_REGISTER_STI, "&Register for camera events"},
                  {ID_UNREGISTER_STI, "&Unregister for camera events"}}));

  HMENU view = Popup({{ID_LIVE_VIEWFINDER, "Live Viewfinder\tCtrl+L"}});
  AddPopup(view, "Viewfinder Size",
           Popup({{ID_VIEWFINDER_SCALE_1X, "1x (320x240 pixels)"},
                  {ID_VIEWFINDER_SCALE_1X + 1, "2x (640x480 pixels)"},
                  {ID_VIEWFINDER_SCALE_1X + 2, "3x (960x720 pixels)"},
                  {ID_VIEWFINDER_SCALE_4X, "4x (1280x960 pixels)"},
                  {ID_VIEWFINDER_FILL_SCREEN, "Fill Screen"}}));
  AppendMenuA(view, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(view, MF_STRING, ID_FULL_SCREEN, "&Full Screen\tF11");
  AppendMenuA(view, MF_STRING, ID_PHOTOBOOTH_SHOT, "Photobooth Shot\tF4");
  AppendMenuA(view, MF_STRING, ID_DISPLAY_GRID, "Display &Grid\tCtrl+G");
  AppendMenuA(view, MF_STRING, ID_GRID_SETTINGS, "Grid &Settings...");
  AppendMenuA(view, MF_STRING, ID_FLASHING_HIGHLIGHTS, "F&lashing Highlights\tCtrl+H");
  AppendMenuA(view, MF_STRING, ID_HIGHLIGHT_SETTINGS, "&Highlight Settings...");
  AppendMenuA(view, MF_STRING, ID_HQ_SHARPENING, "HQ Sharpening\tCtrl+Q");
  AppendMenuA(view, MF_STRING, ID_SHARPENING_SETTINGS, "Sharpening Settings...");
  AppendMenuA(view, MF_STRING, ID_BLANK_SCREEN, "&Blank screen when taking photo");
  AppendMenuA(view, MF_STRING, ID_PHOTOBOOTH_SHORTCUTS, "Photobooth Shortcuts");
  AppendMenuA(view, MF_STRING, ID_PHOTOBOOTH_SHORTCUTS_SETTINGS, "Photobooth Shortcuts Settings...");
  AppendMenuA(view, MF_SEPARATOR, 0, nullptr);
  AddPopup(view, "Orientation",
           Popup({{ID_ORIENTATION_LANDSCAPE, "Landscape"},
                  {ID_ORIENTATION_LANDSCAPE + 1, "Portrait (90CCW)"},
                  {ID_ORIENTATION_LANDSCAPE + 2, "Portrait (90CW)"},
                  {ID_ORIENTATION_LANDSCAPE + 3, "Inverted"},
                  {ID_ORIENTATION_SENSOR, "Use Orientation Sensor"}}));
  AppendMenuA(view, MF_STRING, ID_AUTO_ROTATE, "Auto-rotate");
  AppendMenuA(view, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(view, MF_STRING, ID_NEXT_IMAGE, "&Next Image\tCtrl+N");
  AppendMenuA(view, MF_STRING, ID_PREVIOUS_IMAGE, "&Previous Image\tCtrl+P");
  AppendMenuA(view, MF_STRING, ID_EDIT_IMAGE, "&Edit Image\tCtrl+E");
  AddPopup(bar, "&View", view);

  AddPopup(bar, "&Sharing",
           Popup({{ID_EMAIL_SERVER_SETTINGS, "Email Server Settings..."},
                  {ID_SEND_EMAILS, "Send emails..."},
                  {ID_EDIT_QR_CODE, "Edit QR code..."}}));

  AddPopup(bar, "&Help",
           Popup({{ID_HELP_CONTENTS, "&Contents..."},
                  {ID_CHECK_UPDATES, "Check for &updates online"},
                  {ID_VISIT_WEBSITE, "&Visit Website"},
                  {0, nullptr},
                  {ID_APP_ABOUT, "&About Tavorin..."}}));
  return bar;
}

void RegisterMainAccelerators() {
  static const ACCEL keys[] = {
      {FVIRTKEY, VK_F5, ID_REFRESH},
      {FVIRTKEY, VK_F8, IDC_RELEASE},
      {FVIRTKEY, VK_F9, IDC_PREVIEW},
      {FVIRTKEY, VK_UP, ID_ZOOM_IN},
      {FVIRTKEY, VK_DOWN, ID_ZOOM_OUT},
      {FVIRTKEY | FCONTROL, 'L', ID_LIVE_VIEWFINDER},
      {FVIRTKEY | FCONTROL, 'G', ID_DISPLAY_GRID},
      {FVIRTKEY | FCONTROL, 'H', ID_FLASHING_HIGHLIGHTS},
      {FVIRTKEY | FCONTROL, 'Q', ID_HQ_SHARPENING},
      {FVIRTKEY | FCONTROL, 'R', ID_RENAME_IMAGE},
      {FVIRTKEY | FCONTROL, 'S', ID_PHOTOBOOTH_SETTINGS},
      {FVIRTKEY, VK_DELETE, ID_DELETE_IMAGE},
      {FVIRTKEY | FCONTROL, 'E', ID_EDIT_IMAGE},
      {FVIRTKEY | FCONTROL, 'N', ID_NEXT_IMAGE},
      {FVIRTKEY, VK_NEXT, ID_NEXT_IMAGE},
      {FVIRTKEY | FCONTROL, 'P', ID_PREVIOUS_IMAGE},
      {FVIRTKEY, VK_PRIOR, ID_PREVIOUS_IMAGE},
      {FVIRTKEY, VK_F7, ID_IMAGE_PREVIEW},
      {FVIRTKEY, VK_F11, ID_FULL_SCREEN},
      {FVIRTKEY, VK_F4, ID_PHOTOBOOTH_SHOT},
      {FVIRTKEY, VK_F2, ID_PHOTOBOOTH_BW_START},
      {FVIRTKEY, VK_F3, ID_PHOTOBOOTH_COLOUR_START},
      {FVIRTKEY | FCONTROL | FSHIFT | FALT, '5', ID_PHOTOBOOTH_SHOT_FULLSCREEN},
      {FVIRTKEY | FCONTROL, VK_F4, ID_START_PHOTOBOOTH},
      {FVIRTKEY | FCONTROL | FSHIFT, 'R', ID_REPRINT_PHOTOS},
  };
  std::vector<ACCEL> table(std::begin(keys), std::end(keys));
  // Profiles 1-9 on Shift+Ctrl+1 ... 9, profiles 10-18 on Shift+Ctrl+F1 ... F9.
  for (WORD i = 0; i < 9; ++i) {
    table.push_back({FVIRTKEY | FCONTROL | FSHIFT, static_cast<WORD>('1' + i), static_cast<WORD>(ID_PHOTOBOOTH_PROFILE_FIRST + i)});
    table.push_back({FVIRTKEY | FCONTROL | FSHIFT, static_cast<WORD>(VK_F1 + i), static_cast<WORD>(ID_PHOTOBOOTH_PROFILE_FIRST + 9 + i)});
  }
  AddAcceleratorResource(IDR_MAINFRAME, table.data(), static_cast<int>(table.size()));
}
