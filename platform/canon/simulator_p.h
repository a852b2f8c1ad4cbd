// Shared state of the simulated camera, used by the two SDK front ends.
// One mutex guards everything; callbacks into the program are always made without it.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/canon/cdsdk.h"
#include "platform/canon/prsdk.h"
#include "platform/canon/simulator.h"

namespace tavsim_p {

using tavsim::SimCameraProfile;
using tavsim::SimScenario;

/// A setting: PTP data type (its width), value and what the camera makes of new values.
struct Property {
  WORD dataType = prDATA_TYPE_UINT16;
  DWORD value = 0;
  DWORD defaultValue = 0;
  BYTE form = prFORM_NONE;
  std::vector<DWORD> values;  // enumeration, or {min, max, step} for a range
  std::set<DWORD> refused;
  std::map<DWORD, DWORD> readBack;
  std::vector<DWORD> modes;  // shooting modes in which it answers; empty = all
};
DWORD WidthOf(WORD dataType);

/// A task queue served by one thread (events in threaded mode).
struct Worker {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<std::function<void()>> tasks;
  bool stop = false;
};

/// A running viewfinder.
struct ViewfinderRun {
  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
};

struct ReleasedItem {
  DWORD object = 0;
  WORD eventCode = 0;  // PRSDK event that announced it
  DWORD dataType = cdDATA_TYPE_PICTURE;
  BYTE format = cdFORMAT_JPEG;
  std::vector<BYTE> bytes;
  std::string fileName;
};

// A camera keeps only a few released items that were never fetched (a failed download leaves
// its item behind): the oldest go first, so the pixel data of past photos is not held for good.
constexpr size_t kMaxHeldItems = 8;
// The call log keeps the latest calls only: a long-running program would grow it without end.
constexpr size_t kMaxLoggedCalls = 4096;

struct Camera {
  SimCameraProfile profile;
  int index = 0;
  std::map<DWORD, Property> pr;  // PTP properties by code
  std::map<DWORD, Property> cd;  // CDSDK settings by rel-cam id or kSimCd... key
  int shots = 0;
  DWORD nextObject = 0x100;

  // CDSDK road.
  cdHSource cdSource = 0;
  cdEventCallbackFunction cdEvent = nullptr;
  cdContext cdEventContext = 0;
  bool cdReleaseControl = false;
  cdReleaseEventCallbackFunction cdRelease = nullptr;
  cdContext cdReleaseContext = 0;
  DWORD cdKind = cdREL_KIND_PICT_TO_PC;
  int cdUiLocks = 0;
  std::deque<ReleasedItem> cdPending;

  // PRSDK road.
  prHCamera prObject = 0;
  bool prConnected = false;
  bool prReleaseControl = false;
  prSetEventCB prEvent = nullptr;
  prContext prEventContext = 0;
  std::map<DWORD, ReleasedItem> prObjects;

  // Threads.
  std::shared_ptr<Worker> worker;
  std::thread workerThread;
  std::shared_ptr<ViewfinderRun> viewfinder;
  std::thread viewfinderThread;
  std::function<BOOL(const std::vector<BYTE>&)> frameSink;  // calls the program's callback
  int frames = 0;
};

struct State {
  std::mutex mutex;
  bool loaded = false;
  unsigned epoch = 0;
  SimScenario scenario;
  std::vector<std::unique_ptr<Camera>> cameras;
  std::vector<tavsim::SimCall> log;
  std::map<std::string, int> calls;
  bool cdStarted = false;
  bool prStarted = false;
  UINT_PTR nextHandle = 0x1000;
  std::map<cdHEnum, size_t> enums;  // next source index
  std::map<cdHItem, std::string> items;
  struct Image {
    std::string path;
    bool hasComment = false, hasRotation = false;
    std::string comment;
    DWORD rotation = 0;
  };
  std::map<cdHImageData, Image> images;
  std::set<cdHEnum> propertyEnums;
  std::vector<std::thread> finished;  // threads that stopped themselves; joined later
  int threads = 0;
};

/// The state, with the scenario loaded on first use. Lock State::mutex before touching it.
State& Sim();

/// Logs the call and answers an injected fault (0 when none). Needs the lock held.
DWORD Enter(State& s, const char* function, DWORD id = 0, DWORD size = 0, DWORD value = 0);

Camera* CameraByCdSource(State& s, cdHSource source);
Camera* CameraByPrObject(State& s, prHCamera camera);

/// Sets a property as the camera would: refused values and read-back mapping applied.
bool StoreValue(Property& p, DWORD value);
/// False when the property does not answer in the camera's current shooting mode.
bool Answers(const Camera& c, const Property& p, bool cdRoad);

/// Runs a task for a camera: at once on this thread (synchronous mode, after the caller
/// dropped the lock) or on the camera's event thread. Call with the lock held; returns what
/// the caller must run after unlocking.
using Deferred = std::vector<std::function<void()>>;
void Post(State& s, Camera& c, std::function<void()> task, Deferred& now);
void RunDeferred(Deferred& now);

/// Starts and stops the per-connection event thread (lock held); stopped threads are handed
/// back to be joined after unlocking.
void StartWorker(State& s, Camera& c);
void StopWorker(State& s, Camera& c, std::vector<std::thread>& join);
/// Starts the viewfinder (threaded: a frame thread at about 20 frames a second).
void StartViewfinder(State& s, Camera& c, std::function<BOOL(const std::vector<BYTE>&)> sink);
void StopViewfinder(State& s, Camera& c, std::vector<std::thread>& join);
/// Joins threads outside the lock; a thread cannot join itself, so it is kept for later.
void JoinThreads(std::vector<std::thread>& join);

/// Queues a camera event for the program's callback of that road.
void PostPrEvent(State& s, Camera& c, WORD code, DWORD parameter, Deferred& now);
void PostCdEvent(State& s, Camera& c, bool release, DWORD event, const DWORD* data, Deferred& now);

/// Shoots: makes the items of one release for the camera's data kind and size settings.
std::vector<ReleasedItem> Shoot(Camera& c, bool cdRoad, DWORD kind);

/// The PTP DeviceInfo dataset of a camera.
std::vector<BYTE> DeviceInfo(const Camera& c);
/// A PTP property description.
std::vector<BYTE> Describe(WORD code, const Property& p);

/// Little-endian value of `size` bytes; 0 for size 0.
DWORD ReadLe(const void* data, DWORD size);
void WriteLe(void* data, DWORD size, DWORD value);

std::u16string Wide(const std::string& ansi);
void CopyWide(char16_t* dest, size_t capacity, const std::u16string& text);

}  // namespace tavsim_p
