// The eight preset generators of CPresetPrintLayoutsDlg; they need no window.
#include "printlayout/PresetPrintLayoutsDlg.h"

int g_nPresetLayoutTopMargin = 50;
int g_nPresetLayoutBottomMargin = 50;
int g_nPresetLayoutLeftMargin = 50;
int g_nPresetLayoutRightMargin = 50;
int g_nPresetLayoutSpacing = 50;
int g_nPresetLayout = 0;

namespace {

// Integer quotient truncated toward zero; 0 for a zero divisor (a page that was never read).
int Div(long long a, long long b) { return b ? static_cast<int>(a / b) : 0; }

RECT Rect(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }

}  // namespace

struct CPresetPrintLayoutsDlg::Region {
  int W, H, L, R, T, B, S, a, b, PW, PH;
  bool Landscape() const { return PH < PW; }
};

CPresetPrintLayoutsDlg::Region CPresetPrintLayoutsDlg::MakeRegion() const {
  Region r;
  r.W = m_nPageWidth;
  r.H = m_nPageHeight;
  r.L = m_nLeftMargin + m_nPrinterLeftMargin;
  r.R = m_nRightMargin + m_nPrinterRightMargin;
  r.T = m_nTopMargin + m_nPrinterTopMargin;
  r.B = m_nBottomMargin + m_nPrinterBottomMargin;
  r.S = m_nSpacing;
  r.a = m_nAspectWidth;
  r.b = m_nAspectHeight;
  r.PW = r.W - r.R - r.L;
  r.PH = r.H - r.B - r.T;
  return r;
}

void CPresetPrintLayoutsDlg::ClearBoxes(int used, const int* selectors, int rotation) {
  for (int i = 0; i < 8; ++i) {
    m_boxes[i] = PhotoboothCustomLayoutBox{};
    if (i < used) {
      m_boxes[i].image = selectors[i];
      m_boxes[i].rotation = rotation;
    }
    m_guides[i] = Rect(0, 0, 0, 0);
  }
  m_nRotation = rotation / 10;
}

void CPresetPrintLayoutsDlg::SingleStrip(int n) {
  const Region g = MakeRegion();
  const int selectors[8] = {1, 2, 3, 4, 0, 0, 0, 0};
  if (!g.Landscape()) {
    ClearBoxes(n, selectors, 0);
    int pw = g.PW, ph = Div(1LL * g.b * g.PW, g.a);
    if (g.H < (n - 1) * g.S + n * ph + g.B + g.T) {
      ph = Div(g.PH - (n - 1) * g.S, n);
      pw = Div(1LL * g.a * ph, g.b);
    }
    const int x = g.L + (g.PW - pw) / 2;
    for (int k = 0; k < n; ++k) {
      const int top = g.T + k * (ph + g.S);
      m_boxes[k].left = x, m_boxes[k].top = top, m_boxes[k].right = x + pw, m_boxes[k].bottom = top + ph;
    }
    for (int k = 1; k < n; ++k)
      m_guides[k - 1] = Rect(g.L, g.T + k * ph + (k - 1) * g.S, g.W - g.R, g.T + k * ph + k * g.S);
  } else {
    ClearBoxes(n, selectors, 2700);
    int f = Div(1LL * g.b * g.PH, g.a), pw = g.PH;
    if (g.W < (n - 1) * g.S + n * f + g.R + g.L) {
      f = Div(g.PW - (n - 1) * g.S, n);
      pw = Div(1LL * g.a * f, g.b);
    }
    const int y = g.T + (g.PH - pw) / 2;
    for (int k = 0; k < n; ++k) {
      const int left = g.L + k * (f + g.S);
      m_boxes[k].left = left, m_boxes[k].top = y, m_boxes[k].right = left + pw, m_boxes[k].bottom = y + f;
    }
    for (int k = 1; k < n; ++k)
      m_guides[k - 1] = Rect(g.L + k * f + (k - 1) * g.S, g.T, g.L + k * f + k * g.S, g.H - g.B);
  }
}

void CPresetPrintLayoutsDlg::DoubleStrip(int n) {
  const Region g = MakeRegion();
  const int selectors3[8] = {1, 2, 3, 1, 2, 3, 0, 0};
  const int selectors4[8] = {1, 2, 3, 4, 1, 2, 3, 4};
  const int* selectors = n == 3 ? selectors3 : selectors4;
  if (!g.Landscape()) {
    ClearBoxes(2 * n, selectors, 0);
    const int c = (g.PW - 2 * g.S) / 2;
    int pw = c, ph = Div(1LL * pw * g.b, g.a);
    if (g.H < (n - 1) * g.S + n * ph + g.B + g.T) {
      ph = Div(g.PH - (n - 1) * g.S, n);
      pw = Div(1LL * g.a * ph, g.b);
    }
    const int xs[2] = {g.L + (c - pw) / 2, (g.W - g.R) - (c - pw) / 2 - pw};
    for (int strip = 0; strip < 2; ++strip)
      for (int k = 0; k < n; ++k) {
        PhotoboothCustomLayoutBox& box = m_boxes[strip * n + k];
        box.left = xs[strip], box.right = box.left + pw;
        box.top = g.T + k * (ph + g.S), box.bottom = box.top + ph;
      }
    for (int k = 1; k < n; ++k)
      m_guides[k - 1] = Rect(g.L, g.T + k * ph + (k - 1) * g.S, g.W - g.R, g.T + k * ph + k * g.S);
    m_guides[7] = Rect(g.L + g.PW / 2 - g.S, g.T, g.L + g.PW / 2 + g.S, g.H - g.B);
  } else {
    ClearBoxes(2 * n, selectors, 2700);
    const int c = (g.PH - 2 * g.S) / 2;
    int pw = c, f = Div(1LL * pw * g.b, g.a);
    if (g.W < (n - 1) * g.S + n * f + g.R + g.L) {
      f = Div(g.PW - (n - 1) * g.S, n);
      pw = Div(1LL * g.a * f, g.b);
    }
    const int ys[2] = {g.T + (c - pw) / 2, (g.H - g.B) - (c - pw) / 2 - pw};
    for (int strip = 0; strip < 2; ++strip)
      for (int k = 0; k < n; ++k) {
        PhotoboothCustomLayoutBox& box = m_boxes[strip * n + k];
        box.left = g.L + k * (f + g.S), box.right = box.left + pw;
        box.top = ys[strip], box.bottom = box.top + f;
      }
    for (int k = 1; k < n; ++k)
      m_guides[k - 1] = Rect(g.L + k * f + (k - 1) * g.S, g.T, g.L + k * f + k * g.S, g.H - g.B);
    m_guides[7] = Rect(g.L, g.T + g.PH / 2 - g.S, g.W - g.R, g.T + g.PH / 2 + g.S);
  }
}

void CPresetPrintLayoutsDlg::LayoutSingleStrip2() { SingleStrip(2); }
void CPresetPrintLayoutsDlg::LayoutSingleStrip3() { SingleStrip(3); }
void CPresetPrintLayoutsDlg::LayoutSingleStrip4() { SingleStrip(4); }
void CPresetPrintLayoutsDlg::LayoutDoubleStrip3() { DoubleStrip(3); }
void CPresetPrintLayoutsDlg::LayoutDoubleStrip4() { DoubleStrip(4); }

void CPresetPrintLayoutsDlg::Layout2RowsOf2() {
  const Region g = MakeRegion();
  const int selectors[8] = {1, 2, 3, 4, 0, 0, 0, 0};
  const int hw = (g.PW - g.S) / 2, hh = (g.PH - g.S) / 2;
  if (g.Landscape()) {
    ClearBoxes(4, selectors, 0);
    int ph = hh, pw = Div(1LL * g.a * hh, g.b);
    if (g.W < g.S + 2 * pw + g.R + g.L) {
      pw = hw;
      ph = Div(1LL * g.b * hw, g.a);
    }
    const POINT corners[4] = {{g.L, g.T}, {g.L + pw + g.S, g.T}, {g.L, g.T + ph + g.S}, {g.L + pw + g.S, g.T + ph + g.S}};
    for (int k = 0; k < 4; ++k) {
      m_boxes[k].left = corners[k].x, m_boxes[k].top = corners[k].y;
      m_boxes[k].right = corners[k].x + pw, m_boxes[k].bottom = corners[k].y + ph;
    }
    m_guides[0] = Rect(g.L, g.T + ph, g.W - g.R, g.T + ph + g.S);
    m_guides[1] = Rect(g.L + pw, g.T, g.L + pw + g.S, g.H - g.B);
  } else {
    ClearBoxes(4, selectors, 2700);
    int f = hw, pw = Div(1LL * g.a * hw, g.b);
    if (g.H < g.S + 2 * pw + g.B + g.T) {
      pw = hh;
      f = Div(1LL * g.b * hh, g.a);
    }
    const int yb = g.H - g.B - pw, yt = g.H - g.B - 2 * pw - g.S;
    const POINT corners[4] = {{g.L, yb}, {g.L, yt}, {g.L + f + g.S, yb}, {g.L + f + g.S, yt}};
    for (int k = 0; k < 4; ++k) {
      m_boxes[k].left = corners[k].x, m_boxes[k].top = corners[k].y;
      m_boxes[k].right = corners[k].x + pw, m_boxes[k].bottom = corners[k].y + f;
    }
    m_guides[0] = Rect(g.L, yb - g.S, g.W - g.R, yb);
    m_guides[1] = Rect(g.L + f, g.T, g.L + f + g.S, g.H - g.B);
  }
}

void CPresetPrintLayoutsDlg::Layout1Large3Small() {
  const Region g = MakeRegion();
  const int selectors[8] = {1, 2, 3, 4, 0, 0, 0, 0};
  if (g.Landscape()) {
    ClearBoxes(4, selectors, 0);
    int sw = (g.PW - 2 * g.S) / 3, sh = Div(1LL * g.b * sw, g.a);
    const int q = (g.PH - g.S) / 2;
    if (q < sh) {
      sw = Div(1LL * q * g.a, g.b);
      sh = q;
    }
    for (int k = 0; k < 3; ++k) {
      PhotoboothCustomLayoutBox& box = m_boxes[k + 1];
      box.left = g.L + k * (sw + g.S), box.right = box.left + sw;
      box.top = g.H - g.B - sh, box.bottom = g.H - g.B;
    }
    const int E = g.H - g.B - g.S - sh;
    int lh = E - g.T, lw = Div(1LL * g.a * lh, g.b);
    if (g.PW < lw) {
      lh = Div(1LL * g.b * g.PW, g.a);
      lw = g.PW;
    }
    m_boxes[0].left = g.L, m_boxes[0].top = E - lh, m_boxes[0].right = g.L + lw, m_boxes[0].bottom = E;
    m_guides[0] = Rect(g.L, E, g.W - g.R, g.H - g.B - sh);
    m_guides[1] = Rect(g.L + sw, g.H - g.B - sh, g.L + sw + g.S, g.H - g.B);
    m_guides[2] = Rect(g.L + 2 * sw + g.S, g.H - g.B - sh, g.L + 2 * sw + 2 * g.S, g.H - g.B);
  } else {
    ClearBoxes(4, selectors, 2700);
    int sw = (g.PH - 2 * g.S) / 3, f = Div(1LL * g.b * sw, g.a);
    const int q = (g.PW - g.S) / 2;
    if (q < f) {
      sw = Div(1LL * q * g.a, g.b);
      f = q;
    }
    const int xc = (g.W - g.R) - f, bottom = g.H - g.B;
    for (int k = 0; k < 3; ++k) {
      PhotoboothCustomLayoutBox& box = m_boxes[k + 1];
      box.top = bottom - k * g.S - (k + 1) * sw, box.bottom = box.top + f;
      box.left = xc, box.right = xc + sw;
    }
    int lf = xc - g.S - g.L, lw = Div(1LL * g.a * lf, g.b);
    if (g.PH < lw) {
      lf = Div(1LL * g.b * g.PH, g.a);
      lw = g.PH;
    }
    m_boxes[0].left = g.L, m_boxes[0].top = bottom - lw, m_boxes[0].right = g.L + lw,
    m_boxes[0].bottom = m_boxes[0].top + lf;
    m_guides[0] = Rect(xc - g.S, g.T, xc, g.H - g.B);
    m_guides[1] = Rect(xc, bottom - g.S - sw, g.W - g.R, bottom - sw);
    m_guides[2] = Rect(xc, bottom - 2 * g.S - 2 * sw, g.W - g.R, bottom - g.S - 2 * sw);
  }
}

void CPresetPrintLayoutsDlg::LayoutSinglePhoto() {
  const Region g = MakeRegion();
  const int selectors[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  PhotoboothCustomLayoutBox& box = m_boxes[0];
  if (g.Landscape()) {
    ClearBoxes(1, selectors, 0);
    int pw = g.PW, ph = Div(1LL * g.b * g.PW, g.a);
    if (g.PH < ph) {
      pw = Div(1LL * g.a * g.PH, g.b);
      ph = g.PH;
    }
    box.left = g.L + (g.PW - pw) / 2, box.top = g.T + (g.PH - ph) / 2;
    box.right = box.left + pw, box.bottom = box.top + ph;
  } else {
    ClearBoxes(1, selectors, 2700);
    int pw = g.PH, f = Div(1LL * g.b * g.PH, g.a);
    if (g.PW < f) {
      f = g.PW;
      pw = Div(1LL * g.a * g.PW, g.b);
    }
    box.left = g.L + (g.PW - f) / 2, box.top = g.T + (g.PH - pw) / 2;
    box.right = box.left + pw, box.bottom = box.top + f;
  }
}

void CPresetPrintLayoutsDlg::GeneratePreset(int code) {
  switch (code) {
    case 1: LayoutSingleStrip4(); break;
    case 2: Layout1Large3Small(); break;
    case 3: Layout2RowsOf2(); break;
    case 4: LayoutDoubleStrip3(); break;
    case 5: LayoutSingleStrip3(); break;
    case 6: LayoutSinglePhoto(); break;
    case 7: LayoutSingleStrip2(); break;
    default: LayoutDoubleStrip4(); break;
  }
}
