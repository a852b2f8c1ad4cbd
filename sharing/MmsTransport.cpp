#include "sharing/MmsTransport.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "http/HttpClient.h"
#include "http/HttpClientException.h"
#include "platform/registry/registry.h"
#include "platform/win32/files.h"
#include "platform/win32/sync.h"
#include "platform/win32/thread.h"
#include "platform/wininet/wininet.h"
#include "sharing/EmailTransport.h"
#include "sharing/ShareLogField.h"
#include "support/PasswordScrambler.h"
#include "support/ProgramGlobals.h"
#include "support/TextUtilities.h"
#include "support/XmlDocument.h"

using Vonar::CHttpClientA;
using Vonar::httpclientexceptionA;

const char kDefaultTwilioBaseUrl[] = "https://api.twilio.com/2010-04-01/Accounts";

namespace {

const char kUserAgent[] = "Morvane Systems User Agent v1.0";
// Replies of the three services are short; more is not read.
constexpr size_t kMaxReply = 64 * 1024;

CString ReadRegistryString(HKEY key, const char* name) {
  char value[2048] = "";
  DWORD type = 0, size = sizeof value - 1;
  if (!key || RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return CString();
  value[size < sizeof value ? size : sizeof value - 1] = '\0';
  return value;
}

std::string ReadReply(CHttpClientA::CHttpResponse& response) {
  std::string body;
  BYTE buffer[1024];
  while (body.size() < kMaxReply) {
    DWORD read = response.ReadContent(buffer, sizeof buffer);
    if (read == 0) break;
    body.append(reinterpret_cast<const char*>(buffer), read);
  }
  if (body.size() > kMaxReply) body.resize(kMaxReply);
  return body;
}

CString Trimmed(const std::string& text) {
  CString value(text.c_str());
  value.Trim();
  return value;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

// The photo file's creation time: the birth time where the file system keeps one, else the
// last change of its data.
std::time_t CreationTime(const char* path) {
  struct statx info {};
  if (statx(AT_FDCWD, path, 0, STATX_BTIME | STATX_MTIME, &info) == 0) {
    if (info.stx_mask & STATX_BTIME) return static_cast<std::time_t>(info.stx_btime.tv_sec);
    return static_cast<std::time_t>(info.stx_mtime.tv_sec);
  }
  return 0;
}

long long FileSize(const char* path) {
  struct stat info;
  return ::stat(path, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// Width and height from a GIF's logical screen; 0 for anything else.
void GifSize(const char* path, int& width, int& height) {
  width = height = 0;
  CString lower(path);
  lower.MakeLower();
  if (lower.Right(4) != ".gif") return;
  FILE* file = std::fopen(path, "rb");
  if (!file) return;
  unsigned char header[10];
  if (std::fread(header, 1, sizeof header, file) == sizeof header && std::memcmp(header, "GIF", 3) == 0) {
    width = header[6] | (header[7] << 8);
    height = header[8] | (header[9] << 8);
  }
  std::fclose(file);
}

void Configure(CHttpClientA& client) {
  client.SetSessionOptions(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  client.SetUseUtf8(TRUE);
}

CString HttpErrorText(const httpclientexceptionA& error) {
  CString text;
  text.Format("Exception uploading file, error code=%d", static_cast<int>(error.LastError()));
  return text;
}

CString StatusError(DWORD status) {
  CString text;
  text.Format("Error, server returned %d", static_cast<int>(status));
  return text;
}

}  // namespace

void ReadMmsServiceAddresses(MmsShareSettings& settings) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
  settings.uploadBaseUrl = ReadRegistryString(key, "MmsUploadBaseUrl");
  settings.twilioBaseUrl = ReadRegistryString(key, "MmsTwilioBaseUrl");
  if (settings.twilioBaseUrl.IsEmpty()) settings.twilioBaseUrl = kDefaultTwilioBaseUrl;
  settings.shortenerBaseUrl = ReadRegistryString(key, "MmsShortenerBaseUrl");
  if (key) RegCloseKey(key);
}

CString Base64Encode(const std::string& bytes) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned value = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                     static_cast<unsigned char>(bytes[i + 2]);
    out += alphabet[(value >> 18) & 63];
    out += alphabet[(value >> 12) & 63];
    out += alphabet[(value >> 6) & 63];
    out += alphabet[value & 63];
  }
  if (i < bytes.size()) {
    unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += alphabet[(value >> 18) & 63];
    out += alphabet[(value >> 12) & 63];
    out += i + 1 < bytes.size() ? alphabet[(value >> 6) & 63] : '=';
    out += '=';
  }
  return out.c_str();
}

CString ShortenUrl(const char* base, const char* longUrl) {
  CString shortened = longUrl;
  if (!base || !*base) return shortened;
  try {
    CHttpClientA client;
    Configure(client);
    client.AddParam("url", longUrl);
    std::unique_ptr<CHttpClientA::CHttpResponse> response(client.RequestGet(CString(base) + "/api-create.php"));
    if (response && response->GetStatus() == 200) {
      CString reply = Trimmed(ReadReply(*response));
      // Only an address of the service itself replaces the long one.
      if (reply.Find(base) == 0 && reply.GetLength() > static_cast<int>(std::strlen(base))) shortened = reply;
    }
  } catch (...) {
  }
  return shortened;
}

CString MmsLogLine(std::time_t when, const char* recipient, bool sent, const char* photoPath) {
  char stamp[32];
  std::tm local{};
  localtime_r(&when, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d,%H%M%S,", &local);
  return CString(stamp) + "MMS:" + EscapeLogField(recipient) + (sent ? ",1," : ",0,") + EscapeLogField(photoPath) + "\n";
}

CString NormalisePhoneNumber(const char* typed, const char* countryPrefix) {
  // Blanks go first: " 0123" must lose its zero like "0123" does.
  CString number(typed ? typed : "");
  number.Remove(' ');
  number.Trim();
  if (number.IsEmpty()) return CString();
  if (number[0] == '0') number = number.Mid(1);
  if (number.IsEmpty() || number[0] != '+') number = CString(countryPrefix ? countryPrefix : "") + number;
  number.Remove(' ');
  number.Trim();
  return IsPhoneNumber(number) ? number : CString();
}

MmsTransport::MmsTransport(const MmsShareSettings& settings, const CString& photoPath, const SharedPhotoSettings& image)
    : tickCount([] { return GetTickCount64(); }),
      sleep([](DWORD ms) { Sleep(ms); }),
      m_settings(settings),
      m_strPhoto(photoPath),
      m_image(image) {}

void MmsTransport::WaitSince(ULONGLONG start, ULONGLONG ms) {
  for (ULONGLONG now = tickCount(); now - start < ms; now = tickCount()) sleep(static_cast<DWORD>(ms - (now - start)));
}

MmsResult MmsTransport::Send(const CString& recipient, const CString& file) {
  m_strMessage.Empty();
  m_strNumber = NormalisePhoneNumber(recipient, m_settings.countryPrefix);
  if (m_strNumber.IsEmpty()) {
    m_strMessage = "Invalid phone number: " + recipient;
  } else if (!m_settings.offline) {
    if (!IsPhoneNumber(m_settings.from)) {
      m_strMessage = "MMS settings error: 'from' number missing or invalid";
    } else if (m_settings.accountSid.IsEmpty() || m_settings.authToken.IsEmpty()) {
      m_strMessage = "MMS account settings missing";
    } else if (!InternetCheckConnectionA(m_settings.twilioBaseUrl, FLAG_ICC_FORCE_CONNECTION, 0)) {
      m_strMessage = "No internet connection";
    } else if (m_settings.messageType == 1) {
      ULONGLONG start = tickCount();
      SendTwilioMessage(m_strNumber, CString(), false);
      WaitSince(start, 1500);
    } else {
      CString url = UploadImage(file);
      if (url.IsEmpty()) {
        if (m_strMessage.IsEmpty()) m_strMessage = "Error, server returned no image address";
      } else if (m_settings.messageType != 0) {
        SendTwilioMessage(m_strNumber, url, false);
      } else if (SendTwilioMessage(m_strNumber, url, true) == 21621) {
        // The number takes no MMS: once more as an SMS with the link.
        m_strMessage.Empty();
        if (onStatus) onStatus("mms_as_sms.jpg");
        ULONGLONG start = tickCount();
        SendTwilioMessage(m_strNumber, url, false);
        WaitSince(start, 1500);
      }
    }
  }

  MmsResult result;
  bool failed = !m_strMessage.IsEmpty();
  if (m_settings.logEnabled && !m_settings.logPath.IsEmpty())
    result.logged = AppendShareLog(m_settings.logPath,
                                   MmsLogLine(std::time(nullptr), recipient, !failed && !m_settings.offline, m_strPhoto));
  // Offline the number lives only in the log: without the line it is lost, so say so.
  if (!failed && m_settings.offline && !result.logged) m_strMessage = "Error writing MMS log:\n" + m_settings.logPath;
  result.message = m_strMessage;
  if (!result.message.IsEmpty()) {
    result.picture = "mms_error.jpg";
    result.displayMs = 5000;
  } else {
    result.picture = m_settings.offline ? "mms_offline.jpg" : "mms_success.jpg";
    result.displayMs = 3000;
  }
  return result;
}

CString MmsTransport::UploadName() const {
  char stamp[32] = "";
  std::time_t created = CreationTime(m_strPhoto);
  std::tm utc{};
  gmtime_r(&created, &utc);
  std::strftime(stamp, sizeof stamp, "%y%m%d%H%M%S", &utc);
  int width = 0, height = 0;
  GifSize(m_strPhoto, width, height);
  CString digest;
  digest.Format("%s w=%d, h=%d, angle=%d, ", stamp, width, height, m_image.rotation);
  if (m_image.cropEnable) {
    CString crop;
    // The upload page checks this text as it always was, label slip included.
    crop.Format("m_cropX=%d, m_cropY=%d, m_cropW=%d, m_cropX=%d, ", m_image.cropX, m_image.cropY, m_image.cropWidth,
                m_image.cropHeight);
    digest += crop;
  }
  digest += m_strPhoto;
  CString name = m_strPhoto.Mid(m_strPhoto.ReverseFind('/') + 1);
  return CString(stamp) + "_TVN" + MD5HexString(digest) + "_" + name;
}

CString MmsTransport::UploadImage(const CString& file) {
  if (!PathFileExistsA(file) || !PathFileExistsA(m_strPhoto)) {
    m_strMessage = "ERROR: file not found";
    return CString();
  }
  CString base = m_settings.uploadBaseUrl;
  if (base.IsEmpty()) {
    m_strMessage = "ERROR: image upload address not set";
    return CString();
  }
  CString path;
  try {
    CString page = base + "/image_upload.php";
    CString size;
    size.Format("%lld", FileSize(file));
    CHttpClientA client;
    Configure(client);
    client.AddParam("size", size);
    client.AddParam("name", UploadName());
    std::unique_ptr<CHttpClientA::CHttpResponse> response(client.RequestPost(page));
    DWORD status = response->GetStatus();
    if (status != 200) {
      m_strMessage = StatusError(status);
      return CString();
    }
    std::string reply = ReadReply(*response);
    if (StartsWith(reply, "FILE:")) {
      path = Trimmed(reply.substr(5));
    } else if (StartsWith(reply, "AUTH:")) {
      CString token = Trimmed(reply.substr(5));
      CHttpClientA upload;
      Configure(upload);
      upload.AddParam("auth", MD5HexString(token + size));
      upload.AddParam("fileToUpload", file, CHttpClientA::ParamFile);
      upload.AddParam("submit", "submit");
      upload.BeginUpload(page);
      // The time-out counts from the start of the upload itself.
      ULONGLONG start = tickCount();
      std::unique_ptr<CHttpClientA::CHttpResponse> uploaded;
      while (!uploaded) {
        if (tickCount() - start > static_cast<ULONGLONG>(m_settings.uploadTimeoutSeconds) * 1000) {
          upload.CancelPostContext();
          m_strMessage = "Upload timeout";
          return CString();
        }
        sleep(10);
        uploaded.reset(upload.Proceed(1024));
      }
      status = uploaded->GetStatus();
      if (status != 200) {
        m_strMessage = StatusError(status);
        return CString();
      }
      std::string answer = ReadReply(*uploaded);
      if (StartsWith(answer, "FILE:")) path = Trimmed(answer.substr(5));
      else if (!answer.empty()) m_strMessage = answer.c_str();
    } else {
      m_strMessage = reply.c_str();
    }
  } catch (const httpclientexceptionA& error) {
    m_strMessage = HttpErrorText(error);
    return CString();
  } catch (...) {
    m_strMessage = "Unexpected exception uploading file";
    return CString();
  }
  if (path.Left(2) == "./") path = path.Mid(2);
  return path.IsEmpty() ? CString() : base + "/" + path;
}

int MmsTransport::SendTwilioMessage(const CString& number, const CString& photoUrl, bool asMms) {
  CString body = m_settings.message;
  if (asMms || photoUrl.IsEmpty()) {
    body.Replace("{url}", "");
  } else {
    CString shortUrl = ShortenUrl(m_settings.shortenerBaseUrl, photoUrl);
    if (body.Find("{url}") >= 0) body.Replace("{url}", shortUrl);
    else body = shortUrl + " " + body;
  }
  while (body.Replace("  ", " ") > 0) {
  }
  body.Trim();
  if (m_settings.maxLength > 0 && body.GetLength() > m_settings.maxLength) body = body.Left(m_settings.maxLength);

  try {
    CHttpClientA client;
    Configure(client);
    client.AddParam("To", number);
    client.AddParam("From", m_settings.from);
    client.AddParam("Body", body);
    if (asMms) client.AddParam("MediaUrl", photoUrl);
    std::string account = std::string(m_settings.accountSid.GetString()) + ":" +
                          UnscramblePassword(m_settings.authToken).GetString();
    client.AddHeader("Authorization", "Basic " + Base64Encode(account));
    std::unique_ptr<CHttpClientA::CHttpResponse> response(
        client.RequestPost(m_settings.twilioBaseUrl + "/" + m_settings.accountSid + "/Messages"));
    int status = static_cast<int>(response->GetStatus());
    if (status != 201) {
      m_strMessage = StatusError(static_cast<DWORD>(status));
      CString statusText = response->GetStatusText();
      if (!statusText.IsEmpty()) m_strMessage += " " + statusText;
    }
    std::string reply = ReadReply(*response);
    if (XmlNode* root = XmlDocument::LoadBuffer(reply.data(), reply.size())) {
      XmlNode* twilio = root->GetName() == CString("TwilioResponse") ? root : root->FindChild("TwilioResponse");
      XmlNode* exception = twilio ? twilio->FindChild("RestException") : nullptr;
      XmlNode* code = exception ? exception->FindChild("Code") : nullptr;
      bool refusedMms = asMms && code && code->GetText() == CString("21621");
      root->Destroy();
      delete root;
      if (refusedMms) return 21621;
    }
    return status;
  } catch (const httpclientexceptionA& error) {
    m_strMessage = HttpErrorText(error);
  } catch (...) {
    m_strMessage = "Unexpected exception uploading file";
  }
  return 0;
}
