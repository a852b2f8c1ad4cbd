#include "sharing/EmailResender.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "camera/Camera.h"
#include "platform/win32/files.h"
#include "sharing/MailSender.h"
#include "sharing/ShareLogField.h"
#include "support/Exif.h"
#include "support/PasswordScrambler.h"
#include "support/TextTemplate.h"

void EmailResender::AddLine(const CString& text, bool extend) {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (extend && !m_lines.empty())
      m_lines.back() += text;
    else
      m_lines.push_back(text);
  }
  if (onLinesChanged) onLinesChanged();
}

std::vector<CString> EmailResender::Lines() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_lines;
}

void EmailResender::Cancel() {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_cancel) return;
    m_cancel = true;
  }
  AddLine("Aborting...");
}

bool EmailResender::IsCancelled() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_cancel;
}

bool EmailResender::CheckSettings() {
  const EmailShareSettings& s = m_job.server;
  if (s.user.IsEmpty()) {
    AddLine("Error: email host username missing");
    return false;
  }
  if (UnscramblePassword(s.password).IsEmpty()) {
    AddLine("Error: email host password missing");
    return false;
  }
  if (s.host.IsEmpty()) {
    AddLine("Error: email host name missing");
    return false;
  }
  return true;
}

void EmailResender::Run() {
  size_t total = std::min(m_job.addresses.size(), m_job.photos.size());
  for (size_t i = 0; i < total; ++i) {
    if (IsCancelled()) break;
    if (SendOne(m_job.addresses[i], m_job.photos[i]))
      ++m_sent;
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  AddLine("");
  CString summary;
  if (static_cast<size_t>(m_sent.load()) == total)
    summary.Format("***** SUCCESS: All %d emails sent *****", m_sent.load());
  else
    summary.Format("***** ERROR: %d of %d emails sent *****", m_sent.load(), static_cast<int>(total));
  AddLine(summary);
}

bool EmailResender::SendOne(const CString& address, const CString& photo) {
  AddLine(photo);
  // An animated GIF goes as the file itself, as the sharing station sends it; the preparation
  // would make a still JPEG of it.
  CString extension = photo.Right(4);
  extension.MakeLower();
  const bool gif = extension == ".gif";
  CString copy = gif ? photo : MakeTemporaryCopyPath(photo, 0);
  CString error = gif ? (PathFileExistsA(photo) ? CString() : CString("Error reading image file:\n") + photo)
                      : PrepareSharedPhoto(photo, m_job.photo, copy);
  auto removeCopy = [&] {
    if (!gif) DeleteFileA(copy);
  };
  if (!error.IsEmpty()) {
    AddLine(error);
    removeCopy();
    return false;
  }
  bool sent = false;
  if (!IsCancelled()) {
    AddLine("Sending to: " + address + "...");
    const EmailShareSettings& s = m_job.server;
    EmailShareInput input;
    input.recipient = address;
    input.userData[0] = address;
    CString contentId = MakeContentId();
    Exif exif(photo);
    CMapStringToString tokens;
    {
      CCamera camera(nullptr);
      camera.BuildFileNameTokens(&exif, tokens);
    }
    auto expand = [&](const CString& text, bool html) {
      CString out = ExpandEmailTemplate(text, input, contentId, html);
      ExpandTextTemplate(tokens, out);
      return out;
    };
    MailRequest request;
    request.host = s.host;
    request.port = s.port;
    request.ssl = s.ssl;
    request.user = s.user;
    request.password = UnscramblePassword(s.password);
    request.from = s.from;
    request.to = address;
    request.subject = expand(s.subject, false);
    request.text = expand(s.text, false);
    request.html = expand(s.html, true);
    request.attachment = copy;
    request.contentId = contentId;
    CString failure = SendMailRequest(request);
    if (failure.IsEmpty()) {
      AddLine(" message sent.", true);
      char stamp[32];
      std::time_t now = std::time(nullptr);
      std::tm local{};
      localtime_r(&now, &local);
      std::strftime(stamp, sizeof stamp, "%Y%m%d,%H%M%S,", &local);
      AppendShareLog(s.logPath, CString(stamp) + EscapeLogField(address) + ",1," + EscapeLogField(photo) + "\n");
      sent = true;
    } else {
      // The server's reply gets a line of its own.
      int at = failure.Find("\nSMTP server response: ");
      if (at >= 0) {
        AddLine(failure.Left(at));
        AddLine("SMTP server response:");
        AddLine(failure.Mid(at + 23));
      } else {
        AddLine(failure);
      }
    }
  }
  removeCopy();
  return sent;
}
