// The setup wizard's work after Finish: a new booth folder with every screen picture the booth
// needs (white text on black at the display size, touch buttons from the shipped bitmaps), an
// optional background.jpg at the printed size, and a coherent group of booth settings. It takes
// the display size and the fonts as given, so it runs without any window.
#pragma once

#include <functional>
#include <vector>

#include "app/SettingsStore.h"
#include "platform/mfc/cstring.h"

/// What the wizard's pages chose.
struct SetupWizardOptions {
  int layout = 0;  // preset code 0..7 (other values: double strip of 4)
  bool touchscreen = true;
  bool colourChoice = true;
  bool previewPhotos = true;
  bool confirmPrinting = true;
  bool background = false;
  bool email = false;
  bool facebook = false;
  bool thumbnails = false;
  bool threeToTwo = false;
  bool printInSharing = false;
  bool twitter = false;
  bool mms = false;
  int inactivityTimeout = 0;
};

class CSetupWizardGenerator {
 public:
  CSetupWizardGenerator(int width, int height, const LOGFONTA& bigFont, const LOGFONTA& smallFont);

  /// Makes the folder, sets `settings`, draws and saves the screens, then saves the settings
  /// file through `m_saveSettings`. FALSE with `m_strError` set on the first failure; the files
  /// already written stay.
  bool Generate(const SetupWizardOptions& options, const CString& folder, ViewSettings& settings);

  /// Folder holding start.bmp, color.bmp, ... (ends with '/').
  CString m_strButtonDir;
  /// Writes settings.xml; default: the settings file writer with the application's printer.
  std::function<bool(const CString& path, ViewSettings& settings)> m_saveSettings;

  CString m_strError;
  std::vector<CString> m_written;  // file names in the order written
  int m_nTextHeight = 0;           // T
  int m_nTextE = 0;                // E from the text, before the start button
  int m_nPageWidth = 0, m_nPageHeight = 0;

  /// Photos per sheet of a preset code.
  static int PhotosOfLayout(int layout);
  /// The ready screen's text of a preset code.
  static const char* ReadyText(int layout);

 private:
  struct Screen;
  struct Bitmap;
  void ApplySettings(const SetupWizardOptions& options, const CString& folder, ViewSettings& settings);
  void DrawThumbnailNumbers(Screen& screen, const ViewSettings& settings);
  bool PlaceButton(Screen& screen, const char* file, int action, int x, int y, ViewSettings& settings,
                   int* width = nullptr, int* height = nullptr);
  void Save(Screen& screen, const char* name);
  void MakeReady(const SetupWizardOptions& options, ViewSettings& settings);
  void MakeCountdowns(const ViewSettings& settings);
  void MakeEndScreens(const SetupWizardOptions& options, ViewSettings& settings);
  void MakeShareScreens(const SetupWizardOptions& options, ViewSettings& settings);
  void MakeBackground();
  void TextScreen(const char* name, const char* text, int y = -1);

  int m_nWidth, m_nHeight;
  LOGFONTA m_bigFont, m_smallFont;
  int m_nPhotos = 4;
  int m_nAspectA = 4, m_nAspectB = 3;
  int m_nNextButton = 0;
  CString m_strFolder;
};
