// The photo on display: the bitmap built from the current JPEG, its highlights and grid, and
// the paint of the view.
#include "app/BlankDlg.h"
#include "app/FullscreenDlg.h"
#include "app/MyQuilletView.h"

#include "app/ImagePreviewDlg.h"
#include "app/Resource.h"
#include "platform/win32/files.h"
#include "support/ExifBlock.h"
#include "support/JpegDisplay.h"

namespace {

// Rotation of the display orientation modes (4 follows the camera's sensor).
int AngleForOrientation(int mode, const Exif* exif) {
  switch (mode) {
    case 1:
      return 270;
    case 2:
      return 90;
    case 3:
      return 180;
    case 4:
      return exif ? exif->GetRotation() : 0;
    default:
      return 0;
  }
}

// Cell size of a grid of n photos in a width x height box.
void GridCellSize(int n, int width, int height, int& cellWidth, int& cellHeight) {
  int across = n <= 1 ? 1 : n <= 6 ? (n <= 4 ? 2 : 3) : n <= 9 ? 3 : 4;
  int down = n <= 2 ? 1 : n <= 6 ? 2 : n <= 12 ? 3 : 4;
  cellWidth = width / across;
  cellHeight = height / down;
}

}  // namespace

CBitmap* CMyQuilletView::BuildPhotoGrid(int width, int height) {
  int count = m_nNumberOfPhotoboothImages;
  int cellWidth = 0, cellHeight = 0;
  GridCellSize(count, width, height, cellWidth, cellHeight);
  auto* grid = new CBitmap;
  if (cellWidth <= 0 || cellHeight <= 0 || !grid->CreateBitmap(width, height, 1, 32, nullptr)) {
    delete grid;
    return nullptr;
  }
  CDC gridDc;
  gridDc.CreateCompatibleDC(nullptr);
  CBitmap* oldGrid = gridDc.SelectObject(grid);
  int x = 0, y = 0;
  for (int i = 0; i < count; ++i) {
    const CTVNImage& image = m_images[m_images.size() - 1 - i];  // newest first
    DWORD size = 0;
    BYTE* jpeg = image.m_exif.ReadJpegBytes(size);
    CBitmap* cell = nullptr;
    if (jpeg) {
      try {
        cell = RenderJpegForDisplay(jpeg, size, nullptr, image.GetRotation(), cellWidth, cellHeight, 0, 0, FALSE, -1,
                                    -1, -1, -1);
      } catch (const CString&) {
        cell = nullptr;  // an unreadable photo leaves its cell empty
      }
      delete[] jpeg;
    }
    if (cell) {
      BITMAP info{};
      cell->GetBitmap(&info);
      CDC cellDc;
      cellDc.CreateCompatibleDC(nullptr);
      CBitmap* oldCell = cellDc.SelectObject(cell);
      gridDc.BitBlt(x + (cellWidth - info.bmWidth) / 2, y + (cellHeight - info.bmHeight) / 2, info.bmWidth,
                    info.bmHeight, &cellDc, 0, 0, SRCCOPY);
      cellDc.SelectObject(oldCell);
      delete cell;
    }
    x += cellWidth;
    if (x + 20 > width) {
      x = 0;
      y += cellHeight;
    }
  }
  gridDc.SelectObject(oldGrid);
  return grid;
}

DisplayRequest CMyQuilletView::MakeDisplayRequest(int width, int height, int greyMode, bool histogram,
                                                  bool highlight) {
  DisplayRequest request;
  request.width = width;
  request.height = height;
  request.angle = m_nCurrentImage >= 0 && m_nCurrentImage < static_cast<int>(m_images.size())
                      ? m_images[m_nCurrentImage].GetRotation()
                      : AngleForOrientation(m_nOrientationSetting, m_pCurrentExif);
  request.sharpening = m_bSharpen ? m_nSharpenAmount : 0;
  request.greyMode = greyMode;
  request.crop3x2 = m_pFullscreenDlg && m_bFullScreen && m_bPhotobooth3to2Crop;
  request.histogram = histogram;
  request.highlight = highlight;
  request.highlightMethod = m_nHighlightBlinkMethod;
  request.highlightThreshold = m_nHighlightBlinkThreshold;
  if (m_bDisplayGrid && m_nHorizontalGridDivisions > 0 && m_nVerticalGridDivisions > 0) {
    request.gridAcross = m_nHorizontalGridDivisions;
    request.gridDown = m_nVerticalGridDivisions;
  }
  request.gridColour = static_cast<COLORREF>(m_nGridColour);
  request.profiles = CurrentDisplayColourProfiles();
  return request;
}

void CMyQuilletView::ReportDisplayRender(const DisplayRender& render) {
  if (!render.thumbnailNote.IsEmpty()) {
    CString note = "Showing the embedded thumbnail: " + render.thumbnailNote;
    if (m_strStatusText.Find(note) < 0) SetStatusText(m_strStatusText.IsEmpty() ? note : m_strStatusText + " - " + note);
  }
  if (!render.error.IsEmpty()) {
    m_strLastMessage = render.error;
    CWnd* frame = AfxGetMainWnd();
    ::MessageBoxA(frame ? frame->m_hWnd : nullptr, render.error, "Tavorin", MB_ICONERROR);
  }
}

CBitmap* CMyQuilletView::BuildDisplayBitmap(CWnd* target, int width, int height, CHistogram* histogram,
                                            CBitmap** highlight, int greyMode) {
  if (highlight) *highlight = nullptr;
  // After a booth sequence the booth window can show its photos together.
  if (target && target == m_pFullscreenDlg && m_bPhotoboothShowGrid && target->m_hWnd && target->IsWindowVisible() &&
      m_nShotsLeft < 1 && m_nNumberOfPhotoboothImages > 0 &&
      static_cast<int>(m_images.size()) >= m_nNumberOfPhotoboothImages && width > 0 && height > 0)
    return BuildPhotoGrid(width, height);
  if (!m_pCurrentJpeg || m_nCurrentJpegSize == 0 || width <= 0 || height <= 0) return nullptr;
  std::unique_ptr<DisplayRender> render = RenderDisplay(
      m_pCurrentJpeg, m_nCurrentJpegSize, MakeDisplayRequest(width, height, greyMode, histogram, highlight));
  ReportDisplayRender(*render);
  if (!render->error.IsEmpty()) return nullptr;
  if (histogram) *histogram = render->histogram;
  if (highlight) std::swap(*highlight, render->highlight);
  CBitmap* bitmap = nullptr;
  std::swap(bitmap, render->bitmap);
  return bitmap;
}

CString CMyQuilletView::SavedFileNotes(const CString& path) {
  CString comment = GetCommentText();
  bool rotation = m_nOrientationSetting != 4;  // 4 keeps the camera's own orientation
  if (path.GetLength() > 4 && path.Right(4).CompareNoCase(".crw") == 0) {
    // A raw file keeps its comment and rotation in its THM companion.
    CString base = path.Left(path.GetLength() - 4);
    if (!PathFileExistsA(base + ".THM") && !PathFileExistsA(base + ".thm") && (!comment.IsEmpty() || rotation))
      return " - no THM file: comment and rotation not stored";
  }
  if (comment.IsEmpty()) return "";
  Exif stored(path);
  if (stored.GetComment() != comment.Left(255)) return " - comment not stored";
  return "";
}

void CMyQuilletView::InstallDisplay(DisplayRender& render) {
  CBitmap* display = nullptr;
  CBitmap* highlight = nullptr;
  std::swap(display, render.bitmap);
  std::swap(highlight, render.highlight);
  // The control lets go of the old bitmap before it is freed.
  if (m_picture.m_hWnd) m_picture.SetBitmap(display ? static_cast<HBITMAP>(*display) : nullptr);
  delete m_pDisplayBitmap;
  delete m_pHighlightBitmap;
  m_pDisplayBitmap = display;
  m_pHighlightBitmap = highlight;
  m_bShowingHighlight = false;
  m_histogram = render.histogram;
  DrawHistogram();
}

CRect CMyQuilletView::PictureBox() {
  CRect box(0, 0, 320, 240);
  if (m_picture.m_hWnd) m_picture.GetClientRect(&box);
  return box;
}

void CMyQuilletView::ShowCurrentInPreview() {
  // The preview window shows the current photo too: a step or a new photo reaches it here.
  if (m_pImagePreviewDlg && m_pImagePreviewDlg->m_bShown && m_pCurrentJpeg)
    m_pImagePreviewDlg->SetImage(m_pCurrentJpeg, m_nCurrentJpegSize, m_nRotation);
}

void CMyQuilletView::RefreshDisplay() {
  ++m_nDisplayGeneration;  // a background render still under way is out of date
  const CRect box = PictureBox();
  std::unique_ptr<DisplayRender> render =
      m_pCurrentJpeg && m_nCurrentJpegSize
          ? RenderDisplay(m_pCurrentJpeg, m_nCurrentJpegSize,
                          MakeDisplayRequest(box.Width(), box.Height(), 0, true, m_bHighlightBlink))
          : std::make_unique<DisplayRender>();
  ReportDisplayRender(*render);
  InstallDisplay(*render);
  ShowCurrentInPreview();
}

void CMyQuilletView::RefreshDisplayInBackground() {
  const CRect box = PictureBox();
  if (!m_hWnd || !m_pCurrentJpeg || m_nCurrentJpegSize == 0 || box.Width() <= 0 || box.Height() <= 0) {
    RefreshDisplay();
    return;
  }
  const unsigned generation = ++m_nDisplayGeneration;
  if (!m_pDisplayWorker) m_pDisplayWorker = std::make_unique<CDisplayRenderWorker>(m_hWnd, WM_DISPLAY_RENDERED);
  m_pDisplayWorker->Submit(generation, m_pCurrentJpeg, m_nCurrentJpegSize,
                           MakeDisplayRequest(box.Width(), box.Height(), 0, true, m_bHighlightBlink));
  ShowCurrentInPreview();
}

void CMyQuilletView::OnDisplayRendered(unsigned generation) {
  if (generation != m_nDisplayGeneration || !m_pDisplayWorker) return;
  std::unique_ptr<DisplayRender> render = m_pDisplayWorker->Take(generation);
  if (!render) return;
  ReportDisplayRender(*render);
  InstallDisplay(*render);
}

void CMyQuilletView::OnDraw(CDC*) {
  // The form's layout narrowed the picture since the photo was drawn: draw it again to fit.
  if (m_picture.m_hWnd && m_pDisplayBitmap) {
    CRect box;
    m_picture.GetClientRect(&box);
    BITMAP drawn{};
    if (m_pDisplayBitmap->GetBitmap(&drawn) && (drawn.bmWidth > box.Width() || drawn.bmHeight > box.Height()) &&
        box.Width() > 0 && box.Height() > 0) {
      RefreshDisplay();
      return;
    }
  }
  // The blink timer swaps the view's bitmaps and repaints the view: the picture follows.
  HBITMAP shown = m_pDisplayBitmap ? static_cast<HBITMAP>(*m_pDisplayBitmap) : nullptr;
  if (m_picture.m_hWnd && m_picture.GetBitmap() != shown) m_picture.SetBitmap(shown);
}

void CMyQuilletView::ShowBlankScreen(bool show) {
  if (show) {
    if (m_pBlankDlg && m_pBlankDlg->IsWindowVisible()) return;
    if (!m_pBlankDlg) {
      auto* blank = new CBlankDlg(this);
      if (!blank->Create(IDD_BLANK, this)) {
        delete blank;
        return;
      }
      m_pBlankDlg = blank;
    }
    // Also brings back a window the user clicked away during an earlier shot.
    m_pBlankDlg->ShowWindow(SW_SHOW);
    m_pBlankDlg->SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  } else if (m_pBlankDlg) {
    m_pBlankDlg->DestroyWindow();
    delete m_pBlankDlg;
    m_pBlankDlg = nullptr;
  }
  m_bBlankScreen = m_pBlankDlg != nullptr;
}
