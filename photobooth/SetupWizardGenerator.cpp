#include "photobooth/SetupWizardGenerator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/PhotoboothEffects.h"
#include "config/PhotoboothSettingsFile.h"
#include "keyboard/KeyboardGlobals.h"
#include "photobooth/TouchActionTable.h"
#include "platform/gdi/wingdi.h"
#include "platform/polyimage/polyimage.h"
#include "camera/CameraNaming.h"
#include "printlayout/PresetPrintLayoutsDlg.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// A failure inside the generation: the message shown, the wizard ends.
struct GenerationError {
  CString message;
};

}  // namespace

// One picture being drawn: an image session of the library with text and pasted bitmaps.
struct CSetupWizardGenerator::Screen {
  Screen(int width, int height, COLORREF colour) : session(cNewSession()), width(width), height(height) {
    if (!session || !cNewImage(session, width, height, colour)) throw GenerationError{"Error creating photo booth settings"};
  }
  ~Screen() {
    if (session) cDestroySession(session);
  }
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  SIZE Measure(const LOGFONTA& font, const char* text) {
    SIZE size{0, 0};
    HDC dc = cGetImageDC(session);
    if (!dc) return size;
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, made);
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(dc, old);
    DeleteObject(made);
    cReleaseImageDC(session, dc);
    return size;
  }
  // x < 0 centres the text horizontally.
  void Text(const LOGFONTA& font, const char* text, int x, int y, COLORREF colour = kWhite) {
    HDC dc = cGetImageDC(session);
    if (!dc) throw GenerationError{"Error creating photo booth settings"};
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, made);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    const int length = static_cast<int>(std::strlen(text));
    if (x < 0) {
      SIZE size{0, 0};
      GetTextExtentPoint32A(dc, text, length, &size);
      x = (width - size.cx) / 2;
    }
    TextOutA(dc, x, y, text, length);
    SelectObject(dc, old);
    DeleteObject(made);
    cReleaseImageDC(session, dc);
  }
  // Centred on both axes.
  void CentredText(const LOGFONTA& font, const char* text) {
    SIZE size = Measure(font, text);
    Text(font, text, -1, (height - size.cy) / 2);
  }

  int session;
  int width, height;
};

CSetupWizardGenerator::CSetupWizardGenerator(int width, int height, const LOGFONTA& bigFont, const LOGFONTA& smallFont)
    : m_nWidth(width), m_nHeight(height), m_bigFont(bigFont), m_smallFont(smallFont) {
  m_saveSettings = [](const CString& path, ViewSettings& settings) {
    PhotoboothPrinterRecords printer;
    bool withPrinter = CopyApplicationPrinter(printer.devMode, printer.devNames) != FALSE;
    CString error;
    return WritePhotoboothSettingsFile(path, settings, false, withPrinter ? &printer : nullptr, error) != FALSE;
  };
}

int CSetupWizardGenerator::PhotosOfLayout(int layout) {
  switch (layout) {
    case 4:
    case 5: return 3;
    case 6: return 1;
    case 7: return 2;
    default: return 4;
  }
}

const char* CSetupWizardGenerator::ReadyText(int layout) {
  switch (PhotosOfLayout(layout)) {
    case 3: return "Press the Start button to take 3 photos...";
    case 1: return "Press the Start button to take a photo...";
    case 2: return "Press the Start button to take 2 photos...";
    default: return "Press the Start button to take 4 photos...";
  }
}

void CSetupWizardGenerator::Save(Screen& screen, const char* name) {
  CString path = m_strFolder + "/" + name;
  // Every save is checked: a booth folder with a missing screen must not be reported as done.
  if (!cSave(screen.session, path, PIP_FORMAT_JPEG, 0, 0, 0)) {
    throw GenerationError{CString("Error creating photo booth settings\n") + path};
  }
  m_written.push_back(name);
}

void CSetupWizardGenerator::TextScreen(const char* name, const char* text, int y) {
  Screen screen(m_nWidth, m_nHeight, kBlack);
  if (y < 0) {
    screen.CentredText(m_bigFont, text);
  } else {
    screen.Text(m_bigFont, text, -1, y);
  }
  Save(screen, name);
}

void CSetupWizardGenerator::DrawThumbnailNumbers(Screen& screen, const ViewSettings& settings) {
  // The placeholders the booth itself draws over its screens, from the settings just made.
  PipSession image;
  const int own = image.m_hSession;
  image.m_hSession = screen.session;
  ::DrawThumbnailNumbers(image, ThumbnailBoxesOf(settings));
  image.m_hSession = own;
}

bool CSetupWizardGenerator::PlaceButton(Screen& screen, const char* file, int action, int x, int y,
                                        ViewSettings& settings, int* width, int* height) {
  // A bitmap that does not load is left out together with its touch area.
  int bitmap = cNewSession();
  DWORD w = 0, h = 0;
  bool loaded = bitmap && cLoadImage(bitmap, m_strButtonDir + file, 0, 0, 0) &&
                cGetImageInfo(bitmap, &w, &h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) && w && h;
  if (loaded) {
    cCopyRectFrom(screen.session, x, y, static_cast<int>(w), static_cast<int>(h), bitmap, 0, 0);
    if (m_nNextButton < kPhotoboothTouchscreenButtonCount) {
      settings.m_touchscreenButtons[m_nNextButton++] = {action, x, y, x + static_cast<int>(w) - 1,
                                                        y + static_cast<int>(h) - 1};
    }
    if (width) *width = static_cast<int>(w);
    if (height) *height = static_cast<int>(h);
  }
  if (bitmap) cDestroySession(bitmap);
  return loaded;
}

void CSetupWizardGenerator::ApplySettings(const SetupWizardOptions& o, const CString& folder, ViewSettings& s) {
  s.m_strPhotoboothImageDir = folder;
  s.m_nNumberOfPhotoboothImages = m_nPhotos;
  for (PhotoboothCustomLayoutBox& box : s.m_layoutBoxes) box = PhotoboothCustomLayoutBox{};
  for (PhotoboothCaption& caption : s.m_captions) caption.m_nEnable = 0;
  g_nPresetLayoutTopMargin = g_nPresetLayoutBottomMargin = 50;
  g_nPresetLayoutLeftMargin = g_nPresetLayoutRightMargin = 50;
  g_nPresetLayoutSpacing = 50;

  s.m_nPhotoboothFirstInterval = o.touchscreen ? 8 : 5;
  s.m_nPhotoboothInterval = 5;
  s.m_nPhotoboothPreviewTime = o.previewPhotos ? 3 : 0;
  s.m_nPhotoboothMinProcessingDuration = 15;
  s.m_nPhotoboothPrintCopies = 1;
  s.m_bPhotoboothConfirmPrinting = o.confirmPrinting;
  g_nPhotoboothConfirmPrintingTimeout = 300;
  g_bPhotoboothConfirmPrintingTimeoutAction = FALSE;
  s.m_nPhotoboothInactivityTimeout = o.inactivityTimeout;
  s.m_nPhotoboothKeyboard = 0;
  KeyboardTimeout = 30;
  s.m_bPhotoboothClickerMode = FALSE;
  s.m_nPhotoboothUseMouseToTrigger = o.touchscreen ? 5 : 0;

  s.m_strPhotoboothMsg = "@secsToNextPhoto@";
  s.m_nPhotoboothMsgColour = 0x00FFFFFF;
  s.m_photoboothMsgFont = m_bigFont;
  s.m_bPhotoboothEnableLiveView = TRUE;
  s.m_bPhotoboothMirrorLiveView = TRUE;
  s.m_bPhotoboothAutoStandby = FALSE;
  s.m_bPhotoboothSuppressEvfAfterFirstShot = FALSE;
  s.m_bPhotoboothSuppressEvfDuringPrinting = TRUE;
  s.m_nPhotoboothEvfXOffset = -1;
  s.m_nPhotoboothEvfYOffset = 0;
  s.m_nPhotoboothEvfCrop = 0;
  s.m_bPhotobooth3to2Crop = o.threeToTwo;

  s.m_nPhotoboothSaveJpegCopyOfPrints = 1;
  s.m_strPhotoboothOutputFilename = "%d_%t";
  s.m_strPhotoboothCopyJpegPrintDir = "copy";
  s.m_bPhotoboothEnableSharpening = TRUE;
  s.m_nPhotoboothSharpeningAmount = 75;
  s.m_nPhotoboothBW = 0;
  s.m_bPhotoboothCustomLayout = TRUE;
  s.m_bPhotoboothShowProgress = FALSE;

  s.m_bPhotoboothThumnailEnable = FALSE;
  s.m_bPhotoboothThumnailShowAtEnd = FALSE;
  s.m_nPhotoboothThumnailX = -20;
  s.m_nPhotoboothThumnailY = 20;
  s.m_nPhotoboothThumnailW = 200;
  s.m_nPhotoboothThumnailXSpacing = 0;
  s.m_nPhotoboothThumnailYSpacing = 153;
  if (o.thumbnails) {
    const int n = m_nPhotos, a = m_nAspectA, b = m_nAspectB, H = m_nHeight;
    s.m_bPhotoboothThumnailEnable = TRUE;
    int w = std::min((a * H - 2 * n - 2) / (n * b), 192);
    int h = w * b / a;
    int gap = std::min((H - n * h) / (n + 1), h / 3);
    s.m_nPhotoboothThumnailW = w;
    s.m_nPhotoboothThumnailX = -1;
    s.m_nPhotoboothThumnailY = gap;
    s.m_nPhotoboothThumnailXSpacing = 0;
    s.m_nPhotoboothThumnailYSpacing = h + gap;
  }

  s.m_bPrintOptionInSharingScreen = o.printInSharing;
  s.m_bPhotoboothFbUpload = o.facebook;
  s.m_bPhotoboothEmail = o.email;
  s.m_bEnableTwitter = o.twitter;
  s.m_bEnableMMS = o.mms;
  s.m_nPhotoboothSharingTimeout = 30;
  s.m_nPhotoboothSharePreviewX = s.m_nPhotoboothSharePreviewY = 0;
  s.m_nPhotoboothSharePreviewW = s.m_nPhotoboothSharePreviewH = 0;
  s.m_strPhotoboothFbAlbum = "Photo Booth Photos";
  s.m_strPhotoboothFbAlbumDesc = "Photo booth photos taken on %L";
  s.m_strPhotoboothFbComment = "Photo taken %l";
  s.m_nPhotoboothFbMaxWidth = s.m_nPhotoboothFbMaxHeight = 500;
  s.m_nPhotoboothFbRotate = -1;
  s.m_bPhotoboothFbCrop = FALSE;
  s.m_strPhotoboothEmailSubject = "Photo booth photos";
  s.m_strPhotoboothEmailMsgText = "Your photo booth photos taken on %L";
  s.m_strPhotoboothEmailMsgHTML =
      "<html><body>\r\n<p>Your photo booth photos taken on %L</p>\r\n<p><img src=\"{image}\"></p>\r\n</body></html>";
  s.m_nPhotoboothEmailRotate = -1;
  s.m_nPhotoboothEmailMaxWidth = s.m_nPhotoboothEmailMaxHeight = 500;
  s.m_bPhotoboothEmailCrop = FALSE;
  s.m_strPhotoboothTwitterComment = "Photos taken on %l";
  s.m_nPhotoboothTwitterMaxWidth = s.m_nPhotoboothTwitterMaxHeight = 500;
  s.m_strMmsMessage = "Your photo booth photos taken on %L";
  s.m_nMmsMaxWidth = s.m_nMmsMaxHeight = 500;
  s.m_nMmsRotate = 0;
  s.m_nMmsMsgType = 0;
  for (PhotoboothTouchscreenButton& button : s.m_touchscreenButtons) button = PhotoboothTouchscreenButton{};
  m_nNextButton = 0;
}

void CSetupWizardGenerator::MakeReady(const SetupWizardOptions& o, ViewSettings& s) {
  const int W = m_nWidth, H = m_nHeight, a = m_nAspectA, b = m_nAspectB;
  Screen screen(W, H, kBlack);
  const char* text = ReadyText(o.layout);
  SIZE size = screen.Measure(m_bigFont, text);
  const int T = size.cy;
  m_nTextHeight = T;
  int E = std::min(H - 3 * T, 704);
  if ((o.touchscreen || o.thumbnails) && W - E * a / b < 384) E = b * (W - 384) / a;
  m_nTextE = E;
  const LOGFONTA* font = &m_bigFont;
  if (size.cx > W || (o.touchscreen && size.cx > W - 384)) {
    font = &m_smallFont;
    size = screen.Measure(m_smallFont, text);
  }
  screen.Text(*font, text, -1, E + (H - E - size.cy) / 2);
  if (o.touchscreen) {
    if (o.inactivityTimeout > 0 && m_nNextButton < kPhotoboothTouchscreenButtonCount) {
      // The whole screen wakes the booth from standby.
      s.m_touchscreenButtons[m_nNextButton++] = {kTouchStandbyToReady, 0, 0, W, H};
    }
    int y = 0, width = 0, height = 0;
    if (PlaceButton(screen, "start.bmp", kTouchStart, 0, 0, s, &width, &height)) {
      y = height;
      if (W - 2 * width < 1.5 * E) E = (2 * W - 4 * width) / 3;
    }
    if (o.colourChoice) {
      if (PlaceButton(screen, "color.bmp", kTouchSelectColour, 0, y, s, nullptr, &height)) y += height;
      if (PlaceButton(screen, "bw.bmp", kTouchSelectBlackWhite, 0, y, s, nullptr, &height)) y += height;
    }
  }
  s.m_nPhotoboothEvfMaxHeight = E;
  s.m_nPhotoboothTextYOffset = 2 * T + m_nTextE;
  DrawThumbnailNumbers(screen, s);
  Save(screen, "ready.jpg");
}

void CSetupWizardGenerator::MakeCountdowns(const ViewSettings& s) {
  for (int shot = 1; shot <= m_nPhotos; ++shot) {
    Screen screen(m_nWidth, m_nHeight, kBlack);
    char text[32];
    if (shot == 1) {
      std::snprintf(text, sizeof(text), "First photo");
    } else if (shot == m_nPhotos) {
      std::snprintf(text, sizeof(text), "Last photo");
    } else {
      std::snprintf(text, sizeof(text), "Photo %d", shot);
    }
    screen.Text(m_bigFont, text, -1, m_nTextE + m_nTextHeight / 2);
    DrawThumbnailNumbers(screen, s);
    char name[32];
    std::snprintf(name, sizeof(name), "%d.jpg", shot);
    Save(screen, name);
  }
}

void CSetupWizardGenerator::MakeEndScreens(const SetupWizardOptions& o, ViewSettings& s) {
  const char* printed = "Thank you, your photos are being printed outside.";
  const char* leave = "Please leave the booth now.";
  auto twoLines = [&](const char* name) {
    Screen screen(m_nWidth, m_nHeight, kBlack);
    screen.CentredText(m_bigFont, printed);
    SIZE size = screen.Measure(m_bigFont, leave);
    screen.Text(m_bigFont, leave, -1, (m_nHeight + size.cy) / 2);
    Save(screen, name);
  };
  if (o.confirmPrinting) {
    TextScreen("processing.jpg", "Please wait...");
  } else {
    twoLines("processing.jpg");
  }
  twoLines("printing_confirmed.jpg");
  if (o.touchscreen) {
    Screen screen(m_nWidth, m_nHeight, kBlack);
    int height = 0;
    int y = PlaceButton(screen, "print.bmp", kTouchConfirmPrinting, 0, 0, s, nullptr, &height) ? height : 0;
    PlaceButton(screen, "cancel.bmp", kTouchCancelPrinting, 0, y, s);
    Save(screen, "confirm_printing.jpg");
  }
  TextScreen("welcome.jpg", o.touchscreen && o.inactivityTimeout > 0
                                ? "Standby mode. Please tap the screen to use the booth..."
                                : "Standby mode. Please press F6 to use the booth...");
}

void CSetupWizardGenerator::MakeShareScreens(const SetupWizardOptions& o, ViewSettings& s) {
  if (!(o.email || o.facebook || o.printInSharing || o.twitter || o.mms)) return;
  const int T = m_nTextHeight;
  {
    Screen screen(m_nWidth, m_nHeight, kBlack);
    bool printOnly = o.printInSharing && !o.facebook && !o.email;
    screen.Text(m_bigFont, printOnly ? "Print photos?" : "Do you want to share your photos?", -1, T);
    screen.CentredText(m_smallFont, "Please wait...");
    if (o.touchscreen) {
      struct Entry {
        bool wanted;
        const char* file;
        int action;
        bool mayWrap;
      } column[] = {{o.printInSharing, "print.bmp", kTouchSharePrint, false},
                    {o.facebook, "facebook.bmp", kTouchShareFacebook, false},
                    {o.twitter, "twitter.bmp", kTouchShareTwitter, true},
                    {o.mms, "mms.bmp", kTouchShareMms, true},
                    {o.email, "email.bmp", kTouchShareEmail, true},
                    {true, "cancel.bmp", kTouchShareClose, true}};
      int x = 0, y = 0;
      for (const Entry& entry : column) {
        if (!entry.wanted) continue;
        DWORD w = 0, h = 0;
        CString path = m_strButtonDir + entry.file;
        if (!cGetImageFileInfo(path, 0, &w, &h, nullptr, nullptr)) continue;
        // A button that would pass the bottom starts a column at the right edge, as wide as
        // the button, so it and its touch area stay on the screen.
        if (entry.mayWrap && y + static_cast<int>(h) > m_nHeight) {
          x = m_nWidth - static_cast<int>(w);
          y = 0;
        }
        int height = 0;
        if (PlaceButton(screen, entry.file, entry.action, x, y, s, nullptr, &height)) y += height;
      }
    }
    Save(screen, "share.jpg");
  }
  if (o.printInSharing) TextScreen("share_printing.jpg", "Printing...");
  if (o.facebook) {
    TextScreen("fb_login_failure.jpg", "Facebook login failure");
    {
      Screen screen(m_nWidth, m_nHeight, kBlack);
      screen.Text(m_bigFont, "Log in to Facebook...", -1, T);
      screen.Text(m_smallFont, "Tap 'Log in' to log into Facebook, then 'OK' to authorize the upload app", -1, 2 * T);
      screen.CentredText(m_smallFont, "Please wait...");
      Save(screen, "fb_login.jpg");
    }
    TextScreen("fb_timeout.jpg", "Facebook upload timeout");
    TextScreen("fb_upload.jpg", "Uploading photo to Facebook", T);
    TextScreen("fb_success.jpg", "Facebook upload successful", T);
    TextScreen("fb_error.jpg", "Error uploading photo to Facebook");
  }
  if (o.email) {
    TextScreen("email_photo.jpg", "Sending email...", T);
    TextScreen("email_success.jpg", "Email successful", T);
    TextScreen("email_error.jpg", "Error sending email");
  }
}

void CSetupWizardGenerator::MakeBackground() {
  const int PW = m_nPageWidth, PH = m_nPageHeight;
  if (PW <= 0 || PH <= 0) throw GenerationError{"Error creating photo booth settings"};
  Screen screen(PW, PH, kWhite);
  const char* tile = "background.jpg: edit to add logos etc.  ";
  SIZE tileSize = screen.Measure(m_bigFont, tile);
  char third[96];
  std::snprintf(third, sizeof(third), "printed output: %d x %d pixels", PW, PH);
  const char* lines[3] = {"background.jpg: edit to add logos etc.", "This image is the same size in pixels as the", third};
  HDC dc = cGetImageDC(screen.session);
  if (!dc) throw GenerationError{"Error creating photo booth settings"};
  HFONT made = CreateFontIndirectA(&m_bigFont);
  HGDIOBJ oldFont = SelectObject(dc, made);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(180, 180, 180));
  if (tileSize.cx > 0 && tileSize.cy > 0) {
    for (int y = 0; y < PH; y += tileSize.cy) {
      for (int x = 0; x < PW; x += tileSize.cx) TextOutA(dc, x, y, tile, static_cast<int>(std::strlen(tile)));
    }
  }
  HPEN pen = CreatePen(PS_SOLID, 1, kBlack);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, PW - 1, PH - 1);
  MoveToEx(dc, PW - 1, 0, nullptr);
  LineTo(dc, 0, PH - 1);
  SIZE widest{0, 0};
  GetTextExtentPoint32A(dc, lines[1], static_cast<int>(std::strlen(lines[1])), &widest);
  const int lineHeight = widest.cy;
  const int boxWidth = widest.cx + 50, boxHeight = 3 * lineHeight + 50;
  RECT box{(PW - boxWidth) / 2, (PH - boxHeight) / 2, (PW - boxWidth) / 2 + boxWidth, (PH - boxHeight) / 2 + boxHeight};
  HBRUSH white = CreateSolidBrush(kWhite);
  FillRect(dc, &box, white);
  DeleteObject(white);
  SetTextColor(dc, kBlack);
  for (int i = 0; i < 3; ++i) {
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, lines[i], static_cast<int>(std::strlen(lines[i])), &size);
    TextOutA(dc, (PW - size.cx) / 2, box.top + 25 + i * lineHeight, lines[i], static_cast<int>(std::strlen(lines[i])));
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  SelectObject(dc, oldFont);
  DeleteObject(made);
  cReleaseImageDC(screen.session, dc);
  Save(screen, "background.jpg");
}

bool CSetupWizardGenerator::Generate(const SetupWizardOptions& options, const CString& folder, ViewSettings& settings) {
  m_strError.Empty();
  m_written.clear();
  m_strFolder = folder;
  m_nPhotos = PhotosOfLayout(options.layout);
  m_nAspectA = options.threeToTwo ? 3 : 4;
  m_nAspectB = options.threeToTwo ? 2 : 3;
  if (!CreateDirectoryPath(folder)) {
    m_strError = CString("Error creating photo booth images folder:\n") + folder;
    return false;
  }
  try {
    ApplySettings(options, folder, settings);

    CPresetPrintLayoutsDlg presets(nullptr, m_nAspectA, m_nAspectB);
    presets.InitPageMetrics();
    presets.GeneratePreset(options.layout);
    for (int i = 0; i < 8 && i < kLayoutBoxCount; ++i) settings.m_layoutBoxes[i] = presets.m_boxes[i];
    m_nPageWidth = presets.m_nPageWidth;
    m_nPageHeight = presets.m_nPageHeight;
    g_nPresetLayout = options.layout;

    {
      Screen taking(m_nWidth, m_nHeight, kBlack);
      DrawThumbnailNumbers(taking, settings);
      Save(taking, "taking.jpg");
      Save(taking, "release.jpg");
    }
    MakeReady(options, settings);
    MakeCountdowns(settings);
    MakeEndScreens(options, settings);
    MakeShareScreens(options, settings);
    TextScreen("camera_not_connected.jpg", "Please turn the camera on to use the booth...");
    if (options.background) MakeBackground();
    CString settingsPath = folder + "/settings.xml";
    if (!m_saveSettings || !m_saveSettings(settingsPath, settings)) {
      throw GenerationError{CString("Error creating photo booth settings\n") + settingsPath};
    }
    m_written.push_back("settings.xml");
  } catch (const GenerationError& error) {
    m_strError = error.message;
    return false;
  }
  return true;
}
