#include "photobooth/AnimatedGif.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>
#include <string>

#include "platform/user/messagebox.h"
#include "platform/win32/fileio.h"
#include "platform/win32/files.h"
#include "support/GdiplusHelpers.h"
#include "support/Mp4ClipMaker.h"
#include "support/OctreeQuantizer.h"
#include "support/TempFolders.h"
#include "support/TextUtilities.h"
#include "support/WidePath.h"

using namespace Gdiplus;

namespace {

using BitmapPtr = std::unique_ptr<Bitmap>;

const char kInsufficientFrames[] = "Insufficient GIF frames. Please check each photo is included in the print layout";

struct GifError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool Exists(const CString& path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

void MakeFolder(const CString& folder) {
  if (!Exists(folder)) CreateDirectoryA(folder, nullptr);
}

CString Numbered(const CString& folder, const char* stem, int number, const char* extension) {
  CString path;
  path.Format("%s/%s_%d%s", folder.GetString(), stem, number, extension);
  return path;
}

BitmapPtr Load(const CString& path, int maxWidth) {
  if (!Exists(path)) return nullptr;
  return BitmapPtr(LoadThumbnail(WidePath(path).c_str(), maxWidth));
}

// The numbered picture when it exists, else the plain one, else none.
BitmapPtr LoadNumbered(const CString& folder, const char* stem, const char* extension, int number, int maxWidth) {
  if (BitmapPtr numbered = Load(Numbered(folder, stem, number, extension), maxWidth)) return numbered;
  return Load(folder + "/" + stem + extension, maxWidth);
}

BitmapPtr Scaled(Bitmap& source, int x, int y, int width, int height, int newWidth, int newHeight) {
  BitmapPtr out = std::make_unique<Bitmap>(newWidth, newHeight, source.GetPixelFormat());
  if (out->GetLastStatus() != Ok) out = std::make_unique<Bitmap>(newWidth, newHeight, PixelFormat32bppARGB);
  Graphics graphics(out.get());
  graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
  graphics.DrawImage(&source, Rect(0, 0, newWidth, newHeight), x, y, width, height, UnitPixel);
  return out;
}

BitmapPtr WhiteCanvas(int width, int height) {
  BitmapPtr canvas = std::make_unique<Bitmap>(width, height, PixelFormat32bppARGB);
  if (canvas->GetLastStatus() != Ok) throw GifError("Unable to create a GIF frame");
  Graphics graphics(canvas.get());
  SolidBrush white(Color(255, 255, 255));
  graphics.FillRectangle(&white, 0, 0, width, height);
  return canvas;
}

CString FileStem(const CString& path) {
  int slash = path.ReverseFind('/');
  CString name = slash >= 0 ? path.Mid(slash + 1) : path;
  int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

CString FolderOf(const CString& path) {
  int slash = path.ReverseFind('/');
  return slash >= 0 ? path.Left(slash) : CString(".");
}

bool SavePng(Bitmap& bitmap, const CString& path) {
  CLSID png;
  return GetEncoderClsid(u"image/png", &png) >= 0 && bitmap.Save(WidePath(path).c_str(), &png) == Ok;
}

EncoderParameters SaveFlag(EncoderValue value, ULONG& holder) {
  holder = ULONG(value);
  EncoderParameters parameters{};
  parameters.Count = 1;
  parameters.Parameter[0].Guid = EncoderSaveFlag;
  parameters.Parameter[0].Type = EncoderParameterValueTypeLong;
  parameters.Parameter[0].NumberOfValues = 1;
  parameters.Parameter[0].Value = &holder;
  return parameters;
}

class GifMaker {
 public:
  GifMaker(const PhotoboothGifSettings& settings, std::vector<Bitmap*> sources, const CString& gifPath)
      : s_(settings), sources_(std::move(sources)), gifPath_(gifPath) {}

  void Run() {
    PrepareFrames();
    LoadTitles();
    int v = std::max(1, s_.overlaysPerPhoto);
    order_ = GifPlaybackOrder(int(frames_.size()), int(titles_.size()), s_.pingPong, s_.titleAtEnd, v);
    ComposeFrames();
    if (s_.createMp4 || s_.frameCopies) WriteClip();
    Quantise();
    Encode(v);
  }

 private:
  void PrepareFrames() {
    for (Bitmap* source : sources_) {
      if (!source || source->GetWidth() == 0) throw GifError(kInsufficientFrames);
      int w = int(source->GetWidth()), h = int(source->GetHeight());
      int x = 0, cutWidth = w;
      int c = s_.evfCrop, lw = s_.liveViewWidth;
      // Only what the live view showed; a negative crop cuts nothing here.
      if (s_.fullscreenWindow && c > 0 && s_.liveView && lw > 0 && s_.liveViewHeight > 0 && lw > 2 * c) {
        cutWidth = int(1LL * w * (lw - 2 * c) / lw);
        x = (w - cutWidth) / 2;
      }
      int outWidth = cutWidth, outHeight = h;
      if (s_.width > 10 && cutWidth > s_.width) {
        outWidth = s_.width;
        outHeight = std::max(1, int(1LL * h * s_.width / cutWidth));
      }
      if (x == 0 && outWidth == w && outHeight == h)
        frames_.push_back(BitmapPtr(CloneBitmap(source)));
      else
        frames_.push_back(Scaled(*source, x, 0, cutWidth, h, outWidth, outHeight));
      if (!frames_.back()) throw GifError("Unable to copy a GIF frame");
    }
    // The canvas follows the frames as they will be drawn, so the first frame's scaled size.
    // A GIF width of 10 or less keeps the frames whole, and the canvas is theirs.
    canvasW_ = s_.sizeW >= 1 ? s_.sizeW : s_.width > 10 ? s_.width : int(frames_[0]->GetWidth());
    canvasH_ = s_.sizeH >= 1 ? s_.sizeH : int(frames_[0]->GetHeight());
  }

  void LoadTitles() {
    for (int t = 1;; ++t) {
      BitmapPtr title = Load(Numbered(s_.imagesFolder, "GIF_title", t, ".jpg"), canvasW_);
      if (!title && t == 1) title = Load(s_.imagesFolder + "/GIF_title.jpg", canvasW_);
      if (!title) break;
      BitmapPtr canvas = WhiteCanvas(canvasW_, canvasH_);
      Graphics graphics(canvas.get());
      graphics.DrawImage(title.get(), (canvasW_ - int(title->GetWidth())) / 2,
                         (canvasH_ - int(title->GetHeight())) / 2);
      titles_.push_back(std::move(canvas));
      if (t == 1 && !Exists(Numbered(s_.imagesFolder, "GIF_title", 1, ".jpg"))) break;
    }
  }

  void ComposeFrames() {
    int k = 0;
    for (const GifPlayEntry& entry : order_) {
      if (entry.title) continue;
      ++k;
      BitmapPtr canvas = WhiteCanvas(canvasW_, canvasH_);
      Graphics graphics(canvas.get());
      if (BitmapPtr background = LoadNumbered(s_.imagesFolder, "GIF_background", ".jpg", k, canvasW_))
        graphics.DrawImage(background.get(), (canvasW_ - int(background->GetWidth())) / 2,
                           (canvasH_ - int(background->GetHeight())) / 2);
      graphics.DrawImage(frames_[size_t(entry.index)].get(), s_.offsetX, s_.offsetY);
      if (BitmapPtr overlay = LoadNumbered(s_.imagesFolder, "GIF_overlay", ".png", k, canvasW_)) {
        int ow = int(overlay->GetWidth()), oh = int(overlay->GetHeight());
        int x = ow > canvasW_ ? (canvasW_ - ow) / 2 : canvasW_ - ow;
        int y = oh > canvasH_ ? (canvasH_ - oh) / 2 : canvasH_ - oh;
        graphics.DrawImage(overlay.get(), x, y);
      }
      composed_.push_back(std::move(canvas));
    }
  }

  void WriteClip() {
    CString stem = FileStem(gifPath_);
    CString folder;
    if (s_.frameCopies) {
      folder = s_.firstPhotoFolder + "/GIF_frames";
      MakeFolder(folder);
    } else {
      // The guest's frames wait in a folder only this user can enter, made new for them.
      folder = MakePrivateTempFolder(kClipFramesPrefix);
      if (folder.IsEmpty()) throw GifError("Unable to make a folder for the clip's frames");
    }
    CStringArray frameNames, titleNames;
    for (size_t i = 0; i < composed_.size(); ++i) {
      CString name;
      name.Format("%s/%s_frame%03d.png", folder.GetString(), stem.GetString(), int(i + 1));
      if (SavePng(*composed_[i], name)) frameNames.Add(name);
    }
    for (size_t i = 0; i < titles_.size(); ++i) {
      CString name;
      name.Format("%s/%s_title%03d.png", folder.GetString(), stem.GetString(), int(i + 1));
      if (SavePng(*titles_[i], name)) titleNames.Add(name);
    }
    if (s_.createMp4) {
      CString mp4Folder = s_.mp4Subfolder == 1   ? s_.firstPhotoFolder + "/MP4"
                          : s_.mp4Subfolder == 2 ? s_.firstPhotoFolder + "/prints"
                                                 : FolderOf(gifPath_);
      MakeFolder(mp4Folder);
      const CString clip = mp4Folder + "/" + stem + ".mp4";
      const int result = CreateMp4FromPng(s_.parent, frameNames, titleNames, s_.mp4MinDuration * 100, clip,
                                          s_.imageDelay, s_.titleDelay, s_.titleAtEnd);
      // A missing ffmpeg was told by its own box; any other failure is a clip error like the
      // GIF's, and the GIF itself still follows.
      if (result != 0 && !FindFfmpeg().empty()) {
        CString text;
        text.Format("Error creating animated GIF:\nUnable to make the clip %s (error %d)", clip.GetString(), result);
        MessageBoxA(s_.parent, text, "Tavorin", MB_OK | MB_ICONERROR);
      }
    }
    if (!s_.frameCopies) RemovePrivateTempFolder(folder);
  }

  void Quantise() {
    // With dithering on the quantizer declines and the encoder dithers the 32-bit frame.
    for (auto* list : {&composed_, &titles_})
      for (BitmapPtr& frame : *list)
        if (Bitmap* indexed = QuantizeToIndexedBitmap(frame.get())) frame.reset(indexed);
  }

  void Encode(int v) {
    std::vector<Bitmap*> images;
    std::vector<ULONG> delays;
    size_t composedIndex = 0;
    for (const GifPlayEntry& entry : order_) {
      if (entry.title) {
        images.push_back(titles_[size_t(entry.index)].get());
        delays.push_back(ULONG(s_.titleDelay));
      } else {
        images.push_back(composed_[composedIndex++].get());
        delays.push_back(ULONG(std::max(1, s_.imageDelay / v)));
      }
    }
    if (images.empty()) throw GifError(kInsufficientFrames);
    if (delays.size() > 5000) delays.resize(5000);
    USHORT loop = s_.looping ? 0 : 1;
    PropertyItem loopItem{PropertyTagLoopCount, sizeof loop, PropertyTagTypeShort, &loop};
    PropertyItem delayItem{PropertyTagFrameDelay, ULONG(delays.size() * 4), PropertyTagTypeLong, delays.data()};
    images[0]->SetPropertyItem(&loopItem);
    images[0]->SetPropertyItem(&delayItem);

    CLSID gif;
    if (GetEncoderClsid(u"image/gif", &gif) < 0) throw GifError("No GIF encoder");
    CString tempPath = gifPath_ + "_temp";
    std::u16string wideTemp = WidePath(tempPath);
    ULONG a, b, c;
    EncoderParameters multi = SaveFlag(EncoderValueMultiFrame, a), time = SaveFlag(EncoderValueFrameDimensionTime, b),
                      flush = SaveFlag(EncoderValueFlush, c);
    Status status = images[0]->Save(wideTemp.c_str(), &gif, &multi);
    for (size_t i = 1; i < images.size() && status == Ok; ++i) status = images[0]->SaveAdd(images[i], &time);
    if (status == Ok) status = images[0]->SaveAdd(&flush);
    if (status != Ok) {
      DeleteFileA(tempPath);
      throw GifError("Unable to write " + std::string(gifPath_.GetString()));
    }
    DeleteFileA(gifPath_);
    if (!MoveFileExA(tempPath, gifPath_, MOVEFILE_REPLACE_EXISTING)) {
      DeleteFileA(tempPath);
      throw GifError("Unable to write " + std::string(gifPath_.GetString()));
    }
  }

  const PhotoboothGifSettings& s_;
  std::vector<Bitmap*> sources_;
  CString gifPath_;
  std::vector<BitmapPtr> frames_, titles_, composed_;
  std::vector<GifPlayEntry> order_;
  int canvasW_ = 0, canvasH_ = 0;
};

}  // namespace

std::vector<GifPlayEntry> GifPlaybackOrder(int photos, int titles, bool pingPong, bool titleAtEnd, int repeats) {
  std::vector<int> sequence;
  for (int i = 0; i < photos; ++i) sequence.push_back(i);
  if (pingPong && photos > 1)
    for (int i = photos - 2; i >= (titles > 0 ? 0 : 1); --i) sequence.push_back(i);
  std::vector<GifPlayEntry> order;
  auto addTitles = [&] {
    for (int t = 0; t < titles; ++t) order.push_back({true, t});
  };
  if (!titleAtEnd) addTitles();
  for (int i : sequence)
    for (int r = 0; r < std::max(1, repeats); ++r) order.push_back({false, i});
  if (titleAtEnd) addTitles();
  return order;
}

CString CreatePhotoboothGifs(const PhotoboothGifSettings& settings, std::vector<BitmapPtr>& frames) {
  CString folder = settings.imageFolder + (settings.gifInPrints ? "/prints" : "/GIF");
  MakeFolder(folder);
  std::vector<std::pair<std::vector<Bitmap*>, CString>> gifs;
  if (settings.perPhoto) {
    for (size_t i = 0; i < frames.size(); ++i) {
      CString path;
      path.Format("%s/%s_%d.gif", folder.GetString(), settings.baseName.GetString(), int(i + 1));
      gifs.push_back({{frames[i].get()}, path});
    }
  } else {
    std::vector<Bitmap*> all;
    for (BitmapPtr& frame : frames) all.push_back(frame.get());
    gifs.push_back({all, folder + "/" + settings.baseName + ".gif"});
  }
  CString last;
  for (auto& [sources, path] : gifs) {
    try {
      GifMaker(settings, sources, path).Run();
      last = path;
    } catch (const GifError& error) {
      MessageBoxA(settings.parent, CString("Error creating animated GIF:\n") + error.what(), "Tavorin",
                  MB_OK | MB_ICONERROR);
    } catch (...) {
      MessageBoxA(settings.parent, "Error creating animated GIF", "Tavorin", MB_OK | MB_ICONERROR);
    }
  }
  return last;
}
