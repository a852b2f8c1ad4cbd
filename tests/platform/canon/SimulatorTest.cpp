#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/canon/cdsdk.h"
#include "platform/canon/prsdk.h"
#include "platform/canon/simulator.h"

using namespace tavsim;

namespace {

SimScenario Sync(std::vector<SimCameraProfile> cameras) {
  SimScenario s;
  s.cameras = std::move(cameras);
  s.threaded = false;
  return s;
}

SimCameraProfile Profile(const char* model, int sdks) {
  SimCameraProfile profile;
  profile.model = model;
  profile.sdks = sdks;
  return profile;
}

void StartSdks() {
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.MajorVersion = 7;
  ASSERT_EQ(cdOK, CDStartSDK(&version, 0));
  ASSERT_EQ(prOK, PR_StartSDK());
}

// Opens the first PRSDK camera with release control; returns its handle.
prHCamera OpenPr(prSetEventCB callback, prContext context) {
  prUInt32 size = 0;
  EXPECT_EQ(prINSUFFICIENT_BUFFER, PR_GetDeviceList(&size, nullptr));
  std::vector<BYTE> buffer(size);
  auto* list = reinterpret_cast<prDeviceList*>(buffer.data());
  EXPECT_EQ(prOK, PR_GetDeviceList(&size, list));
  prHCamera camera = 0;
  EXPECT_EQ(prOK, PR_CreateCameraObject(&list->DeviceInfo[0], &camera));
  EXPECT_EQ(prOK, PR_SetEventCallBack(camera, context, callback));
  EXPECT_EQ(prOK, PR_ConnectCamera(camera));
  EXPECT_EQ(prOK, PR_InitiateReleaseControl(camera));
  return camera;
}

std::string TempDir() {
  char pattern[] = "/tmp/tavorin-canon-XXXXXX";
  const char* dir = mkdtemp(pattern);
  return dir ? dir : "/tmp";
}

std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(SimScenarioTest, ParsesStatementsAndRejectsBadLines) {
  SimScenario s;
  std::string error;
  ASSERT_TRUE(SimParseScenario("# two cameras\nmode sync\ncdversions 6 7\n"
                               "camera both Canon PowerShot A640 #2\noption noraw\nname usb-1\n"
                               "camera pr Canon PowerShot G9\nviewfinder 640 480\n"
                               "fault PR_ConnectCamera 2 0x2002\nfault CDRelease * 5\n",
                               s, error))
      << error;
  EXPECT_FALSE(s.threaded);
  EXPECT_EQ((std::vector<int>{6, 7}), s.cdVersions);
  ASSERT_EQ(2u, s.cameras.size());
  EXPECT_EQ("Canon PowerShot A640 #2", s.cameras[0].model);
  EXPECT_EQ(kSimBoth, s.cameras[0].sdks);
  EXPECT_FALSE(s.cameras[0].rawCapable);
  EXPECT_EQ("usb-1", s.cameras[0].internalName);
  EXPECT_EQ(320, s.cameras[0].viewfinderWidth);
  EXPECT_EQ(640, s.cameras[1].viewfinderWidth);
  EXPECT_EQ(480, s.cameras[1].viewfinderHeight);
  ASSERT_EQ(2u, s.faults.size());
  EXPECT_EQ(2, s.faults[0].call);
  EXPECT_EQ(0x2002u, s.faults[0].error);
  EXPECT_EQ(0, s.faults[1].call);

  const char* bad[] = {"camera usb Canon PowerShot G9", "camera pr", "option noraw", "mode fast",
                       "fault PR_ConnectCamera x 1", "fault CDRelease 1 0", "frobnicate",
                       "viewfinder 640 480", "camera pr G9\nviewfinder 640", "camera pr G9\nviewfinder 8 8"};
  for (const char* line : bad) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(SimParseScenario(line, s, error));
    EXPECT_NE(std::string::npos, error.find("line "));
  }
}

TEST(SimScenarioTest, LoadsAScenarioFile) {
  SimScenario s;
  std::string error;
  ASSERT_TRUE(SimLoadScenarioFile(TAVORIN_FIXTURES_DIR "/camera-two-cameras.sim", s, error)) << error;
  ASSERT_EQ(2u, s.cameras.size());
  EXPECT_EQ("Canon PowerShot G9 #1", s.cameras[0].model);
  EXPECT_EQ("usb-g9", s.cameras[0].internalName);
  EXPECT_FALSE(s.cameras[1].rawCapable);
  ASSERT_EQ(1u, s.faults.size());
  EXPECT_FALSE(SimLoadScenarioFile(TAVORIN_FIXTURES_DIR "/no-such-scenario.sim", s, error));
}

TEST(SimScenarioTest, DefaultIsOnePrsdkG9) {
  SimScenario s = SimDefaultScenario();
  ASSERT_EQ(1u, s.cameras.size());
  EXPECT_EQ("Canon PowerShot G9", s.cameras[0].model);
  EXPECT_EQ(kSimPr, s.cameras[0].sdks);
  EXPECT_TRUE(s.threaded);
}

TEST(SimulatorTest, SdkCallsNeedStartAndVersion) {
  SimScenario scenario = Sync({Profile("Canon PowerShot A640", kSimCd)});
  scenario.cdVersions = {7};
  SimReset(scenario);
  cdHEnum e;
  EXPECT_EQ(cdNOT_STARTED, CDEnumDeviceReset(1, &e));
  cdVersionInfo version{};
  version.Size = sizeof version;
  for (int major : {5, 6}) {
    version.MajorVersion = static_cast<cdUInt16>(major);
    EXPECT_EQ(cdNOT_SUPPORTED, CDStartSDK(&version, 0));
  }
  version.MajorVersion = 7;
  EXPECT_EQ(cdOK, CDStartSDK(&version, 0));
  EXPECT_EQ(cdOK, CDEnumDeviceReset(1, &e));
  EXPECT_EQ(cdOK, CDEnumDeviceRelease(e));
  prUInt32 size = 0;
  EXPECT_EQ(prNOT_STARTED, PR_GetDeviceList(&size, nullptr));
}

TEST(SimulatorTest, DeviceListAnswersTooSmallWithTheSizeNeeded) {
  SimReset(Sync({Profile("Canon PowerShot G9", kSimPr), Profile("Canon PowerShot A640", kSimCd),
                 Profile("Canon PowerShot SX110 IS", kSimBoth)}));
  StartSdks();
  prUInt32 size = 8;
  std::vector<BYTE> small(8);
  EXPECT_EQ(prINSUFFICIENT_BUFFER, PR_GetDeviceList(&size, reinterpret_cast<prDeviceList*>(small.data())));
  EXPECT_EQ(prDeviceListSize(2), size);
  std::vector<BYTE> buffer(size);
  auto* list = reinterpret_cast<prDeviceList*>(buffer.data());
  ASSERT_EQ(prOK, PR_GetDeviceList(&size, list));
  ASSERT_EQ(2u, list->NumList);
  EXPECT_EQ(u"Canon PowerShot G9", std::u16string(list->DeviceInfo[0].ModelName));
  EXPECT_EQ(u"Canon PowerShot SX110 IS", std::u16string(list->DeviceInfo[1].ModelName));
}

TEST(SimulatorTest, FaultFailsOnlyTheNamedCall) {
  SimReset(Sync({Profile("Canon PowerShot G9", kSimPr)}));
  SimAddFault({"PR_StartSDK", 2, 0x77});
  EXPECT_EQ(prOK, PR_StartSDK());
  EXPECT_EQ(0x77u, PR_StartSDK());
  EXPECT_EQ(prOK, PR_StartSDK());
  EXPECT_EQ(3u, SimCallsOf("PR_StartSDK").size());
}

namespace {

struct EventLog {
  std::vector<prEventRecord> events;
};

prResponse RecordEvent(prHCamera, prContext context, prVoid* data) {
  reinterpret_cast<EventLog*>(context)->events.push_back(*static_cast<prEventRecord*>(data));
  return prOK;
}

struct Download {
  std::vector<BYTE> bytes;
  std::vector<prUInt32> blocks;
  int headers = 0;
  prUInt32 lastPercent = 0;
};

prResponse CollectBlock(prHCamera, prContext context, prProgress* p) {
  auto* d = reinterpret_cast<Download*>(context);
  if (p->Message == prMSG_DATA_HEADER) {
    ++d->headers;
  } else if (p->Message == prMSG_DATA) {
    EXPECT_EQ(d->bytes.size(), p->Offset);
    d->bytes.insert(d->bytes.end(), p->Data, p->Data + p->Length);
    d->blocks.push_back(p->Length);
    d->lastPercent = p->PercentComplete;
  }
  return prOK;
}

}  // namespace

TEST(SimulatorTest, PrReleaseAnnouncesThumbnailBeforePictureAndDownloadsInBlocks) {
  SimReset(Sync({Profile("Canon PowerShot G9", kSimPr)}));
  StartSdks();
  EventLog log;
  prHCamera camera = OpenPr(RecordEvent, reinterpret_cast<prContext>(&log));
  BYTE kind[2] = {3, 0};
  ASSERT_EQ(prOK, PR_SetDevicePropValue(camera, 0xD029, 2, kind));
  ASSERT_EQ(prOK, PR_RC_Release(camera));
  ASSERT_EQ(2u, log.events.size());
  EXPECT_EQ(prPTP_EVENT_THUMBNAIL_RELEASED, log.events[0].Code);
  EXPECT_EQ(prPTP_EVENT_FULL_VIEW_RELEASED, log.events[1].Code);

  Download picture;
  ASSERT_EQ(prOK, PR_RC_GetReleasedData(camera, log.events[1].Parameter[0], log.events[1].Code, 0x100000,
                                        reinterpret_cast<prContext>(&picture), CollectBlock));
  EXPECT_EQ(1, picture.headers);
  ASSERT_GT(picture.blocks.size(), 1u) << "a large photo comes in several blocks";
  for (prUInt32 block : picture.blocks) EXPECT_LE(block, 0x40000u) << "blocks never pass the SDK's maximum";
  EXPECT_EQ(100u, picture.lastPercent);
  ASSERT_GT(picture.bytes.size(), 4u);
  EXPECT_EQ(0xFF, picture.bytes[0]);
  EXPECT_EQ(0xD8, picture.bytes[1]);
  EXPECT_EQ(0xE1, picture.bytes[3]) << "Exif APP1 first";
  EXPECT_EQ(0, std::memcmp(&picture.bytes[6], "Exif", 4));

  // An item is delivered once; a second request fails.
  EXPECT_NE(prOK, PR_RC_GetReleasedData(camera, log.events[1].Parameter[0], log.events[1].Code, 0x40000,
                                        reinterpret_cast<prContext>(&picture), CollectBlock));
  EXPECT_EQ(prOK, PR_DestroyCameraObject(camera));
}

TEST(SimulatorTest, PrReleaseCountFollowsTheDataKind) {
  struct Row {
    DWORD kind;
    std::vector<WORD> codes;
  } rows[] = {{2, {prPTP_EVENT_FULL_VIEW_RELEASED}},
              {1, {prPTP_EVENT_THUMBNAIL_RELEASED}},
              {3, {prPTP_EVENT_THUMBNAIL_RELEASED, prPTP_EVENT_FULL_VIEW_RELEASED}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.kind);
    SimReset(Sync({Profile("Canon PowerShot G9", kSimPr)}));
    StartSdks();
    EventLog log;
    prHCamera camera = OpenPr(RecordEvent, reinterpret_cast<prContext>(&log));
    BYTE kind[2] = {BYTE(row.kind), 0};
    ASSERT_EQ(prOK, PR_SetDevicePropValue(camera, 0xD029, 2, kind));
    ASSERT_EQ(prOK, PR_RC_Release(camera));
    std::vector<WORD> codes;
    for (auto& e : log.events) codes.push_back(e.Code);
    EXPECT_EQ(row.codes, codes);
    PR_DestroyCameraObject(camera);
  }
}

namespace {

struct CdRelease {
  std::vector<DWORD> events;
  std::vector<DWORD> counts;
};

cdUInt32 RecordRelease(cdUInt32 event, const void* data, cdUInt32 size, cdContext context) {
  auto* r = reinterpret_cast<CdRelease*>(context);
  r->events.push_back(event);
  if (data && size == 4) r->counts.push_back(*static_cast<const DWORD*>(data));
  return 0;
}

struct VectorStream {
  std::vector<BYTE> bytes;
  static void Open(cdContext c, cdUInt16, cdError* e) { reinterpret_cast<VectorStream*>(c)->bytes.clear(), *e = 0; }
  static void Close(cdContext, cdError* e) { *e = 0; }
  static void Read(cdContext, void*, cdUInt32*, cdError* e) { *e = 1; }
  static void Write(cdContext c, const void* b, cdUInt32 n, cdError* e) {
    auto* s = reinterpret_cast<VectorStream*>(c);
    s->bytes.insert(s->bytes.end(), static_cast<const BYTE*>(b), static_cast<const BYTE*>(b) + n);
    *e = 0;
  }
  static void Seek(cdContext, cdUInt16, cdInt32, cdError* e) { *e = 1; }
  static cdInt32 Tell(cdContext c, cdError* e) {
    *e = 0;
    return static_cast<cdInt32>(reinterpret_cast<VectorStream*>(c)->bytes.size());
  }
};

}  // namespace

TEST(SimulatorTest, CdReleaseReportsCountThenDeliversThumbnailThenPicture) {
  SimReset(Sync({Profile("Canon PowerShot A640", kSimCd)}));
  StartSdks();
  cdHEnum e;
  cdSourceInfo info;
  ASSERT_EQ(cdOK, CDEnumDeviceReset(1, &e));
  ASSERT_EQ(cdOK, CDEnumDeviceNext(e, &info));
  EXPECT_EQ(cdENUM_NA, CDEnumDeviceNext(e, &info + 0));
  CDEnumDeviceRelease(e);
  ASSERT_EQ(cdOK, CDEnumDeviceReset(1, &e));
  ASSERT_EQ(cdOK, CDEnumDeviceNext(e, &info));
  CDEnumDeviceRelease(e);
  cdHSource source;
  ASSERT_EQ(cdOK, CDOpenSource(&info, &source));
  CdRelease release;
  ASSERT_EQ(cdOK, CDEnterReleaseControl(source, RecordRelease, reinterpret_cast<cdContext>(&release)));
  ASSERT_EQ(cdOK, CDSelectReleaseDataKind(source, 3));
  cdUInt32 count = 0;
  ASSERT_EQ(cdOK, CDRelease(source, FALSE, nullptr, 0, 0, &count));
  EXPECT_EQ(2u, count);
  EXPECT_EQ((std::vector<DWORD>{cdRELEASE_EVENT_RELEASE_START, cdRELEASE_EVENT_RELEASE_COMPLETE}), release.events);
  EXPECT_EQ(std::vector<DWORD>{2}, release.counts);

  VectorStream vs;
  cdStream stream{reinterpret_cast<cdContext>(&vs), VectorStream::Open, VectorStream::Close, VectorStream::Read,
                  VectorStream::Write, VectorStream::Seek, VectorStream::Tell};
  cdStgMedium medium{cdMEMTYPE_STREAM, &stream};
  cdReleaseImageInfo image;
  ASSERT_EQ(cdOK, CDGetReleasedData(source, nullptr, 0, 3, &image, &medium));
  EXPECT_EQ(cdDATA_TYPE_THUMBNAIL, image.DataType);
  EXPECT_EQ(image.DataSize, vs.bytes.size());
  ASSERT_EQ(cdOK, CDGetReleasedData(source, nullptr, 0, 3, &image, &medium));
  EXPECT_EQ(cdDATA_TYPE_PICTURE, image.DataType);
  EXPECT_EQ(cdFORMAT_JPEG, image.Format);
  EXPECT_GT(vs.bytes.size(), 10000u);
  EXPECT_NE(cdOK, CDGetReleasedData(source, nullptr, 0, 3, &image, &medium)) << "nothing left";
  EXPECT_EQ(cdOK, CDExitReleaseControl(source));
  EXPECT_EQ(cdOK, CDCloseSource(source));
  EXPECT_EQ(0, SimOpenHandleCount());
}

TEST(SimulatorTest, RawQualityDeliversCrwWithItsJpegRecord) {
  SimReset(Sync({Profile("Canon PowerShot G9", kSimPr)}));
  StartSdks();
  EventLog log;
  prHCamera camera = OpenPr(RecordEvent, reinterpret_cast<prContext>(&log));
  BYTE raw = 4;
  ASSERT_EQ(prOK, PR_SetDevicePropValue(camera, 0xD006, 1, &raw));
  ASSERT_EQ(prOK, PR_RC_Release(camera));
  ASSERT_EQ(1u, log.events.size());
  Download d;
  ASSERT_EQ(prOK, PR_RC_GetReleasedData(camera, log.events[0].Parameter[0], log.events[0].Code, 0x40000,
                                        reinterpret_cast<prContext>(&d), CollectBlock));
  const std::vector<BYTE>& b = d.bytes;
  ASSERT_GT(b.size(), 40u);
  EXPECT_EQ('I', b[0]);
  DWORD header = b[2] | b[3] << 8 | b[4] << 16 | DWORD(b[5]) << 24;
  size_t n = b.size();
  DWORD dir = b[n - 4] | b[n - 3] << 8 | b[n - 2] << 16 | DWORD(b[n - 1]) << 24;
  size_t at = header + dir;
  ASSERT_LT(at + 12, n);
  EXPECT_EQ(1, b[at] | b[at + 1] << 8);
  EXPECT_EQ(0x2007, b[at + 2] | b[at + 3] << 8);
  DWORD offset = b[at + 8] | b[at + 9] << 8 | b[at + 10] << 16 | DWORD(b[at + 11]) << 24;
  EXPECT_EQ(0xFF, b[header + offset]);
  EXPECT_EQ(0xD8, b[header + offset + 1]);
  PR_DestroyCameraObject(camera);
}

TEST(SimulatorTest, ImageItemWritesCommentAndRotationIntoTheFile) {
  SimReset(Sync({}));
  StartSdks();
  std::string dir = TempDir();
  std::string path = dir + "/IMG_0001.JPG";
  WriteAll(path, SimMakePhoto(320, 240, 1, "Canon PowerShot G9"));

  cdHItem item;
  cdHImageData image;
  EXPECT_EQ(cdNOT_SUPPORTED, CDMakeImageItem(path.c_str(), 0, &item));
  ASSERT_EQ(cdOK, CDMakeImageItem(path.c_str(), 259, &item));
  ASSERT_EQ(cdOK, CDOpenImage(item, &image));
  char comment[256] = "Hello from the booth";
  ASSERT_EQ(cdOK, CDSetImageItemProperty(image, cdIMG_PROP_COMMENT, 256, comment));
  DWORD degrees = 270;
  ASSERT_EQ(cdOK, CDSetImageItemProperty(image, cdIMG_PROP_ROTATION, 4, &degrees));
  ASSERT_EQ(cdOK, CDFlashImageItemProperty(image));
  ASSERT_EQ(cdOK, CDCloseImage(image));
  ASSERT_EQ(cdOK, CDFreeImageItem(item));

  // A fresh item reads what the file now holds.
  ASSERT_EQ(cdOK, CDMakeImageItem(path.c_str(), 259, &item));
  ASSERT_EQ(cdOK, CDOpenImage(item, &image));
  char read[256] = {};
  cdUInt32 size = sizeof read;
  ASSERT_EQ(cdOK, CDGetImageItemProperty(image, cdIMG_PROP_COMMENT, &size, read));
  EXPECT_STREQ("Hello from the booth", read);
  DWORD angle = 0;
  size = 4;
  ASSERT_EQ(cdOK, CDGetImageItemProperty(image, cdIMG_PROP_ROTATION, &size, &angle));
  EXPECT_EQ(270u, angle);
  CDCloseImage(image);
  CDFreeImageItem(item);

  // The bytes in the file: orientation tag 8 in IFD0 and the comment after the 8-byte prefix.
  std::vector<BYTE> bytes = ReadAll(path);
  std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(std::string::npos, text.find(std::string("ASCII\0\0\0Hello from the booth", 28)));
  EXPECT_EQ(0, SimOpenHandleCount());
  std::remove(path.c_str());
  std::remove(dir.c_str());
}

TEST(SimulatorTest, ImageItemOfRawFileUsesItsThmCompanion) {
  SimReset(Sync({}));
  StartSdks();
  std::string dir = TempDir();
  std::string crw = dir + "/CRW_0002.CRW", thm = dir + "/CRW_0002.THM";
  WriteAll(crw, {'I', 'I', 0, 0});
  WriteAll(thm, SimMakePhoto(160, 120, 2, "Canon PowerShot G9"));
  cdHItem item;
  cdHImageData image;
  ASSERT_EQ(cdOK, CDMakeImageItem(crw.c_str(), 259, &item));
  ASSERT_EQ(cdOK, CDOpenImage(item, &image));
  DWORD degrees = 90;
  ASSERT_EQ(cdOK, CDSetImageItemProperty(image, cdIMG_PROP_ROTATION, 4, &degrees));
  ASSERT_EQ(cdOK, CDFlashImageItemProperty(image));
  DWORD angle = 0;
  cdUInt32 size = 4;
  ASSERT_EQ(cdOK, CDGetImageItemProperty(image, cdIMG_PROP_ROTATION, &size, &angle));
  EXPECT_EQ(90u, angle);
  CDCloseImage(image);
  CDFreeImageItem(item);
  EXPECT_EQ(4u, ReadAll(crw).size()) << "the raw file itself is untouched";
  std::remove(crw.c_str());
  std::remove(thm.c_str());
  std::remove(dir.c_str());
}

TEST(SimulatorTest, ImageItemRefusesMissingOrNonJpegFiles) {
  SimReset(Sync({}));
  StartSdks();
  std::string dir = TempDir();
  std::string text = dir + "/notes.jpg";
  WriteAll(text, {'h', 'e', 'l', 'l', 'o'});
  cdHItem item;
  EXPECT_EQ(cdFILE_ERROR, CDMakeImageItem((dir + "/missing.jpg").c_str(), 259, &item));
  EXPECT_EQ(cdFILE_ERROR, CDMakeImageItem(text.c_str(), 259, &item));
  std::remove(text.c_str());
  std::remove(dir.c_str());
}

namespace {

struct Frames {
  std::atomic<int> count{0};
  prHCamera camera = 0;
  bool stopInside = false;
  std::atomic<prResponse> stopResult{99};
};

prResponse CountFrame(prHCamera, prContext context, prUInt32 size, prVoid* data) {
  auto* f = reinterpret_cast<Frames*>(context);
  EXPECT_GT(size, 2u);
  EXPECT_EQ(0xFF, static_cast<BYTE*>(data)[0]);
  if (++f->count == 2 && f->stopInside) f->stopResult = PR_RC_TermViewFinder(f->camera);
  return prOK;
}

}  // namespace

// Width and height from the first SOF marker of a JPEG, or 0 x 0.
std::pair<int, int> JpegSize(const BYTE* data, size_t size) {
  for (size_t i = 2; i + 9 < size;) {
    if (data[i] != 0xFF) break;
    BYTE marker = data[i + 1];
    size_t length = (data[i + 2] << 8) | data[i + 3];
    if (marker >= 0xC0 && marker <= 0xC2) return {(data[i + 7] << 8) | data[i + 8], (data[i + 5] << 8) | data[i + 6]};
    i += 2 + length;
  }
  return {0, 0};
}

struct FrameSize {
  int width = 0, height = 0;
};

prResponse StoreFrameSize(prHCamera, prContext context, prUInt32 size, prVoid* data) {
  auto [width, height] = JpegSize(static_cast<BYTE*>(data), size);
  reinterpret_cast<FrameSize*>(context)->width = width;
  reinterpret_cast<FrameSize*>(context)->height = height;
  return prOK;
}

TEST(SimulatorTest, ViewfinderFramesHaveTheCamerasFrameSize) {
  const std::pair<int, int> sizes[] = {{320, 240}, {640, 480}, {160, 120}};
  for (auto [width, height] : sizes) {
    SCOPED_TRACE(width);
    SimCameraProfile profile = Profile("Canon PowerShot G9", kSimPr);
    profile.viewfinderWidth = width;
    profile.viewfinderHeight = height;
    SimReset(Sync({profile}));
    StartSdks();
    FrameSize frame;
    EventLog log;
    prHCamera camera = OpenPr(RecordEvent, reinterpret_cast<prContext>(&log));
    ASSERT_EQ(prOK, PR_RC_StartViewFinder(camera, reinterpret_cast<prContext>(&frame), StoreFrameSize));
    ASSERT_EQ(1, SimPumpViewfinder(0, 1));
    EXPECT_EQ(width, frame.width);
    EXPECT_EQ(height, frame.height);
    PR_RC_TermViewFinder(camera);
    PR_DisconnectCamera(camera);
    PR_DestroyCameraObject(camera);
  }
}

TEST(SimulatorThreadedTest, ViewfinderStoppedInsideItsFrameCallbackEndsItsThread) {
  SimScenario scenario = Sync({Profile("Canon PowerShot G9", kSimPr)});
  scenario.threaded = true;
  SimReset(scenario);
  StartSdks();
  EventLog log;
  Frames frames;
  frames.stopInside = true;
  int before = SimThreadCount();
  prHCamera camera = OpenPr(RecordEvent, reinterpret_cast<prContext>(&log));
  frames.camera = camera;
  ASSERT_EQ(prOK, PR_RC_StartViewFinder(camera, reinterpret_cast<prContext>(&frames), CountFrame));
  while (frames.stopResult == 99) std::this_thread::yield();
  EXPECT_EQ(prOK, frames.stopResult.load());
  EXPECT_EQ(prOK, PR_DisconnectCamera(camera));
  EXPECT_EQ(prOK, PR_DestroyCameraObject(camera));
  EXPECT_EQ(2, frames.count.load()) << "no frame after the stop";
  EXPECT_EQ(before, SimThreadCount());
}

TEST(SimulatorTest, PhotosStatementServesTheFolderInNameOrderThenAgain) {
  std::string dir = TempDir();
  std::vector<BYTE> first = SimMakePhoto(320, 240, 41, "Canon PowerShot G9", 6);
  std::vector<BYTE> second = SimMakePhoto(240, 320, 42, "Canon PowerShot G9");
  std::vector<BYTE> thm = SimMakePhoto(160, 120, 99, "Canon PowerShot G9");
  WriteAll(dir + "/b.JPG", second);
  WriteAll(dir + "/a.jpg", first);
  WriteAll(dir + "/b.THM", thm);
  WriteAll(dir + "/notes.txt", {'x'});
  SimScenario s;
  std::string error;
  ASSERT_TRUE(SimParseScenario("mode sync\ncamera pr Canon PowerShot G9\nphotos " + dir + "\n", s, error)) << error;
  ASSERT_EQ(2u, s.cameras[0].photos.size());
  EXPECT_FALSE(SimParseScenario("camera pr Canon PowerShot G9\nphotos " + dir + "/notes.txt\n", s, error));
  EXPECT_NE(std::string::npos, error.find("line 2"));
  EXPECT_FALSE(SimParseScenario("photos " + dir + "\n", s, error));
  ASSERT_TRUE(SimParseScenario("mode sync\ncamera pr Canon PowerShot G9\nphotos " + dir + "\n", s, error));

  SimReset(s);
  StartSdks();
  EventLog log;
  prHCamera camera = OpenPr(RecordEvent, reinterpret_cast<prContext>(&log));
  BYTE kind[2] = {3, 0};  // thumbnail and picture
  ASSERT_EQ(prOK, PR_SetDevicePropValue(camera, 0xD029, 2, kind));
  // a.jpg (its Exif thumbnail), b.JPG (its THM companion), then a.jpg again.
  const std::vector<BYTE>* pictures[] = {&first, &second, &first};
  for (int shot = 0; shot < 3; ++shot) {
    SCOPED_TRACE(shot);
    log.events.clear();
    ASSERT_EQ(prOK, PR_RC_Release(camera));
    ASSERT_EQ(2u, log.events.size());
    Download thumb, picture;
    ASSERT_EQ(prOK, PR_RC_GetReleasedData(camera, log.events[0].Parameter[0], log.events[0].Code, 0x40000,
                                          reinterpret_cast<prContext>(&thumb), CollectBlock));
    ASSERT_EQ(prOK, PR_RC_GetReleasedData(camera, log.events[1].Parameter[0], log.events[1].Code, 0x40000,
                                          reinterpret_cast<prContext>(&picture), CollectBlock));
    EXPECT_EQ(*pictures[shot], picture.bytes);
    if (shot == 1) {
      EXPECT_EQ(thm, thumb.bytes);
    } else {
      ASSERT_GT(thumb.bytes.size(), 100u);
      EXPECT_EQ(0xFF, thumb.bytes[0]);
      EXPECT_EQ(0xD8, thumb.bytes[1]);
      auto found = std::search(first.begin(), first.end(), thumb.bytes.begin(), thumb.bytes.end());
      EXPECT_NE(first.end(), found) << "the photo's own Exif thumbnail";
    }
  }
  PR_DestroyCameraObject(camera);
  std::string command = "rm -rf '" + dir + "'";
  ASSERT_EQ(0, std::system(command.c_str()));
}

TEST(SimulatorTest, ReleasedItemsNeverFetchedAndTheCallLogStayBounded) {
  SimReset(Sync({Profile("Canon PowerShot G9", kSimPr)}));
  StartSdks();
  EventLog log;
  prHCamera camera = OpenPr(RecordEvent, reinterpret_cast<prContext>(&log));
  BYTE kind[2] = {3, 0};
  ASSERT_EQ(prOK, PR_SetDevicePropValue(camera, 0xD029, 2, kind));
  BYTE small[2] = {2, 0};  // 640x480 keeps the test fast
  PR_SetDevicePropValue(camera, 0xD008, 2, small);
  // Every download fails, as with a pulled cable: the items stay on the camera unfetched.
  size_t heldEarly = 0;
  for (int i = 1; i <= 24; ++i) {
    ASSERT_EQ(prOK, PR_RC_Release(camera));
    if (i == 6) heldEarly = SimHeldItemBytes();
  }
  ASSERT_GT(heldEarly, 0u);
  EXPECT_LT(SimHeldItemBytes(), heldEarly * 3 / 2) << "old unfetched photos are let go";
  // A fetch that fails loses its item.
  SimAddFault({"PR_RC_GetReleasedData", 0, prDEVICE_BUSY});
  Download none;
  for (const prEventRecord& e : log.events)
    PR_RC_GetReleasedData(camera, e.Parameter[0], e.Code, 0x40000, reinterpret_cast<prContext>(&none), CollectBlock);
  EXPECT_EQ(0u, SimHeldItemBytes());
  EXPECT_EQ(prOK, PR_DestroyCameraObject(camera));
  EXPECT_EQ(0u, SimHeldItemBytes());

  // The call log keeps the latest calls, not all of them.
  prUInt32 size = 0;
  for (int i = 0; i < 150000; ++i) PR_GetDeviceList(&size, nullptr);
  std::vector<SimCall> calls = SimCallLog();
  EXPECT_LE(calls.size(), 100000u);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ("PR_GetDeviceList", calls.back().function);
}

namespace {

// The Exif IFD's entries of a JPEG the simulator made: tag -> the entry's 4 value bytes, or
// for rationals the 8 bytes they point at.
std::map<WORD, std::vector<BYTE>> ExifEntries(const std::vector<BYTE>& jpeg) {
  std::map<WORD, std::vector<BYTE>> entries;
  if (jpeg.size() < 20 || std::memcmp(&jpeg[6], "Exif", 4) != 0) return entries;
  const BYTE* tiff = &jpeg[12];
  size_t size = jpeg.size() - 12;
  auto u16 = [&](size_t at) { return at + 2 <= size ? WORD(tiff[at] | tiff[at + 1] << 8) : WORD(0); };
  auto u32 = [&](size_t at) { return at + 4 <= size ? DWORD(u16(at) | DWORD(u16(at + 2)) << 16) : DWORD(0); };
  auto read = [&](size_t ifd, auto&& each) {
    for (WORD i = 0, n = u16(ifd); i < n; ++i) each(ifd + 2 + 12 * size_t(i));
  };
  size_t exif = 0;
  read(u32(4), [&](size_t e) {
    if (u16(e) == 0x8769) exif = u32(e + 8);
  });
  read(exif, [&](size_t e) {
    WORD type = u16(e);
    size_t at = (u16(e + 2) == 5 || u16(e + 2) == 10) ? u32(e + 8) : e + 8;
    size_t n = (u16(e + 2) == 5 || u16(e + 2) == 10) ? 8 : 4;
    if (at + n <= size) entries[type] = std::vector<BYTE>(tiff + at, tiff + at + n);
  });
  return entries;
}

DWORD Le(const std::vector<BYTE>& b, size_t at, size_t n) {
  DWORD v = 0;
  for (size_t i = 0; i < n && at + i < b.size(); ++i) v |= DWORD(b[at + i]) << (8 * i);
  return v;
}

}  // namespace

TEST(SimulatorTest, PhotosRecordTheExposureTheCameraWasSetTo) {
  struct Row {
    const char* name;
    std::vector<std::pair<WORD, std::pair<DWORD, DWORD>>> settings;  // code, width, value
    DWORD exposureNum, exposureDen, fNumber, iso, program;
    int biasThirds;
    DWORD whiteBalance, lightSource, flash;
  } rows[] = {
      {"as it starts", {}, 1, 125, 40, 100, 2, 0, 0, 0, 0x18},
      {"manual, 1/30, f/8, ISO 400, daylight, flash on, +1",
       {{0xD00C, {1, 4}}, {0xD01E, {2, 96}}, {0xD01D, {2, 56}}, {0xD01C, {2, 88}}, {0xD013, {1, 1}},
        {0xD00A, {1, 2}}, {0xD01F, {1, 16}}},
       1, 30, 80, 400, 1, 3, 1, 1, 0x09},
      {"shutter priority keeps the metered aperture, -2/3",
       {{0xD00C, {1, 2}}, {0xD01E, {2, 136}}, {0xD01D, {2, 56}}, {0xD01F, {1, 29}}, {0xD00A, {1, 0}}},
       1, 1000, 40, 100, 4, -2, 0, 0, 0x10},
      {"aperture priority keeps the metered shutter",
       {{0xD00C, {1, 3}}, {0xD01E, {2, 96}}, {0xD01D, {2, 32}}, {0xD013, {1, 3}}},
       1, 125, 28, 100, 3, 0, 1, 3, 0x18},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SimReset(Sync({Profile("Canon PowerShot G9", kSimPr)}));
    StartSdks();
    EventLog log;
    prHCamera camera = OpenPr(RecordEvent, reinterpret_cast<prContext>(&log));
    for (const auto& [code, setting] : row.settings) {
      BYTE value[2] = {BYTE(setting.second), BYTE(setting.second >> 8)};
      ASSERT_EQ(prOK, PR_SetDevicePropValue(camera, code, setting.first, value)) << std::hex << code;
    }
    ASSERT_EQ(prOK, PR_RC_Release(camera));
    ASSERT_FALSE(log.events.empty());
    Download picture;
    ASSERT_EQ(prOK, PR_RC_GetReleasedData(camera, log.events.back().Parameter[0], log.events.back().Code, 0x40000,
                                          reinterpret_cast<prContext>(&picture), CollectBlock));
    auto exif = ExifEntries(picture.bytes);
    EXPECT_EQ(Le(exif[0x829A], 0, 4), row.exposureNum);
    EXPECT_EQ(Le(exif[0x829A], 4, 4), row.exposureDen);
    EXPECT_EQ(Le(exif[0x829D], 0, 4) * 10 / Le(exif[0x829D], 4, 4), row.fNumber);
    EXPECT_EQ(Le(exif[0x8827], 0, 2), row.iso);
    EXPECT_EQ(Le(exif[0x8822], 0, 2), row.program);
    EXPECT_EQ(static_cast<int>(Le(exif[0x9204], 0, 4)), row.biasThirds);
    EXPECT_EQ(Le(exif[0x9204], 4, 4), 3u);
    EXPECT_EQ(Le(exif[0xA403], 0, 2), row.whiteBalance);
    EXPECT_EQ(Le(exif[0x9208], 0, 2), row.lightSource);
    EXPECT_EQ(Le(exif[0x9209], 0, 2), row.flash);
    EXPECT_EQ(prOK, PR_DestroyCameraObject(camera));
  }
}
