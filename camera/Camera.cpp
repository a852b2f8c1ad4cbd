// CCamera: construction, discovery, choice, connection and destruction.
#include "camera/Camera.h"

#include <cstring>
#include <map>
#include <vector>

#include "camera/CameraSelectionDlg.h"
#include "camera/CameraTrampolines.h"
#include "platform/user/window.h"
#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/handle.h"
#include "platform/win32/thread.h"
#include "platform/win32/trace.h"

namespace {

const LONG kStreamCapacity = 0xC00000;
const int kMaxCdSources = 10;

// Without a screen to show the dialog on, the camera it would preselect is taken.
bool TakePreselectedCamera(CMyQuilletView*, const CArray<CameraChoiceItem>& items, int& selection) {
  return selection >= 0 && selection < items.GetSize();
}

CameraChooser DefaultChooser() {
  return ::GetSystemMetrics(SM_CXSCREEN) > 0 ? ShowCameraSelectionDlg : TakePreselectedCamera;
}

CString WideToAnsi(const char16_t* text, size_t capacity) {
  size_t n = 0;
  while (n < capacity && text[n]) ++n;
  if (n == 0) return CString();
  int bytes = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return CString();
  CString result;
  char* buffer = result.GetBuffer(bytes);
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(n), buffer, bytes, nullptr, nullptr);
  result.ReleaseBuffer(bytes);
  return result;
}

bool EqualNoCaseWide(const char16_t* wide, size_t capacity, const char* ansi) {
  return WideToAnsi(wide, capacity).CompareNoCase(ansi) == 0;
}

DWORD WINAPI ReleaseThreadEntry(LPVOID parameter) {
  static_cast<CCamera*>(parameter)->ReleaseThread();
  return 0;
}

// Bounded reader over the PTP DeviceInfo dataset.
struct DatasetReader {
  const BYTE* data;
  DWORD size;
  DWORD pos = 0;
  bool Skip(DWORD n) {
    if (n > size - pos) return false;
    pos += n;
    return true;
  }
  bool Read16(DWORD& v) {
    if (size - pos < 2) return false;
    v = data[pos] | data[pos + 1] << 8;
    pos += 2;
    return true;
  }
  bool Read32(DWORD& v) {
    if (size - pos < 4) return false;
    v = DWORD(data[pos]) | DWORD(data[pos + 1]) << 8 | DWORD(data[pos + 2]) << 16 | DWORD(data[pos + 3]) << 24;
    pos += 4;
    return true;
  }
  /// Reads a 16-bit code array; false when its count runs past the data.
  bool ReadArray(std::vector<DWORD>& codes) {
    DWORD count;
    if (!Read32(count) || count > (size - pos) / 2) return false;
    codes.resize(count);
    for (DWORD& code : codes) Read16(code);
    return true;
  }
};

}  // namespace

CameraChooser CCamera::s_chooser = nullptr;

void CCamera::SetCameraChooser(CameraChooser chooser) { s_chooser = chooser; }

CString CutDeviceNumber(const CString& name) {
  int n = name.GetLength();
  if (n >= 4 && name[n - 3] == ' ' && name[n - 2] == '#') return name.Left(n - 3);
  return name;
}

CString MakeCameraChoiceName(const char16_t* name, size_t capacity) {
  CString text = CutDeviceNumber(WideToAnsi(name, capacity));
  text.MakeLower();
  return text;
}

void BuildCameraChoice(const CStringArray& cdNames, const cdSourceInfo* cdSources, int cdCount,
                       const prDeviceList* prList, int prCount, const char* preferredName,
                       CArray<CameraChoiceItem>& items, int& selection) {
  const char* preferred = preferredName ? preferredName : "";
  items.RemoveAll();
  selection = 0;
  for (int i = 0; i < cdCount; ++i) {
    items.Add({cdNames.GetAt(i), CAMERA_CHOICE_CDSDK});
    if (cdSources[i].PortType == cdPORT_TYPE_USB && *preferred &&
        EqualNoCaseWide(cdSources[i].OSName, cdOS_NAME_LENGTH, preferred))
      selection = static_cast<int>(items.GetSize() - 1);
  }
  for (int i = 0; prList && i < prCount; ++i) {
    const prDeviceInfoTable& device = prList->DeviceInfo[i];
    CString name = MakeCameraChoiceName(device.ModelName, prMODEL_NAME_LENGTH);
    if (name.Find("powershot") <= 0) continue;
    items.Add({name, static_cast<DWORD_PTR>(i)});
    if (*preferred && EqualNoCaseWide(device.DeviceInternalName, prDEVICE_INTERNAL_NAME_LENGTH, preferred))
      selection = static_cast<int>(items.GetSize() - 1);
  }
}

CCamera::CCamera(CMyQuilletView* view)
    : m_hSource(0),
      m_hCamera(0),
      m_pendingReleases(0),
      m_releaseDataKind(3),  // so that a PRSDK camera starts with a defined kind too
      m_flashOutputTable{},
      m_pView(view),
      m_hReleaseThread(nullptr),
      m_hReleaseEvent(nullptr),
      m_running(0),
      m_uiLockCount(0),
      m_formatMode(0),
      m_previewPending(0),
      m_pDeviceInfo(nullptr),
      m_deviceInfoSize(0),
      m_rawCapable(0),
      m_capabilities(0),
      m_stopViewfinderBeforeRelease(0),
      m_focusCapability(0),
      m_viewfinderCapable(0),
      m_viewfinderCallback(nullptr),
      m_viewfinderContext(nullptr),
      m_lastPrEvent{},
      m_stream(kStreamCapacity),
      m_pSink(nullptr),
      m_releaseLine(MakeReleaseLine()) {
  InitializeCriticalSection(&m_cs);
  InitializeCriticalSection(&m_settingsCs);
}

CCamera::~CCamera() {
  DetachReleaseThreads();
  m_running = 0;
  if (m_hSource) {
    CDExitReleaseControl(m_hSource);
    CDCloseSource(m_hSource);
    m_hSource = 0;
  }
  if (m_hCamera) {
    PR_ClearEventCallBack(m_hCamera);
    PR_TerminateReleaseControl(m_hCamera);
    PR_DisconnectCamera(m_hCamera);
    PR_DestroyCameraObject(m_hCamera);
    m_hCamera = 0;
  }
  delete[] m_pDeviceInfo;
  m_pDeviceInfo = nullptr;
  if (m_hReleaseEvent) SetEvent(m_hReleaseEvent);
  if (m_hReleaseThread) {
    // The thread stops between items; one under way still uses this object, so wait for it.
    WaitForSingleObject(m_hReleaseThread, INFINITE);
    CloseHandle(m_hReleaseThread);
  }
  if (m_hReleaseEvent) CloseHandle(m_hReleaseEvent);
  DeleteCriticalSection(&m_settingsCs);
  DeleteCriticalSection(&m_cs);
}

void CCamera::FailConnect(bool cdReleaseControl, bool prConnected, bool prReleaseControl) {
  if (m_hSource) {
    if (cdReleaseControl) CDExitReleaseControl(m_hSource);
    CDCloseSource(m_hSource);
    m_hSource = 0;
  }
  if (m_hCamera) {
    if (prConnected) {
      PR_ClearEventCallBack(m_hCamera);
      if (prReleaseControl) PR_TerminateReleaseControl(m_hCamera);
      PR_DisconnectCamera(m_hCamera);
    }
    PR_DestroyCameraObject(m_hCamera);
    m_hCamera = 0;
  }
  delete[] m_pDeviceInfo;
  m_pDeviceInfo = nullptr;
  m_deviceInfoSize = 0;
  m_running = 0;
  throw 1;
}

void CCamera::Connect(const char* preferredName) {
  m_rawCapable = 1;

  // PRSDK devices. The list is camera data: its count is trusted only as far as the bytes go.
  std::vector<BYTE> listBuffer;
  const prDeviceList* prList = nullptr;
  int prListCount = 0;
  prUInt32 listSize = 0;
  if (PR_GetDeviceList(&listSize, nullptr) == prINSUFFICIENT_BUFFER && listSize >= sizeof(prUInt32)) {
    listBuffer.assign(listSize, 0);
    auto* list = reinterpret_cast<prDeviceList*>(listBuffer.data());
    prUInt32 got = listSize;
    if (PR_GetDeviceList(&got, list) == prOK && got <= listSize) {
      prList = list;
      prUInt32 fits = (got - offsetof(prDeviceList, DeviceInfo)) / sizeof(prDeviceInfoTable);
      prListCount = static_cast<int>(list->NumList < fits ? list->NumList : fits);
    }
  }
  std::map<CString, CString> prNames;
  int prCount = 0, firstPr = -1;
  for (int i = 0; i < prListCount; ++i) {
    CString name = MakeCameraChoiceName(prList->DeviceInfo[i].ModelName, prMODEL_NAME_LENGTH);
    if (name.Find("powershot") <= 0) continue;
    prNames[name] = name;
    ++prCount;
    if (firstPr < 0) firstPr = i;
  }

  // CDSDK sources. An enumeration that cannot start counts as none: PRSDK cameras still count.
  cdSourceInfo cdSources[kMaxCdSources + 1];
  CStringArray cdNames;
  int cdCount = 0;
  cdHEnum hEnum = 0;
  if (CDEnumDeviceReset(1, &hEnum) == cdOK) {
    while (cdCount < kMaxCdSources && CDEnumDeviceNext(hEnum, &cdSources[cdCount]) == cdOK) {
      CString name = MakeCameraChoiceName(cdSources[cdCount].Name, cdSOURCE_NAME_LENGTH);
      if (name.Find("canon camera") == 0 || name.Find("eos") >= 0 || prNames.count(name)) continue;
      cdNames.SetAtGrow(cdCount, name);
      ++cdCount;
    }
    CDEnumDeviceRelease(hEnum);
  } else {
    TRACE("CCamera::Connect() - CDSDK enumeration failed; no CDSDK sources\n");
  }

  // Choice.
  int cdIndex = -1, prIndex = -1;
  if (cdCount + prCount < 2) {
    if (cdCount > 0) cdIndex = 0;
    else if (prCount > 0) prIndex = firstPr;
    else throw 1;
  } else {
    CArray<CameraChoiceItem> items;
    int selection = 0;
    BuildCameraChoice(cdNames, cdSources, cdCount, prList, prListCount, preferredName, items, selection);
    CameraChooser chooser = s_chooser ? s_chooser : DefaultChooser();
    if (!chooser(m_pView, items, selection) || selection < 0 || selection >= items.GetSize()) throw 1;
    DWORD_PTR data = items[selection].data;
    if (data == CAMERA_CHOICE_CDSDK) cdIndex = selection;
    else prIndex = static_cast<int>(data);
    if (cdIndex >= cdCount || prIndex >= prListCount) throw 1;
  }

  bool cdReleaseControl = false, prConnected = false, prReleaseControl = false;
  if (prIndex >= 0) {
    const prDeviceInfoTable& device = prList->DeviceInfo[prIndex];
    if (PR_CreateCameraObject(&device, &m_hCamera) != prOK) {
      m_hCamera = 0;
      throw 1;
    }
    m_modelName = CutDeviceNumber(WideToAnsi(device.ModelName, prMODEL_NAME_LENGTH));
    if (PR_SetEventCallBack(m_hCamera, reinterpret_cast<prContext>(this), PrEventTrampoline) != prOK)
      FailConnect(false, false, false);
    if (PR_ConnectCamera(m_hCamera) != prOK) FailConnect(false, false, false);
    prConnected = true;
    if (PR_InitiateReleaseControl(m_hCamera) != prOK) FailConnect(false, true, false);
    prReleaseControl = true;

    prUInt32 size = 0;
    if (PR_GetDeviceInfo(m_hCamera, &size, nullptr) == prINSUFFICIENT_BUFFER && size > 0) {
      m_pDeviceInfo = new BYTE[size];
      prUInt32 got = size;
      if (PR_GetDeviceInfo(m_hCamera, &got, m_pDeviceInfo) == prOK && got <= size) {
        m_deviceInfoSize = got;
        ParseDeviceInfo(m_pDeviceInfo, got);
      } else {
        delete[] m_pDeviceInfo;
        m_pDeviceInfo = nullptr;
      }
    }
  } else {
    if (CDOpenSource(&cdSources[cdIndex], &m_hSource) != cdOK) {
      m_hSource = 0;
      throw 1;
    }
    m_modelName = CutDeviceNumber(WideToAnsi(cdSources[cdIndex].Name, cdSOURCE_NAME_LENGTH));
    cdHandle function = 0;
    if (CDRegisterEventCallbackFunction(m_hSource, CdEventTrampoline, reinterpret_cast<cdContext>(this),
                                        &function) != cdOK)
      FailConnect(false, false, false);
    if (CDEnterReleaseControl(m_hSource, CdReleaseEventTrampoline, reinterpret_cast<cdContext>(this)) != cdOK)
      FailConnect(false, false, false);
    cdReleaseControl = true;
    m_releaseDataKind = 3;
    if (!SelectReleaseDataKind(m_releaseDataKind)) FailConnect(true, false, false);

    char model[33] = {};
    cdUInt32 size = 32;
    if (CDGetDevicePropertyData(m_hSource, cdDEVICE_PROP_MODEL_NAME, &size, model, 0) == cdOK) m_modelName = model;
    std::memset(m_flashOutputTable, 0, sizeof m_flashOutputTable);
    CDUnlockUI(m_hSource);
    BYTE caps[4] = {};
    size = 4;
    if (CDGetDevicePropertyData(m_hSource, cdDEVICE_PROP_CAPABILITIES, &size, caps, 0) == cdOK && size == 4) {
      m_capabilities = DWORD(caps[0]) | DWORD(caps[1]) << 8 | DWORD(caps[2]) << 16 | DWORD(caps[3]) << 24;
      m_stopViewfinderBeforeRelease = (m_capabilities >> 3) & 1;
      m_focusCapability = (m_capabilities >> 4) & 1;
      m_viewfinderCapable = (m_capabilities >> 2) & 1;
    }
  }

  m_running = 1;
  // Unnamed: each camera has its own event, and no other program can reset it.
  m_hReleaseEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  if (!m_hReleaseEvent) FailConnect(cdReleaseControl, prConnected, prReleaseControl);
  m_hReleaseThread = CreateThread(nullptr, 0, ReleaseThreadEntry, this, 0, nullptr);
  if (!m_hReleaseThread) {
    CloseHandle(m_hReleaseEvent);
    m_hReleaseEvent = nullptr;
    FailConnect(cdReleaseControl, prConnected, prReleaseControl);
  }
}

void CCamera::ParseDeviceInfo(const BYTE* data, DWORD size) {
  DatasetReader r{data, size};
  DWORD chars = 0;
  if (!r.Skip(2 + 4 + 2) || r.pos >= size) return;
  chars = data[r.pos];
  if (!r.Skip(1) || !r.Skip(chars * 2) || !r.Skip(2)) return;
  std::vector<DWORD> operations, ignored, formats;
  if (!r.ReadArray(operations)) return;
  bool start = false, stop = false;
  for (DWORD op : operations) {
    if (op == prPTP_OC_INITIATE_VIEWFINDER) start = true;
    if (op == prPTP_OC_TERMINATE_VIEWFINDER) stop = true;
    if (op == prPTP_OC_FOCUS_LOCK) m_focusCapability = 1;
  }
  if (start && stop) m_viewfinderCapable = 1;
  if (!r.ReadArray(ignored) || !r.ReadArray(ignored) || !r.ReadArray(formats)) return;
  m_rawCapable = 0;
  for (DWORD format : formats)
    if (format == prPTP_FORMAT_CRW) m_rawCapable = 1;
}

void CCamera::AddPendingReleases(LONG count) {
  EnterCriticalSection(&m_cs);
  m_pendingReleases += count;
  LeaveCriticalSection(&m_cs);
  if (m_hReleaseEvent) SetEvent(m_hReleaseEvent);
}

void CCamera::DecrementPendingReleases() {
  EnterCriticalSection(&m_cs);
  --m_pendingReleases;
  LeaveCriticalSection(&m_cs);
}

LONG CCamera::GetPendingReleases() {
  EnterCriticalSection(&m_cs);
  LONG count = m_pendingReleases;
  LeaveCriticalSection(&m_cs);
  return count;
}
