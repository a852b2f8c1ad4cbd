#include "keyboard/KeyboardDialog.h"

#include <ctime>

#include "keyboard/BuiltinKeyboard.h"
#include "keyboard/ForbiddenWords.h"
#include "keyboard/KeyboardDialogMetrics_pvt.h"
#include "keyboard/KeyboardFieldText.h"
#include "keyboard/KeyboardLayoutFile.h"
#include "keyboard/KeyboardResource.h"
#include "keyboard/MyMessageBox.h"
#include "platform/user/cursor.h"
#include "platform/user/paint.h"
#include "platform/win32/files.h"
#include "platform/win32/sync.h"

namespace {

void RegisterKeyboardTemplate() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  // An empty popup: the keyboard draws everything itself.
  AfxRegisterDialogTemplate({IDD_KEYBOARD, "Morvane Systems Photobooth - keyboard", {}, WS_POPUP});
}

}  // namespace

CKeyboardDialog::CKeyboardDialog(CWnd* parent, BOOL testMode, int keyboardType)
    : CDialog(IDD_KEYBOARD, parent), m_bTestMode(testMode), m_nowSeconds([] { return static_cast<LONGLONG>(std::time(nullptr)); }) {
  RegisterKeyboardTemplate();
  m_editor.m_type = NormaliseKeyboardType(keyboardType);
  m_editor.m_layout.SetDefaults(m_editor.m_type, 0);
}

CKeyboardDialog::~CKeyboardDialog() {
  for (Gdiplus::Bitmap*& image : m_images) {
    delete image;
    image = nullptr;
  }
  if (m_oldBitmap) m_memDC.SelectObject(m_oldBitmap);
}

BOOL CKeyboardDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowWindow(SW_SHOWMAXIMIZED);
  SetWindowText("Morvane Systems Photobooth - keyboard");
  CRect client;
  GetClientRect(&client);
  {
    CClientDC screen(this);
    m_memDC.CreateCompatibleDC(&screen);
    m_offscreen.CreateCompatibleBitmap(&screen, client.Width(), client.Height());
    m_oldBitmap = m_memDC.SelectObject(&m_offscreen);
  }
  m_gap = client.Width() / 100;
  for (Gdiplus::Bitmap*& image : m_images) {
    delete image;
    image = new Gdiplus::Bitmap(client.Width(), client.Height(), Gdiplus::PixelFormat24bppRGB);
  }
  m_imageOrigin = CPoint(0, 0);
  m_imageSize = CSize(client.Width(), client.Height());

  // Texts the opener filled in stay; everything else starts from the type's defaults.
  KeyboardLayout& layout = m_editor.m_layout;
  CString texts[kKeyboardFieldCount];
  for (int i = 0; i < kKeyboardFieldCount; ++i) texts[i] = layout.m_fields[i].m_text;
  layout = KeyboardLayout();
  layout.SetDefaults(m_editor.m_type, client.Width());
  for (int i = 0; i < kKeyboardFieldCount; ++i) layout.m_fields[i].m_text = texts[i];

  LoadLayout();
  if (!m_textFont.CreatePointFont(layout.m_textPointSize, layout.m_textFontName, &m_memDC)) {
    m_textFont.CreatePointFont(layout.m_textPointSize, "Arial", &m_memDC);
  }
  if (layout.m_keys.GetSize() == 0) {
    AddBuiltinKeys(m_editor.m_type, layout.m_fields[1].IsDefined(), KeyboardGeometry(client.Width(), client.bottom),
                   layout.m_keys);
  }
  ComposeImages();
  LoadImageFiles();

  m_pressedKey = CKey();
  m_editor.StartEditing();
  if (layout.m_transparentColor >= 0) {
    ModifyStyleEx(0, WS_EX_LAYERED);
    SetLayeredWindowAttributes(static_cast<COLORREF>(layout.m_transparentColor), 0, LWA_COLORKEY);
  }
  m_hInvisibleCursor = LoadCursor(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDC_INVISIBLE_CURSOR));
  if (!m_bTestMode && !layout.m_showMouseCursor) SetCursor(m_hInvisibleCursor);
  RecordActivity();
  m_lastToggleTick = GetTickCount64();
  SetTimer(1, 100);
  DrawKeyboard();
  return TRUE;
}

void CKeyboardDialog::LoadLayout() {
  m_layoutName = KeyboardLayoutName(m_editor.m_type);
  if (m_editor.m_type == KeyboardEmail && !PathFileExistsA(m_layoutFolder + "/" + m_layoutName + ".xml")) {
    m_layoutName = "keyboard";
  }
  CString path = m_layoutFolder + "/" + m_layoutName + ".xml";
  CString error;
  if (!ReadKeyboardLayout(path, m_editor.m_layout, &error)) ShowError(error + "\nXML file: " + path);
  error.Empty();
  if (!LoadForbiddenWords(m_layoutFolder, &error)) {
    ShowError(error + "\nXML file: " + m_layoutFolder + "/forbidden_words.xml");
  }
}

void CKeyboardDialog::ShowError(const CString& text) { MessageBox(text, "Tavorin", MB_OK | MB_ICONERROR); }

const CKey* CKeyboardDialog::KeyFromPoint(CPoint point) const {
  if (point.x <= 0 || point.y <= 0 || point.x >= m_imageSize.cx || point.y >= m_imageSize.cy) return nullptr;
  const CArray<CKey, CKey>& keys = m_editor.m_layout.m_keys;
  for (INT_PTR i = 0; i < keys.GetSize(); ++i) {
    if (keys[i].StrictlyContains(point.x, point.y)) return &keys[i];
  }
  return nullptr;
}

BOOL CKeyboardDialog::OnEraseBkgnd(CDC*) { return TRUE; }

BOOL CKeyboardDialog::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (m_bTestMode || m_editor.m_layout.m_showMouseCursor) return CDialog::OnSetCursor(wnd, hitTest, message);
  SetCursor(m_hInvisibleCursor);
  return TRUE;
}

void CKeyboardDialog::OnTimer(UINT_PTR id) {
  if (id == 1) {
    // 0 or less means no time-out, as for the booth's other time-outs.
    LONGLONG seconds = m_nowSeconds();
    if (KeyboardTimeout > 0 && !m_subKeyboardOpen && seconds - m_lastActivity > KeyboardTimeout) {
      KillTimer(1);
      EndDialog(2);
      return;
    }
    ULONGLONG now = GetTickCount64();
    if (!m_captured && now - m_lastReleaseTick > 300 && !m_pressedKey.IsEmpty()) {
      m_pressedKey = CKey();
      DrawKeyboard();
    }
    if (m_editor.CursorMode() && now > m_lastToggleTick + 800 - (m_cursorVisible ? 0 : 400)) {
      m_cursorVisible = !m_cursorVisible;
      m_lastToggleTick = now;
      DrawKeyboard();
    }
  }
  CDialog::OnTimer(id);
}

void CKeyboardDialog::OnLButtonDown(UINT, CPoint point) {
  SetCapture();
  m_captured = true;
  RecordActivity();
  const CKey* key = KeyFromPoint(point - m_imageOrigin);
  m_pressedKey = key ? *key : CKey();
  DrawKeyboard();
}

void CKeyboardDialog::OnMouseMove(UINT, CPoint point) {
  if (!m_captured) return;
  const CKey* key = KeyFromPoint(point - m_imageOrigin);
  CKey now = key ? *key : CKey();
  if (now.SameAs(m_pressedKey)) return;
  m_pressedKey = now;
  DrawKeyboard();
}

void CKeyboardDialog::OnLButtonUp(UINT flags, CPoint point) {
  ReleaseCapture();
  m_captured = false;
  m_lastReleaseTick = GetTickCount64();
  RecordActivity();
  CPoint at = point - m_imageOrigin;
  const CKey* key = KeyFromPoint(at);
  m_pressedKey = key ? *key : CKey();
  DrawKeyboard();
  if ((flags & MK_SHIFT) && (flags & MK_CONTROL)) {
    SaveKeyboardLayout();
    return;
  }
  if (key) {
    CKey pressed = *key;  // the action may change the key list (never today), keep a copy
    Perform(pressed);
    return;
  }
  if (m_editor.m_fieldsInUse > 0) TouchFields(at);
  for (KeyboardCheckBox& box : m_editor.m_layout.m_checkBoxes) {
    if (box.m_y > 0 && at.x >= box.m_x && at.x <= box.m_x + box.m_hitWidth && at.y >= box.m_y &&
        at.y <= box.m_y + box.m_hitHeight) {
      box.m_value = !box.m_value;
    }
  }
  DrawKeyboard();
}

void CKeyboardDialog::TouchFields(CPoint at) {
  int touched = -1;
  for (int i = 0; i < kKeyboardFieldCount; ++i) {
    KeyboardTextField& field = Field(i);
    if (!field.IsDefined() || at.x < field.m_x || at.x > field.m_right || at.y < field.m_y || at.y > field.m_bottom) {
      continue;
    }
    touched = i;
    m_editor.m_currentField = i;
    if (m_editor.CursorMode()) {
      FieldFontMetrics metrics(m_memDC, m_textFont);
      m_editor.m_cursorPosition = CursorFromPoint(field, metrics, at.x, at.y);
      m_cursorVisible = false;
      m_lastToggleTick = GetTickCount64();
    }
  }
  if (touched >= 0 && PathFileExistsA(m_layoutFolder + "/subkeyboard/keyboard.xml")) OpenSubKeyboard(touched);
}

void CKeyboardDialog::OpenSubKeyboard(int field) {
  auto sub = std::make_unique<CKeyboardDialog>(this, FALSE, KeyboardGeneral);
  sub->m_layoutFolder = m_layoutFolder + "/subkeyboard";
  sub->Field(0).m_text = Field(field).m_text;
  m_subKeyboardOpen = true;
  INT_PTR result = sub->DoModal();
  m_subKeyboardOpen = false;
  if (result == 1) Field(field).m_text = sub->Field(0).m_text;
  // The guest was busy on the sub-keyboard: the time-out starts again.
  RecordActivity();
}

void CKeyboardDialog::Perform(const CKey& key) {
  m_lastToggleTick = GetTickCount64();
  m_cursorVisible = true;
  Carry(m_editor.PerformKey(key));
  DrawKeyboard();
}

void CKeyboardDialog::Carry(KeyboardOutcome outcome) {
  switch (outcome) {
    case KeyboardOutcome::None: break;
    case KeyboardOutcome::EmailError:
    case KeyboardOutcome::ProhibitedWord: {
      DrawKeyboard();
      CString text = outcome == KeyboardOutcome::EmailError ? KeyboardEmailErrorMessage
                                                            : CString(KeyboardProhibitedWordMessage);
      CMyMessageBox box(this, text, 3, TRUE);
      box.DoModal();
      break;
    }
    case KeyboardOutcome::Accepted: {
      HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : ::GetParent(m_hWnd);
      if (parent) ::SendMessageA(parent, WM_KEYBOARD_ACCEPTED, 0, 0);
      EndDialog(1);
      break;
    }
    case KeyboardOutcome::Cancelled: EndDialog(2); break;
  }
}

void CKeyboardDialog::OnChar(UINT c, UINT, UINT) {
  if (m_editor.TypeCharacter(static_cast<unsigned char>(c))) DrawKeyboard();
}

BOOL CKeyboardDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->hwnd == m_hWnd && !(msg->lParam & 0x4000)) {
    RecordActivity();
    BOOL consumed = FALSE;
    KeyboardOutcome outcome = m_editor.PressKey(static_cast<UINT>(msg->wParam), &consumed);
    if (consumed) {
      Carry(outcome);
      DrawKeyboard();
      return TRUE;
    }
  }
  return CDialog::PreTranslateMessage(msg);
}

LRESULT CKeyboardDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The tablet asks whether press-and-hold is wanted: it is a touch, and the answer is no.
  if (message == 0x2CC) {
    OnLButtonDown(0, CPoint(LOWORD(lParam), HIWORD(lParam)));
    return 1;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
