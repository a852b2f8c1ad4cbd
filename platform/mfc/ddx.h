// Dialog data exchange (DDX_) and validation (DDV_). On a refused value the user sees the
// framework's own message ("Please enter an integer between %1 and %2." ...), the focus goes
// back to the control and UpdateData returns FALSE.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/mfc/wnd.h"

/// Thrown by CDataExchange::Fail and caught by UpdateData; it never leaves the class library.
class CUserException {};

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  HWND m_idLastControl = nullptr;
  BOOL m_bEditLastControl = FALSE;

  /// The control's window (remembered for Fail); NULL when the dialog has no such control.
  HWND PrepareCtrl(int id);
  HWND PrepareEditCtrl(int id);
  /// Puts the focus back on the last control (selecting an edit's text) and ends the exchange.
  [[noreturn]] void Fail();
};

void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);  // DWORD too: both are 32-bit unsigned
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Text(CDataExchange* dx, int id, float& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
/// `value` is the index of the checked button in the group that starts at `id` (-1: none).
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
void DDX_CBString(CDataExchange* dx, int id, CString& value);
void DDX_LBIndex(CDataExchange* dx, int id, int& index);
void DDX_Slider(CDataExchange* dx, int id, int& value);
/// Binds a control object to the dialog's control (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue);
inline void DDV_MinMaxDWord(CDataExchange* dx, DWORD value, DWORD minValue, DWORD maxValue) {
  DDV_MinMaxUInt(dx, value, minValue, maxValue);
}
void DDV_MinMaxLong(CDataExchange* dx, long value, long minValue, long maxValue);
void DDV_MinMaxDouble(CDataExchange* dx, double const& value, double minValue, double maxValue);
void DDV_MinMaxFloat(CDataExchange* dx, float const& value, float minValue, float maxValue);
void DDV_MaxChars(CDataExchange* dx, CString const& value, int maxChars);
