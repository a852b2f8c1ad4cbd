// Many booth sessions in a row over a threaded simulated camera, with faults injected every few
// calls into releases, downloads, focus locks and viewfinder starts, and saves that fail now
// and then. Every session either ends in a page of exactly its own photos or with a box; none
// hangs, no photo goes silently missing, memory stays flat. TAVORIN_SOAK_SESSIONS sets the
// number of sessions (8 by default; scripts/soak-booth runs more) and the table is printed.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "tests/photobooth/BoothViewFixture.h"
#include "tests/ProcessMemory.h"

namespace fs = std::filesystem;

namespace {

// A fixed pseudo-random pattern, the same in every run.
unsigned Hash(unsigned n, unsigned salt) {
  unsigned h = (n + salt * 7919u) * 2654435761u;
  return h ^ (h >> 13);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class BoothSoakTest : public BoothViewFixture<> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OpenView(1000000));
    FreshPhotosAndPrints("soak-photos", 60);
    ASSERT_NO_FATAL_FAILURE(ConnectCamera());
    OpenTwoShotBooth("soak-booth");
  }
};

}  // namespace

TEST_F(BoothSoakTest, EverySessionEndsInItsOwnPageOrABox) {
  const char* count = std::getenv("TAVORIN_SOAK_SESSIONS");
  const int sessions = count && std::atoi(count) > 0 ? std::atoi(count) : 8;
  // Faults by call number: a few of every kind over the whole run.
  for (int call = 1; call <= sessions * 3; ++call) {
    if (Hash(call, 1) % 9 == 2) tavsim::SimAddFault({"PR_RC_Release", call, 0x2002});
    if (Hash(call, 2) % 11 == 3) tavsim::SimAddFault({"PR_RC_GetReleasedData", call, 0x2019});
    if (Hash(call, 3) % 5 == 1) tavsim::SimAddFault({"PR_RC_FocusLock", call, 0x2002});
    if (Hash(call, 4) % 4 == 1) tavsim::SimAddFault({"PR_RC_StartViewFinder", call, 0x2002});
  }
  const int n = m_view->m_nNumberOfPhotoboothImages;
  int asked = 0, pages = 0, boxes = 0, saved = 0, lost = 0, hangs = 0, foreign = 0;
  long rssWarm = 0, rssLast = 0, rssMax = 0;
  const int warmUp = sessions >= 20 ? 10 : 1;
  for (int s = 1; s <= sessions; ++s) {
    SCOPED_TRACE(s);
    // Now and then the photos folder cannot be written (a path through a file).
    const bool blocked = Hash(s, 5) % 8 == 5;
    const std::string folder = m_photos + "/session" + std::to_string(s);
    if (blocked) {
      fs::create_directories(m_photos);
      std::ofstream(m_photos + "/blocked") << "a file";
      m_view->m_strDirectory = CString((m_photos + "/blocked/photos").c_str());
    } else {
      m_view->m_strDirectory = folder.c_str();
    }
    if (!PumpUntil([&] { return !m_view->m_bBusy && !m_view->m_bProcessingUnderWay; }, 30000)) {
      ++hangs;
      break;
    }
    const size_t photosBefore = m_view->m_images.size();
    const size_t boxesBefore = GetShownMessageBoxes().size();
    const CString pageBefore = m_view->m_strLastPrintPath;
    Activate(m_booth->m_hWnd);
    PressKey(m_booth->m_hWnd, Qt::Key_F4);
    if (m_view->m_nShotsLeft != n) {
      ADD_FAILURE() << "F4 armed no session";
      continue;
    }
    ++asked;
    const bool ended = PumpUntil(
        [&] {
          Tick();
          return m_view->m_nShotsLeft == -1 && !m_view->m_bProcessingUnderWay &&
                 (GetShownMessageBoxes().size() > boxesBefore || m_view->m_strLastPrintPath != pageBefore);
        },
        60000);
    if (!ended) {
      ++hangs;
      ADD_FAILURE() << "session " << s << " hung with " << m_view->m_nShotsLeft << " shots left";
      break;
    }
    for (int i = 0; i < 20; ++i) {  // what the camera still delivers for a lost shot
      Tick();
      PumpWaitingMessages();
      Sleep(2);
    }
    const int savedNow = static_cast<int>(m_view->m_images.size() - photosBefore);
    saved += savedNow;
    const bool boxed = GetShownMessageBoxes().size() > boxesBefore;
    const bool paged = m_view->m_strLastPrintPath != pageBefore;
    boxes += boxed ? 1 : 0;
    if (paged) {
      ++pages;
      // The page's record names exactly this session's photos.
      const std::string first = m_view->m_images[photosBefore].m_strFileName.GetString();
      const std::string record = ReadFile(fs::path(first).replace_extension(".xml").string());
      std::set<std::string> named;
      for (size_t at = record.find("<photo "); at != std::string::npos; at = record.find("<photo ", at + 1)) {
        size_t start = record.find('>', at) + 1;
        named.insert(record.substr(start, record.find('<', start) - start));
      }
      std::set<std::string> own;
      for (size_t i = photosBefore; i < m_view->m_images.size(); ++i)
        own.insert(fs::path(m_view->m_images[i].m_strFileName.GetString()).filename().string());
      if (named != own) ++foreign;
    }
    // A photo saved in a session that made no page and said nothing is lost.
    if (!paged && !boxed) lost += savedNow > 0 ? savedNow : n;
    if (paged && savedNow != n) lost += n - savedNow;
    rssLast = RssKb();
    rssMax = std::max(rssMax, rssLast);
    if (s == warmUp) rssWarm = rssLast;
    fs::remove(m_photos + "/blocked");
  }
  int printed = 0;
  for (const std::string& pdf : Pdfs()) printed += std::max(0, PdfPages(pdf));
  std::printf(
      "booth soak: sessions asked %d, pages composed %d, prints %d, photos saved %d, sessions ended with a box %d, "
      "photos lost %d, pages with another session's photos %d, hangs %d, RSS after warm-up %ld kB, at the end "
      "%ld kB (%+.1f kB per session), highest %ld kB\n",
      asked, pages, printed, saved, boxes, lost, foreign, hangs, rssWarm, rssLast,
      sessions > warmUp ? double(rssLast - rssWarm) / (sessions - warmUp) : 0.0, rssMax);
  EXPECT_EQ(asked, sessions);
  EXPECT_EQ(hangs, 0);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(foreign, 0);
  EXPECT_EQ(pages + boxes, asked);
  EXPECT_EQ(printed, pages);
  EXPECT_GT(boxes, 0) << "the faults never struck";
  EXPECT_GT(pages, 0);
}
