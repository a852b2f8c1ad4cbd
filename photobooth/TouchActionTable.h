// The touch actions: each code a touchscreen area can hold, its label and the booth screens on
// which the touchscreen editor offers it. Header only, so the editors can list the actions
// without linking the booth window.
#pragma once

/// Screen bits of a touch action's screen mask.
enum TouchScreenBits : int {
  kTouchScreenReady = 0x01,
  kTouchScreenVideoReady = 0x02,
  kTouchScreenWelcome = 0x04,
  kTouchScreenConfirm = 0x08,
  kTouchScreenVideoFinished = 0x10,
  kTouchScreenVideoCapture = 0x20,
  kTouchScreenShare = 0x80,
};

/// The action codes the windows name in their own code.
enum TouchActionCode : int {
  kTouchNoAction = 0,
  kTouchStart = 1,
  kTouchBlackWhiteStart = 2,
  kTouchColourStart = 3,
  kTouchSelectBlackWhite = 4,
  kTouchSelectColour = 5,
  kTouchOneCopy = 6,
  kTouchFiveCopies = 10,
  kTouchIncreasePrints = 11,
  kTouchDecreasePrints = 12,
  kTouchSelectProfile1 = 13,
  kTouchSelectProfile6 = 18,
  kTouchZoomIn = 19,
  kTouchZoomOut = 20,
  kTouchReprint = 21,
  kTouchConfirmPrinting = 22,
  kTouchCancelPrinting = 23,
  kTouchExit = 24,
  kTouchToggleStandby = 25,
  kTouchSelectToned = 26,
  kTouchToggleColourBlackWhite = 27,
  kTouchCycleColourMode = 28,
  kTouchSelectProfile7 = 29,
  kTouchSelectProfile8 = 30,
  kTouchTonedStart = 31,
  kTouchNextProfile = 32,
  kTouchPreviousProfile = 33,
  kTouchFastReprint = 34,
  kTouchStandbyToReady = 35,
  kTouchShareFacebook = 36,
  kTouchShareEmail = 37,
  kTouchShareClose = 38,
  kTouchShowSharingScreen = 39,
  kTouchConfirmNoJpegCopy = 40,
  kTouchSelectProfile9 = 41,
  kTouchSelectProfile18 = 50,
  kTouchSixCopies = 51,
  kTouchNineCopies = 54,
  kTouchProfile1Start = 55,
  kTouchProfile8Start = 62,
  kTouchSharePrint = 63,
  kTouchShareEditMessage = 64,
  kTouchShareTwitter = 65,
  kTouchShareMms = 66,
};

/// Highest code the booth window carries out; codes above it belong to the sharing screen.
constexpr int kTouchHighestWindowAction = 62;

struct TouchActionRow {
  int code;
  const char* label;
  int screenMask;
};

constexpr int kTouchActionCount = 67;

/// The actions in the order the editor lists them.
constexpr TouchActionRow kTouchActionTable[kTouchActionCount] = {
    {0, "No action", 0},
    {1, "Start", kTouchScreenReady},
    {2, "B&W Start", kTouchScreenReady},
    {3, "Color Start", kTouchScreenReady},
    {31, "Toned start", kTouchScreenReady},
    {4, "Select B&W mode", kTouchScreenReady},
    {5, "Select color mode", kTouchScreenReady},
    {26, "Select B&W (toned) mode", kTouchScreenReady},
    {27, "Toggle color/B&W mode", kTouchScreenReady},
    {28, "Color/B&W/B&W (toned)", kTouchScreenReady},
    {6, "1 copy of prints", kTouchScreenReady | kTouchScreenConfirm},
    {7, "2 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
    {8, "3 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
    {9, "4 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
    {10, "5 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
    {51, "6 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
    {52, "7 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
    {53, "8 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
    {54, "9 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
    {11, "Increase num prints", kTouchScreenReady},
    {12, "Decrease num prints", kTouchScreenReady},
    {21, "Reprint photos", kTouchScreenReady},
    {34, "Fast reprint photos", kTouchScreenReady},
    {22, "Confirm printing", kTouchScreenConfirm},
    {40, "Confirm printing (no JPEG copy)", kTouchScreenConfirm},
    {23, "Cancel printing", kTouchScreenConfirm},
    {36, "Sharing: Facebook upload", kTouchScreenShare},
    {37, "Sharing: Email photos", kTouchScreenShare},
    {63, "Sharing: Print photos", kTouchScreenShare},
    {64, "Sharing: Edit message", kTouchScreenShare},
    {65, "Sharing: Twitter tweet", kTouchScreenShare},
    {66, "Sharing: Send MMS/SMS", kTouchScreenShare},
    {38, "Sharing: Close sharing screen", kTouchScreenShare},
    {39, "Display sharing screen", kTouchScreenReady},
    {13, "Select profile 1", kTouchScreenReady},
    {14, "Select profile 2", kTouchScreenReady},
    {15, "Select profile 3", kTouchScreenReady},
    {16, "Select profile 4", kTouchScreenReady},
    {17, "Select profile 5", kTouchScreenReady},
    {18, "Select profile 6", kTouchScreenReady},
    {29, "Select profile 7", kTouchScreenReady},
    {30, "Select profile 8", kTouchScreenReady},
    {41, "Select profile 9", kTouchScreenReady},
    {42, "Select profile 10", kTouchScreenReady},
    {43, "Select profile 11", kTouchScreenReady},
    {44, "Select profile 12", kTouchScreenReady},
    {45, "Select profile 13", kTouchScreenReady},
    {46, "Select profile 14", kTouchScreenReady},
    {47, "Select profile 15", kTouchScreenReady},
    {48, "Select profile 16", kTouchScreenReady},
    {49, "Select profile 17", kTouchScreenReady},
    {50, "Select profile 18", kTouchScreenReady},
    {55, "Select profile 1 + start", kTouchScreenReady},
    {56, "Select profile 2 + start", kTouchScreenReady},
    {57, "Select profile 3 + start", kTouchScreenReady},
    {58, "Select profile 4 + start", kTouchScreenReady},
    {59, "Select profile 5 + start", kTouchScreenReady},
    {60, "Select profile 6 + start", kTouchScreenReady},
    {61, "Select profile 7 + start", kTouchScreenReady},
    {62, "Select profile 8 + start", kTouchScreenReady},
    {32, "Select next profile", kTouchScreenReady | kTouchScreenWelcome},
    {33, "Select previous profile", kTouchScreenReady | kTouchScreenWelcome},
    {19, "Zoom in", kTouchScreenReady},
    {20, "Zoom out", kTouchScreenReady},
    {35, "Switch from standby to ready", kTouchScreenWelcome},
    {25, "Toggle standby mode(F6)", kTouchScreenReady | kTouchScreenWelcome},
    {24, "Exit fullscreen photobooth", kTouchScreenReady},
};

/// The row of a code; nullptr for a code outside the table.
constexpr const TouchActionRow* FindTouchAction(int code) {
  for (const TouchActionRow& row : kTouchActionTable) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

/// The label of a code; "" for a code outside the table.
constexpr const char* TouchActionLabel(int code) {
  const TouchActionRow* row = FindTouchAction(code);
  return row ? row->label : "";
}

/// The screens a code is offered on; 0 for a code outside the table.
constexpr int TouchActionScreenMask(int code) {
  const TouchActionRow* row = FindTouchAction(code);
  return row ? row->screenMask : 0;
}

/// The profile (1..18) a "Select profile N" code selects, else 0.
constexpr int TouchActionProfile(int code) {
  if (code >= kTouchSelectProfile1 && code <= kTouchSelectProfile6) return code - kTouchSelectProfile1 + 1;
  if (code == kTouchSelectProfile7 || code == kTouchSelectProfile8) return code - kTouchSelectProfile7 + 7;
  if (code >= kTouchSelectProfile9 && code <= kTouchSelectProfile18) return code - kTouchSelectProfile9 + 9;
  return 0;
}

/// The number of prints (1..9) a "N copies of prints" code sets, else 0.
constexpr int TouchActionCopies(int code) {
  if (code >= kTouchOneCopy && code <= kTouchFiveCopies) return code - kTouchOneCopy + 1;
  if (code >= kTouchSixCopies && code <= kTouchNineCopies) return code - kTouchSixCopies + 6;
  return 0;
}
