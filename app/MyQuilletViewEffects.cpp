// The photobooth's image effects, run with the view's settings.
#include "app/MyQuilletView.h"
#include "app/PhotoboothEffects.h"

int CMyQuilletView::ResizeMode() const {
  // The setting asks for speed or quality; the library's resize takes a method code.
  return m_bPhotoboothFastResize ? PIP_RESAMPLE_FAST : PIP_RESAMPLE_HIGH;
}

void CMyQuilletView::ApplyGreenscreen(PipSession& image, const char* backgroundPath) {
  ::ApplyGreenscreen(image, backgroundPath, GreenScreenKeyOf(*this), ResizeMode());
}

void CMyQuilletView::ApplyMonochromeToning(PipSession& image) { ::ApplyMonochromeToning(image); }

void CMyQuilletView::MergeOverlay(PipSession& image, PipSession& overlay) {
  ::MergeOverlay(image, overlay, ResizeMode());
}

void CMyQuilletView::DrawThumbnailNumbers(PipSession& image) {
  ::DrawThumbnailNumbers(image, ThumbnailBoxesOf(*this));
}
