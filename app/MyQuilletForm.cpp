#include "app/MyQuilletForm.h"

#include "app/Resource.h"
#include "platform/mfc/afxwin.h"

void RegisterMyQuilletForm() {
  using K = DlgItemKind;
  DlgTemplate form{IDD_MYQUILLET_FORM, "", {}, WS_CHILD | WS_VISIBLE};
  form.items = {
      {IDC_RELEASE, K::Button, "Release (F8)", nullptr, 0, 0, "Shoot"},
      {IDC_PREVIEW, K::Button, "Preview (F9)", nullptr, 0, 0, "Shoot"},
      {IDC_AUTOBRACKET, K::Check, "Auto-bracket", "AutoBracket", 0, 0, "Shoot"},
      {IDC_AUTOBRACKET_SETTINGS, K::Button, "Settings...", nullptr, 0, 0, "Shoot"},
      {IDC_BATTERY, K::Label, "Battery:", nullptr, 0, 0, "Camera"},
      {IDC_LENS, K::Label, "Lens:", nullptr, 0, 0, "Camera"},
      {IDC_DIGITALZOOM, K::Label, "Digital zoom:", nullptr, 0, 0, "Camera"},
      {IDC_ZOOM, K::Slider, "Zoom:", "Zoom", 0, 100, "Camera"},
      {IDC_DOWNLOAD_PROGRESS, K::Progress, nullptr, nullptr, 0, 100, "Camera"},
      {IDC_EXPMODE, K::Combo, "Exp mode:", "ExpMode", 0, 0, "Exposure"},
      {IDC_TV, K::Combo, "Tv:", "Tv", 0, 0, "Exposure"},
      {IDC_AV, K::Combo, "Av:", "Av", 0, 0, "Exposure"},
      {IDC_AFLOCK, K::Check, "AF lock", nullptr, 0, 0, "Exposure"},
      {IDC_ISO, K::Combo, "ISO:", "ISO", 0, 0, "Exposure"},
      {IDC_EXPCOMP, K::Combo, "Exposure compensation:", "ExpComp", 0, 0, "Exposure"},
      {IDC_SIZEQUALITY, K::Combo, "Size/Quality:", "SizeQuality", 0, 0, "Image"},
      {IDC_WHITEBALANCE, K::Combo, "White balance:", "WhiteBalance", 0, 0, "Image"},
      {IDC_PHOTOEFFECT, K::Combo, "Photo Effect:", "PhotoEffect", 0, 0, "Image"},
      {IDC_METERING, K::Combo, "Metering Mode:", "MeteringMode", 0, 0, "Image"},
      {IDC_AFDISTANCE, K::Combo, "Auto-focus distance:", "AFDistance", 0, 0, "Focus and flash"},
      {IDC_FOCUSPOINTS, K::Combo, "Focus points:", "FocusPoints", 0, 0, "Focus and flash"},
      {IDC_FLASH, K::Combo, "Flash:", "Flash", 0, 0, "Focus and flash"},
      {IDC_FLASHOUTPUT, K::Combo, nullptr, nullptr, 0, 0, "Focus and flash"},
      {IDC_FLASHCOMP, K::Combo, "Flash compensation:", "FlashComp", 0, 0, "Focus and flash"},
      {IDC_PHOTOBOOTH_PRINTER_SETUP, K::Button, "Printer\nSetup", nullptr, 0, 0, "Photobooth Shortcuts"},
      {IDC_PHOTOBOOTH_EDIT_QR_CODE, K::Button, "Edit\nQR Code", nullptr, 0, 0, "Photobooth Shortcuts"},
      {IDC_PHOTOBOOTH_SETUP_WIZARD, K::Button, "Photobooth\nSetup\nWizard", nullptr, 0, 0, "Photobooth Shortcuts"},
      {IDC_PHOTOBOOTH_CUSTOM_LAYOUT, K::Button, "Print\nLayout", nullptr, 0, 0, "Photobooth Shortcuts"},
      {IDC_PHOTOBOOTH_ADVANCED_SETTINGS, K::Button, "Advanced\nSettings", nullptr, 0, 0, "Photobooth Shortcuts"},
      {IDC_REPRINT_PHOTOBOOTH_PHOTOS, K::Button, "Reprint Photobooth Photos", nullptr, 0, 0, "Photobooth Shortcuts"},
      {IDC_START_PHOTOBOOTH, K::Button, "Start\nPhotobooth", nullptr, 0, 0, "Photobooth Shortcuts"},
      {IDC_COMMENT, K::Edit, "Comment:", "Comment", 0, 0, "Photo"},
      {IDC_PREV_IMAGE, K::Button, "<- Prev Image", nullptr, 0, 0, "Photo"},
      {IDC_NEXT_IMAGE, K::Button, "Next Image ->", nullptr, 0, 0, "Photo"},
      {IDC_HISTOGRAM, K::Picture, nullptr, nullptr, 256, 100, "Photo"},
      {IDC_PICTURE, K::Picture, nullptr, nullptr, 320, 240, "Photo"},
  };
  // Three columns: taking and camera; image, flash and the photobooth shortcuts; the photo with
  // its histogram.
  form.columnStarts = {"Shoot", "Image", "Photo"};
  form.groupIds = {{"Photobooth Shortcuts", IDC_PHOTOBOOTH_SHORTCUTS}};
  // The view lays the shortcut buttons out in rows itself, by their shown flags.
  form.placedGroups = {"Photobooth Shortcuts"};
  AfxRegisterDialogTemplate(form);
}
