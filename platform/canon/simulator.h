// The simulated camera behind both SDKs: scenarios, call log, failure injection and test hooks.
//
// A scenario lists the attached cameras (model, which SDKs see them, capabilities) and the
// faults to inject. Without SimReset the first SDK call loads the file named by
// TAVORIN_CAMERA_SIM, or the built-in default: one PRSDK "Canon PowerShot G9" in threaded mode.
// Threaded mode delivers events and viewfinder frames on simulator threads, as a real SDK
// does; synchronous mode delivers events inline on the calling thread and frames only when
// a test pumps them. TAVORIN_CAMERA_SIM=default names the built-in scenario.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windef.h"

namespace tavsim {

enum SimSdk { kSimCd = 1, kSimPr = 2, kSimBoth = 3 };

struct SimCameraProfile {
  std::string model = "Canon PowerShot G9";  // as the SDK reports it (a " #n" suffix is kept)
  int sdks = kSimPr;
  bool rawCapable = true;
  bool viewfinder = true;
  bool focusLock = true;
  bool stopViewfinderBeforeRelease = false;
  int viewfinderWidth = 320;  // size of the viewfinder's JPEG frames
  int viewfinderHeight = 240;
  std::string internalName;  // PRSDK internal name and CDSDK system name; generated when empty
  std::vector<std::string> photos;  // JPEG files delivered in turn instead of made-up photos
};

/// Fails the given call of a function (1 = its first call after the reset; 0 = every call).
struct SimFault {
  std::string function;
  int call = 0;
  DWORD error = 1;
};

struct SimScenario {
  std::vector<SimCameraProfile> cameras;
  std::vector<SimFault> faults;
  std::vector<int> cdVersions{5, 6, 7, 8, 9, 10};  // versions CDStartSDK accepts
  bool threaded = true;
  // Test hook: the pictures of a release wait (at most two minutes) until this file exists,
  // so a test can watch the program while a shot is under way. Empty: no wait. The
  // environment variable TAVORIN_CAMERA_SIM_RELEASE_GATE sets it for the loaded scenario.
  std::string releaseGate;
  // Test hook: every SDK call is also appended to this file as "function id size value", so
  // a test can read what another process asked of the camera. The environment variable
  // TAVORIN_CAMERA_SIM_CALL_LOG sets it for the loaded scenario.
  std::string callLog;
};

/// One SDK call: the function and its key arguments (property or setting id, byte count, value).
struct SimCall {
  std::string function;
  DWORD id = 0;
  DWORD size = 0;
  DWORD value = 0;
};

/// The built-in scenario.
SimScenario SimDefaultScenario();
/// Reads a scenario file (format at the top of scenario.cpp); false with a message on errors.
bool SimParseScenario(const std::string& text, SimScenario& scenario, std::string& error);
bool SimLoadScenarioFile(const char* path, SimScenario& scenario, std::string& error);

/// Stops every simulator thread, drops all handles and state and starts the scenario; from
/// then on this process's PRSDK calls go to the simulator.
void SimReset(const SimScenario& scenario);
/// True once SimReset ran in this process.
bool SimWasReset();
void SimAddFault(const SimFault& fault);

std::vector<SimCall> SimCallLog();
void SimClearCallLog();
/// Calls of one function in the log, in order.
std::vector<SimCall> SimCallsOf(const std::string& function);

/// Handles the SDKs still hold: open sources, camera objects, connections, enumerations, items.
int SimOpenHandleCount();
/// Bytes of released items the cameras still hold (announced, never fetched).
size_t SimHeldItemBytes();
/// Simulator threads now running (event and viewfinder threads).
int SimThreadCount();

// Keys of CDSDK settings that have their own calls (the rel-cam settings use their ids).
enum : DWORD {
  kSimCdShootingMode = 0xC0DE0001,
  kSimCdTv,
  kSimCdAv,
  kSimCdExposureComp,
  kSimCdWhiteBalance,
  kSimCdAFDistance,
  kSimCdFlashMode,
  kSimCdFlashComp,
  kSimCdImageQuality,
  kSimCdImageSize,
  kSimCdZoom,
};

enum SimRoad { kSimRoadCd, kSimRoadPr };

/// A value the camera refuses for a setting (road: PR code or CD setting id / kSimCd... key).
void SimRefuseValue(int camera, SimRoad road, DWORD key, DWORD value);
/// A value the camera accepts but stores as another.
void SimReadBackAs(int camera, SimRoad road, DWORD key, DWORD value, DWORD stored);
/// The setting answers only in these shooting modes (empty: always).
void SimAvailableInModes(int camera, SimRoad road, DWORD key, const std::vector<DWORD>& modes);
/// Current value of a setting; false when the camera has no such setting.
bool SimGetValue(int camera, SimRoad road, DWORD key, DWORD& value);
bool SimSetValue(int camera, SimRoad road, DWORD key, DWORD value);
/// Replaces the enumeration of a PRSDK property (an empty list removes the form).
void SimSetEnumeration(int camera, DWORD code, const std::vector<DWORD>& values);
/// Makes a PRSDK property a range minimum..maximum (step 1), e.g. the zoom positions.
void SimSetRange(int camera, DWORD code, DWORD minimum, DWORD maximum);

/// Raises a camera event on an open camera (PRSDK event code with one parameter).
void SimRaisePrEvent(int camera, WORD code, DWORD parameter = 0);
/// Raises a CDSDK camera event (event callback) or release event, with optional 32-bit data.
void SimRaiseCdEvent(int camera, DWORD event);
void SimRaiseCdReleaseEvent(int camera, DWORD event, const DWORD* data = nullptr);
/// Turns the camera (0, 90, 180, 270) and raises the rotation event of its open road.
void SimRotate(int camera, int degrees);

/// Synchronous mode: delivers frames to the running viewfinder now; returns frames delivered.
int SimPumpViewfinder(int camera, int frames);
/// Frames delivered so far by the camera's viewfinder.
int SimViewfinderFrames(int camera);

/// Builds a JPEG photo with Exif as the camera makes it (tests use it for image-item files).
std::vector<BYTE> SimMakePhoto(int width, int height, int counter, const std::string& model, int orientation = 1);

}  // namespace tavsim
