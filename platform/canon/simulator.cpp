#include "platform/canon/simulator.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/canon/simphoto_p.h"
#include "platform/canon/simulator_p.h"
#include "platform/win32/codepage.h"
#include "platform/win32/trace.h"

namespace tavsim_p {

namespace {

Property Enum(WORD type, DWORD value, std::vector<DWORD> values) {
  Property p;
  p.dataType = type;
  p.value = p.defaultValue = value;
  p.form = prFORM_ENUM;
  p.values = std::move(values);
  return p;
}
Property Range(WORD type, DWORD value, DWORD min, DWORD max) {
  Property p;
  p.dataType = type;
  p.value = p.defaultValue = value;
  p.form = prFORM_RANGE;
  p.values = {min, max, 1};
  return p;
}
Property Plain(WORD type, DWORD value) {
  Property p;
  p.dataType = type;
  p.value = p.defaultValue = value;
  return p;
}

const std::vector<DWORD> kTv = {4,   24,  27,  29,  32,  35,  37,  40,  43,  45,  48,  51,  53,  56,  59,
                                61,  64,  67,  69,  72,  75,  77,  80,  83,  85,  88,  91,  93,  96,  99,
                                101, 104, 107, 109, 112, 115, 117, 120, 123, 125, 128, 131, 133, 136, 139,
                                141, 144, 147, 149, 152, 0xFFFF};
const std::vector<DWORD> kAv = {28, 32, 35, 37, 40, 43, 45, 48, 51, 53, 56, 59, 61, 64, 0xFFFF};
const std::vector<DWORD> kComp = {8, 11, 13, 16, 19, 21, 24, 27, 29, 32, 35, 37, 40};

void FillProperties(Camera& c) {
  const DWORD u8 = prDATA_TYPE_UINT8, u16 = prDATA_TYPE_UINT16;
  std::vector<DWORD> quality = {2, 3, 5};
  if (c.profile.rawCapable) quality.push_back(4);
  auto& pr = c.pr;
  pr[0xD00C] = Enum(u8, 1, {0, 1, 2, 3, 4});
  pr[0xD01E] = Enum(u16, 0xFFFF, kTv);
  pr[0xD01D] = Enum(u16, 40, kAv);
  pr[0xD01D].modes = {3, 4};
  pr[0xD01F] = Enum(u8, 24, kComp);
  pr[0xD01C] = Enum(u16, 0, {0, 72, 75, 77, 80, 83, 85, 88, 91, 93, 96, 99, 101, 104});
  pr[0xD013] = Enum(u8, 0, {0, 1, 2, 3, 4, 7, 5, 6});
  pr[0xD011] = Enum(u8, 1, {1, 3});
  pr[0xD010] = Enum(u8, 3, {3, 1, 0});
  pr[0xD040] = Enum(u16, 0, {0, 1, 2, 3, 4, 5, 6});
  pr[0xD012] = Enum(u16, 0x3001, {0x3001, 0x3003});
  pr[0xD020] = Enum(u8, 24, kComp);
  pr[0xD00A] = Enum(u8, 1, {0, 1, 2, 5, 6});
  pr[0xD042] = Enum(u16, 0, {0, 1, 2});
  pr[0xD00B] = Enum(u8, 1, {0, 1});
  pr[0xD008] = Enum(u8, 0, {0, 1, 2, 3, 7});
  pr[0xD006] = Enum(u8, 5, quality);
  pr[0xD02A] = Range(u16, 0, 0, 19);
  pr[0xD03D] = Plain(u16, 14);
  pr[0xD036] = Enum(u8, 1, {1, 2, 3});
  pr[0xD003] = Plain(prDATA_TYPE_UINT32, 1);
  pr[0xD043] = Plain(u16, 0);
  pr[0xD029] = Enum(u16, 2, {1, 2, 3, 13, 14, 15});

  auto& cd = c.cd;
  using namespace tavsim;
  cd[kSimCdShootingMode] = Enum(u16, 1, {0, 1, 2, 3, 4});
  cd[kSimCdTv] = Enum(u16, 0xFFFF, std::vector<DWORD>(kTv.begin() + 1, kTv.end()));
  cd[kSimCdAv] = Enum(u16, 40, kAv);
  cd[kSimCdExposureComp] = Enum(u8, 24, kComp);
  cd[kSimCdWhiteBalance] = Enum(u16, 0, {0, 1, 2, 3, 4, 5, 6});
  cd[kSimCdAFDistance] = Enum(u16, 1, {1, 3});
  cd[kSimCdFlashMode] = Enum(u16, 1, {0, 1, 2, 5, 6});
  cd[kSimCdImageQuality] = Enum(u16, 5, quality);
  cd[kSimCdImageSize] = Enum(u16, 0, {0, 1, 2, 5, 6, 7});
  cd[kSimCdZoom] = Range(prDATA_TYPE_UINT32, 0, 0, 7);
  cd[0x0800000C] = Enum(u16, 0, {64, 72, 80, 88, 0});
  cd[0x08000004] = Enum(u8, 3, {3, 1, 0});
  cd[0x08000B00] = Enum(u16, 0, {0, 1, 2, 3, 4, 5, 6});
  cd[0x08000005] = Enum(u16, 0x3001, {0, 0x3001, 0x3002, 0x3003, 0x3004});
  cd[0x0800000D] = Enum(u8, 24, kComp);
  cd[0x08000E00] = Enum(u16, 0, {0, 1, 2});
  cd[0x0D00] = Plain(u16, 3);
  cd[0x08000002] = Enum(u8, 1, {0, 1});
  cd[0x20] = Plain(u16, 28);
  cd[34] = Plain(u16, 7300);
  cd[35] = Plain(u16, 7300);
  cd[36] = Plain(u16, 29200);
  cd[37] = Plain(u16, 1000);
  cd[0x0F00] = Plain(u16, 0);
  cd[cdDEVICE_PROP_BATTERY_STATUS] = Plain(prDATA_TYPE_UINT32, 6);  // read as a device property
  cd[0x08000008] = Plain(u8, 0);
  cd[0x08000009] = Plain(u8, 0);
  cd[0x0800000A] = Plain(u8, 0);
}

State* g_state = nullptr;
std::mutex g_stateInit;

void LoadLocked(State& s, const SimScenario& scenario) {
  s.scenario = scenario;
  s.cameras.clear();
  for (size_t i = 0; i < scenario.cameras.size(); ++i) {
    auto c = std::make_unique<Camera>();
    c->profile = scenario.cameras[i];
    c->index = static_cast<int>(i);
    if (c->profile.internalName.empty()) c->profile.internalName = "sim-camera-" + std::to_string(i + 1);
    FillProperties(*c);
    s.cameras.push_back(std::move(c));
  }
  s.log.clear();
  s.calls.clear();
  s.enums.clear();
  s.items.clear();
  s.images.clear();
  s.propertyEnums.clear();
  s.loaded = true;
}

// Threads that end themselves cannot be joined by themselves; whoever comes next does it.
bool IsCurrent(const std::thread& t) { return t.get_id() == std::this_thread::get_id(); }

void WorkerMain(std::shared_ptr<Worker> w) {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(w->mutex);
      w->wake.wait(lock, [&] { return w->stop || !w->tasks.empty(); });
      if (w->stop) break;
      task = std::move(w->tasks.front());
      w->tasks.pop_front();
    }
    task();
  }
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  --s.threads;
}

void ViewfinderMain(std::shared_ptr<ViewfinderRun> run, unsigned epoch, int index) {
  int counter = 0, width = 320, height = 240;
  for (;;) {
    std::function<BOOL(const std::vector<BYTE>&)> sink;
    {
      State& s = Sim();
      std::lock_guard<std::mutex> lock(s.mutex);
      std::lock_guard<std::mutex> runLock(run->mutex);
      if (run->stop || s.epoch != epoch || index >= static_cast<int>(s.cameras.size())) break;
      Camera& c = *s.cameras[index];
      if (c.viewfinder != run) break;
      sink = c.frameSink;
      width = c.profile.viewfinderWidth;
      height = c.profile.viewfinderHeight;
      ++c.frames;
    }
    std::vector<BYTE> frame = EncodeScene(width, height, ++counter, 70);
    if (sink) sink(frame);
    std::unique_lock<std::mutex> lock(run->mutex);
    if (run->wake.wait_for(lock, std::chrono::milliseconds(50), [&] { return run->stop; })) break;
  }
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  --s.threads;
}

}  // namespace

State& Sim() {
  std::lock_guard<std::mutex> init(g_stateInit);
  if (!g_state) {
    g_state = new State;  // lives as long as the process: SDK threads may outlive statics
    SimScenario scenario = tavsim::SimDefaultScenario();
    if (const char* path = getenv("TAVORIN_CAMERA_SIM"); path && *path && std::string(path) != "default") {
      std::string error;
      if (!tavsim::SimLoadScenarioFile(path, scenario, error)) {
        TRACE("camera simulator - %s; using the built-in camera\n", error.c_str());
        scenario = tavsim::SimDefaultScenario();
      }
    }
    if (const char* gate = getenv("TAVORIN_CAMERA_SIM_RELEASE_GATE"); gate && *gate) scenario.releaseGate = gate;
    if (const char* log = getenv("TAVORIN_CAMERA_SIM_CALL_LOG"); log && *log) scenario.callLog = log;
    LoadLocked(*g_state, scenario);
  }
  return *g_state;
}

DWORD WidthOf(WORD dataType) {
  switch (dataType) {
    case prDATA_TYPE_INT8:
    case prDATA_TYPE_UINT8:
      return 1;
    case prDATA_TYPE_INT16:
    case prDATA_TYPE_UINT16:
      return 2;
    default:
      return 4;
  }
}

DWORD Enter(State& s, const char* function, DWORD id, DWORD size, DWORD value) {
  if (s.log.size() >= kMaxLoggedCalls) s.log.erase(s.log.begin(), s.log.begin() + kMaxLoggedCalls / 2);
  s.log.push_back({function, id, size, value});
  if (!s.scenario.callLog.empty())
    std::ofstream(s.scenario.callLog, std::ios::app) << function << ' ' << id << ' ' << size << ' ' << value << '\n';
  int call = ++s.calls[function];
  for (const tavsim::SimFault& f : s.scenario.faults)
    if (f.function == function && (f.call == 0 || f.call == call)) return f.error ? f.error : 1;
  return 0;
}

Camera* CameraByCdSource(State& s, cdHSource source) {
  if (!source) return nullptr;
  for (auto& c : s.cameras)
    if (c->cdSource == source) return c.get();
  return nullptr;
}

Camera* CameraByPrObject(State& s, prHCamera camera) {
  if (!camera) return nullptr;
  for (auto& c : s.cameras)
    if (c->prObject == camera) return c.get();
  return nullptr;
}

bool StoreValue(Property& p, DWORD value) {
  if (p.refused.count(value)) return false;
  if (p.form == prFORM_ENUM && std::find(p.values.begin(), p.values.end(), value) == p.values.end()) return false;
  if (p.form == prFORM_RANGE && p.values.size() >= 2 && (value < p.values[0] || value > p.values[1])) return false;
  auto mapped = p.readBack.find(value);
  p.value = mapped != p.readBack.end() ? mapped->second : value;
  return true;
}

bool Answers(const Camera& c, const Property& p, bool cdRoad) {
  if (p.modes.empty()) return true;
  const auto& map = cdRoad ? c.cd : c.pr;
  auto mode = map.find(cdRoad ? DWORD(tavsim::kSimCdShootingMode) : DWORD(0xD00C));
  if (mode == map.end()) return false;
  return std::find(p.modes.begin(), p.modes.end(), mode->second.value) != p.modes.end();
}

void Post(State& s, Camera& c, std::function<void()> task, Deferred& now) {
  if (s.scenario.threaded && c.worker) {
    std::lock_guard<std::mutex> lock(c.worker->mutex);
    c.worker->tasks.push_back(std::move(task));
    c.worker->wake.notify_one();
  } else {
    now.push_back(std::move(task));
  }
}

void RunDeferred(Deferred& now) {
  for (auto& task : now) task();
  now.clear();
}

void StartWorker(State& s, Camera& c) {
  if (!s.scenario.threaded || c.worker) return;
  c.worker = std::make_shared<Worker>();
  c.workerThread = std::thread(WorkerMain, c.worker);
  ++s.threads;
}

void StopWorker(State&, Camera& c, std::vector<std::thread>& join) {
  if (!c.worker) return;
  {
    std::lock_guard<std::mutex> lock(c.worker->mutex);
    c.worker->stop = true;
    c.worker->tasks.clear();
  }
  c.worker->wake.notify_all();
  c.worker.reset();
  if (c.workerThread.joinable()) join.push_back(std::move(c.workerThread));
}

void StartViewfinder(State& s, Camera& c, std::function<BOOL(const std::vector<BYTE>&)> sink) {
  c.frameSink = std::move(sink);
  c.viewfinder = std::make_shared<ViewfinderRun>();
  if (s.scenario.threaded) {
    c.viewfinderThread = std::thread(ViewfinderMain, c.viewfinder, s.epoch, c.index);
    ++s.threads;
  }
}

void StopViewfinder(State&, Camera& c, std::vector<std::thread>& join) {
  if (!c.viewfinder) return;
  {
    std::lock_guard<std::mutex> lock(c.viewfinder->mutex);
    c.viewfinder->stop = true;
  }
  c.viewfinder->wake.notify_all();
  c.viewfinder.reset();
  c.frameSink = nullptr;
  if (c.viewfinderThread.joinable()) join.push_back(std::move(c.viewfinderThread));
}

void JoinThreads(std::vector<std::thread>& join) {
  State& s = Sim();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto& t : s.finished) join.push_back(std::move(t));
    s.finished.clear();
  }
  std::vector<std::thread> keep;
  for (auto& t : join) {
    if (IsCurrent(t)) keep.push_back(std::move(t));
    else t.join();
  }
  join.clear();
  if (!keep.empty()) {
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto& t : keep) s.finished.push_back(std::move(t));
  }
}

namespace {

// A whole file read into bytes; false (and empty) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<BYTE>& bytes) {
  bytes.clear();
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  std::streamoff size = in.tellg();
  if (size <= 0) return false;
  bytes.resize(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) bytes.clear();
  return !bytes.empty();
}

}  // namespace

std::vector<ReleasedItem> Shoot(Camera& c, bool cdRoad, DWORD kind) {
  static const struct {
    DWORD code;
    int width, height;
  } kSizes[] = {{0, 2048, 1536}, {1, 1600, 1200}, {2, 640, 480}, {3, 1280, 960},
                {5, 1600, 1200}, {6, 1280, 960},  {7, 1024, 768}};
  DWORD size = cdRoad ? c.cd[tavsim::kSimCdImageSize].value : c.pr[0xD008].value;
  DWORD quality = cdRoad ? c.cd[tavsim::kSimCdImageQuality].value : c.pr[0xD006].value;
  PhotoInfo info;
  info.width = 640, info.height = 480;
  for (const auto& s : kSizes)
    if (s.code == size) info.width = s.width, info.height = s.height;
  info.counter = ++c.shots;
  info.model = c.profile.model;
  DWORD rotation = cdRoad ? c.cd[0x0F00].value : c.pr[0xD043].value;
  info.orientation = rotation == 1 ? 6 : rotation == 3 ? 8 : rotation == 2 ? 3 : 1;
  // The photo records the exposure the camera was set to.
  using namespace tavsim;
  if (cdRoad)
    ApplySettings(info, c.cd[kSimCdShootingMode].value, c.cd[kSimCdTv].value, c.cd[kSimCdAv].value,
                  c.cd[0x0800000C].value, c.cd[kSimCdWhiteBalance].value, c.cd[kSimCdFlashMode].value,
                  c.cd[kSimCdExposureComp].value);
  else
    ApplySettings(info, c.pr[0xD00C].value, c.pr[0xD01E].value, c.pr[0xD01D].value, c.pr[0xD01C].value,
                  c.pr[0xD013].value, c.pr[0xD00A].value, c.pr[0xD01F].value);

  // A scenario's real photos, in turn, with their companions.
  std::vector<BYTE> real, realThm, realCrw;
  if (!c.profile.photos.empty()) {
    const std::string& path = c.profile.photos[size_t(info.counter - 1) % c.profile.photos.size()];
    if (ReadWholeFile(path, real) && real.size() > 4 && real[0] == 0xFF && real[1] == 0xD8) {
      std::string base = path.substr(0, path.rfind('.'));
      if (!ReadWholeFile(base + ".THM", realThm)) ReadWholeFile(base + ".thm", realThm);
      if (realThm.empty()) realThm = ExifThumbnail(real);
      if (!ReadWholeFile(base + ".CRW", realCrw)) ReadWholeFile(base + ".crw", realCrw);
    } else {
      real.clear();
    }
  }

  std::vector<ReleasedItem> items;
  char name[32];
  // The thumbnail is announced before the picture, as the camera does.
  if (kind & cdREL_KIND_THUMB_TO_PC) {
    PhotoInfo thumb = info;
    thumb.width = 160, thumb.height = 120;
    ReleasedItem item;
    item.object = c.nextObject++;
    item.eventCode = prPTP_EVENT_THUMBNAIL_RELEASED;
    item.dataType = cdDATA_TYPE_THUMBNAIL;
    item.format = cdFORMAT_JPEG;
    item.bytes = realThm.empty() ? MakePhoto(thumb) : realThm;
    snprintf(name, sizeof name, "IMG_%04d.THM", info.counter);
    item.fileName = name;
    items.push_back(std::move(item));
  }
  if (kind & cdREL_KIND_PICT_TO_PC) {
    ReleasedItem item;
    item.object = c.nextObject++;
    item.eventCode = prPTP_EVENT_FULL_VIEW_RELEASED;
    item.dataType = cdDATA_TYPE_PICTURE;
    std::vector<BYTE> jpeg = real.empty() ? MakePhoto(info) : real;
    if (quality == 4) {
      item.format = cdFORMAT_RAW;
      item.bytes = realCrw.empty() ? MakeCrw(jpeg) : realCrw;
      snprintf(name, sizeof name, "CRW_%04d.CRW", info.counter);
    } else {
      item.format = cdFORMAT_JPEG;
      item.bytes = std::move(jpeg);
      snprintf(name, sizeof name, "IMG_%04d.JPG", info.counter);
    }
    item.fileName = name;
    items.push_back(std::move(item));
  }
  return items;
}

namespace {

void Put8(std::vector<BYTE>& b, DWORD v) { b.push_back(BYTE(v)); }
void Put16(std::vector<BYTE>& b, DWORD v) { b.push_back(BYTE(v)), b.push_back(BYTE(v >> 8)); }
void Put32(std::vector<BYTE>& b, DWORD v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }
void PutString(std::vector<BYTE>& b, const std::string& s) {
  std::u16string w = Wide(s);
  if (w.empty()) return Put8(b, 0);
  Put8(b, static_cast<DWORD>(w.size() + 1));
  for (char16_t ch : w) Put16(b, ch);
  Put16(b, 0);
}
void PutArray(std::vector<BYTE>& b, const std::vector<DWORD>& codes) {
  Put32(b, static_cast<DWORD>(codes.size()));
  for (DWORD code : codes) Put16(b, code);
}
void PutValue(std::vector<BYTE>& b, DWORD width, DWORD v) {
  for (DWORD i = 0; i < width; ++i) b.push_back(BYTE(v >> (8 * i)));
}

}  // namespace

std::vector<BYTE> DeviceInfo(const Camera& c) {
  std::vector<BYTE> b;
  Put16(b, 100);
  Put32(b, 11);
  Put16(b, 100);
  PutString(b, "Simulated PowerShot extension");
  Put16(b, 0);
  std::vector<DWORD> operations = {0x1001, 0x1002, 0x1003, 0x1014, 0x1015, 0x1016, 0x9008, 0x9009};
  if (c.profile.viewfinder) operations.push_back(prPTP_OC_INITIATE_VIEWFINDER), operations.push_back(prPTP_OC_TERMINATE_VIEWFINDER);
  if (c.profile.focusLock) operations.push_back(prPTP_OC_FOCUS_LOCK);
  PutArray(b, operations);
  PutArray(b, {0x4006, 0xC001, 0xC008, 0xC009, 0xC00B, 0xC00C, 0xC00D, 0xC00E, 0xD001});
  std::vector<DWORD> properties;
  for (const auto& p : c.pr) properties.push_back(p.first);
  PutArray(b, properties);
  std::vector<DWORD> formats = {prPTP_FORMAT_JPEG};
  if (c.profile.rawCapable) formats.push_back(prPTP_FORMAT_CRW);
  PutArray(b, formats);
  PutArray(b, {prPTP_FORMAT_JPEG});
  PutString(b, "Canon Inc.");
  PutString(b, c.profile.model);
  PutString(b, "1-1.0.0.0");
  PutString(b, "0000000" + std::to_string(c.index + 1));
  return b;
}

std::vector<BYTE> Describe(WORD code, const Property& p) {
  std::vector<BYTE> b;
  DWORD width = WidthOf(p.dataType);
  Put16(b, code);
  Put16(b, p.dataType);
  Put8(b, 1);
  PutValue(b, width, p.defaultValue);
  PutValue(b, width, p.value);
  Put8(b, p.form);
  if (p.form == prFORM_ENUM) {
    Put16(b, static_cast<DWORD>(p.values.size()));
    for (DWORD v : p.values) PutValue(b, width, v);
  } else if (p.form == prFORM_RANGE) {
    for (size_t i = 0; i < 3; ++i) PutValue(b, width, i < p.values.size() ? p.values[i] : 0);
  }
  return b;
}

DWORD ReadLe(const void* data, DWORD size) {
  const BYTE* b = static_cast<const BYTE*>(data);
  DWORD v = 0;
  for (DWORD i = 0; i < size && i < 4; ++i) v |= DWORD(b[i]) << (8 * i);
  return v;
}

void WriteLe(void* data, DWORD size, DWORD value) {
  BYTE* b = static_cast<BYTE*>(data);
  for (DWORD i = 0; i < size; ++i) b[i] = i < 4 ? BYTE(value >> (8 * i)) : 0;
}

std::u16string Wide(const std::string& ansi) {
  if (ansi.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::u16string w(n > 0 ? n : 0, u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), n);
  return w;
}

void CopyWide(char16_t* dest, size_t capacity, const std::u16string& text) {
  if (!capacity) return;
  size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(dest, text.data(), n * sizeof(char16_t));
  dest[n] = 0;
}

}  // namespace tavsim_p

namespace tavsim {

using namespace tavsim_p;

namespace {

Property* Find(Camera& c, SimRoad road, DWORD key) {
  auto& map = road == kSimRoadCd ? c.cd : c.pr;
  auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}

template <typename F>
void WithCamera(int camera, F f) {
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (camera >= 0 && camera < static_cast<int>(s.cameras.size())) f(s, *s.cameras[camera]);
}

template <typename F>
void WithProperty(int camera, SimRoad road, DWORD key, F f) {
  WithCamera(camera, [&](State&, Camera& c) {
    if (Property* p = Find(c, road, key)) f(c, *p);
  });
}

}  // namespace

namespace {
std::atomic<bool> g_wasReset{false};
}  // namespace

bool SimWasReset() { return g_wasReset.load(); }

void SimReset(const SimScenario& scenario) {
  g_wasReset = true;
  State& s = Sim();
  std::vector<std::thread> join;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    ++s.epoch;
    for (auto& c : s.cameras) {
      StopViewfinder(s, *c, join);
      StopWorker(s, *c, join);
    }
  }
  JoinThreads(join);
  std::lock_guard<std::mutex> lock(s.mutex);
  LoadLocked(s, scenario);
  s.cdStarted = s.prStarted = false;
}

void SimAddFault(const SimFault& fault) {
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.scenario.faults.push_back(fault);
}

std::vector<SimCall> SimCallLog() {
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.log;
}

void SimClearCallLog() {
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.log.clear();
}

std::vector<SimCall> SimCallsOf(const std::string& function) {
  std::vector<SimCall> calls;
  for (const SimCall& c : SimCallLog())
    if (c.function == function) calls.push_back(c);
  return calls;
}

int SimOpenHandleCount() {
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  int n = static_cast<int>(s.enums.size() + s.items.size() + s.images.size() + s.propertyEnums.size());
  for (auto& c : s.cameras) n += (c->cdSource != 0) + (c->prObject != 0) + c->prConnected;
  return n;
}

size_t SimHeldItemBytes() {
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  size_t bytes = 0;
  for (auto& c : s.cameras) {
    for (const auto& entry : c->prObjects) bytes += entry.second.bytes.size();
    for (const ReleasedItem& item : c->cdPending) bytes += item.bytes.size();
  }
  return bytes;
}

int SimThreadCount() {
  std::vector<std::thread> join;
  JoinThreads(join);  // threads that stopped themselves are finished by now or soon
  State& s = Sim();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.threads;
}

void SimRefuseValue(int camera, SimRoad road, DWORD key, DWORD value) {
  WithProperty(camera, road, key, [&](Camera&, Property& p) { p.refused.insert(value); });
}

void SimReadBackAs(int camera, SimRoad road, DWORD key, DWORD value, DWORD stored) {
  WithProperty(camera, road, key, [&](Camera&, Property& p) {
    p.readBack[value] = stored;
    if (p.form == prFORM_ENUM && std::find(p.values.begin(), p.values.end(), value) == p.values.end())
      p.values.push_back(value);
  });
}

void SimAvailableInModes(int camera, SimRoad road, DWORD key, const std::vector<DWORD>& modes) {
  WithProperty(camera, road, key, [&](Camera&, Property& p) { p.modes = modes; });
}

bool SimGetValue(int camera, SimRoad road, DWORD key, DWORD& value) {
  bool found = false;
  WithProperty(camera, road, key, [&](Camera&, Property& p) { value = p.value, found = true; });
  return found;
}

bool SimSetValue(int camera, SimRoad road, DWORD key, DWORD value) {
  bool found = false;
  WithProperty(camera, road, key, [&](Camera&, Property& p) { p.value = value, found = true; });
  return found;
}

void SimSetEnumeration(int camera, DWORD code, const std::vector<DWORD>& values) {
  WithProperty(camera, kSimRoadPr, code, [&](Camera&, Property& p) {
    p.values = values;
    p.form = values.empty() ? prFORM_NONE : prFORM_ENUM;
  });
}

void SimSetRange(int camera, DWORD code, DWORD minimum, DWORD maximum) {
  WithProperty(camera, kSimRoadPr, code, [&](Camera&, Property& p) {
    p.values = {minimum, maximum, 1};
    p.form = prFORM_RANGE;
  });
}

namespace {

// Delivery re-checks at call time that the callback is still registered.
void DeliverPr(unsigned epoch, int index, prEventRecord record) {
  prSetEventCB callback = nullptr;
  prContext context = 0;
  prHCamera handle = 0;
  {
    State& s = Sim();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.epoch != epoch || index >= static_cast<int>(s.cameras.size())) return;
    Camera& c = *s.cameras[index];
    if (!c.prConnected || !c.prEvent) return;
    callback = c.prEvent, context = c.prEventContext, handle = c.prObject;
  }
  callback(handle, context, &record);
}

void DeliverCd(unsigned epoch, int index, bool release, DWORD event, bool hasData, DWORD data) {
  cdEventCallbackFunction callback = nullptr;
  cdContext context = 0;
  {
    State& s = Sim();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.epoch != epoch || index >= static_cast<int>(s.cameras.size())) return;
    Camera& c = *s.cameras[index];
    if (!c.cdSource) return;
    if (release && !c.cdReleaseControl) return;
    callback = release ? c.cdRelease : c.cdEvent;
    context = release ? c.cdReleaseContext : c.cdEventContext;
  }
  if (callback) callback(event, hasData ? &data : nullptr, hasData ? 4 : 0, context);
}

}  // namespace

}  // namespace tavsim

namespace tavsim_p {

namespace {

// Holds a release's pictures back until the scenario's gate file exists (bounded).
void WaitForReleaseGate(const std::string& gate) {
  if (gate.empty()) return;
  auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (access(gate.c_str(), F_OK) != 0 && std::chrono::steady_clock::now() < limit)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

}  // namespace

void PostPrEvent(State& s, Camera& c, WORD code, DWORD parameter, Deferred& now) {
  prEventRecord record{};
  record.Length = 16;
  record.Type = 4;
  record.Code = code;
  record.Parameter[0] = parameter;
  unsigned epoch = s.epoch;
  int index = c.index;
  bool picture = code == prPTP_EVENT_FULL_VIEW_RELEASED || code == prPTP_EVENT_THUMBNAIL_RELEASED;
  std::string gate = picture ? s.scenario.releaseGate : std::string();
  Post(s, c, [=] {
    WaitForReleaseGate(gate);
    tavsim::DeliverPr(epoch, index, record);
  }, now);
}

void PostCdEvent(State& s, Camera& c, bool release, DWORD event, const DWORD* data, Deferred& now) {
  unsigned epoch = s.epoch;
  int index = c.index;
  bool hasData = data != nullptr;
  DWORD value = data ? *data : 0;
  bool pictures = release && event == cdRELEASE_EVENT_RELEASE_COMPLETE;
  std::string gate = pictures ? s.scenario.releaseGate : std::string();
  Post(s, c, [=] {
    WaitForReleaseGate(gate);
    tavsim::DeliverCd(epoch, index, release, event, hasData, value);
  }, now);
}

}  // namespace tavsim_p

namespace tavsim {

void SimRaisePrEvent(int camera, WORD code, DWORD parameter) {
  Deferred now;
  WithCamera(camera, [&](State& s, Camera& c) { PostPrEvent(s, c, code, parameter, now); });
  RunDeferred(now);
}

void SimRaiseCdEvent(int camera, DWORD event) {
  Deferred now;
  WithCamera(camera, [&](State& s, Camera& c) { PostCdEvent(s, c, false, event, nullptr, now); });
  RunDeferred(now);
}

void SimRaiseCdReleaseEvent(int camera, DWORD event, const DWORD* data) {
  Deferred now;
  WithCamera(camera, [&](State& s, Camera& c) { PostCdEvent(s, c, true, event, data, now); });
  RunDeferred(now);
}

void SimRotate(int camera, int degrees) {
  Deferred now;
  WithCamera(camera, [&](State& s, Camera& c) {
    DWORD pr = degrees == 90 ? 1 : degrees == 180 ? 2 : degrees == 270 ? 3 : 0;
    c.pr[0xD043].value = pr;
    c.cd[0x0F00].value = pr;
    if (c.prConnected) PostPrEvent(s, c, prPTP_EVENT_ROTATION_ANGLE_CHANGED, pr, now);
    if (c.cdSource) {
      DWORD data = pr;
      PostCdEvent(s, c, true, cdRELEASE_EVENT_ROTATION_ANGLE_CHANGED, &data, now);
    }
  });
  RunDeferred(now);
}

int SimPumpViewfinder(int camera, int frames) {
  int delivered = 0;
  for (int i = 0; i < frames; ++i) {
    std::function<BOOL(const std::vector<BYTE>&)> sink;
    int counter = 0, width = 0, height = 0;
    WithCamera(camera, [&](State&, Camera& c) {
      if (!c.viewfinder || !c.frameSink) return;
      sink = c.frameSink;
      counter = ++c.frames;
      width = c.profile.viewfinderWidth;
      height = c.profile.viewfinderHeight;
    });
    if (!sink) break;
    sink(EncodeScene(width, height, counter, 70));
    ++delivered;
  }
  return delivered;
}

int SimViewfinderFrames(int camera) {
  int frames = 0;
  WithCamera(camera, [&](State&, Camera& c) { frames = c.frames; });
  return frames;
}

std::vector<BYTE> SimMakePhoto(int width, int height, int counter, const std::string& model, int orientation) {
  PhotoInfo info;
  info.width = width, info.height = height, info.counter = counter, info.model = model;
  info.orientation = static_cast<WORD>(orientation);
  return MakePhoto(info);
}

}  // namespace tavsim
