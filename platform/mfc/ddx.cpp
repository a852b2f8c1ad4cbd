#include "platform/mfc/ddx.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/mfc/winapp.h"

namespace {

// The framework's prompts, with %1 and %2 filled in.
const char kParseInt[] = "Please enter an integer.";
const char kParseReal[] = "Please enter a number.";
const char kIntRange[] = "Please enter an integer between %1 and %2.";
const char kRealRange[] = "Please enter a number between %1 and %2.";
const char kMaxChars[] = "Please enter no more than %1 characters.";

CString FormatPrompt(const char* prompt, const CString& first, const CString& second = CString()) {
  CString text(prompt);
  text.Replace("%1", first);
  text.Replace("%2", second);
  return text;
}

[[noreturn]] void Refuse(CDataExchange* dx, const CString& text) {
  AfxMessageBox(text, MB_ICONEXCLAMATION);
  dx->Fail();
}

CString ControlText(CDataExchange* dx, int id) {
  HWND control = dx->PrepareEditCtrl(id);
  CString text;
  if (control) {
    int length = ::GetWindowTextLengthA(control);
    ::GetWindowTextA(control, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer();
  }
  return text;
}

void SetControlText(CDataExchange* dx, int id, const char* text) {
  if (HWND control = dx->PrepareEditCtrl(id)) ::SetWindowTextA(control, text);
}

// Whole-text integer parse; leading and trailing blanks are allowed, as the framework allows.
bool ParseLong(const CString& text, long long* value, bool isSigned) {
  CString trimmed(text);
  trimmed.Trim();
  if (trimmed.IsEmpty() || (!isSigned && trimmed[0] == '-')) return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(trimmed, &end, 10);
  return errno == 0 && end && *end == '\0';
}

bool ParseDouble(const CString& text, double* value) {
  CString trimmed(text);
  trimmed.Trim();
  if (trimmed.IsEmpty()) return false;
  char* end = nullptr;
  *value = std::strtod(trimmed, &end);
  return end && *end == '\0';
}

template <typename Integer>
void ExchangeInteger(CDataExchange* dx, int id, Integer& value, bool isSigned, long long low, long long high) {
  if (dx->m_bSaveAndValidate) {
    long long parsed = 0;
    if (!ParseLong(ControlText(dx, id), &parsed, isSigned) || parsed < low || parsed > high) Refuse(dx, kParseInt);
    value = static_cast<Integer>(parsed);
  } else {
    CString text;
    if (isSigned) text.Format("%lld", static_cast<long long>(value));
    else text.Format("%llu", static_cast<unsigned long long>(value));
    SetControlText(dx, id, text);
  }
}

template <typename Real>
void ExchangeReal(CDataExchange* dx, int id, Real& value, int digits) {
  if (dx->m_bSaveAndValidate) {
    double parsed = 0;
    if (!ParseDouble(ControlText(dx, id), &parsed)) Refuse(dx, kParseReal);
    value = static_cast<Real>(parsed);
  } else {
    CString text;
    text.Format("%.*g", digits, static_cast<double>(value));
    SetControlText(dx, id, text);
  }
}

template <typename Number>
void CheckRange(CDataExchange* dx, Number value, Number low, Number high, const char* prompt, const char* format) {
  // Only while saving: a value put into a control is not checked.
  if (!dx->m_bSaveAndValidate || (value >= low && value <= high)) return;
  CString first, second;
  first.Format(format, low);
  second.Format(format, high);
  Refuse(dx, FormatPrompt(prompt, first, second));
}

bool IsRadio(HWND control) {
  char name[16] = {0};
  ::GetClassNameA(control, name, sizeof(name));
  DWORD kind = static_cast<DWORD>(::GetWindowLongPtrA(control, GWL_STYLE)) & BS_TYPEMASK;
  if (std::string(name) != "button") return false;
  return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int id) {
  HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
  m_idLastControl = control;
  m_bEditLastControl = FALSE;
  return control;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  HWND control = PrepareCtrl(id);
  m_bEditLastControl = TRUE;
  return control;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_idLastControl) {
    ::SetFocus(m_idLastControl);
    if (m_bEditLastControl) ::SendMessageA(m_idLastControl, EM_SETSEL, 0, -1);
  }
  throw CUserException();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  if (dx->m_bSaveAndValidate) value = ControlText(dx, id);
  else SetControlText(dx, id, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value) { ExchangeInteger(dx, id, value, true, INT32_MIN, INT32_MAX); }
void DDX_Text(CDataExchange* dx, int id, UINT& value) { ExchangeInteger(dx, id, value, false, 0, UINT32_MAX); }
void DDX_Text(CDataExchange* dx, int id, long& value) { ExchangeInteger(dx, id, value, true, LONG_MIN, LONG_MAX); }
void DDX_Text(CDataExchange* dx, int id, double& value) { ExchangeReal(dx, id, value, DBL_DIG); }
void DDX_Text(CDataExchange* dx, int id, float& value) { ExchangeReal(dx, id, value, FLT_DIG); }

void DDX_Check(CDataExchange* dx, int id, int& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
  else ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
  HWND first = dx->PrepareCtrl(id);
  if (!first) return;
  // The group: this button and the radio buttons created after it, up to the next WS_GROUP.
  std::vector<HWND> group{first};
  for (HWND sibling = ::GetWindow(first, GW_HWNDNEXT); sibling; sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
    if (!IsRadio(sibling) || (::GetWindowLongPtrA(sibling, GWL_STYLE) & WS_GROUP)) break;
    group.push_back(sibling);
  }
  if (dx->m_bSaveAndValidate) {
    value = -1;
    for (size_t i = 0; i < group.size(); ++i) {
      if (::SendMessageA(group[i], BM_GETCHECK, 0, 0) == BST_CHECKED) value = static_cast<int>(i);
    }
  } else {
    for (size_t i = 0; i < group.size(); ++i) {
      ::SendMessageA(group[i], BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) index = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
  else ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* dx, int id, CString& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) {
    int length = ::GetWindowTextLengthA(control);
    ::GetWindowTextA(control, value.GetBuffer(length), length + 1);
    value.ReleaseBuffer();
  } else if (::SendMessageA(control, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString())) ==
             CB_ERR) {
    ::SetWindowTextA(control, value);  // not in the list: an editable combo shows it anyway
  }
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) index = static_cast<int>(::SendMessageA(control, LB_GETCURSEL, 0, 0));
  else ::SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_Slider(CDataExchange* dx, int id, int& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessageA(control, TBM_GETPOS, 0, 0));
  else ::SendMessageA(control, TBM_SETPOS, TRUE, value);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND item = dx->PrepareCtrl(id);
  if (item) control.SubclassWindow(item);
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int low, int high) { CheckRange(dx, value, low, high, kIntRange, "%d"); }
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT low, UINT high) { CheckRange(dx, value, low, high, kIntRange, "%u"); }
void DDV_MinMaxLong(CDataExchange* dx, long value, long low, long high) { CheckRange(dx, value, low, high, kIntRange, "%ld"); }

void DDV_MinMaxDouble(CDataExchange* dx, double const& value, double low, double high) {
  if (!dx->m_bSaveAndValidate || (value >= low && value <= high)) return;
  CString first, second;
  first.Format("%.*g", DBL_DIG, low);
  second.Format("%.*g", DBL_DIG, high);
  Refuse(dx, FormatPrompt(kRealRange, first, second));
}

void DDV_MinMaxFloat(CDataExchange* dx, float const& value, float low, float high) {
  if (!dx->m_bSaveAndValidate || (value >= low && value <= high)) return;
  CString first, second;
  first.Format("%.*g", FLT_DIG, static_cast<double>(low));
  second.Format("%.*g", FLT_DIG, static_cast<double>(high));
  Refuse(dx, FormatPrompt(kRealRange, first, second));
}

void DDV_MaxChars(CDataExchange* dx, CString const& value, int maxChars) {
  if (dx->m_idLastControl && !dx->m_bSaveAndValidate) {
    ::SendMessageA(dx->m_idLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    return;
  }
  if (dx->m_bSaveAndValidate && value.GetLength() > maxChars) {
    CString count;
    count.Format("%d", maxChars);
    Refuse(dx, FormatPrompt(kMaxChars, count));
  }
}
