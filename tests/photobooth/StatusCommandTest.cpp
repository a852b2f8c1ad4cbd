#include "photobooth/StatusCommand.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win32/process.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

namespace fs = std::filesystem;

struct Spawned {
  std::string program;
  std::vector<std::string> argv;
};
std::vector<Spawned> g_spawned;
int g_spawnError = 0;

intptr_t RecordingSpawn(int, const char* program, const char* const* argv) {
  Spawned spawned{program, {}};
  for (; *argv; ++argv) spawned.argv.emplace_back(*argv);
  g_spawned.push_back(spawned);
  if (g_spawnError) {
    errno = g_spawnError;
    return -1;
  }
  return 0;
}

class StatusCommandTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    g_spawned.clear();
    g_spawnError = 0;
    g_bPhotoboothStatusCmdEnable = TRUE;
    g_pfnStatusCommandSpawn = RecordingSpawn;
  }
  void TearDown() override {
    g_pfnStatusCommandSpawn = _spawnvp;
    g_bPhotoboothStatusCmdEnable = FALSE;
    ViewTestBase::TearDown();
  }
};

TEST_F(StatusCommandTest, TheLineIsTakenApartIntoProgramAndArguments) {
  const struct {
    const char* line;
    const char* status;
    std::string program;
    std::vector<std::string> argv;
  } rows[] = {
      // The usual line here: no extension; split like a command line, program first.
      {"  /usr/bin/booth-status -v  ", "/img/ready.jpg", "/usr/bin/booth-status",
       {"/usr/bin/booth-status", "-v", "/img/ready.jpg"}},
      {"notify \"two words\" x", "/my booth/1.jpg", "notify", {"notify", "\"two words\"", "x", "\"/my booth/1.jpg\""}},
      // Case is kept: file names are case-sensitive.
      {"/opt/Booth/Status", "s", "/opt/Booth/Status", {"/opt/Booth/Status", "s"}},
      {"\"/opt/my tools/status\" -v", "ready", "/opt/my tools/status", {"\"/opt/my tools/status\"", "-v", "ready"}},
      {"C:/Tools/Status.EXE -q", "ready", "C:/Tools/Status.EXE", {"C:/Tools/Status.EXE", "-q", "ready"}},
      {"/tools/run.bat a b", "s 2", "/tools/run.bat", {"/tools/run.bat", "a", "b", "\"s 2\""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    g_spawned.clear();
    RunStatusCommand(m_view, row.line, row.status);
    ASSERT_EQ(1u, g_spawned.size());
    EXPECT_EQ(row.program, g_spawned[0].program);
    EXPECT_EQ(row.argv, g_spawned[0].argv);
  }
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(StatusCommandTest, NothingRunsWhenOffEmptyOrWithoutParentAndFailuresAreShown) {
  g_bPhotoboothStatusCmdEnable = FALSE;
  RunStatusCommand(m_view, "/bin/true", "x");
  g_bPhotoboothStatusCmdEnable = TRUE;
  RunStatusCommand(m_view, "", "x");
  RunStatusCommand(m_view, "   ", "x");
  RunStatusCommand(nullptr, "/bin/true", "x");
  EXPECT_TRUE(g_spawned.empty());
  EXPECT_TRUE(GetShownMessageBoxes().empty());

  RunStatusCommand(m_view, "\"/bin/x", "s");
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Invalid command line - no closing quotes:\n\"/bin/x", GetShownMessageBoxes()[0].text);
  EXPECT_TRUE(g_spawned.empty());

  ClearMessageBoxes();
  g_spawnError = ENOENT;
  RunStatusCommand(m_view, "/no/such -v", "ready");
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Error trying to run command:\nENOENT: File or path not found\ncmd: /no/such\narg 0: /no/such\narg 1: -v\n"
            "arg 2: ready\n",
            GetShownMessageBoxes()[0].text);
  EXPECT_EQ("Tavorin", GetShownMessageBoxes()[0].caption);
}

TEST_F(StatusCommandTest, ARealProgramGetsEachArgumentWhole) {
  g_pfnStatusCommandSpawn = _spawnvp;
  fs::path folder = FreshBoothFolder("status cmd");
  fs::path out = folder / "argv.txt";
  fs::path script = folder / "record status.sh";
  std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << out.string()
                        << ".part\"\nmv \"" << out.string() << ".part\" \"" << out.string() << "\"\n";
  chmod(script.c_str(), 0755);
  std::string line = "\"" + script.string() + "\" -v";
  RunStatusCommand(m_view, line.c_str(), "/booth images/ready.jpg");
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(out); }, 10000));
  std::ifstream in(out);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ("-v\n/booth images/ready.jpg\n", text.str());
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

}  // namespace
