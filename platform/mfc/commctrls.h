// The common controls as MFC classes: slider, spin and progress bar, and the list view
// and date-time picker from their own headers.
#pragma once

#include "platform/mfc/datetimectrl.h"
#include "platform/mfc/listctrl.h"
#include "platform/mfc/wnd.h"

class CSliderCtrl : public CWnd {
 public:
  int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
  void SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }
  void SetRange(int low, int high, BOOL redraw = FALSE) {
    SendMessage(TBM_SETRANGEMIN, FALSE, low);
    SendMessage(TBM_SETRANGEMAX, redraw, high);
  }
  void SetRangeMin(int low, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMIN, redraw, low); }
  void SetRangeMax(int high, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMAX, redraw, high); }
  int GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
  int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
  void SetTicFreq(int frequency) { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
  void ClearTics(BOOL redraw = FALSE) { SendMessage(TBM_CLEARTICS, redraw); }
  BOOL SetTic(int position) { return static_cast<BOOL>(SendMessage(TBM_SETTIC, 0, position)); }
  /// The tick marks set with SetTic since the last ClearTics.
  UINT GetNumTics() const { return static_cast<UINT>(SendMessage(TBM_GETNUMTICS)); }
  int SetPageSize(int size) { return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, size)); }
  int SetLineSize(int size) { return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, size)); }
};

class CSpinButtonCtrl : public CWnd {
 public:
  void SetRange32(int low, int high) { SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(low), high); }
  void SetRange(short low, short high) { SetRange32(low, high); }
  int SetPos32(int position) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, position)); }
  int SetPos(int position) { return SetPos32(position); }
  int GetPos32() const { return static_cast<int>(SendMessage(UDM_GETPOS32)); }
  CWnd* SetBuddy(CWnd* buddy) {
    return CWnd::FromHandle(reinterpret_cast<HWND>(
        SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr))));
  }
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(short low, short high) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(low, high)); }
  void SetRange32(int low, int high) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
  int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
  int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
  int OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
  int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
  int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};
