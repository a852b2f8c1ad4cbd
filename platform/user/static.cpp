// "Static": text and bitmap labels. It draws itself on WM_PAINT, so a program that takes over
// its painting (a picture control) draws through BeginPaint like on any window.
#include <QMouseEvent>
#include <QPainter>

#include "platform/gdi/dc_p.h"
#include "platform/gdi/wingdi.h"
#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/hwndwidget_p.h"
#include "platform/user/message.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window.h"

namespace user_p {
namespace {

// "&&" shows one ampersand; a single '&' marks a mnemonic and is not shown.
QString DisplayText(const QString& text) {
  QString shown;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    else if (text[i] == '&') continue;
    shown += text[i];
  }
  return shown;
}

// Copies a GDI bitmap through the drawing layer's own calls; a null image on failure.
QImage BitmapImage(HBITMAP bitmap) {
  BITMAP info{};
  if (!GetObjectA(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return QImage();
  QImage image(info.bmWidth, std::abs(info.bmHeight), QImage::Format_RGB32);
  image.fill(Qt::white);
  HDC target = gdi_p::CreatePaintDeviceDC(&image);
  HDC source = CreateCompatibleDC(target);
  HGDIOBJ old = source ? SelectObject(source, bitmap) : nullptr;
  bool copied = old && BitBlt(target, 0, 0, image.width(), image.height(), source, 0, 0, SRCCOPY);
  if (old) SelectObject(source, old);
  if (source) DeleteDC(source);
  if (target) gdi_p::DestroyDC(target);
  return copied ? image : QImage();
}

class StaticWidget : public HwndWidget {
 public:
  StaticWidget(HWND hwnd, DWORD style, QWidget* parent) : HwndWidget(hwnd, parent, Qt::Widget), m_style(style) {
    setFocusPolicy(Qt::NoFocus);
  }
  QString text;
  HBITMAP bitmap = nullptr;
  DWORD m_style;

  QSize sizeHint() const override {
    QSize size = fontMetrics().size(0, text.isEmpty() ? QString(" ") : text);
    return size + QSize(2, 2);
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

  // WM_CTLCOLORSTATIC: the parent may set the text colour on the DC and return a brush for the
  // background, as it does for the platform's statics.
  void AskParentForColours(QPainter* painter, QColor* textColor) {
    HWND parent = GetParent(Hwnd());
    if (!parent) return;
    QImage probe(1, 1, QImage::Format_RGB32);
    HDC dc = gdi_p::CreatePaintDeviceDC(&probe);
    if (!dc) return;
    COLORREF before = RGB(textColor->red(), textColor->green(), textColor->blue());
    SetTextColor(dc, before);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Hwnd())));
    COLORREF after = GetTextColor(dc);
    gdi_p::DestroyDC(dc);
    if (after != before) *textColor = QColor(GetRValue(after), GetGValue(after), GetBValue(after));
    LOGBRUSH fill{};
    if (brush && GetObjectA(brush, sizeof(fill), &fill) == sizeof(fill) && fill.lbStyle == BS_SOLID) {
      painter->fillRect(rect(), QColor(GetRValue(fill.lbColor), GetGValue(fill.lbColor), GetBValue(fill.lbColor)));
    }
  }

  void Draw() {
    QPainter painter(this);
    Qt::Alignment align = Qt::AlignTop | Qt::AlignLeft;
    DWORD kind = m_style & SS_TYPEMASK;
    if (kind == SS_CENTER) align = Qt::AlignTop | Qt::AlignHCenter;
    if (kind == SS_RIGHT) align = Qt::AlignTop | Qt::AlignRight;
    if (m_style & SS_CENTERIMAGE) align = (align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
    if (bitmap) {
      QImage image = BitmapImage(bitmap);
      if (!image.isNull()) {
        QRect target(QPoint(0, 0), image.size());
        if (m_style & SS_CENTERIMAGE) target.moveCenter(rect().center());
        painter.drawImage(target.topLeft(), image);
        return;
      }
    }
    QColor textColor = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    AskParentForColours(&painter, &textColor);
    painter.setPen(textColor);
    painter.drawText(rect(), int(align) | Qt::TextWordWrap, text);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    HwndWidget::mouseReleaseEvent(event);
    if ((m_style & SS_NOTIFY) && rect().contains(event->position().toPoint())) NotifyParent(Hwnd(), STN_CLICKED);
  }
};

}  // namespace

QWidget* CreateStatic(HWND hwnd, DWORD style, QWidget* parent) { return new StaticWidget(hwnd, style, parent); }

LRESULT CALLBACK StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* label = dynamic_cast<StaticWidget*>(WidgetOf(hWnd));
  if (!label) return DefWindowProcA(hWnd, message, wParam, lParam);
  switch (message) {
    case WM_SETTEXT:
      label->text = DisplayText(ToQString(TextIn(lParam)));
      label->updateGeometry();
      label->update();
      break;  // the default keeps the text for WM_GETTEXT
    case WM_PAINT:
      if (label->InPaint()) label->Draw();
      return 0;
    case STM_SETIMAGE: {
      if (wParam != IMAGE_BITMAP) return 0;
      HBITMAP previous = label->bitmap;
      label->bitmap = reinterpret_cast<HBITMAP>(lParam);
      label->update();
      return reinterpret_cast<LRESULT>(previous);
    }
    case STM_GETIMAGE: return reinterpret_cast<LRESULT>(label->bitmap);
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
