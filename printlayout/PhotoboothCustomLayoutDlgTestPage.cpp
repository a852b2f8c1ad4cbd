// The layout's test page: the layout composed at printer resolution with coloured, numbered
// placeholders for the photos, printed as one page or (with Shift) saved as an image.
#include <cstring>

#include "platform/gdi/wingdi.h"
#include "platform/mfc/filedialog.h"
#include "platform/mfc/waitcursor.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/input.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "platform/winspool/printdc.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "support/DrawCaption.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"
#include "support/QrCode.h"
#include "support/TextTemplate.h"

/// Encoded on the test page when the layout has no QR text of its own.
const char kLayoutQrFallbackText[] = "https://www.morvanesystems.com/";

namespace {

bool LoadLayer(PipSession& image, const CString& path) {
  return PathFileExistsA(path) && cLoadImage(image.m_hSession, path, 0, 0, 0) && image.GetWidth() > 0;
}

// A photo's stand-in: its colour, a frame on all four sides and its number in the middle.
bool MakePlaceholder(PipSession& image, int width, int height, int photo) {
  if (!cNewImage(image.m_hSession, width, height, PhotoboothLayoutRenderer::BoxColour(photo))) return false;
  HDC dc = cGetImageDC(image.m_hSession);
  if (!dc) return false;
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  POINT frame[5] = {{0, 0}, {width - 1, 0}, {width - 1, height - 1}, {0, height - 1}, {0, 0}};
  Polyline(dc, frame, 5);
  LOGFONTA font{};
  font.lfHeight = height / 2;
  std::strcpy(font.lfFaceName, "Arial");
  HFONT made = CreateFontIndirectA(&font);
  HGDIOBJ oldFont = SelectObject(dc, made);
  CString label;
  label.Format("%d", photo);
  SIZE extent{};
  GetTextExtentPoint32A(dc, label, label.GetLength(), &extent);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, (width - extent.cx) / 2, (height - extent.cy) / 2, label, label.GetLength());
  SelectObject(dc, oldFont);
  DeleteObject(made);
  SelectObject(dc, oldPen);
  cReleaseImageDC(image.m_hSession, dc);
  return true;
}

}  // namespace

BOOL CPhotoboothCustomLayoutDlg::ComposeTestPage(PipSession& page, int pageWidth, int pageHeight) {
  const PrintLayoutModel& m = m_model;
  if (!cNewImage(page.m_hSession, pageWidth, pageHeight, m.background)) return FALSE;
  const int L = m.leftMargin, T = m.topMargin, R = m.rightMargin, B = m.bottomMargin;
  // Background and overlay are centred on the printable area; what overflows left or top is cut.
  auto centred = [&](PipSession& image) {
    const int x = L + (pageWidth - R - L - static_cast<int>(image.GetWidth())) / 2;
    const int y = T + (pageHeight - B - T - static_cast<int>(image.GetHeight())) / 2;
    page.Merge(image, x, y, 255, 0);
  };
  PipSession background;
  if (LoadLayer(background, LayerPath("background.jpg"))) centred(background);
  for (const char* name : {"footer.jpg", "header.jpg"}) {
    PipSession band;
    if (!LoadLayer(band, LayerPath(name))) continue;
    if (static_cast<int>(band.GetWidth()) > pageWidth) {
      cSetOpRectangle(band.m_hSession, 0, 0, pageWidth - 1, static_cast<int>(band.GetHeight()) - 1, 0);
      cOpCrop(band.m_hSession);
    }
    const int x = (pageWidth - static_cast<int>(band.GetWidth())) / 2;
    const int y = std::strcmp(name, "header.jpg") == 0 ? 0 : pageHeight - static_cast<int>(band.GetHeight());
    page.Merge(band, x, y, 255, 0);
  }
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    const PhotoboothCustomLayoutBox box = EditToStoredBox(m.boxes[i], m.photos);
    if (box.image < 1) continue;
    int w = box.right - box.left, h = box.bottom - box.top;
    if (w <= 0 && h <= 0) continue;
    if (w <= 0) w = m_nAspectHeight ? m_nAspectWidth * h / m_nAspectHeight : h;
    if (h <= 0) h = m_nAspectWidth ? w * m_nAspectHeight / m_nAspectWidth : w;
    if (w <= 0 || h <= 0 || w > 4 * pageWidth + 1000 || h > 4 * pageHeight + 1000) continue;
    PipSession item;
    const bool made = box.image > m.photos
                          ? RenderQrCode(&item, w, h, m_strQRcode.IsEmpty() ? kLayoutQrFallbackText : m_strQRcode,
                                         m_nQRcodeQuality)
                          : MakePlaceholder(item, w, h, box.image);
    if (!made) continue;
    if (box.rotation != 0) item.Rotate(box.rotation, true);
    page.Merge(item, box.left, box.top, 255, 0);
  }
  PipSession overlay;
  if (LoadLayer(overlay, LayerPath("overlay.png"))) centred(overlay);

  HDC dc = cGetImageDC(page.m_hSession);
  if (!dc) return TRUE;
  HDC screen = CreateCompatibleDC(nullptr);
  const int screenDpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) DeleteDC(screen);
  SetBkMode(dc, TRANSPARENT);
  for (PhotoboothCaption& caption : m_model.captions) {
    if (!caption.m_nEnable || caption.m_strText.IsEmpty()) continue;
    LOGFONTA font = caption.m_font;
    font.lfHeight = static_cast<LONG>(static_cast<long long>(font.lfHeight) * (m.dpiY > 0 ? m.dpiY : 300) /
                                      (screenDpi > 0 ? screenDpi : 96));
    font.lfEscapement = font.lfOrientation = static_cast<LONG>(3600 - caption.m_dAngle * 10);
    SetTextColor(dc, caption.m_colour);
    CMapStringToString noValues;
    caption.m_strExpandedText = caption.m_strText;
    ExpandTextTemplate(noValues, caption.m_strExpandedText);
    DrawCaption(dc, caption.m_nLeft, caption.m_nTop, caption.m_strExpandedText, caption.m_nAlignment, font, nullptr,
                caption.m_nMaxNumberOfLines, caption.m_nMaxLineWidth);
  }
  cReleaseImageDC(page.m_hSession, dc);
  return TRUE;
}

void CPhotoboothCustomLayoutDlg::PrintLayout() {
  ReadControls();
  CWaitCursor wait;
  HDC printer = CreateApplicationPrinterDC();
  if (!printer) {
    Ask("Unable to connect to printer to print images", MB_OK | MB_ICONERROR);
    return;
  }
  const int width = GetDeviceCaps(printer, HORZRES), height = GetDeviceCaps(printer, VERTRES);
  PipSession page;
  bool done = ComposeTestPage(page, width, height) != FALSE;
  if (done && (GetKeyState(VK_SHIFT) & 0x8000)) {
    DeleteDC(printer);
    CFileDialog dialog(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "JPEG file (*.jpg)|*.jpg|PNG file (*.png)|*.png||", this);
    dialog.m_ofn.lpstrTitle = "Save print layout as an image";
    if (dialog.DoModal() != IDOK) return;
    CString path = dialog.GetPathName();
    const bool png = dialog.m_ofn.nFilterIndex == 2 || (path.GetLength() >= 4 && path.Right(4).CompareNoCase(".png") == 0);
    const char* extension = png ? ".png" : ".jpg";
    if (path.GetLength() < 4 || path.Right(4).CompareNoCase(extension) != 0) path += extension;
    if (!cSave(page.m_hSession, path, png ? PIP_FORMAT_PNG : PIP_FORMAT_JPEG, 0, 0, 0))
      Ask("Error writing file: " + path, MB_OK | MB_ICONERROR);
    return;
  }
  if (done) {
    DOCINFOA info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = "Tavorin";
    done = StartDocA(printer, &info) > 0;
    if (done) {
      done = StartPage(printer) > 0 &&
             cPrintImage(page.m_hSession, printer, 0, 0, width, height, 0, 0, 0, 0) != 0;
      done = EndPage(printer) > 0 && done;
      // A started document is always ended, so no job hangs open.
      done = done ? EndDoc(printer) > 0 : (AbortDoc(printer), false);
    }
  }
  DeleteDC(printer);
  if (!done) Ask("Unable to print test page", MB_OK | MB_ICONERROR);
}
