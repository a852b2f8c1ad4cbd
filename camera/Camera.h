// CCamera: one PowerShot camera reached through exactly one of the two SDKs, CDSDK (a source)
// or PRSDK (a camera object). Every operation tries the CDSDK source first, then the PRSDK
// camera, and answers false (leaving its out-arguments untouched) when neither is open or the
// SDK refuses. Connect throws the integer 1 on every failure, after undoing what it opened.
#pragma once

#include <atomic>
#include <deque>
#include <memory>

#include "camera/CameraMessages.h"
#include "camera/CameraViewSettings.h"
#include "camera/MyCanonMemStream.h"
#include "platform/canon/cdsdk.h"
#include "platform/canon/prsdk.h"
#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"
#include "platform/win32/sync.h"
#include "platform/win32/windef.h"

class CMyQuilletView;
class Exif;

/// Item data of a CDSDK entry in the camera choice; PRSDK entries carry their device index.
#define CAMERA_CHOICE_CDSDK 0x4321

/// One entry of the camera choice (combo box 1073 of dialog 173).
struct CameraChoiceItem {
  CString text;
  DWORD_PTR data = 0;
};

/// Shows the camera choice with `selection` preselected; returns true (OK) with the chosen
/// index in `selection`, false when the user cancels.
typedef bool (*CameraChooser)(CMyQuilletView* parent, const CArray<CameraChoiceItem>& items, int& selection);

/// Frame sink of the viewfinder: one JPEG frame, valid during the call.
typedef BOOL (*ViewfinderCallback)(BYTE* buffer, DWORD size, void* context);

class CCamera {
 public:
  explicit CCamera(CMyQuilletView* view);
  /// Closes the SDK connection and ends the download thread.
  virtual ~CCamera();
  CCamera(const CCamera&) = delete;
  CCamera& operator=(const CCamera&) = delete;

  /// Finds, chooses and opens a camera; throws the integer 1 with nothing left open on failure.
  void Connect(const char* preferredName);

  /// Replaces the camera choice; NULL restores the default: the choice dialog when a screen
  /// exists, otherwise the entry the dialog would preselect.
  static void SetCameraChooser(CameraChooser chooser);

  bool IsConnected() const { return m_hSource != 0 || m_hCamera != 0; }
  bool IsPrsdk() const { return m_hCamera != 0; }
  bool CanStopViewfinderBeforeRelease() const { return m_stopViewfinderBeforeRelease != 0; }
  bool HasFocusCapability() const { return m_focusCapability != 0; }
  bool HasViewfinder() const { return m_viewfinderCapable != 0; }
  CString GetModelName() const { return m_modelName; }
  bool IsRawCapable() const { return m_rawCapable != 0; }
  WORD GetReleaseDataKind() const { return m_releaseDataKind; }
  MyCanonMemStream& GetDownloadStream() { return m_stream; }

  // Settings: values pass through as the SDK codes them.
  bool SetShootingMode(DWORD mode);
  bool GetShootingMode(DWORD& mode);
  /// PRSDK only: true when the mode is among the 1-byte values the camera enumerates.
  bool IsShootingModeSupported(DWORD mode);
  bool SetTv(DWORD tv);
  bool GetTv(DWORD& tv);
  bool SetAv(DWORD av);
  /// On PRSDK answers only in shooting modes 3 and 4.
  bool GetAv(DWORD& av);
  bool SetExposureComp(DWORD comp);
  bool GetExposureComp(DWORD& comp);
  bool SetIso(DWORD iso);
  bool GetIso(DWORD& iso);
  bool SetWhiteBalance(DWORD wb);
  bool GetWhiteBalance(DWORD& wb);
  bool SetAFDistance(DWORD distance);
  bool GetAFDistance(DWORD& distance);
  bool SetMeteringMode(DWORD mode);
  bool GetMeteringMode(DWORD& mode);
  bool SetPhotoEffect(DWORD effect);
  bool GetPhotoEffect(DWORD& effect);
  bool SetFocusPoint(DWORD point);
  bool SetFlashComp(DWORD comp);
  bool GetFlashComp(DWORD& comp);
  /// Keeps the flash compensation as it is.
  bool SetFlashMode(DWORD mode);
  bool GetFlashMode(DWORD& mode);
  /// A compensation of 255 leaves the compensation unchanged.
  bool SetFlash(DWORD mode, DWORD compensation);
  bool SetFlashOutput(DWORD level);
  bool GetFlashOutput(DWORD& level);
  bool GetFlashOutputLevelCount(DWORD& count);
  bool SetBeep(bool on);
  bool GetBeep(bool& on);
  /// PRSDK refuses quality 4 (raw) unless the camera delivers raw images.
  bool SetImageFormat(DWORD size, DWORD quality);
  bool GetImageFormat(DWORD& size, DWORD& quality);
  bool GetWidestAperture(DWORD& av);
  bool GetMaxZoom(DWORD& maximum, DWORD& maximumOptical);
  bool SetZoom(DWORD position);
  /// CDSDK only: the magnification; false when the camera reports none.
  bool GetDigitalZoom(double& magnification);
  /// PRSDK only: the zoom position where digital zoom starts.
  bool GetPrDigitalZoom(DWORD& position);
  /// CDSDK only: focal lengths in millimetres.
  bool GetFocalLengths(double& current, double& wide, double& tele);
  bool ViewfinderToLcd();
  bool ViewfinderToVideoOut();
  bool ViewfinderOff();
  /// Frames reach the callback on the SDK's viewfinder thread until StopViewfinder.
  bool StartViewfinder(ViewfinderCallback callback, void* context);
  /// Safe to call from inside the frame callback.
  bool StopViewfinder();
  bool DoAeAfAwb();
  bool DoAf();
  bool LockFocus(bool on);
  /// 1 normal, 2 low, 3 very low; 0 when unknown or the read fails.
  int GetBatteryLevel();
  /// Degrees 0, 90, 180 or 270; 0 when the read fails.
  int GetRotationAngle();
  bool SelectReleaseDataKind(WORD kind);
  /// 1 computer only, 2 camera only, 3 both; selects the resulting data kind.
  bool SetSaveMode(DWORD mode);
  bool SetSaveOptions(WORD formatMode, DWORD mode);
  bool LockUI();
  void UnlockUI();
  /// PRSDK only: the values a property enumerates, at most `count` (in: capacity, out: copied).
  bool GetPropertyValues(WORD property, WORD* values, int& count);
  /// CDSDK only: a release-camera setting of `size` bytes; false on PRSDK.
  bool GetRelCamSetting(DWORD id, DWORD size, void* data);
  bool SetRelCamSetting(DWORD id, DWORD size, const void* data);

  // The view's side: where messages go and the settings naming and saving read.
  /// The sink stays the caller's and must outlive the camera; NULL posts nothing.
  void SetMessageSink(CameraMessageSink* sink) { m_pSink = sink; }
  /// Copies the settings under the settings lock; the download thread reads its own copy.
  void SetViewSettings(const CameraViewSettings& settings);
  CameraViewSettings GetViewSettings();

  // Shutter release and download.
  /// One release; a failure is reported with WM_RELEASE_ERROR and the SDK code.
  void Release(bool preview);
  /// Release (or a preview release) on a short thread of its own; nothing when no camera is open.
  /// The camera may be deleted while the thread runs: the thread then ends without touching it.
  void StartReleaseThread();
  void StartPreviewReleaseThread();
  /// Waits until every release thread of every camera has ended (before the SDKs are finished).
  static void WaitForReleaseThreads();
  /// Reports the percent with the pending count; answers 0 to the SDK.
  DWORD OnCdDownloadProgress(DWORD percent, DWORD status);
  /// Fills the download stream block by block; non-zero stops the SDK when a block does not fit.
  DWORD OnPrDownloadProgress(const prProgress* progress);
  bool IsPreviewPending() const { return m_previewPending != 0; }
  /// Saves and posts what the download stream holds as one released item of that data type
  /// and format; an overflowed stream counts as a failed download.
  void ProcessDownloadedItem(DWORD dataType, BYTE format);

  // File naming.
  /// The token map of an image (exif may be NULL); tokens without a source expand to "".
  void BuildFileNameTokens(const Exif* exif, CMapStringToString& map);
  /// The image folder with the image's tokens expanded.
  CString ExpandFileName(const Exif* exif);
  /// Full path of the next file of a kind (NUMBERED_...); creates its folder.
  CString MakeNumberedFileName(int kind, const Exif* exif);

  // Release bookkeeping shared with the SDK callbacks and the download thread.
  void AddPendingReleases(LONG count);
  void DecrementPendingReleases();
  LONG GetPendingReleases();

  DWORD NewEventNotification(const prEventRecord* event);
  DWORD EventNotification(DWORD event, const void* data, DWORD size);
  DWORD ReleaseEventNotification(DWORD event, const void* data, DWORD size);
  void ReleaseThread();

 private:
  struct ReleaseLine;
  struct ReleaseJob;
  static DWORD WINAPI ReleaseThreadMain(LPVOID parameter);
  static void RunRelease(ReleaseLine& line, bool preview);
  static DWORD ReleaseWith(cdHSource source, prHCamera camera);
  void StartReleaseOnThread(bool preview);
  /// Selects the release's data kind and marks a preview; the SDK's code, 0 when selected.
  DWORD BeginRelease(bool preview, BYTE& wasPending);
  /// Tells the view how the release went and restores the data kind after a preview.
  void EndRelease(bool preview, DWORD error, BYTE wasPending);
  std::shared_ptr<ReleaseLine> MakeReleaseLine();
  /// From now on release threads leave this camera alone.
  void DetachReleaseThreads();
  void BuildFileNameTokens(const Exif* exif, const CameraViewSettings& settings, CMapStringToString& map);
  CString MakeNumberedFileName(int kind, const Exif* exif, const CameraViewSettings& settings);
  void DownloadOneItem();
  void ProcessDownloadedItem(DWORD dataType, BYTE format, const CameraViewSettings& settings);
  /// Writes the downloaded JPEG and finishes it; when processing or a turn changed its pixels, `buffer` (NULL on
  /// entry) becomes the bytes as finally saved. False when the file is not there.
  bool SaveJpeg(const CString& path, const BYTE* data, DWORD dataSize, BYTE*& buffer, DWORD& size, int& angle,
                const CameraViewSettings& settings);
  /// Comment and orientation into a saved file, and for a JPEG the lossless turn.
  void FinishSavedFile(const CString& path, bool jpeg, BYTE*& buffer, DWORD& size, int angle,
                       const CameraViewSettings& settings);
  /// Makes a saved file durable once its last change is made (a failure is traced).
  void FlushSavedFile(const CString& path);
  BOOL Post(UINT message, WPARAM wParam, LPARAM lParam);
  /// Posts only while the view's window exists.
  BOOL PostIfAlive(UINT message, WPARAM wParam, LPARAM lParam);
  void PostExif(Exif* exif);
  void PostSavedFile(const char* text);
  void PostJpeg(BYTE* buffer, DWORD size);
  void ParseDeviceInfo(const BYTE* data, DWORD size);
  /// Undoes a partial connection and throws 1.
  [[noreturn]] void FailConnect(bool cdReleaseControl, bool prConnected, bool prReleaseControl);

  cdHSource m_hSource;
  prHCamera m_hCamera;
  LONG m_pendingReleases;
  CString m_modelName;
  std::atomic<WORD> m_releaseDataKind;
  WORD m_flashOutputTable[20];
  CMyQuilletView* m_pView;
  HANDLE m_hReleaseThread;
  HANDLE m_hReleaseEvent;
  std::atomic<BYTE> m_running;
  CRITICAL_SECTION m_cs;
  LONG m_uiLockCount;
  WORD m_formatMode;
  std::atomic<BYTE> m_previewPending;
  BYTE* m_pDeviceInfo;
  DWORD m_deviceInfoSize;
  BYTE m_rawCapable;
  DWORD m_capabilities;
  BYTE m_stopViewfinderBeforeRelease;
  BYTE m_focusCapability;
  BYTE m_viewfinderCapable;
  ViewfinderCallback m_viewfinderCallback;
  void* m_viewfinderContext;
  DWORD m_lastPrEvent[4];
  /// Released items announced by PRSDK and not yet fetched (guarded by m_cs).
  std::deque<prEventRecord> m_prReleased;
  MyCanonMemStream m_stream;
  std::atomic<CameraMessageSink*> m_pSink;
  CRITICAL_SECTION m_settingsCs;
  CameraViewSettings m_settings;
  CString m_aebBaseName;  // numbered name of the series' first shot (guarded by m_settingsCs)
  std::shared_ptr<ReleaseLine> m_releaseLine;  // shared with the release threads

  friend cdUInt32 CdViewfinderTrampoline(void*, cdUInt32, cdUInt32, cdContext);
  friend prResponse PrViewfinderTrampoline(prHCamera, prContext, prUInt32, prVoid*);
  static CameraChooser s_chooser;
};

/// The entries of the camera choice and the one to preselect: every kept CDSDK source
/// (item data CAMERA_CHOICE_CDSDK), then every PRSDK device whose lower-case model holds
/// "powershot" after its first character (item data = its index in the list).
void BuildCameraChoice(const CStringArray& cdNames, const cdSourceInfo* cdSources, int cdCount,
                       const prDeviceList* prList, int prCount, const char* preferredName,
                       CArray<CameraChoiceItem>& items, int& selection);
/// The model name of a device as the choice shows it: device number cut, lower case.
CString MakeCameraChoiceName(const char16_t* name, size_t capacity);
/// The device number (" #n") the SDK appends to a model name, cut.
CString CutDeviceNumber(const CString& name);
