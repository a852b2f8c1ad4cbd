// The MMS kind of the sharing station: the photo posted to the image upload page, its address
// sent by the messaging service as an MMS, as an SMS with a (shortened) link, or a text-only
// SMS; one log line per message. Runs on the sharing screen's worker thread, blocking.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "platform/mfc/cstring.h"
#include "sharing/ShareSettings.h"

/// The registry strings naming the three services; a missing upload or shortener address is
/// empty (upload refused, long addresses kept), the messaging service has its public default.
void ReadMmsServiceAddresses(MmsShareSettings& settings);
extern const char kDefaultTwilioBaseUrl[];

/// Standard Base64 with "=" padding.
CString Base64Encode(const std::string& bytes);

/// The short address from the shortening service at `base`, or the long one on any failure.
CString ShortenUrl(const char* base, const char* longUrl);

/// "%Y%m%d,%H%M%S,MMS:<recipient>,<1|0>,<photo>\n" in local time.
CString MmsLogLine(std::time_t when, const char* recipient, bool sent, const char* photoPath);

/// The number to send to: blanks gone, a leading 0 dropped, the country prefix put before a
/// number without "+"; empty when the result is no phone number.
CString NormalisePhoneNumber(const char* typed, const char* countryPrefix);

struct MmsResult {
  CString message;  // error text; empty on success or offline
  CString picture;  // "mms_success.jpg", "mms_offline.jpg" or "mms_error.jpg"
  int displayMs = 0;
  bool logged = false;
};

class MmsTransport {
 public:
  MmsTransport(const MmsShareSettings& settings, const CString& photoPath, const SharedPhotoSettings& image);

  /// The whole flow for one typed number and the prepared file.
  MmsResult Send(const CString& recipient, const CString& file);
  /// The public address of the uploaded photo, or "" with m_strMessage set.
  CString UploadImage(const CString& file);
  /// The reply's HTTP status, or 21621 when an MMS was refused with that code.
  int SendTwilioMessage(const CString& number, const CString& photoUrl, bool asMms);

  /// Called with a picture name when the screen should change mid-flow ("mms_as_sms.jpg").
  std::function<void(const char* picture)> onStatus;
  /// Milliseconds (upload time-out, the 1.5 s minimum display); tests replace it.
  std::function<ULONGLONG()> tickCount;
  std::function<void(DWORD)> sleep;

  CString m_strMessage;

 private:
  /// The upload page's name for the photo: creation time, a digest of how it was prepared, name.
  CString UploadName() const;
  void WaitSince(ULONGLONG start, ULONGLONG ms);

  MmsShareSettings m_settings;
  CString m_strPhoto;
  SharedPhotoSettings m_image;
  CString m_strNumber;
};
