// What the status bar tells the user about a photo that is not quite what was asked for: a
// photo shown as its embedded thumbnail, a comment or rotation that did not reach the file.
#include <fstream>
#include <vector>

#include "AppTestSupport.h"
#include "app/MainFrm.h"
#include "camera/CameraMessages.h"
#include "platform/user/messagebox.h"

namespace {

class MyQuilletViewStatusNotesTest : public ViewTestBase {
 protected:
  CString Status() { return m_harness->m_frame->GetStatusText(0); }
  void Display(const std::vector<BYTE>& jpeg) {
    BYTE* buffer = new BYTE[jpeg.size()];
    std::copy(jpeg.begin(), jpeg.end(), buffer);
    m_view->SendMessage(WM_DISPLAY_JPEG, jpeg.size(), reinterpret_cast<LPARAM>(buffer));
    // Shown once the render thread is done with it.
    PumpUntil([&] { return m_view->m_pDisplayBitmap != nullptr || !m_view->m_strLastMessage.IsEmpty(); }, 10000);
  }
  void Saved(const std::string& path) {
    m_view->SendMessage(WM_SAVED_FILE, 0, reinterpret_cast<LPARAM>(new CString(path.c_str())));
  }
  std::string Write(const char* name, const std::vector<BYTE>& bytes) {
    std::string path = TestFolder() + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
};

}  // namespace

TEST_F(MyQuilletViewStatusNotesTest, APhotoShownAsItsThumbnailSaysSo) {
  // A scan cut short: the decoder warns, which ends the decode; the Exif thumbnail is shown.
  std::vector<BYTE> photo = tavsim::SimMakePhoto(640, 480, 3, "Canon PowerShot G9");
  photo.resize(photo.size() * 6 / 10);
  ASSERT_GT(photo.size(), 20480u);
  m_view->SetStatusText("Saved: /photos/IMG_0003.JPG");
  Display(photo);
  ASSERT_TRUE(m_view->m_pDisplayBitmap);
  BITMAP info{};
  m_view->m_pDisplayBitmap->GetBitmap(&info);
  EXPECT_LE(info.bmWidth, 160);
  EXPECT_EQ(0, Status().Find("Saved: /photos/IMG_0003.JPG - Showing the embedded thumbnail"));
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  // Drawn again (a resize), the note is not repeated.
  m_view->RefreshDisplay();
  CString status = Status();
  int first = status.Find("Showing the embedded thumbnail");
  EXPECT_LT(status.Find("Showing the embedded thumbnail", first + 1), 0) << status.GetString();
}

TEST_F(MyQuilletViewStatusNotesTest, SavedFileSaysWhatDidNotReachTheFile) {
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.MajorVersion = 7;
  ASSERT_EQ(cdOK, CDStartSDK(&version, 0));
  std::vector<BYTE> photo = tavsim::SimMakePhoto(320, 240, 4, "Canon PowerShot G9");
  const struct {
    const char* name;
    const char* file;
    const char* comment;
    int orientation;
    bool writeComment;
    const char* note;
  } rows[] = {
      {"comment in the file", "IMG_0100.JPG", "party", 4, true, ""},
      {"comment not stored", "IMG_0101.JPG", "party", 4, false, " - comment not stored"},
      {"raw without THM, comment", "CRW_0102.CRW", "party", 4, false, " - no THM file: comment and rotation not stored"},
      {"raw without THM, rotation", "CRW_0103.CRW", "", 2, false, " - no THM file: comment and rotation not stored"},
      {"raw without THM, nothing asked", "CRW_0104.CRW", "", 4, false, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string path = Write(row.file, photo);
    if (row.writeComment) Exif(path.c_str()).SetComment(row.comment);
    m_view->m_editComment.SetWindowText(row.comment);
    m_view->m_nOrientationSetting = row.orientation;
    Saved(path);
    CString status = Status();
    ASSERT_EQ(0, status.Find(CString("Saved: ") + path.c_str())) << status.GetString();
    CString note = row.note;
    if (note.IsEmpty()) {
      EXPECT_LT(status.Find(" not stored"), 0) << status.GetString();
    } else {
      EXPECT_EQ(status.GetLength() - note.GetLength(), status.Find(note)) << status.GetString();
    }
  }
  CDFinishSDK();
}
