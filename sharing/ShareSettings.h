// Everything the sharing screen needs for one share, filled by its opener from the settings,
// and the guest's texts it fills in from the keyboard (read back by the opener afterwards).
#pragma once

#include <vector>

#include "platform/mfc/cstring.h"
#include "sharing/EmailTransport.h"
#include "sharing/SharedPhoto.h"

/// What a share does (the screen's constructor argument).
enum ShareKind { ShareFacebook = 0, ShareEmail = 1, SharePrint = 2, ShareTwitter = 3, ShareMms = 4 };

/// One of the outside uploader programs (Facebook or Twitter).
struct UploaderShareSettings {
  CString text;              // Facebook: album name (-a); Twitter: comment (-c), {message} replaced
  int windowWidth = 690;     // the uploader's window is at most this big
  int windowHeight = 480;
  int timeoutSeconds = 30;   // without a title change
  bool logEnabled = false;
  CString logPath;
};

struct MmsShareSettings {
  CString accountSid;
  CString authToken;  // as stored: scrambled
  CString from;
  CString countryPrefix;
  int uploadTimeoutSeconds = 30;
  int messageType = 0;  // 0 MMS, 1 SMS (text only), anything else SMS with a link
  int maxLength = 0;    // 0: no limit
  CString message;      // may hold {url}
  bool offline = false;
  bool logEnabled = false;
  CString logPath;
  // Base addresses of the three services (registry strings; see MmsTransport.h).
  CString uploadBaseUrl;
  CString twilioBaseUrl;
  CString shortenerBaseUrl;
};

struct ShareSettings {
  CString imagesFolder;   // status pictures "<folder>/<key>.jpg" and their sounds
  CString statusCommand;  // the booth's status command line; empty: none
  CString photoPath;      // the photo to share or print
  SharedPhotoSettings image;  // crop, size limit and rotation of the shared copy (the kind's own)

  EmailShareSettings email;
  UploaderShareSettings facebook;
  UploaderShareSettings twitter{CString(), 800, 650, 30, false, CString()};
  MmsShareSettings mms;
  CString iccInputProfile, iccOutputProfile;  // printing; both needed

  // Filled from the keyboard. Facebook's user name and message are pre-filled from these and
  // handed back to the opener for the next Facebook share.
  CString userName, password;  // Facebook or Twitter login
  CString recipient;           // e-mail address or phone number
  CString sharingMessage;
  CString userData[10];           // the keyboard's ten fields in order
  std::vector<int> checkBoxes;    // the keyboard check boxes in use, 1 ticked
};
