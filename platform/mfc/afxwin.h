// The class library in one include: windows, dialogs, data exchange, frames, documents and
// views, the application object, and the window and drawing layers under them.
#pragma once

#include "platform/mfc/atltypes.h"
#include "platform/mfc/cdc.h"
#include "platform/mfc/collections.h"
#include "platform/mfc/commctrls.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/ddx.h"
#include "platform/mfc/dialog.h"
#include "platform/mfc/dlgtemplate.h"
#include "platform/mfc/doctemplate.h"
#include "platform/mfc/document.h"
#include "platform/mfc/framewnd.h"
#include "platform/mfc/gdiobjects.h"
#include "platform/mfc/statusbar.h"
#include "platform/mfc/stdctrls.h"
#include "platform/mfc/view.h"
#include "platform/mfc/waitcursor.h"
#include "platform/mfc/windowdc.h"
#include "platform/mfc/winapp.h"
#include "platform/mfc/wnd.h"
#include "platform/user/winuser.h"
