// The photobooth setup wizard: printer and layout, images folder and user-interface options in
// three pages, then the new booth folder made for the display this program runs on.
#pragma once

class CMyQuilletView;
class CPropertySheet;

/// Runs the wizard over the view; true when a booth folder was made.
bool RunPhotoboothSetupWizard(CMyQuilletView& view);
