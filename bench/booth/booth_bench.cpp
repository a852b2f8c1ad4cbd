// Times the photobooth's output in three cases, each beside a reference in the same run:
// - page: 4 camera photos of 12 MP in custom boxes on a 6x4 inch page at 300 dpi (1800 x 1200),
//   an RGBA overlay.png, two captions and a QR box, saved as JPEG; libvips through its C API
//   does the photos (shrink-on-load, centre crop), the overlay and the JPEG save in-process.
// - GIF: 4 frames 400 px wide played ping-pong (6 frames), ours against ffmpeg's
//   palettegen=stats_mode=single + paletteuse=new=1:dither=none on the same frames: PSNR of each
//   frame against its source, and time (ffmpeg's own start and PNG decoding, timed alone on the
//   same files, are taken off its time).
// - MP4: one real ffmpeg run through CreateMp4FromPng.
// Usage: booth_bench [repeats]
#include <stdlib.h>
#include <unistd.h>
#include <vips/vips.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "photobooth/AnimatedGif.h"
#include "photobooth/PrintPageComposer.h"
#include "platform/canon/simulator.h"
#include "platform/polyimage/polyimage.h"
#include "platform/win32/files.h"
#include "support/GdiplusHelpers.h"
#include "support/Mp4ClipMaker.h"
#include "support/OctreeQuantizer.h"
#include "support/PipSession.h"
#include "support/WidePath.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
int g_repeats = 5;

double Millis(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

double Best(const std::function<bool()>& work) {
  if (!work()) return -1;
  double best = 1e30;
  for (int i = 0; i < g_repeats; ++i) {
    auto start = Clock::now();
    if (!work()) return -1;
    best = std::min(best, Millis(start));
  }
  return best;
}

bool SaveOverlay(const std::string& path, int width, int height) {
  PipSession image;
  if (!cNewImage(image.m_hSession, width, height, RGB(250, 220, 60))) return false;
  std::vector<BYTE> mask(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int edge = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
      mask[size_t(y) * width + x] = edge < 40 ? 255 : edge < 60 ? 128 : 0;
    }
  return cLoadAlphaMask(image.m_hSession, mask.data()) && cSave(image.m_hSession, path.c_str(), PIP_FORMAT_PNG, 0, 0, 0);
}

const PhotoboothCustomLayoutBox kBoxes[] = {
    {1, 40, 40, 880, 600, 0}, {2, 920, 40, 1760, 600, 0}, {3, 40, 620, 880, 1180, 0}, {4, 920, 620, 1560, 1180, 0},
    {5, 1580, 980, 1760, 1160, 0}};

bool VipsPage(const std::vector<std::string>& photos, const std::string& overlayPath, const std::string& out) {
  VipsImage* page = nullptr;
  VipsImage* black = nullptr;
  if (vips_black(&black, 1800, 1200, "bands", 3, nullptr)) return false;
  bool ok = !vips_linear1(black, &page, 1.0, 255.0, "uchar", TRUE, nullptr);
  g_object_unref(black);
  for (size_t i = 0; ok && i < photos.size(); ++i) {
    const PhotoboothCustomLayoutBox& box = kBoxes[i];
    VipsImage* thumb = nullptr;
    VipsImage* placed = nullptr;
    ok = !vips_thumbnail(photos[i].c_str(), &thumb, box.right - box.left, "height", box.bottom - box.top, "crop",
                         VIPS_INTERESTING_CENTRE, nullptr) &&
         !vips_insert(page, thumb, &placed, box.left, box.top, nullptr);
    if (thumb) g_object_unref(thumb);
    if (ok) {
      g_object_unref(page);
      page = placed;
    }
  }
  VipsImage* overlay = nullptr;
  VipsImage* composed = nullptr;
  VipsImage* flat = nullptr;
  ok = ok && !vips_pngload(overlayPath.c_str(), &overlay, nullptr) &&
       !vips_composite2(page, overlay, &composed, VIPS_BLEND_MODE_OVER, nullptr) &&
       !vips_flatten(composed, &flat, nullptr) && !vips_jpegsave(flat, out.c_str(), "Q", 90, nullptr);
  for (VipsImage* image : {page, overlay, composed, flat})
    if (image) g_object_unref(image);
  return ok;
}

// Per-frame PSNR of a GIF's frames against the source frames (RGB).
std::vector<double> Psnr(const std::string& gifPath, const std::vector<std::unique_ptr<Gdiplus::Bitmap>>& sources) {
  std::vector<double> out;
  std::unique_ptr<Gdiplus::Bitmap> gif(Gdiplus::Bitmap::FromFile(WidePath(gifPath.c_str()).c_str()));
  if (!gif || gif->GetLastStatus() != Gdiplus::Ok) return out;
  UINT frames = gif->GetFrameCount(&Gdiplus::FrameDimensionTime);
  for (UINT f = 0; f < frames && f < sources.size(); ++f) {
    gif->SelectActiveFrame(&Gdiplus::FrameDimensionTime, f);
    Gdiplus::Bitmap* source = sources[f].get();
    Gdiplus::BitmapData a{}, b{};
    Gdiplus::Rect rect(0, 0, INT(source->GetWidth()), INT(source->GetHeight()));
    if (gif->GetWidth() != source->GetWidth() || gif->GetHeight() != source->GetHeight()) return {};
    gif->LockBits(&rect, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat24bppRGB, &a);
    source->LockBits(&rect, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat24bppRGB, &b);
    double sum = 0;
    for (INT y = 0; y < rect.Height; ++y) {
      auto* p = static_cast<const BYTE*>(a.Scan0) + y * a.Stride;
      auto* q = static_cast<const BYTE*>(b.Scan0) + y * b.Stride;
      for (INT x = 0; x < rect.Width * 3; ++x) sum += double(p[x] - q[x]) * (p[x] - q[x]);
    }
    gif->UnlockBits(&a);
    source->UnlockBits(&b);
    double mse = sum / (double(rect.Width) * rect.Height * 3);
    out.push_back(mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0);
  }
  return out;
}

double RunMillis(const std::string& command) {
  auto start = Clock::now();
  int status = std::system(command.c_str());
  return status == 0 ? Millis(start) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);
  if (VIPS_INIT(argv[0])) return 1;
  if (argc > 1) g_repeats = std::max(1, std::atoi(argv[1]));
  // The page decodes its photos on up to four threads: libvips gets as many.
  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  vips_concurrency_set(int(threads));
  fs::path work = fs::temp_directory_path() / ("tavorin-booth-bench-" + std::to_string(getpid()));
  fs::create_directories(work / "images");
  fs::create_directories(work / "session");
  setenv("TAVORIN_REGISTRY", (work / "registry.sqlite3").c_str(), 1);
  const std::string images = (work / "images").string(), session = (work / "session").string();

  // Page.
  std::vector<std::string> photos;
  size_t photoBytes = 0;
  for (int i = 0; i < 4; ++i) {
    std::vector<BYTE> photo = tavsim::SimMakePhoto(4000, 3000, i + 1, "Canon PowerShot G9");
    std::string path = session + "/IMG_000" + std::to_string(i + 1) + ".JPG";
    if (photo.empty() || !WriteFileReplacing(path.c_str(), photo.data(), photo.size())) return 1;
    photoBytes += photo.size();
    photos.push_back(path);
  }
  if (!SaveOverlay(images + "/overlay.png", 1800, 1200)) return 1;
  PrintPageSettings settings;
  settings.imagesFolder = images.c_str();
  settings.customLayout = TRUE;
  settings.resizeQuality = 3;  // the program's default: PhotoboothFastResize on
  settings.printerLogPixelsY = 300;
  settings.qrText = "https://www.example.com/{uid}";
  for (int i = 0; i < 5; ++i) settings.boxes[i] = kBoxes[i];
  for (int i = 0; i < 2; ++i) {
    settings.captions[i] = PhotoboothCaption::MakeNew(i + 1, 200 + 800 * i, 1100);
    settings.captions[i].m_strText = i ? "{message}" : "Happy birthday, {uid}";
  }
  CStringArray photoList;
  for (const std::string& p : photos) photoList.Add(p.c_str());
  CMapStringToString tokens;
  tokens.SetAt("{uid}", "20240101_120000");
  tokens.SetAt("{message}", "With love");
  PrintPageHooks hooks;
  const std::string ourPage = session + "/page.jpg", vipsPage = session + "/vips.jpg";
  auto composePage = [&] {
    PipSession sheet;
    if (!cNewImage(sheet.m_hSession, 1800, 1200, RGB(255, 255, 255))) return false;
    PrintPageComposer composer(sheet, settings, hooks);
    composer.ComposeFrameImages();
    composer.ComposePhotos(photoList, tokens, 0.0, nullptr);
    composer.ComposeOverlay();
    composer.DrawCaptions(false, tokens);
    composer.DrawCaptions(true, tokens);
    cSetPhysicalPixelsPerInch(sheet.m_hSession, 300, 300);
    return cSave(sheet.m_hSession, ourPage.c_str(), PIP_FORMAT_JPEG, 0, 0, 0) != 0;
  };
  double page = Best(composePage);
  settings.resizeQuality = 7;  // PhotoboothFastResize off: high-quality resampling, as libvips's
  double pageHigh = Best(composePage);
  double vips = Best([&] { return VipsPage(photos, images + "/overlay.png", vipsPage); });

  // GIF: 4 frames of 400 x 300 cut from the photos, ping-pong.
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> sources;
  for (const std::string& p : photos)
    sources.emplace_back(LoadThumbnail(WidePath(p.c_str()).c_str(), 400));
  const int order[] = {0, 1, 2, 3, 2, 1};
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> played;
  CLSID png;
  GetEncoderClsid(u"image/png", &png);
  for (int i = 0; i < 6; ++i) {
    played.emplace_back(CloneBitmap(sources[size_t(order[i])].get()));
    std::string name = session + "/frame" + std::to_string(i + 1) + ".png";
    played.back()->Save(WidePath(name.c_str()).c_str(), &png);
  }
  PhotoboothGifSettings gif;
  gif.imagesFolder = images.c_str();
  gif.imageFolder = session.c_str();
  gif.firstPhotoFolder = session.c_str();
  gif.baseName = "20240101_120000";
  gif.pingPong = TRUE;
  g_bDitherGIFs = FALSE;
  double ours = Best([&] {
    std::vector<std::unique_ptr<Gdiplus::Bitmap>> frames;
    for (auto& s : sources) frames.emplace_back(CloneBitmap(s.get()));
    return !CreatePhotoboothGifs(gif, frames).IsEmpty();
  });
  const std::string ourGif = session + "/GIF/20240101_120000.gif", ffGif = session + "/ffmpeg.gif";
  const std::string input = "ffmpeg -nostdin -hide_banner -loglevel error -y -framerate 4/3 -i '" + session + "/frame%d.png' ";
  double ffmpegAll = 1e30, ffmpegDecode = 1e30;
  for (int i = 0; i <= g_repeats; ++i) {
    double all = RunMillis(input + "-filter_complex \"split[a][b];[a]palettegen=stats_mode=single[p];"
                                   "[b][p]paletteuse=new=1:dither=none\" '" + ffGif + "'");
    double decode = RunMillis(input + "-f null -");
    if (all < 0 || decode < 0) {
      ffmpegAll = ffmpegDecode = -1;
      break;
    }
    if (i > 0) ffmpegAll = std::min(ffmpegAll, all), ffmpegDecode = std::min(ffmpegDecode, decode);
  }
  std::vector<double> ourPsnr = Psnr(ourGif, played), ffPsnr = Psnr(ffGif, played);

  // MP4: one real run on the six frames.
  CStringArray frameNames, titles;
  for (int i = 0; i < 6; ++i) frameNames.Add((session + "/frame" + std::to_string(i + 1) + ".png").c_str());
  auto mp4Start = Clock::now();
  int mp4Result = CreateMp4FromPng(nullptr, frameNames, titles, 300, (session + "/clip.mp4").c_str(), 75, 150, FALSE);
  double mp4 = Millis(mp4Start);

  std::printf("booth_bench: best of %d runs on %u cores (ours and libvips on up to %u threads)\n", g_repeats,
              std::thread::hardware_concurrency(), threads);
  std::printf("page: 4 camera JPEGs of 4000x3000 (%zu bytes) in custom boxes of 840x560 and 640x560 on 1800x1200, "
              "RGBA overlay.png, 2 captions, a QR box, JPEG save; reference: libvips %s C API in-process "
              "(thumbnail with shrink-on-load and centre crop, insert, composite, jpegsave; no QR, no captions)\n",
              photoBytes, vips_version_string());
  std::printf("\n| case | ours ms | reference ms | ratio | goal |\n|---|---:|---:|---:|---|\n");
  std::printf("| page (fast resize, the default) | %.1f | %.1f (libvips) | %.2f x | <= 1.0 x and < 1000 ms |\n", page,
              vips, vips > 0 ? page / vips : 0.0);
  std::printf("| page (fast resize off) | %.1f | %.1f (libvips) | %.2f x | <= 1.0 x and < 1000 ms |\n", pageHigh,
              vips, vips > 0 ? pageHigh / vips : 0.0);
  double ffOnly = ffmpegAll > 0 ? ffmpegAll - ffmpegDecode : -1;
  std::printf("| GIF 400x300, 6 frames | %.1f | %.1f (ffmpeg %.1f minus start and decode %.1f) | %.2f x faster | >= 2 x faster |\n",
              ours, ffOnly, ffmpegAll, ffmpegDecode, ours > 0 && ffOnly > 0 ? ffOnly / ours : 0.0);
  std::printf("| MP4, 6 frames of 400x300 | %.0f | | result %d | one real run |\n", mp4, mp4Result);
  std::printf("\n| GIF frame | ours PSNR dB | ffmpeg PSNR dB |\n|---:|---:|---:|\n");
  for (size_t i = 0; i < std::max(ourPsnr.size(), ffPsnr.size()); ++i)
    std::printf("| %zu | %.2f | %.2f |\n", i + 1, i < ourPsnr.size() ? ourPsnr[i] : 0.0,
                i < ffPsnr.size() ? ffPsnr[i] : 0.0);
  std::error_code ignored;
  fs::remove_all(work, ignored);
  vips_shutdown();
  return 0;
}
