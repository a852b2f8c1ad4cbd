#include "printlayout/PhotoboothCustomLayoutDlg.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/wingdi.h"
#include "platform/mfc/colordialog.h"
#include "platform/mfc/winapp.h"
#include "platform/user/cursor.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/messagebox.h"
#include "platform/user/paint.h"
#include "platform/user/winuser.h"
#include "platform/win32/files.h"
#include "platform/win32/sync.h"
#include "platform/winspool/globalmem.h"
#include "printlayout/PhotoboothPrinterSetupDlg.h"
#include "printlayout/PrintLayoutFile.h"
#include "printlayout/PresetPrintLayoutsDlg.h"
#include "printlayout/PrinterMargins.h"
#include "support/ProgramGlobals.h"

const int kLayoutRowCombo[12] = {1138, 1139, 1140, 1141, 1142, 1143, 1144, 1145, 1146, 1147, 1148, 1149};
const int kLayoutRowEdits[12][5] = {{1198, 1199, 1196, 1197, 1200}, {1204, 1205, 1206, 1207, 1240},
                                    {1208, 1209, 1210, 1211, 1241}, {1212, 1213, 1214, 1215, 1242},
                                    {1216, 1217, 1218, 1219, 1243}, {1220, 1221, 1222, 1223, 1244},
                                    {1224, 1225, 1226, 1227, 1245}, {1228, 1229, 1230, 1231, 1246},
                                    {1232, 1233, 1234, 1235, 1247}, {1236, 1237, 1238, 1239, 1248},
                                    {1250, 1251, 1252, 1253, 1254}, {1255, 1256, 1257, 1258, 1259}};
const int kLayoutRowButton[12] = {1328, 1334, 1335, 1336, 1337, 1338, 1339, 1340, 1341, 1342, 1343, 1344};

namespace {

const COLORREF kSelectedRow = 0xC8FFC8;
const COLORREF kUnselectedRow = 0xFFFFFF;

void RegisterResources() {
  static bool done = false;
  if (done) return;
  done = true;
  using K = DlgItemKind;
  DlgTemplate dialogTemplate{IDD_PHOTOBOOTH_CUSTOM_LAYOUT, "Photobooth Custom Layout", {}};
  dialogTemplate.grid.headings = {"Image", "Left", "Top", "Width", "Height", "Angle", ""};
  for (int row = 0; row < kLayoutBoxCount; ++row) {
    std::vector<DlgItem> cells{{kLayoutRowCombo[row], K::Combo, ""}};
    for (int field = 0; field < 5; ++field) cells.push_back({kLayoutRowEdits[row][field], K::Edit, ""});
    cells.push_back({kLayoutRowButton[row], K::Button, "..."});
    dialogTemplate.grid.rows.push_back(cells);
  }
  dialogTemplate.items = {
      {IDC_LAYOUT_SHOW_COLOUR, K::Check, "Show background colour", nullptr, 0, 0, "Images"},
      {IDC_LAYOUT_SWATCH, K::Picture, "Background colour:", nullptr, 40, 16, "Images"},
      {IDC_LAYOUT_CHOOSE_COLOUR, K::Button, "...", nullptr, 0, 0, "Images"},
      {IDC_LAYOUT_SHOW_BACKGROUND, K::Check, "Show background.jpg", nullptr, 0, 0, "Images"},
      {IDC_LAYOUT_IMPORT_BACKGROUND, K::Button, "Import background...", nullptr, 0, 0, "Images"},
      {IDC_LAYOUT_DELETE_BACKGROUND, K::Button, "Delete", nullptr, 0, 0, "Images"},
      {IDC_LAYOUT_SHOW_OVERLAY, K::Check, "Show overlay.png", nullptr, 0, 0, "Images"},
      {IDC_LAYOUT_IMPORT_OVERLAY, K::Button, "Import overlay...", nullptr, 0, 0, "Images"},
      {IDC_LAYOUT_DELETE_OVERLAY, K::Button, "Delete", nullptr, 0, 0, "Images"},
      {IDC_LAYOUT_SHOW_CAPTIONS, K::Check, "Show captions", nullptr, 0, 0, "Captions"},
      {IDC_LAYOUT_EDIT_CAPTIONS, K::Button, "Edit captions...", nullptr, 0, 0, "Captions"},
      {IDC_LAYOUT_SHOW_MARGINS, K::Check, "Show printer margins", nullptr, 0, 0, "Printer"},
      {IDC_LAYOUT_PRINTER_SETUP, K::Button, "Printer Setup...", nullptr, 0, 0, "Printer"},
      {IDC_LAYOUT_TEST_PAGE, K::Button, "Print Test Page", nullptr, 0, 0, "Printer"},
      {IDC_LAYOUT_IMPORT, K::Button, "Import layout...", nullptr, 0, 0, "Layout"},
      {IDC_LAYOUT_EXPORT, K::Button, "Export layout...", nullptr, 0, 0, "Layout"},
      {IDC_LAYOUT_PRESETS, K::Button, "Preset Layouts...", nullptr, 0, 0, "Layout"},
      {IDC_LAYOUT_UNDO, K::Button, "Undo"},
      {IDC_LAYOUT_REDO, K::Button, "Redo"},
      {IDOK, K::DefButton, "OK"},
      {IDCANCEL, K::Button, "Cancel"}};
  dialogTemplate.style |= WS_THICKFRAME | WS_MAXIMIZE;
  dialogTemplate.paintedClientArea = true;
  AfxRegisterDialogTemplate(dialogTemplate);

  const BYTE key = FVIRTKEY, shift = FVIRTKEY | FSHIFT, ctrl = FVIRTKEY | FCONTROL, both = ctrl | FSHIFT;
  const ACCEL keys[] = {{key, VK_UP, ID_LAYOUT_NUDGE_UP},
                        {key, VK_DOWN, ID_LAYOUT_NUDGE_DOWN},
                        {key, VK_LEFT, ID_LAYOUT_NUDGE_LEFT},
                        {key, VK_RIGHT, ID_LAYOUT_NUDGE_RIGHT},
                        {shift, VK_UP, ID_LAYOUT_NUDGE_UP10},
                        {shift, VK_DOWN, ID_LAYOUT_NUDGE_DOWN10},
                        {shift, VK_LEFT, ID_LAYOUT_NUDGE_LEFT10},
                        {shift, VK_RIGHT, ID_LAYOUT_NUDGE_RIGHT10},
                        {ctrl, VK_RIGHT, ID_LAYOUT_TURN_RIGHT},
                        {ctrl, VK_LEFT, ID_LAYOUT_TURN_LEFT},
                        {both, VK_RIGHT, ID_LAYOUT_TURN_RIGHT15},
                        {both, VK_LEFT, ID_LAYOUT_TURN_LEFT15},
                        {ctrl, 'A', ID_LAYOUT_SELECT_ALL},
                        {ctrl, 'P', ID_LAYOUT_SELECT_PHOTOS},
                        {ctrl, 'N', ID_LAYOUT_SELECT_NONE},
                        {ctrl, 'I', ID_LAYOUT_INVERT_SELECTION},
                        {ctrl, 'Z', IDC_LAYOUT_UNDO},
                        {ctrl, 'Y', IDC_LAYOUT_REDO}};
  AddAcceleratorResource(IDR_LAYOUT_EDITOR_KEYS, keys, static_cast<int>(sizeof(keys) / sizeof(keys[0])));
}

HGLOBAL CopyBlock(HGLOBAL block) {
  if (!block) return nullptr;
  const SIZE_T size = GlobalSize(block);
  HGLOBAL copy = size ? GlobalAlloc(GHND, size) : nullptr;
  void* from = copy ? GlobalLock(block) : nullptr;
  void* to = from ? GlobalLock(copy) : nullptr;
  if (to) std::memcpy(to, from, size);
  if (from) GlobalUnlock(block);
  if (to) GlobalUnlock(copy);
  if (copy && !to) copy = GlobalFree(copy);
  return copy;
}

// Copies of the application's printer blocks, so that a cancelled setup can give them back.
void CopyApplicationPrinter(HGLOBAL* devMode, HGLOBAL* devNames) {
  *devMode = *devNames = nullptr;
  CWinApp* app = AfxGetApp();
  if (!app) return;
  if (app->m_pPrinterLock) EnterCriticalSection(app->m_pPrinterLock);
  *devMode = CopyBlock(app->m_hDevMode);
  *devNames = CopyBlock(app->m_hDevNames);
  if (app->m_pPrinterLock) LeaveCriticalSection(app->m_pPrinterLock);
}

CString FormatAngle(double angle) {
  CString text;
  text.Format("%g", angle);
  return text;
}

}  // namespace

CPhotoboothCustomLayoutDlg::CPhotoboothCustomLayoutDlg(CWnd* parent, int aspectWidth, int aspectHeight)
    : CDialog(IDD_PHOTOBOOTH_CUSTOM_LAYOUT, parent), m_nAspectWidth(aspectWidth), m_nAspectHeight(aspectHeight) {
  RegisterResources();
  m_model.aspectWidth = aspectWidth;
  m_model.aspectHeight = aspectHeight;
  m_renderer.m_recordUndo = [this](int tag) { RecordUndo(tag); };
  m_editor.redraw = [this](int tag) { Redraw(tag); };
  m_editor.refreshControls = [this] { UpdateControls(); };
  m_editor.capture = [this](bool on) {
    if (on)
      ::SetCapture(m_hWnd);
    else if (::GetCapture() == m_hWnd)
      ::ReleaseCapture();
  };
  m_editor.messageBox = [this](const char* text, UINT type) { return Ask(text, type); };
}

CPhotoboothCustomLayoutDlg::~CPhotoboothCustomLayoutDlg() {
  if (m_hSwatch) DeleteObject(m_hSwatch);
}

int CPhotoboothCustomLayoutDlg::Ask(const char* text, UINT type) { return ::MessageBoxA(m_hWnd, text, "Tavorin", type); }

CString CPhotoboothCustomLayoutDlg::LayerPath(const char* name) const { return m_strImageDir + "/" + name; }

void CPhotoboothCustomLayoutDlg::ReadPageMetrics() {
  m_model.pageWidth = m_model.pageHeight = m_model.dpiX = m_model.dpiY = 0;
  if (HDC dc = CreateApplicationPrinterDC()) {
    m_model.pageWidth = GetDeviceCaps(dc, HORZRES);
    m_model.pageHeight = GetDeviceCaps(dc, VERTRES);
    m_model.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    m_model.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    DeleteDC(dc);
  }
}

BOOL CPhotoboothCustomLayoutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  DragAcceptFiles(TRUE);
  ShowWindow(SW_SHOWMAXIMIZED);
  SetWindowText("Photobooth Custom Layout: " + m_strImageDir);
  for (int row = 0; row < kLayoutBoxCount; ++row)
    for (int field = 0; field < 5; ++field) m_edits[row][field].SubclassDlgItem(kLayoutRowEdits[row][field], this);
  m_renderer.m_selectedBoxes.clear();
  m_renderer.m_selectedCaptions.clear();
  m_renderer.m_strImagesFolder = m_strImageDir;
  m_undo.clear();
  m_nUndoPosition = 0;
  m_bUndoSuspended = false;
  m_nLastUndoTag = 0;
  GetPrinterMargins(m_model.leftMargin, m_model.topMargin, m_model.rightMargin, m_model.bottomMargin);
  m_hAccelerators = LoadAccelerators(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_LAYOUT_EDITOR_KEYS));
  HINSTANCE program = AfxGetInstanceHandle() ? AfxGetInstanceHandle() : reinterpret_cast<HINSTANCE>(0x400000);
  m_hMoveCursor = LoadCursor(program, MAKEINTRESOURCE(IDC_LAYOUT_CURSOR_MOVE));
  m_hRotateCursor = LoadCursor(program, MAKEINTRESOURCE(IDC_LAYOUT_CURSOR_ROTATE));
  m_hSizeAllCursor = LoadCursor(nullptr, IDC_SIZEALL);
  m_hArrowCursor = LoadCursor(nullptr, IDC_ARROW);

  m_model.photos = std::clamp(m_nNumberOfPhotos, 0, kMaxLayoutPhotos);
  m_model.background = m_backgroundColour;
  for (int i = 0; i < kLayoutBoxCount; ++i) m_model.boxes[i] = StoredToEditBox(m_layoutBoxes[i], m_model.photos);
  for (int i = 0; i < kLayoutCaptionCount; ++i) m_model.captions[i] = m_captions[i];
  FillCombos();
  ReadPageMetrics();
  SetTimer(1, 500, nullptr);
  MoveDataToControls();
  UpdateControls();
  m_bInitialised = true;
  return TRUE;
}

void CPhotoboothCustomLayoutDlg::FillCombos() {
  for (int row = 0; row < kLayoutBoxCount; ++row) {
    HWND combo = ::GetDlgItem(m_hWnd, kLayoutRowCombo[row]);
    if (!combo) continue;
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("None"));
    for (int photo = 1; photo <= m_model.photos; ++photo) {
      CString text;
      text.Format("%d", photo);
      ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<const char*>(text)));
    }
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("QR code"));
  }
}

int CPhotoboothCustomLayoutDlg::ControlsRight() const {
  RECT button{0, 0, 0, 0};
  if (HWND dots = ::GetDlgItem(m_hWnd, kLayoutRowButton[0])) {
    ::GetWindowRect(dots, &button);
    POINT corner{button.right, button.bottom};
    ::ScreenToClient(m_hWnd, &corner);
    return corner.x;
  }
  return 0;
}

void CPhotoboothCustomLayoutDlg::MoveDataToControls() {
  if (!m_hWnd) return;
  for (int row = 0; row < kLayoutBoxCount; ++row) {
    const LayoutEditBox& box = m_model.boxes[row];
    ::SendDlgItemMessageA(m_hWnd, kLayoutRowCombo[row], CB_SETCURSEL,
                          static_cast<WPARAM>(std::clamp(box.image, 0, m_model.photos + 1)), 0);
    const int values[4] = {box.left, box.top, box.width, box.height};
    for (int field = 0; field < 5; ++field) {
      CString text;
      if (field < 4)
        text.Format("%d", values[field]);
      else
        text = FormatAngle(box.rotation);
      CString now;
      GetDlgItemText(kLayoutRowEdits[row][field], now);
      if (now != text) SetDlgItemText(kLayoutRowEdits[row][field], text);
      m_shownText[row][field] = text;
    }
  }
  const LayoutShowFlags& show = PhotoboothLayoutRenderer::s_show;
  CheckDlgButton(IDC_LAYOUT_SHOW_BACKGROUND, show.background ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_LAYOUT_SHOW_OVERLAY, show.overlay ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_LAYOUT_SHOW_CAPTIONS, show.captions ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_LAYOUT_SHOW_COLOUR, show.backgroundColour ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_LAYOUT_SHOW_MARGINS, show.printerMargins ? BST_CHECKED : BST_UNCHECKED);
}

void CPhotoboothCustomLayoutDlg::ReadControls() {
  if (!m_hWnd) return;
  for (int row = 0; row < kLayoutBoxCount; ++row) {
    LayoutEditBox& box = m_model.boxes[row];
    const LRESULT selected = ::SendDlgItemMessageA(m_hWnd, kLayoutRowCombo[row], CB_GETCURSEL, 0, 0);
    if (selected >= 0) box.image = static_cast<int>(selected);
    ReadRow(row);
  }
  LayoutShowFlags& show = PhotoboothLayoutRenderer::s_show;
  show.background = IsDlgButtonChecked(IDC_LAYOUT_SHOW_BACKGROUND) == BST_CHECKED;
  show.overlay = IsDlgButtonChecked(IDC_LAYOUT_SHOW_OVERLAY) == BST_CHECKED;
  show.captions = IsDlgButtonChecked(IDC_LAYOUT_SHOW_CAPTIONS) == BST_CHECKED;
  show.backgroundColour = IsDlgButtonChecked(IDC_LAYOUT_SHOW_COLOUR) == BST_CHECKED;
  show.printerMargins = IsDlgButtonChecked(IDC_LAYOUT_SHOW_MARGINS) == BST_CHECKED;
}

void CPhotoboothCustomLayoutDlg::ReadRow(int row) {
  if (!m_hWnd || row < 0 || row >= kLayoutBoxCount) return;
  LayoutEditBox& box = m_model.boxes[row];
  int* values[4] = {&box.left, &box.top, &box.width, &box.height};
  for (int field = 0; field < 4; ++field) {
    CString text;
    GetDlgItemText(kLayoutRowEdits[row][field], text);
    *values[field] = ParseLayoutInt(text);
  }
  CString angle;
  GetDlgItemText(kLayoutRowEdits[row][4], angle);
  char* end = nullptr;
  const double value = std::strtod(angle, &end);
  box.rotation = std::isfinite(value) ? value : 0.0;
}

bool CPhotoboothCustomLayoutDlg::ReadTypedRows() {
  if (!m_hWnd || !m_bInitialised) return false;
  bool read = false;
  for (int row = 0; row < kLayoutBoxCount; ++row) {
    for (int field = 0; field < 5; ++field) {
      CString now;
      GetDlgItemText(kLayoutRowEdits[row][field], now);
      if (now == m_shownText[row][field]) continue;
      ReadRow(row);
      read = true;
      break;
    }
  }
  return read;
}

bool CPhotoboothCustomLayoutDlg::RowEditOf(int id, int& row, int& field) {
  for (row = 0; row < kLayoutBoxCount; ++row)
    for (field = 0; field < 5; ++field)
      if (kLayoutRowEdits[row][field] == id) return true;
  return false;
}

void CPhotoboothCustomLayoutDlg::PaintSwatch() {
  HWND swatch = ::GetDlgItem(m_hWnd, IDC_LAYOUT_SWATCH);
  if (!swatch) return;
  RECT client{0, 0, 0, 0};
  ::GetClientRect(swatch, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  HDC screen = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(screen, bitmap);
  HBRUSH fill = CreateSolidBrush(m_model.background);
  FillRect(screen, &client, fill);
  DeleteObject(fill);
  HGDIOBJ oldPen = SelectObject(screen, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(screen, GetStockObject(NULL_BRUSH));
  Rectangle(screen, 0, 0, client.right, client.bottom);
  SelectObject(screen, oldBrush);
  SelectObject(screen, oldPen);
  SelectObject(screen, old);
  DeleteDC(screen);
  ::SendMessageA(swatch, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  if (m_hSwatch) DeleteObject(m_hSwatch);
  m_hSwatch = bitmap;
}

void CPhotoboothCustomLayoutDlg::UpdateControls() {
  if (!m_hWnd) return;
  for (int row = 0; row < kLayoutBoxCount; ++row) {
    const bool used = m_model.boxes[row].image >= 1;
    const std::vector<int>& selected = m_renderer.m_selectedBoxes;
    const bool isSelected = std::find(selected.begin(), selected.end(), row) != selected.end();
    const COLORREF colour = !used ? 0 : isSelected ? kSelectedRow : kUnselectedRow;
    for (CMyEdit& edit : m_edits[row])
      if (edit.m_hWnd) edit.SetBackgroundColour(colour);
    ::EnableWindow(::GetDlgItem(m_hWnd, kLayoutRowButton[row]), used);
  }
  const bool captions = IsDlgButtonChecked(IDC_LAYOUT_SHOW_CAPTIONS) == BST_CHECKED;
  // A child dialog the opener did not give stays greyed.
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_EDIT_CAPTIONS), captions && m_childDialogs.editCaptions);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_IMPORT), m_childDialogs.browseTemplates != nullptr);
  PaintSwatch();
  const bool background = PathFileExistsA(LayerPath("background.jpg"));
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_SHOW_BACKGROUND),
                 background || PathFileExistsA(LayerPath("header.jpg")) || PathFileExistsA(LayerPath("footer.jpg")));
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_DELETE_BACKGROUND), background);
  const bool overlay = PathFileExistsA(LayerPath("overlay.png"));
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_SHOW_OVERLAY), overlay);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_DELETE_OVERLAY), overlay);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_CHOOSE_COLOUR),
                 IsDlgButtonChecked(IDC_LAYOUT_SHOW_COLOUR) == BST_CHECKED);
  if (!::GetFocus()) ::SetFocus(::GetDlgItem(m_hWnd, kLayoutRowCombo[0]));
}

void CPhotoboothCustomLayoutDlg::DrawLayout(HDC dc, int undoTag) {
  RECT client{0, 0, 0, 0};
  GetClientRect(&client);
  m_renderer.DrawLayout(dc, client.right, client.bottom, ControlsRight(), undoTag);
}

void CPhotoboothCustomLayoutDlg::Redraw(int undoTag) {
  if (!m_hWnd) return;
  // A value typed but not yet taken would be written over by the boxes below.
  ReadTypedRows();
  if (HDC dc = ::GetDC(m_hWnd)) {
    DrawLayout(dc, undoTag);
    ::ReleaseDC(m_hWnd, dc);
  }
  MoveDataToControls();
}

// ---- Undo ----

LayoutUndoSnapshot CPhotoboothCustomLayoutDlg::CurrentState() const {
  LayoutUndoSnapshot state;
  state.photos = m_model.photos;
  state.background = m_model.background;
  state.show = PhotoboothLayoutRenderer::s_show;
  state.boxSelection = m_renderer.m_selectedBoxes;
  state.captionSelection = m_renderer.m_selectedCaptions;
  for (int i = 0; i < kLayoutBoxCount; ++i) state.boxes[i] = m_model.boxes[i];
  for (int i = 0; i < kLayoutCaptionCount; ++i) state.captions[i] = m_model.captions[i];
  return state;
}

bool CPhotoboothCustomLayoutDlg::SameState(const LayoutUndoSnapshot& a, const LayoutUndoSnapshot& b) {
  const LayoutShowFlags &x = a.show, &y = b.show;
  if (a.photos != b.photos || a.background != b.background || x.background != y.background ||
      x.overlay != y.overlay || x.captions != y.captions || x.backgroundColour != y.backgroundColour ||
      x.printerMargins != y.printerMargins || a.boxSelection != b.boxSelection ||
      a.captionSelection != b.captionSelection)
    return false;
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    const LayoutEditBox &p = a.boxes[i], &q = b.boxes[i];
    if (p.image != q.image || p.rotation != q.rotation || p.left != q.left || p.top != q.top || p.width != q.width ||
        p.height != q.height)
      return false;
  }
  for (int i = 0; i < kLayoutCaptionCount; ++i)
    if (a.captions[i] != b.captions[i]) return false;
  return true;
}

void CPhotoboothCustomLayoutDlg::UpdateUndoButtons() {
  if (!m_hWnd) return;
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_UNDO), m_nUndoPosition > 0);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAYOUT_REDO), m_nUndoPosition + 1 < static_cast<int>(m_undo.size()));
}

void CPhotoboothCustomLayoutDlg::RecordUndo(int tag) {
  if (m_bUndoSuspended) {
    m_nLastUndoTag = 0;
    return;
  }
  LayoutUndoSnapshot state = CurrentState();
  if (!m_undo.empty()) {
    m_nUndoPosition = std::clamp(m_nUndoPosition, 0, static_cast<int>(m_undo.size()) - 1);
    if (SameState(state, m_undo[m_nUndoPosition])) {
      m_nLastUndoTag = tag;
      return;
    }
    m_undo.erase(m_undo.begin() + m_nUndoPosition + 1, m_undo.end());
  }
  if (tag != 0 && tag == m_nLastUndoTag && !m_undo.empty())
    m_undo.back() = std::move(state);
  else
    m_undo.push_back(std::move(state));
  m_nUndoPosition = static_cast<int>(m_undo.size()) - 1;
  UpdateUndoButtons();
  m_nLastUndoTag = tag;
}

void CPhotoboothCustomLayoutDlg::RestoreUndo() {
  if (m_undo.empty()) return;
  m_nUndoPosition = std::clamp(m_nUndoPosition, 0, static_cast<int>(m_undo.size()) - 1);
  const LayoutUndoSnapshot& state = m_undo[m_nUndoPosition];
  m_bUndoSuspended = true;
  const bool margins = PhotoboothLayoutRenderer::s_show.printerMargins;
  if (m_model.photos != state.photos) {
    m_model.photos = state.photos;
    FillCombos();
  }
  m_model.background = state.background;
  PhotoboothLayoutRenderer::s_show = state.show;
  PhotoboothLayoutRenderer::s_show.printerMargins = margins;
  m_renderer.m_selectedBoxes = state.boxSelection;
  m_renderer.m_selectedCaptions = state.captionSelection;
  for (int i = 0; i < kLayoutBoxCount; ++i) m_model.boxes[i] = state.boxes[i];
  for (int i = 0; i < kLayoutCaptionCount; ++i) m_model.captions[i] = state.captions[i];
  if (margins != state.show.printerMargins) {
    PhotoboothLayoutRenderer::s_show.printerMargins = state.show.printerMargins;
    Invalidate();
  }
  MoveDataToControls();
  UpdateControls();
  Redraw(0);
  m_bUndoSuspended = false;
  UpdateUndoButtons();
}

void CPhotoboothCustomLayoutDlg::OnUndo() {
  if (m_nUndoPosition <= 0) return;
  --m_nUndoPosition;
  RestoreUndo();
}

void CPhotoboothCustomLayoutDlg::OnRedo() {
  if (m_nUndoPosition + 1 >= static_cast<int>(m_undo.size())) return;
  ++m_nUndoPosition;
  RestoreUndo();
}

// ---- Commands ----

void CPhotoboothCustomLayoutDlg::OnComboChanged(int row) {
  ReadControls();
  LayoutEditBox& box = m_model.boxes[row];
  if (box.image >= 1 && (box.width <= 10 || box.height <= 10))
    ApplyDefaultBoxSize(box, m_model.photos, m_model.pageWidth, m_model.pageHeight, m_nAspectWidth, m_nAspectHeight);
  m_renderer.m_selectedBoxes.clear();
  m_renderer.m_selectedCaptions.clear();
  if (box.image >= 1) m_renderer.m_selectedBoxes.push_back(row);
  Redraw(0);
  UpdateControls();
}

void CPhotoboothCustomLayoutDlg::OnShowClicked(int id) {
  const bool marginsBefore = PhotoboothLayoutRenderer::s_show.printerMargins;
  ReadControls();
  if (id == IDC_LAYOUT_SHOW_CAPTIONS) m_renderer.m_selectedCaptions.clear();
  UpdateControls();
  if (id == IDC_LAYOUT_SHOW_MARGINS && marginsBefore && !PhotoboothLayoutRenderer::s_show.printerMargins) {
    // The margin strips go back to the dialog's background.
    Invalidate();
    return;
  }
  Redraw(0);
}

void CPhotoboothCustomLayoutDlg::OnChooseColour() {
  CColorDialog dialog(m_model.background, CC_RGBINIT | CC_SOLIDCOLOR | CC_ANYCOLOR, this);
  if (dialog.DoModal() != IDOK) return;
  m_model.background = dialog.GetColor();
  PaintSwatch();
  Redraw(0);
}

void CPhotoboothCustomLayoutDlg::OnPresets() {
  CPresetPrintLayoutsDlg presets(this, m_nAspectWidth, m_nAspectHeight);
  if (presets.DoModal() != IDOK) return;
  int photos = 0;
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    const PhotoboothCustomLayoutBox& stored = presets.m_boxes[i];
    LayoutEditBox& box = m_model.boxes[i];
    box.image = stored.image;
    box.left = stored.left;
    box.top = stored.top;
    box.width = stored.right - stored.left;
    box.height = stored.bottom - stored.top;
    box.rotation = stored.rotation / 10.0;
    photos = std::max(photos, stored.image);
  }
  m_model.photos = std::min(photos, kMaxLayoutPhotos);
  FillCombos();
  m_renderer.m_selectedBoxes.clear();
  m_renderer.m_selectedCaptions.clear();
  Redraw(0);
  UpdateControls();
}

void CPhotoboothCustomLayoutDlg::OnPrinterSetup() {
  CWinApp* app = AfxGetApp();
  HGLOBAL devMode = nullptr, devNames = nullptr;
  CopyApplicationPrinter(&devMode, &devNames);
  const int oldX = (m_model.leftMargin + m_model.pageWidth - m_model.rightMargin) / 2;
  const int oldY = (m_model.topMargin + m_model.pageHeight - m_model.bottomMargin) / 2;
  CPhotoboothPrinterSetupDlg dialog(this);
  if (dialog.DoModal() == IDOK) {
    m_renderer.DropAllCaches();
    ReadPageMetrics();
    m_nUndoPosition = 0;
    GetPrinterMargins(m_model.leftMargin, m_model.topMargin, m_model.rightMargin, m_model.bottomMargin);
    // The layout keeps its place on the printable area.
    const int dx = (m_model.leftMargin + m_model.pageWidth - m_model.rightMargin) / 2 - oldX;
    const int dy = (m_model.topMargin + m_model.pageHeight - m_model.bottomMargin) / 2 - oldY;
    for (LayoutEditBox& box : m_model.boxes) box.left += dx, box.top += dy;
    for (PhotoboothCaption& caption : m_model.captions) caption.m_nLeft += dx, caption.m_nTop += dy;
    Invalidate();
    Redraw(0);
    UpdateControls();
    if (devMode) GlobalFree(devMode);
    if (devNames) GlobalFree(devNames);
  } else if (app && devNames) {
    app->SelectPrinter(devNames, devMode, TRUE);
  } else {
    if (devMode) GlobalFree(devMode);
    if (devNames) GlobalFree(devNames);
  }
}

void CPhotoboothCustomLayoutDlg::OnContextMenu(POINT client) {
  if (::GetCapture()) return;
  m_editor.PrepareContextMenu(0, client);
  const std::vector<LayoutMenuEntry> entries = m_editor.BuildContextMenu();
  std::function<HMENU(const std::vector<LayoutMenuEntry>&)> build = [&](const std::vector<LayoutMenuEntry>& list) {
    HMENU menu = CreatePopupMenu();
    for (const LayoutMenuEntry& entry : list) {
      if (!entry.submenu.empty()) {
        AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(build(entry.submenu)), entry.text.c_str());
      } else if (entry.id == 0) {
        AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
      } else {
        // Commands whose dialogs the opener did not give stay greyed.
        const bool missing = (entry.id == ID_LAYOUT_EDIT_CAPTION && !m_childDialogs.editCaptions) ||
                             (entry.id == ID_LAYOUT_EDIT_QRCODE && !m_childDialogs.editQRCode);
        AppendMenu(menu, MF_STRING | (entry.enabled && !missing ? MF_ENABLED : MF_GRAYED), entry.id,
                   entry.text.c_str());
      }
    }
    return menu;
  };
  HMENU menu = build(entries);
  POINT screen = client;
  ::ClientToScreen(m_hWnd, &screen);
  m_editor.m_bContextMenu = true;
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x,
                                                       screen.y, 0, m_hWnd, nullptr));
  m_editor.m_bContextMenu = false;
  DestroyMenu(menu);
  if (chosen) SendMessage(WM_COMMAND, chosen, 0);
}

BOOL CPhotoboothCustomLayoutDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  if (int row = 0, field = 0; RowEditOf(id, row, field)) {
    // Leaving a row's edit takes what was typed there.
    if (code == EN_KILLFOCUS && m_bInitialised && ReadTypedRows()) {
      Redraw(0);
      UpdateControls();
    }
    return TRUE;
  }
  for (int row = 0; row < kLayoutBoxCount; ++row) {
    if (id == kLayoutRowCombo[row]) {
      if (code == CBN_SELCHANGE) OnComboChanged(row);
      return TRUE;
    }
    if (id == kLayoutRowButton[row]) {
      OnEditPosition(row);
      return TRUE;
    }
  }
  if (id == ID_LAYOUT_EDIT_POSITION) {
    if (m_renderer.m_selectedBoxes.size() == 1) OnEditPosition(m_renderer.m_selectedBoxes[0]);
    return TRUE;
  }
  switch (id) {
    case IDC_LAYOUT_SHOW_BACKGROUND:
    case IDC_LAYOUT_SHOW_OVERLAY:
    case IDC_LAYOUT_SHOW_COLOUR:
    case IDC_LAYOUT_SHOW_CAPTIONS:
    case IDC_LAYOUT_SHOW_MARGINS:
      if (code == BN_CLICKED) OnShowClicked(id);
      return TRUE;
    case IDC_LAYOUT_CHOOSE_COLOUR: OnChooseColour(); return TRUE;
    case IDC_LAYOUT_IMPORT_BACKGROUND: ImportLayer(true); return TRUE;
    case IDC_LAYOUT_IMPORT_OVERLAY: ImportLayer(false); return TRUE;
    case IDC_LAYOUT_DELETE_BACKGROUND: DeleteLayer(true); return TRUE;
    case IDC_LAYOUT_DELETE_OVERLAY: DeleteLayer(false); return TRUE;
    case IDC_LAYOUT_PRINTER_SETUP: OnPrinterSetup(); return TRUE;
    case IDC_LAYOUT_PRESETS: OnPresets(); return TRUE;
    case IDC_LAYOUT_EXPORT: OnExportLayout(); return TRUE;
    case IDC_LAYOUT_IMPORT: OnImportLayout(); return TRUE;
    case IDC_LAYOUT_EDIT_CAPTIONS: OnEditCaptions(); return TRUE;
    case ID_LAYOUT_EDIT_QRCODE: OnEditQRCode(); return TRUE;
    case IDC_LAYOUT_TEST_PAGE: PrintLayout(); return TRUE;
    case IDC_LAYOUT_UNDO: OnUndo(); return TRUE;
    case IDC_LAYOUT_REDO: OnRedo(); return TRUE;
    default: break;
  }
  // The editor's keys and menu entries act on the boxes as typed.
  if (ReadTypedRows()) Redraw(0);
  if (m_editor.OnCommand(static_cast<UINT>(id))) return TRUE;
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CPhotoboothCustomLayoutDlg::PreTranslateMessage(MSG* msg) {
  // Return in a row's edit takes its values; it does not close the editor as OK would.
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
    int row = 0, field = 0;
    if (RowEditOf(::GetDlgCtrlID(msg->hwnd), row, field) && ::GetParent(msg->hwnd) == m_hWnd) {
      ReadTypedRows();
      Redraw(0);
      UpdateControls();
      return TRUE;
    }
  }
  // Auto-repeated key-downs pass too, so a held arrow keeps nudging.
  if (msg->message == WM_KEYDOWN && !(msg->lParam & 0x4000) && m_hAccelerators &&
      TranslateAccelerator(m_hWnd, m_hAccelerators, msg))
    return TRUE;
  return CDialog::PreTranslateMessage(msg);
}

BOOL CPhotoboothCustomLayoutDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(m_hWnd, &paint)) {
        DrawLayout(dc, 0);
        EndPaint(m_hWnd, &paint);
      }
      if (result) *result = 0;
      return TRUE;
    }
    case WM_SIZE:
      if (m_bInitialised) {
        CDialog::OnWndMsg(message, wParam, lParam, result);
        Invalidate();
        m_renderer.DropSizeCaches();
        Redraw(0);
        return TRUE;
      }
      break;
    case WM_GETMINMAXINFO:
      if (auto* info = reinterpret_cast<MINMAXINFO*>(lParam)) {
        info->ptMinTrackSize.x = 640;
        info->ptMinTrackSize.y = 480;
      }
      if (result) *result = 0;
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The click finds the boxes where the typed values put them.
      if (ReadTypedRows()) Redraw(0);
      if (m_editor.OnLButtonDown(static_cast<UINT>(wParam), point)) {
        if (result) *result = 0;
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      m_editor.OnMouseMove(static_cast<UINT>(wParam), point);
      break;
    case WM_LBUTTONUP:
      if (m_editor.m_nDragMode || ::GetCapture() == m_hWnd) m_editor.OnLButtonUp(static_cast<UINT>(wParam), point);
      break;
    case WM_RBUTTONUP:
      OnContextMenu(point);
      if (result) *result = 0;
      return TRUE;
    case WM_SETCURSOR: {
      HCURSOR cursor = nullptr;
      switch (m_editor.CursorToShow()) {
        case LayoutCursor::Move: cursor = m_hMoveCursor; break;
        case LayoutCursor::Rotate: cursor = m_hRotateCursor; break;
        case LayoutCursor::SizeAll: cursor = m_hSizeAllCursor; break;
        case LayoutCursor::None: break;
      }
      if (cursor && reinterpret_cast<HWND>(wParam) == m_hWnd) {
        ::SetCursor(cursor);
        if (result) *result = TRUE;
        return TRUE;
      }
      break;
    }
    case WM_TIMER:
      if (wParam == 1) {
        OnTimer1();
        if (result) *result = 0;
        return TRUE;
      }
      break;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      if (result) *result = 0;
      return TRUE;
    default: break;
  }
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}

void CPhotoboothCustomLayoutDlg::OnEditPosition(int row) {
  if (row < 0 || row >= kLayoutBoxCount || m_model.boxes[row].image < 1 || m_pPositionDlg) return;
  m_renderer.m_selectedBoxes.assign(1, row);
  m_renderer.m_selectedCaptions.clear();
  Redraw(0);
  UpdateControls();
  const LayoutEditBox before = m_model.boxes[row];
  CPhotoPositionEditDlg dialog(this);
  dialog.m_box = before;
  m_bUndoSuspended = true;
  m_pPositionDlg = &dialog;
  const INT_PTR result = dialog.DoModal();
  m_pPositionDlg = nullptr;
  LayoutEditBox& box = m_model.boxes[row];
  if (result == IDOK) {
    box = dialog.m_box;
    if (box.width <= 0 && m_nAspectHeight) box.width = box.height * m_nAspectWidth / m_nAspectHeight;
    if (box.height <= 0 && m_nAspectWidth) box.height = box.width * m_nAspectHeight / m_nAspectWidth;
  } else {
    box = before;
  }
  m_bUndoSuspended = false;
  Redraw(0);
  UpdateControls();
}

void CPhotoboothCustomLayoutDlg::OnTimer1() {
  if (MirrorCaptionEditor()) Redraw(0);
  CPhotoPositionEditDlg* dialog = m_pPositionDlg;
  if (!dialog || !dialog->m_hWnd || m_renderer.m_selectedBoxes.size() != 1) return;
  const int row = m_renderer.m_selectedBoxes[0];
  LayoutEditBox& typed = dialog->m_box;
  const LayoutEditBox& box = m_model.boxes[row];
  const bool same = typed.image == box.image && typed.rotation == box.rotation && typed.left == box.left &&
                    typed.top == box.top && typed.width == box.width && typed.height == box.height;
  if (same && !dialog->m_bMoveToCenter) return;
  if (dialog->m_bMoveToCenter) {
    dialog->m_bMoveToCenter = FALSE;
    const int pageWidth = m_model.pageWidth, pageHeight = m_model.pageHeight;
    if (typed.width > pageWidth || typed.height > pageHeight || typed.width < 101 || typed.height < 51) {
      // Too big or too small to centre sensibly: a fresh box of a third of the page.
      typed.rotation = 0;
      typed.width = pageWidth / 3;
      typed.height = m_nAspectWidth ? typed.width * m_nAspectHeight / m_nAspectWidth : typed.width;
      typed.left = (pageWidth - typed.width) / 2;
      typed.top = (pageHeight - typed.height) / 2;
    } else {
      const LayoutBoxOutline outline = ComputeBoxOutline(typed.left, typed.top, typed.width, typed.height, typed.rotation);
      typed.left += pageWidth / 2 - outline.centre.x;
      typed.top += pageHeight / 2 - outline.centre.y;
    }
    dialog->PushValues();
  }
  LayoutEditBox copy = typed;
  if (copy.width < 1 && m_nAspectHeight) copy.width = copy.height * m_nAspectWidth / m_nAspectHeight;
  if (copy.height < 1 && m_nAspectWidth) copy.height = copy.width * m_nAspectHeight / m_nAspectWidth;
  m_model.boxes[row] = copy;
  Redraw(0);
}

void CPhotoboothCustomLayoutDlg::OnOK() {
  ReadControls();
  CString missing;
  for (int photo = 1; photo <= m_model.photos; ++photo) {
    bool used = false;
    for (const LayoutEditBox& box : m_model.boxes) used = used || box.image == photo;
    if (used) continue;
    CString line;
    line.Format("image %d not defined\n", photo);
    missing += line;
  }
  if (!missing.IsEmpty() && Ask("ERROR:\n" + missing + "\n\nDo you want to save the settings?", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  for (int i = 0; i < kLayoutBoxCount; ++i) m_layoutBoxes[i] = EditToStoredBox(m_model.boxes[i], m_model.photos);
  for (int i = 0; i < kLayoutCaptionCount; ++i) m_captions[i] = m_model.captions[i];
  m_nNumberOfPhotos = m_model.photos;
  m_backgroundColour = m_model.background;
  KillTimer(1);
  m_bInitialised = false;  // the focus leaving the edits as the window goes reads nothing
  EndDialog(IDOK);
}

void CPhotoboothCustomLayoutDlg::OnCancel() {
  KillTimer(1);
  m_bInitialised = false;
  CDialog::OnCancel();
}
