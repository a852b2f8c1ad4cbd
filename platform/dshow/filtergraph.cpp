#include "platform/dshow/filtergraph.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include "platform/gdi/blit.h"
#include "platform/gdi/types.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"

namespace {

// Sounds and movies are played only from regular files: a FIFO in their place is missing.
bool IsRegularFile(const char* path) {
  struct stat info {};
  return stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

struct FilterGraph::Impl {
  QMediaPlayer player;
  QVideoSink sink;
  QImage frame;  // the latest frame, 32-bit, top-down
  HWND window = nullptr;
  RECT destination{0, 0, 0, 0};
  bool loaded = false;
  int framesShown = 0;

  Impl() {
    player.setVideoOutput(&sink);
    QObject::connect(&sink, &QVideoSink::videoFrameChanged, [this](const QVideoFrame& video) {
      QImage image = video.toImage();
      if (image.isNull()) return;
      frame = image.convertToFormat(QImage::Format_RGB32);
      if (window && IsWindow(window) && destination.right > destination.left)
        InvalidateRect(window, &destination, FALSE);
    });
  }
};

FilterGraph::FilterGraph() : d(std::make_unique<Impl>()) {}

FilterGraph::~FilterGraph() {
  d->player.stop();
  d->player.setVideoOutput(static_cast<QVideoSink*>(nullptr));
}

HRESULT FilterGraph::SetVideoClippingWindow(HWND window) {
  if (!window || !IsWindow(window)) return E_INVALIDARG;
  d->window = window;
  return S_OK;
}

HRESULT FilterGraph::RenderFile(const char* path) {
  if (!path || !IsRegularFile(path)) return VFW_E_UNSUPPORTED_STREAM;
  d->player.setSource(QUrl::fromLocalFile(user_p::ToQString(path)));
  QElapsedTimer waited;
  waited.start();
  // The back end learns the file in the event loop; a broken file ends in InvalidMedia or an error.
  while (waited.elapsed() < 10000) {
    QMediaPlayer::MediaStatus status = d->player.mediaStatus();
    if (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia) break;
    if (status == QMediaPlayer::InvalidMedia || d->player.error() != QMediaPlayer::NoError)
      return VFW_E_UNSUPPORTED_STREAM;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  QMediaPlayer::MediaStatus status = d->player.mediaStatus();
  if (status != QMediaPlayer::LoadedMedia && status != QMediaPlayer::BufferedMedia) return VFW_E_UNSUPPORTED_STREAM;
  if (!d->player.hasVideo() && !d->player.hasAudio()) return VFW_E_UNSUPPORTED_STREAM;
  d->loaded = true;
  return S_OK;
}

HRESULT FilterGraph::Run() {
  if (!d->loaded) return VFW_E_NOT_CONNECTED;
  d->player.play();
  return S_OK;
}

HRESULT FilterGraph::Stop() {
  if (!d->loaded) return VFW_E_NOT_CONNECTED;
  d->player.pause();
  return S_OK;
}

HRESULT FilterGraph::GetState(DWORD timeoutMs, FILTER_STATE* state) {
  if (!state) return E_INVALIDARG;
  QElapsedTimer waited;
  waited.start();
  while (d->loaded && d->player.playbackState() != QMediaPlayer::PlayingState &&
         d->player.mediaStatus() != QMediaPlayer::EndOfMedia && waited.elapsed() < timeoutMs &&
         d->player.playbackState() != QMediaPlayer::PausedState)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  switch (d->player.playbackState()) {
    case QMediaPlayer::PlayingState:
      *state = State_Running;
      break;
    case QMediaPlayer::PausedState:
      *state = State_Paused;
      break;
    default:
      *state = State_Stopped;
      break;
  }
  return S_OK;
}

HRESULT FilterGraph::GetDuration(REFERENCE_TIME* duration) {
  if (!duration) return E_INVALIDARG;
  if (!d->loaded || d->player.duration() <= 0) return E_FAIL;
  *duration = static_cast<REFERENCE_TIME>(d->player.duration()) * 10000;
  return S_OK;
}

HRESULT FilterGraph::GetCurrentPosition(REFERENCE_TIME* position) {
  if (!position) return E_INVALIDARG;
  if (!d->loaded) return E_FAIL;
  qint64 ms = d->player.mediaStatus() == QMediaPlayer::EndOfMedia ? d->player.duration() : d->player.position();
  *position = static_cast<REFERENCE_TIME>(ms) * 10000;
  return S_OK;
}

HRESULT FilterGraph::GetRate(double* rate) {
  if (!rate) return E_INVALIDARG;
  if (!d->loaded) return E_FAIL;
  *rate = d->player.playbackRate();
  return S_OK;
}

HRESULT FilterGraph::SetPositions(REFERENCE_TIME* current, DWORD currentFlags) {
  if (!d->loaded) return VFW_E_NOT_CONNECTED;
  if (current && (currentFlags & AM_SEEKING_AbsolutePositioning)) d->player.setPosition(*current / 10000);
  return S_OK;
}

HRESULT FilterGraph::GetNativeVideoSize(LONG* width, LONG* height) {
  if (!width || !height) return E_INVALIDARG;
  *width = *height = 0;
  if (!d->loaded) return E_FAIL;
  QSize size;
  const QList<QMediaMetaData> tracks = d->player.videoTracks();
  if (!tracks.isEmpty()) size = tracks.front().value(QMediaMetaData::Resolution).toSize();
  if (!size.isValid()) size = d->player.metaData().value(QMediaMetaData::Resolution).toSize();
  if (!size.isValid() && !d->frame.isNull()) size = d->frame.size();
  if (size.isValid()) {
    *width = size.width();
    *height = size.height();
  }
  return S_OK;
}

HRESULT FilterGraph::SetVideoPosition(const RECT*, const RECT* destination) {
  if (!destination) return E_INVALIDARG;
  d->destination = *destination;
  return S_OK;
}

HRESULT FilterGraph::RepaintVideo(HWND, HDC dc) {
  if (!dc || d->frame.isNull()) return S_OK;
  const RECT& to = d->destination;
  if (to.right <= to.left || to.bottom <= to.top) return S_OK;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = d->frame.width();
  info.bmiHeader.biHeight = -d->frame.height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, d->frame.width(),
                d->frame.height(), d->frame.constBits(), &info, DIB_RGB_COLORS, SRCCOPY);
  ++d->framesShown;
  return S_OK;
}

int FilterGraph::FramesShown() const { return d->framesShown; }
