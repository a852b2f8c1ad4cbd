#include "photobooth/PhotoboothProcessingWorker.h"

#include <ctime>
#include <exception>

#include "app/MyQuilletView.h"
#include "app/PhotoboothEffects.h"
#include "app/ProgressDlg2.h"
#include "app/ViewMessages.h"
#include "camera/CameraNaming.h"
#include "keyboard/KeyboardDialog.h"
#include "photobooth/AnimatedGif.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/PrintPageComposer.h"
#include "photobooth/SessionRecord.h"
#include "photobooth/StatusCommand.h"
#include "photobooth/TransparentOverlayDlg.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/winapp.h"
#include "platform/registry/registry.h"
#include "platform/user/messagebox.h"
#include "platform/win32/fileio.h"
#include "platform/win32/files.h"
#include "platform/winspool/printdc.h"
#include "printlayout/PrinterMargins.h"
#include "support/OctreeQuantizer.h"
#include "support/ProgramGlobals.h"
#include "support/TempFolders.h"
#include "support/TextTemplate.h"

namespace {

LONGLONG SystemNow() { return static_cast<LONGLONG>(time(nullptr)); }
void SystemSleep(DWORD milliseconds) { Sleep(milliseconds); }

CString FormatLocal(LONGLONG seconds, const char* format) {
  time_t value = static_cast<time_t>(seconds);
  struct tm parts {};
  localtime_r(&value, &parts);
  char text[64] = "";
  strftime(text, sizeof text, format, &parts);
  return text;
}

bool FileExists(const CString& path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CString TrimSlash(CString folder) {
  while (folder.GetLength() > 1 && folder[folder.GetLength() - 1] == '/') folder = folder.Left(folder.GetLength() - 1);
  return folder;
}

CString FolderOf(const CString& path) {
  int slash = path.ReverseFind('/');
  return slash > 0 ? path.Left(slash) : CString(".");
}

CString FileNameOf(const CString& path) { return path.Mid(path.ReverseFind('/') + 1); }

CString TitleOf(const CString& path) {
  CString name = FileNameOf(path);
  int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

}  // namespace

ConfirmPrintingScreen PhotoboothProcessingWorker::s_confirmScreen = PhotoboothProcessingWorker::RunConfirmPrintingScreen;
SharingScreen PhotoboothProcessingWorker::s_sharingScreen = PhotoboothProcessingWorker::RunSharingScreen;
KeyboardInputScreen PhotoboothProcessingWorker::s_keyboardScreen;
int (*PhotoboothProcessingWorker::s_pfnStartPage)(HDC) = StartPage;
LONGLONG (*PhotoboothProcessingWorker::s_pfnNow)() = SystemNow;
void (*PhotoboothProcessingWorker::s_pfnSleep)(DWORD) = SystemSleep;

PhotoboothProcessingWorker::PhotoboothProcessingWorker(CMyQuilletView& view, bool reprint)
    : m_view(view), m_s(static_cast<const ViewSettings&>(view)), m_bReprint(reprint) {
  m_pBooth = view.BoothWindow();
  if (m_pBooth) {
    m_pCovering = m_pBooth->m_pOverlay ? static_cast<CWnd*>(m_pBooth->m_pOverlay) : m_pBooth;
    // The GIF shows what the live view showed: its crop needs the live picture's size.
    m_nLiveViewWidth = m_pBooth->m_nLiveViewWidth;
    m_nLiveViewHeight = m_pBooth->m_nLiveViewHeight;
  }
  m_strScreensDir = view.m_strPhotoboothImagesDir;
  m_bTestShot = view.m_bTestShot;
  m_nPhotoCount = static_cast<int>(view.m_images.size());
  const int n = m_s.m_nNumberOfPhotoboothImages;
  // Only the session's own photos: never an earlier guest's in place of one that was lost.
  if (view.HasSessionPhotos()) m_photos.assign(view.m_images.end() - n, view.m_images.end());
  m_strSessionCode = view.m_strSessionCode;
  m_keyboardTexts = view.m_keyboardTexts;
  m_keyboardChecks = view.m_keyboardChecks;
  const Exif* first = m_photos.empty() ? nullptr : &m_photos.front().m_exif;
  view.BuildPhotoboothTokens(first, m_cameraTokens, m_strImageFolder);
  m_strImageFolder = TrimSlash(m_strImageFolder);

  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    for (int i = 0; i < 5; ++i) {
      CString name;
      name.Format("{PhotoboothText%d}", i + 1);
      char value[2049] = "";
      DWORD type = 0, size = 2048;
      if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
          (type == REG_SZ || type == REG_EXPAND_SZ)) {
        value[size < 2048 ? size : 2048] = '\0';
        m_photoboothTexts[i] = value;
      }
    }
    RegCloseKey(key);
  }
}

PhotoboothProcessingWorker::~PhotoboothProcessingWorker() {
  delete m_pPageSettings;
  delete m_pHooks;
}

void PhotoboothProcessingWorker::RunOnView(const std::function<void()>& call) {
  if (m_view.m_hWnd)
    m_view.SendMessage(WM_RUN_ON_VIEW, 0, reinterpret_cast<LPARAM>(&call));
}

int PhotoboothProcessingWorker::PreviewTicks() const { return m_view.m_nPreviewTicks.load(); }

void PhotoboothProcessingWorker::WaitForProgressWindow() {
  if (!m_pProgress) return;
  // A window that already ended (closed early) is not waited for.
  while (!m_pProgress->GetOpenWindow() && !m_view.m_bProcessingProgressEnded.load()) s_pfnSleep(100);
}

void PhotoboothProcessingWorker::PlaceProgressWindow() { PlaceProgressWindow(m_view, m_pProgress); }

void PhotoboothProcessingWorker::PlaceProgressWindow(CWnd& view, CProgressDlg2* progress) {
  if (!progress || progress->m_nVerticalPos < 0 || !view.m_hWnd) return;
  HWND window = progress->GetOpenWindow();
  if (!window) return;
  const int y = progress->m_nVerticalPos;
  const std::function<void()> place = [window, y] {
    RECT rect{};
    if (::IsWindow(window) && ::GetWindowRect(window, &rect) && rect.top != y)
      ::SetWindowPos(window, nullptr, rect.left, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  };
  view.SendMessage(WM_RUN_ON_VIEW, 0, reinterpret_cast<LPARAM>(&place));
}

void PhotoboothProcessingWorker::Progress(const char* text, int percent) {
  if (!m_pProgress) return;
  HWND window = m_pProgress->GetOpenWindow();
  if (!window) return;
  if (text) ::SendMessageA(window, WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(text));
  if (percent >= 0) ::PostMessageA(window, WM_PROGRESS_POS, static_cast<WPARAM>(percent), 0);
}

void PhotoboothProcessingWorker::ShowScreen(const char* name) {
  if (m_pBooth) m_pBooth->ShowScreen(m_strScreensDir + name, 1);
}

CWnd* PhotoboothProcessingWorker::CoveringWindow() const {
  return m_pCovering ? m_pCovering : static_cast<CWnd*>(&m_view);
}

void PhotoboothProcessingWorker::RunStatusCommandFor(const CString& path) {
  CWnd* parent = m_pBooth ? static_cast<CWnd*>(m_pBooth) : static_cast<CWnd*>(&m_view);
  RunStatusCommand(parent, g_strPhotoboothStatusCmdXML, path);
}

void PhotoboothProcessingWorker::Run() {
  HDC printer = nullptr;
  m_pProgress = m_view.m_pProgressDlg2;  // set by the starter before this thread began
  try {
    // 1. Start.
    m_nCopies = ClampCopies(m_s.m_nPhotoboothPrintCopies);
    m_nColourMode = m_s.m_nPhotoboothBW;
    RunOnView([this] { m_view.m_strLastGifPath.Empty(); });
    m_nStartTime = s_pfnNow();
    if (int ticks = PreviewTicks(); ticks > 0) m_nStartTime += ticks / 20;
    // 2. Progress window.
    WaitForProgressWindow();
    PlaceProgressWindow();  // before its first text, so it never shows over the booth's content
    Progress("Preparing images for printing", -1);
    // 3. Output "None": only the record.
    if (m_s.m_nPhotoboothSaveJpegCopyOfPrints == 3) {
      WriteFirstFormRecord();
      FinishRun();
      return;
    }
    // 4. Printer.
    printer = CreateApplicationPrinterDC();  // holds the printer lock only while it reads the defaults
    if (!printer) throw TextError{"Unable to connect to printer to print images"};
    m_nPageWidth = GetDeviceCaps(printer, HORZRES);
    m_nPageHeight = GetDeviceCaps(printer, VERTRES);
    m_nLogPixelsY = GetDeviceCaps(printer, LOGPIXELSY);
    int horzSize = GetDeviceCaps(printer, HORZSIZE);
    m_nBorder = m_s.m_dPhotoboothBorderInMM > 0 && horzSize > 0
                    ? static_cast<int>(m_s.m_dPhotoboothBorderInMM * m_nPageWidth / horzSize + 0.5)
                    : 0;
    const int n = m_s.m_nNumberOfPhotoboothImages;
    if (n > 0 && m_nPhotoCount >= n && !m_photos.empty()) {
      // 5-7.
      Compose(printer);
      if (!(m_bTestShot && SaveTestShot())) {
        // 8-9.
        m_bCopyJpeg = m_s.m_bPhotoboothCopyJpegPrint != FALSE;
        const bool touch = m_s.m_nPhotoboothUseMouseToTrigger == 5;
        const bool keyboardAfter = (m_s.m_nPhotoboothKeyboard == 2 || m_s.m_nPhotoboothKeyboard == 4) && touch;
        if (!m_bReprint && m_s.m_bPhotoboothConfirmPrinting && m_pBooth)
          ConfirmPrinting();
        else if (keyboardAfter && m_pBooth)
          KeyboardInput();
        // 10.
        m_tokens.SetAt("{message}", m_strUserMessage);
        m_pComposer->DrawCaptions(true, m_tokens);
        // 11.
        if (m_s.m_bPhotoboothGifCreate && (m_bPrinted || m_s.m_bPhotoboothSaveLayoutEvenIfRejected)) MakeGif();
        // 12.
        WriteSecondFormRecord();
        try {
          // 13.
          SaveAndShare();
          // 14.
          int output = m_s.m_nPhotoboothSaveJpegCopyOfPrints;
          if ((output == 0 || output == 1) && m_bPrinted && !m_bPrintedFromSharing) Print(printer);
        } catch (...) {
          // The record written before promised a page and prints: it now says what happened.
          RewriteRecordAfterFailure();
          throw;
        }
      }
    }
  } catch (const TextError& error) {
    ReportPrintError(m_view.m_hWnd, error.text);
  } catch (...) {
    ReportPrintError(m_view.m_hWnd, "");
  }
  // 15.
  if (printer) DeleteDC(printer);
  FinishRun();
}

void PhotoboothProcessingWorker::FinishRun() {
  // 16.
  RunOnView([this] {
    m_view.m_keyboardTexts.clear();
    m_view.m_keyboardChecks.clear();
  });
  const LONGLONG end = m_nStartTime + m_s.m_nPhotoboothMinProcessingDuration;
  while (s_pfnNow() < end) s_pfnSleep(500);
  if (m_pProgress) m_pProgress->PostClose();
  m_gifFrames.clear();
}

// What both forms of the session record hold: the photos, the guest's answers and the look.
PhotoboothSessionRecord PhotoboothProcessingWorker::SessionRecord() const {
  PhotoboothSessionRecord record;
  for (const CTVNImage& photo : m_photos) record.photoPaths.Add(photo.m_strFileName);
  if (!m_photos.empty()) record.captureTime = m_photos.front().m_exif.GetTime();
  for (size_t i = 0; i < m_keyboardTexts.size() && i < 10; ++i) record.keyboardTexts[i] = m_keyboardTexts[i];
  for (BYTE check : m_keyboardChecks) record.checkBoxes.push_back(check ? TRUE : FALSE);
  record.copies = m_nCopies;
  record.imagesFolder = m_s.m_strPhotoboothImageDir;
  record.bwMode = m_nColourMode;
  record.toningHue = m_s.m_nPhotoboothToningHue;
  record.toningSaturation = m_s.m_nPhotoboothToningSaturation;
  return record;
}

void PhotoboothProcessingWorker::WriteAndAnnounce(const PhotoboothSessionRecord& record) {
  CString path;
  WriteSessionRecord(record, path);
  RunStatusCommandFor(path);  // also when the file could not be written
}

void PhotoboothProcessingWorker::WriteFirstFormRecord() {
  if (m_s.m_bPhotoboothSuppressXml || m_photos.empty()) return;
  PhotoboothSessionRecord record = SessionRecord();
  record.outputMode = 3;
  WriteAndAnnounce(record);
}

void PhotoboothProcessingWorker::MakeTokens() {
  m_tokens.SetAt("{user_data}", "");
  for (int i = 1; i <= 10; ++i) {
    CString name;
    name.Format("{user%d_data}", i);
    m_tokens.SetAt(name, "");
  }
  for (int i = 0; i < 5; ++i) {
    CString name;
    name.Format("{PhotoboothText%d}", i + 1);
    m_tokens.SetAt(name, m_photoboothTexts[i]);
  }
  for (POSITION p = m_cameraTokens.GetStartPosition(); p;) {
    CString key, value;
    m_cameraTokens.GetNextAssoc(p, key, value);
    m_tokens.SetAt(key, value);
  }
  CString first = m_keyboardTexts.empty() ? CString() : m_keyboardTexts[0];
  m_tokens.SetAt("{user_data}", first);
  m_tokens.SetAt("{user1_data}", first);
  for (size_t i = 1; i < m_keyboardTexts.size() && i < 10; ++i) {
    CString name;
    name.Format("{user%d_data}", static_cast<int>(i + 1));
    m_tokens.SetAt(name, m_keyboardTexts[i]);
  }
  m_tokens.SetAt("{uid}", m_strSessionCode);
}

void PhotoboothProcessingWorker::ChooseNames() {
  m_strOutputName = FormatLocal(m_photos.front().m_exif.GetTime(), "%Y%m%d_%H%M%S.jpg");
  if (m_s.m_strFilenamePrefix.Find("{uid}") >= 0) m_strOutputName = m_strSessionCode + ".jpg";
  if (!m_s.m_strPhotoboothOutputFilename.IsEmpty()) {
    CString name = m_s.m_strPhotoboothOutputFilename;
    ExpandTextTemplate(m_tokens, name);
    name.Replace("/", "_");  // a name, never a path
    if (!name.IsEmpty()) m_strOutputName = name + ".jpg";
  }
  m_strPrintsFolder = m_strImageFolder + "/prints";
  if (m_s.m_bPhotoboothCopyJpegPrint) {
    CString dir = m_s.m_strPhotoboothCopyJpegPrintDir;
    CString folder;
    if (!dir.IsEmpty() && dir[0] == '/')
      folder = dir;
    else
      folder = m_strImageFolder + "/" + (dir.IsEmpty() ? CString("copy") : dir);
    ExpandTextTemplate(m_tokens, folder);
    m_strCopyFolder = TrimSlash(folder);
  }
  CString base = m_strOutputName.Left(m_strOutputName.GetLength() - 4);
  for (int i = 1; FileExists(m_strPrintsFolder + "/" + m_strOutputName); ++i)
    m_strOutputName.Format("%s_%d.jpg", base.GetString(), i);
  m_tokens.SetAt("{filename}", m_strOutputName);
  for (size_t i = 0; i < m_photos.size(); ++i) {
    CString name;
    name.Format("{photo%d}", static_cast<int>(i + 1));
    m_tokens.SetAt(name, TitleOf(m_photos[i].m_strFileName));
  }
}

void PhotoboothProcessingWorker::Compose(HDC printer) {
  (void)printer;
  // 5. Page and names.
  if (!cNewImage(m_page.m_hSession, m_nPageWidth, m_nPageHeight, static_cast<COLORREF>(m_s.m_nPhotoboothBackgroundColor)))
    throw TextError{"Not enough memory for the print page"};
  if (m_s.m_nPhotoboothDelayBeforePrintingInSecs > 0) s_pfnSleep(m_s.m_nPhotoboothDelayBeforePrintingInSecs * 1000u);
  CString date = FormatLocal(m_photos.back().m_exif.GetTime() + 1, "%Y:%m:%d %H:%M:%S");
  if (HEXIF exif = cNewEXIF()) {
    cEXIF_PutDateTime(exif, date);
    cEXIF_PutDateTimeOriginal(exif, date);
    cEXIF_PutDateTimeDigitized(exif, date);
    cPutImageEXIF_Info(m_page.m_hSession, exif);
    cDestroyEXIF(exif);
  }

  m_pPageSettings = new PrintPageSettings;
  PrintPageSettings& p = *m_pPageSettings;
  p.imagesFolder = m_s.m_strPhotoboothImageDir;
  p.rows = m_s.m_nPhotoboothNumberOfRows;
  p.columns = m_s.m_nPhotoboothNumberOfColumns;
  p.rotateToFit = m_s.m_bPhotoboothRotateToFitPaper;
  p.repeatToFill = m_s.m_bPhotoboothRepeatToFillEmptyCols;
  p.cropToFit = m_s.m_bPhotoboothCropToFit;
  p.customLayout = m_s.m_bPhotoboothCustomLayout;
  p.customDoubleStrip = m_s.m_bPhotoboothCustomDoubleStrip;
  p.crop3to2 = m_s.m_bPhotobooth3to2Crop;
  p.bwMode = m_nColourMode;
  p.sharpening = m_s.m_bPhotoboothEnableSharpening;
  p.sharpeningAmount = m_s.m_nPhotoboothSharpeningAmount;
  p.greenScreen = m_s.m_bGreenScreenEnable;
  p.saveGreenscreened = m_s.m_bPhotoboothSaveGreenscreenedImage;
  p.greenscreenFolder = m_strImageFolder + "/greenscreen";
  p.firstCaptureTime = m_photos.front().m_exif.GetTime();
  p.jpegDpi = g_nPhotoboothJpegSaveDPI;
  p.qrText = m_s.m_strQRcode;
  p.qrLevel = m_s.m_nQRcodeQuality;
  p.resizeQuality = m_s.m_bPhotoboothFastResize ? 3 : 7;
  p.border = m_nBorder;
  GetPrinterMargins(p.marginLeft, p.marginTop, p.marginRight, p.marginBottom);
  p.printerLogPixelsY = m_nLogPixelsY;
  p.orientation = m_view.m_nOrientationSetting;
  p.gifFrames = m_s.m_bPhotoboothGifCreate;
  p.gifWidth = m_s.m_nPhotoboothGifWidth;
  for (int i = 0; i < kLayoutBoxCount; ++i) p.boxes[i] = m_s.m_layoutBoxes[i];
  for (int i = 0; i < kLayoutCaptionCount; ++i) p.captions[i] = m_s.m_captions[i];

  m_pHooks = new PrintPageHooks;
  const GreenScreenKey key = GreenScreenKeyOf(m_s);
  const int resize = p.resizeQuality;
  m_pHooks->greenscreen = [key, resize](PipSession& photo, const char* background) {
    ApplyGreenscreen(photo, background, key, resize);
  };
  m_pHooks->mergeOverlay = [resize](PipSession& photo, PipSession& overlay) { MergeOverlay(photo, overlay, resize); };
  m_pHooks->monochromeToning = [](PipSession& photo) { ApplyMonochromeToning(photo); };
  m_pHooks->progress = [this](const char* text, int percent) { Progress(text, percent); };

  m_pComposer = std::make_unique<PrintPageComposer>(m_page, p, *m_pHooks);
  m_pComposer->ComposeFrameImages();
  MakeTokens();
  ChooseNames();
  if (m_s.m_bPhotoboothGifCreate) m_gifFrames.resize(m_photos.size());

  // 6. Photos, overlay, captions.
  CStringArray paths;
  for (const CTVNImage& photo : m_photos) paths.Add(photo.m_strFileName);
  m_pComposer->ComposePhotos(paths, m_tokens, m_photos.front().m_exif.GetRotation(),
                             m_s.m_bPhotoboothGifCreate ? &m_gifFrames : nullptr);
  m_pComposer->ComposeOverlay();
  m_pComposer->DrawCaptions(false, m_tokens);
  if (m_s.m_bPhotoboothCustomLayout && m_s.m_bPhotoboothCustomDoubleStrip) m_pComposer->CopyDoubleStrip();
  Progress(nullptr, 100);
}

void PhotoboothProcessingWorker::SaveJpeg(PipSession& image, const CString& path) {
  cSetPhysicalPixelsPerInch(image.m_hSession, g_nPhotoboothJpegSaveDPI, g_nPhotoboothJpegSaveDPI);
  // Written beside and renamed, so a reader never sees half a page.
  CString temporary = path + ".part";
  if (!cSave(image.m_hSession, temporary, PIP_FORMAT_JPEG, 0, 0, 0)) {
    DeleteFileA(temporary);
    throw TextError{"Unable to save " + path};
  }
  if (!MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(temporary);
    throw TextError{"Unable to save " + path};
  }
}

bool PhotoboothProcessingWorker::SaveTestShot() {
  // 7.
  Progress("Saving image...", -1);
  CString path = m_strImageFolder + "/photobooth_test_shot.jpg";
  SaveJpeg(m_page, path);
  RunOnView([this, path] { m_view.SetStatusText("Photobooth test shot saved as " + path); });
  return true;
}

void PhotoboothProcessingWorker::ConfirmPrinting() {
  // 8.
  ConfirmPrintingRequest request;
  request.parent = CoveringWindow();
  request.page = &m_page;
  request.copies = m_nCopies;
  request.touchAreas = m_s.m_nPhotoboothUseMouseToTrigger == 5;
  request.background = m_strScreensDir + "/confirm_printing.jpg";
  request.imagesFolder = m_strScreensDir;
  request.buttons = m_s.m_touchscreenButtons;
  request.booth = m_pBooth;
  while (PreviewTicks() >= 2) s_pfnSleep(1);
  int result = s_confirmScreen ? s_confirmScreen(request) : IDOK;
  if (result == 40) {
    m_bCopyJpeg = false;
    result = IDOK;
  }
  m_bPrinted = result == IDOK;
  if (m_bPrinted) {
    m_nCopies = ClampCopies(request.copies);
    const int copies = request.copies;
    RunOnView([this, copies] { m_view.m_nPhotoboothPrintCopies = copies; });
    const bool keyboardHere = (m_s.m_nPhotoboothKeyboard == 2 || m_s.m_nPhotoboothKeyboard == 4) &&
                              m_s.m_nPhotoboothUseMouseToTrigger == 5;
    if (!keyboardHere) {
      bool sharing = m_s.m_bPhotoboothFbUpload || m_s.m_bPhotoboothEmail || m_s.m_bPrintOptionInSharingScreen;
      ShowScreen(sharing ? "/share.jpg" : "/printing_confirmed.jpg");
    } else {
      KeyboardInput();
    }
    m_nStartTime = s_pfnNow();
  }
}

void PhotoboothProcessingWorker::KeyboardInput() {
  // 9.
  while (PreviewTicks() > 0) s_pfnSleep(250);
  m_keyboardTexts.clear();
  m_keyboardChecks.clear();
  RunOnView([this] {
    m_view.m_keyboardTexts.clear();
    m_view.m_keyboardChecks.clear();
  });
  const int type = m_s.m_nPhotoboothKeyboard == 4 ? 4 : 0;
  std::vector<CString> texts;
  std::vector<BYTE> checks;
  PlayScreenSound(m_strScreensDir + "/keyboard.wav");
  INT_PTR result;
  if (s_keyboardScreen) {
    result = s_keyboardScreen(CoveringWindow(), type, m_strScreensDir, texts, checks);
  } else {
    CKeyboardDialog keyboard(CoveringWindow(), FALSE, type);
    keyboard.m_layoutFolder = m_strScreensDir;
    result = keyboard.DoModal();
    if (result == IDOK) {
      for (int i = 0; i < 10; ++i) texts.push_back(keyboard.Field(i).m_text);
      for (int i = 0; i < 10; ++i)
        if (keyboard.CheckBox(i).IsDefined()) checks.push_back(keyboard.CheckBox(i).m_value ? 1 : 0);
    }
  }
  if (result == IDOK) {
    m_keyboardTexts = texts;
    m_keyboardChecks = checks;
    if (m_s.m_nPhotoboothKeyboard == 4 && !texts.empty()) m_strUserMessage = texts[0];
    RunOnView([this] {
      m_view.m_keyboardTexts = m_keyboardTexts;
      m_view.m_keyboardChecks = m_keyboardChecks;
    });
    ShowScreen("/keyboard_input_ok.jpg");
  } else {
    ShowScreen("/keyboard_input_cancel.jpg");
  }
  m_nStartTime = s_pfnNow();
}

void PhotoboothProcessingWorker::MakeGif() {
  // 11. Errors are reported inside and the run goes on.
  PhotoboothGifSettings g;
  g.imagesFolder = m_s.m_strPhotoboothImageDir;
  g.imageFolder = m_strImageFolder;
  g.firstPhotoFolder = FolderOf(m_photos.front().m_strFileName);
  g.baseName = m_strOutputName.Left(m_strOutputName.GetLength() - 4);
  g.perPhoto = m_s.m_bPhotoboothGifPerPhoto;
  g.width = m_s.m_nPhotoboothGifWidth;
  g.sizeW = m_s.m_nPhotoboothGifSizeW;
  g.sizeH = m_s.m_nPhotoboothGifSizeH;
  g.offsetX = m_s.m_nPhotoboothGifOffsetX;
  g.offsetY = m_s.m_nPhotoboothGifOffsetY;
  g.imageDelay = m_s.m_nPhotoboothGifImageDelay;
  g.titleDelay = m_s.m_nPhotoboothGifTitleDelay;
  g.overlaysPerPhoto = m_s.m_nPhotoboothGifOverlaysPerPhoto;
  g.looping = m_s.m_bPhotoboothGifLoopingPlayback;
  g.pingPong = m_s.m_bPhotoboothGifPingPongPlayback;
  g.titleAtEnd = m_s.m_bPhotoboothGifTitleAtEnd;
  g.createMp4 = m_s.m_bPhotoboothGifCreateMP4;
  g.mp4MinDuration = m_s.m_nPhotoboothMP4MinDuration;
  g.mp4Subfolder = m_s.m_nPhotoboothGifMP4Subfolder;
  g.frameCopies = m_view.m_bGifFrameCopies;
  g.gifInPrints = m_view.m_bGifInPrints;
  g.fullscreenWindow = m_pBooth != nullptr;
  g.liveView = m_s.m_bPhotoboothEnableLiveView;
  g.evfCrop = m_s.m_nPhotoboothEvfCrop;
  g.liveViewWidth = m_nLiveViewWidth;
  g.liveViewHeight = m_nLiveViewHeight;
  g.parent = m_pBooth ? m_pBooth->m_hWnd : m_view.m_hWnd;
  m_strGifPath = CreatePhotoboothGifs(g, m_gifFrames);
  if (!m_strGifPath.IsEmpty()) {
    CString gif = m_strGifPath;
    RunOnView([this, gif] { m_view.m_strLastGifPath = gif; });
  }
}

void PhotoboothProcessingWorker::WriteSecondFormRecord() {
  // 12.
  if (m_s.m_nPhotoboothKeyboard < 1 && m_s.m_bPhotoboothSuppressXml) return;
  PhotoboothSessionRecord record = SessionRecord();
  record.userMessage = m_strUserMessage;
  record.secondForm = true;
  record.printed = m_bPrinted;
  record.outputMode = m_s.m_nPhotoboothSaveJpegCopyOfPrints;
  record.outputName = m_strOutputName;
  WriteAndAnnounce(record);
}

void PhotoboothProcessingWorker::RewriteRecordAfterFailure() {
  if (m_s.m_nPhotoboothKeyboard < 1 && m_s.m_bPhotoboothSuppressXml) return;
  PhotoboothSessionRecord record = SessionRecord();
  record.userMessage = m_strUserMessage;
  record.secondForm = true;
  record.printed = m_nPrinted > 0;
  if (m_nPrinted > 0) record.copies = m_nPrinted;
  record.outputMode = m_s.m_nPhotoboothSaveJpegCopyOfPrints;
  record.outputName = m_strOutputName;
  record.pageSaved = m_bPageSaved ? 1 : 0;
  WriteAndAnnounce(record);
}

void PhotoboothProcessingWorker::SaveCopyJpeg() {
  PipSession copy(m_page);
  if (m_s.m_bPhotoboothCopyJpegPrintCrop) {
    int x = m_s.m_nPhotoboothCopyJpegPrintCropX, y = m_s.m_nPhotoboothCopyJpegPrintCropY;
    int w = m_s.m_nPhotoboothCopyJpegPrintCropW > 0 ? m_s.m_nPhotoboothCopyJpegPrintCropW : 100000;
    int h = m_s.m_nPhotoboothCopyJpegPrintCropH > 0 ? m_s.m_nPhotoboothCopyJpegPrintCropH : 100000;
    cSetOpRectangle(copy.m_hSession, x, y, x + w - 1, y + h - 1, 0);
    cOpCrop(copy.m_hSession);
  }
  if (m_s.m_bPhotoboothCopyJpegPrintResize && m_s.m_nPhotoboothCopyJpegPrintResizeW > 0 &&
      m_s.m_nPhotoboothCopyJpegPrintResizeH > 0)
    cOpResize(copy.m_hSession, m_s.m_nPhotoboothCopyJpegPrintResizeW, m_s.m_nPhotoboothCopyJpegPrintResizeH,
              m_s.m_bPhotoboothFastResize ? 3 : 7, 0, 0);
  if (m_s.m_nPhotoboothCopyJpegPrintRotate != 0) copy.Rotate(m_s.m_nPhotoboothCopyJpegPrintRotate * 10, false);
  CreateDirectoryPath(m_strCopyFolder);
  SaveJpeg(copy, m_strCopyFolder + "/" + m_strOutputName);
}

void PhotoboothProcessingWorker::SaveAndShare() {
  // 13.
  const int output = m_s.m_nPhotoboothSaveJpegCopyOfPrints;
  const bool keep = m_bPrinted || m_s.m_bPhotoboothSaveLayoutEvenIfRejected;
  CString shared;  // the page the sharing screen shows
  CString shareFolder;
  bool temporaryShare = false;
  if (output >= 1 && keep) {
    CreateDirectoryPath(m_strPrintsFolder);
    Progress("Saving image...", -1);
    m_strPagePath = m_strPrintsFolder + "/" + m_strOutputName;
    SaveJpeg(m_page, m_strPagePath);
    m_bPageSaved = true;
    CString page = m_strPagePath;
    RunOnView([this, page] {
      m_view.m_strLastPrintPath = page;
      m_view.m_strLastOutput = page;
      m_view.SetStatusText("Photobooth shot saved as " + page);
    });
    if (m_bCopyJpeg) SaveCopyJpeg();
    shared = m_strPagePath;
  }
  const bool sharingReady = m_s.m_bPrintOptionInSharingScreen || m_s.m_bPhotoboothFbUpload ||
                            (m_s.m_bPhotoboothEmail && !m_s.m_strPhotoboothEmailHost.IsEmpty() &&
                             !m_s.m_strPhotoboothEmailUsername.IsEmpty() &&
                             !m_s.m_strPhotoboothEmailPassword.IsEmpty());
  if (!(m_bPrinted && !m_bReprint && m_pBooth && sharingReady)) return;
  if (shared.IsEmpty()) {
    // "Print Only" saves no page: the sharing screen gets one for its time only, in a folder
    // only this user can enter.
    shareFolder = MakePrivateTempFolder(kShareCopyPrefix);
    if (shareFolder.IsEmpty()) throw TextError{"Unable to prepare the page for sharing"};
    shared = shareFolder + "/" + m_strOutputName;
    SaveJpeg(m_page, shared);
    temporaryShare = true;
  }
  SharingRequest request;
  request.parent = CoveringWindow();
  request.pagePath = shared;
  request.gifPath = m_s.m_bShareAnimatedGIFs ? m_strGifPath : CString();
  request.background = m_strScreensDir + "/share.jpg";
  request.imagesFolder = m_strScreensDir;
  if (m_s.m_nPhotoboothKeyboard == 4) request.sharingMessage = m_strUserMessage;
  // The texts speak of the page: its own name and time, not the first photo's.
  Exif pageExif(shared);
  pageExif.m_path = m_strPrintsFolder + "/" + m_strOutputName;
  CMapStringToString pageTokens;
  RunOnView([this, &pageExif, &pageTokens] {
    CString folder;
    m_view.BuildPhotoboothTokens(&pageExif, pageTokens, folder);
  });
  request.tokens = pageTokens;
  request.settings = &m_s;
  request.copies = m_nCopies;
  request.booth = m_pBooth;
  m_bPrintedFromSharing = s_sharingScreen ? s_sharingScreen(request) : false;
  if (temporaryShare) RemovePrivateTempFolder(shareFolder);
  ShowScreen("/printing_confirmed.jpg");
  m_nStartTime = s_pfnNow();
}

void PhotoboothProcessingWorker::Print(HDC printer) {
  // 14.
  if (m_s.m_bEnablePrinterColourManagement)
    ApplyIccProfiles(m_page, g_strCameraProfile, m_s.m_strPrinterProfile, 0);
  Progress("Printing image...", -1);
  if (!StartPrintJob(printer)) throw TextError{"Can't initialize printer"};
  const int printed = PrintCopies(printer, m_page.m_hSession, m_nPageWidth, m_nPageHeight, m_nCopies);
  m_nPrinted = printed;
  if (CString shortfall = PrintShortfall(printed, m_nCopies); !shortfall.IsEmpty()) throw TextError{shortfall};
}

bool PhotoboothProcessingWorker::StartPrintJob(HDC printer) {
  DOCINFOA info{};
  info.cbSize = sizeof(info);
  info.lpszDocName = "Tavorin - Photobooth Edition";
  return StartDocA(printer, &info) > 0;
}

void PhotoboothProcessingWorker::ReportPrintError(HWND owner, const CString& reason) {
  CString text = "Error preparing images for printing";
  if (!reason.IsEmpty()) text += ":\n" + reason;
  ::MessageBoxA(owner, text, "Tavorin", MB_OK | MB_ICONERROR);
}

int PhotoboothProcessingWorker::ClampCopies(int copies) { return copies < 1 ? 1 : copies > 20 ? 20 : copies; }

int PhotoboothProcessingWorker::PrintCopies(HDC printer, int session, int width, int height, int copies) {
  int printed = 0;
  for (int left = ClampCopies(copies); left >= 1; --left) {
    if (AfxIsSessionEnding()) break;  // the program is being closed: the job ends here
    if (s_pfnStartPage(printer) <= 0) break;
    bool ok = cPrintImage(session, printer, 0, 0, width, height, 0, 0, 0, 0) != 0;
    ok = EndPage(printer) > 0 && ok;
    if (!ok) break;
    ++printed;
  }
  // Pages count as printed only once the printer took the job; a job without one is dropped.
  if (printed > 0 && EndDoc(printer) <= 0) printed = 0;
  if (printed == 0) AbortDoc(printer);
  if (printed > 0) UpdatePhotoboothPrintCounter(printed);
  return printed;
}

CString PhotoboothProcessingWorker::PrintShortfall(int printed, int copies) {
  copies = ClampCopies(copies);
  if (printed >= copies) return CString();
  if (printed <= 0) return "The printer did not accept the job";
  CString text;
  text.Format("Only %d of %d copies were printed", printed, copies);
  return text;
}
