#include "platform/win32/files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <functional>

#include "platform/win32/error.h"
#include "platform/win32/find.h"
#include "platform/win32/handle.h"
#include "tests/platform/win32/tempdir_p.h"

namespace {

class FilesTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }
  TempDir dir;
};

}  // namespace

TEST_F(FilesTest, AttributesOfFilesFoldersAndMissingPaths) {
  TempDir::Write(dir / "plain.txt", "12345");
  TempDir::Write(dir / "locked.txt", "x");
  chmod((dir / "locked.txt").c_str(), 0444);
  struct Row {
    std::string path;
    DWORD attributes;
    DWORD error;
  } rows[] = {
      {dir / "plain.txt", FILE_ATTRIBUTE_NORMAL, 0},
      {dir / "locked.txt", FILE_ATTRIBUTE_READONLY, 0},
      {dir.path(), FILE_ATTRIBUTE_DIRECTORY, 0},
      {dir / "missing.txt", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {dir / "missing/inner.txt", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    SetLastError(0);
    EXPECT_EQ(GetFileAttributes(row.path.c_str()), row.attributes);
    if (row.error) {
      EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(PathFileExists(row.path.c_str()), row.attributes != INVALID_FILE_ATTRIBUTES);
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesEx((dir / "plain.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
  EXPECT_EQ(GetFileAttributes(nullptr), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FilesTest, Windows1252NameIsUtf8OnDiskAndListsBack) {
  std::string ansi = dir.path() + "/caf\xE9 \x80.jpg";
  ASSERT_TRUE(WriteFileReplacing(ansi.c_str(), "jpeg", 4));
  EXPECT_TRUE(TempDir::Exists(dir.path() + "/caf\xC3\xA9 \xE2\x82\xAC.jpg")) << "UTF-8 on disk";
  EXPECT_EQ(GetFileAttributes(ansi.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));

  WIN32_FIND_DATA found;
  HANDLE find = FindFirstFile((dir.path() + "/CAF\xC9*").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE) << "1252 upper case matches the lower-case name";
  EXPECT_STREQ(found.cFileName, "caf\xE9 \x80.jpg");
  EXPECT_EQ(found.nFileSizeLow, 4u);
  EXPECT_TRUE(FindClose(find));

  std::string copy = dir.path() + "/\xC0 copy.jpg";
  EXPECT_TRUE(CopyFile(ansi.c_str(), copy.c_str(), TRUE));
  EXPECT_EQ(TempDir::Read(dir.path() + "/\xC3\x80 copy.jpg"), "jpeg");
  EXPECT_TRUE(DeleteFile(ansi.c_str()));
  EXPECT_FALSE(TempDir::Exists(dir.path() + "/caf\xC3\xA9 \xE2\x82\xAC.jpg"));
}

TEST_F(FilesTest, CopyOntoItselfIsRefusedAndLeavesTheFileIntact) {
  std::string file = dir / "photo.jpg";
  TempDir::Write(file, "precious");
  ASSERT_EQ(link(file.c_str(), (dir / "hardlink.jpg").c_str()), 0);
  ASSERT_EQ(symlink(file.c_str(), (dir / "symlink.jpg").c_str()), 0);
  for (const std::string& target : {file, dir / "hardlink.jpg", dir / "symlink.jpg", dir.path() + "/./photo.jpg"}) {
    SCOPED_TRACE(target);
    SetLastError(0);
    EXPECT_FALSE(CopyFile(file.c_str(), target.c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(TempDir::Read(file), "precious");
  }
}

TEST_F(FilesTest, CopyOverwritesOnlyWhenAllowed) {
  TempDir::Write(dir / "a", "new contents");
  TempDir::Write(dir / "b", "old");
  chmod((dir / "a").c_str(), 0640);
  SetLastError(0);
  EXPECT_FALSE(CopyFile((dir / "a").c_str(), (dir / "b").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(TempDir::Read(dir / "b"), "old");
  EXPECT_TRUE(CopyFile((dir / "a").c_str(), (dir / "b").c_str(), FALSE));
  EXPECT_EQ(TempDir::Read(dir / "b"), "new contents");
  EXPECT_TRUE(CopyFile((dir / "a").c_str(), (dir / "c").c_str(), TRUE));
  struct stat st;
  ASSERT_EQ(stat((dir / "c").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  struct Row {
    std::string from, to;
    DWORD error;
  } failures[] = {{dir / "missing", dir / "d", ERROR_FILE_NOT_FOUND},
                  {dir / "a", dir / "no/such/folder", ERROR_PATH_NOT_FOUND},
                  {dir.path(), dir / "e", ERROR_ACCESS_DENIED}};
  for (const Row& row : failures) {
    SCOPED_TRACE(row.from + " -> " + row.to);
    SetLastError(0);
    EXPECT_FALSE(CopyFile(row.from.c_str(), row.to.c_str(), FALSE));
    EXPECT_EQ(GetLastError(), row.error);
    EXPECT_FALSE(TempDir::Exists(row.to));
  }
}

TEST_F(FilesTest, MoveRenamesButNeverReplaces) {
  TempDir::Write(dir / "IMG_0001.JPG", "one");
  TempDir::Write(dir / "IMG_0002.JPG", "two");
  EXPECT_TRUE(MoveFile((dir / "IMG_0001.JPG").c_str(), (dir / "Party.jpg").c_str()));
  EXPECT_FALSE(TempDir::Exists(dir / "IMG_0001.JPG"));
  EXPECT_EQ(TempDir::Read(dir / "Party.jpg"), "one");
  SetLastError(0);
  EXPECT_FALSE(MoveFile((dir / "IMG_0002.JPG").c_str(), (dir / "Party.jpg").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(TempDir::Read(dir / "Party.jpg"), "one");
  EXPECT_EQ(TempDir::Read(dir / "IMG_0002.JPG"), "two");
  SetLastError(0);
  EXPECT_FALSE(MoveFile((dir / "missing").c_str(), (dir / "other").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(CreateDirectory((dir / "sub").c_str(), nullptr));
  EXPECT_TRUE(MoveFile((dir / "sub").c_str(), (dir / "renamed").c_str())) << "folders move too";
}

TEST_F(FilesTest, MoveAcrossFileSystemsCopiesThenDeletes) {
  struct stat tmp, shm;
  if (stat("/dev/shm", &shm) != 0 || stat(dir.path().c_str(), &tmp) != 0 || shm.st_dev == tmp.st_dev)
    GTEST_SKIP() << "needs /dev/shm on another file system";
  TempDir::Write(dir / "photo.jpg", "bytes");
  std::string target = "/dev/shm/tavorin-win32-move-" + std::to_string(getpid());
  EXPECT_TRUE(MoveFile((dir / "photo.jpg").c_str(), target.c_str()));
  EXPECT_FALSE(TempDir::Exists(dir / "photo.jpg"));
  EXPECT_EQ(TempDir::Read(target), "bytes");
  TempDir::Write(dir / "second.jpg", "more");
  EXPECT_FALSE(MoveFile((dir / "second.jpg").c_str(), target.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(TempDir::Read(target), "bytes");
  EXPECT_EQ(TempDir::Read(dir / "second.jpg"), "more");
  unlink(target.c_str());
}

TEST_F(FilesTest, DeleteAndFolderErrors) {
  TempDir::Write(dir / "file", "x");
  EXPECT_TRUE(DeleteFile((dir / "file").c_str()));
  struct Row {
    const char* what;
    std::function<BOOL()> call;
    DWORD error;
  } rows[] = {
      {"delete missing", [&] { return DeleteFile((dir / "file").c_str()); }, ERROR_FILE_NOT_FOUND},
      {"delete folder", [&] { return DeleteFile(dir.path().c_str()); }, ERROR_ACCESS_DENIED},
      {"create existing", [&] { return CreateDirectory(dir.path().c_str(), nullptr); }, ERROR_ALREADY_EXISTS},
      {"create without parent", [&] { return CreateDirectory((dir / "a/b").c_str(), nullptr); },
       ERROR_PATH_NOT_FOUND},
      {"remove missing folder", [&] { return RemoveDirectory((dir / "none").c_str()); }, ERROR_FILE_NOT_FOUND},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetLastError(0);
    EXPECT_FALSE(row.call());
    EXPECT_EQ(GetLastError(), row.error);
  }

  ASSERT_TRUE(CreateDirectory((dir / "a").c_str(), nullptr));
  TempDir::Write(dir / "a/inside", "x");
  EXPECT_FALSE(RemoveDirectory((dir / "a").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  DeleteFile((dir / "a/inside").c_str());
  EXPECT_TRUE(RemoveDirectory((dir / "a").c_str()));
  EXPECT_EQ(_mkdir((dir / "m").c_str()), 0);
  EXPECT_EQ(_mkdir((dir / "m").c_str()), -1);
  EXPECT_EQ(errno, EEXIST);
}

TEST_F(FilesTest, TempPathFollowsTmpdirWithTrailingSlash) {
  const char* old = getenv("TMPDIR");
  std::string saved = old ? old : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  char buffer[MAX_PATH];
  DWORD length = GetTempPath(MAX_PATH, buffer);
  EXPECT_EQ(std::string(buffer), dir.path() + "/");
  EXPECT_EQ(length, dir.path().size() + 1);
  EXPECT_EQ(GetTempPath(3, buffer), length + 1) << "too small: the size needed";
  setenv("TMPDIR", (dir / "missing").c_str(), 1);
  GetTempPath(MAX_PATH, buffer);
  EXPECT_STREQ(buffer, "/tmp/");
  if (old) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
}

TEST_F(FilesTest, TempFileNamesAreCreatedAndDistinct) {
  char first[MAX_PATH], second[MAX_PATH];
  UINT a = GetTempFileName(dir.path().c_str(), "IFLX", 0, first);
  UINT b = GetTempFileName((dir.path() + "/").c_str(), "IFL", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_STRNE(first, second);
  EXPECT_TRUE(TempDir::Exists(first));
  EXPECT_TRUE(TempDir::Exists(second));
  EXPECT_EQ(std::string(first).rfind(dir.path() + "/IFL", 0), 0u) << first;
  EXPECT_EQ(std::string(first).substr(std::strlen(first) - 4), ".TMP");

  char given[MAX_PATH];
  EXPECT_EQ(GetTempFileName(dir.path().c_str(), "IFL", 0xAB, given), 0xABu);
  EXPECT_EQ(std::string(given), dir.path() + "/IFLAB.TMP");
  EXPECT_FALSE(TempDir::Exists(given)) << "a given number only names the file";
  EXPECT_EQ(GetTempFileName((dir / "missing").c_str(), "IFL", 0, given), 0u);
}

TEST_F(FilesTest, ShortPathIsTheSamePathWhenItExists) {
  TempDir::Write(dir / "ffmpeg", "");
  char buffer[MAX_PATH];
  std::string path = dir / "ffmpeg";
  EXPECT_EQ(GetShortPathName(path.c_str(), buffer, MAX_PATH), path.size());
  EXPECT_EQ(path, buffer);
  EXPECT_EQ(GetShortPathName(path.c_str(), buffer, 4), path.size() + 1);
  EXPECT_EQ(GetShortPathName((dir / "none").c_str(), buffer, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, WriteReplacingCreatesAndReplacesKeepingPermissions) {
  std::string path = dir / "settings.xml";
  ASSERT_TRUE(WriteFileReplacing(path.c_str(), "first", 5));
  EXPECT_EQ(TempDir::Read(path), "first");
  chmod(path.c_str(), 0600);
  ASSERT_TRUE(WriteFileReplacing(path.c_str(), "second version", 14));
  EXPECT_EQ(TempDir::Read(path), "second version");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_TRUE(WriteFileReplacing(path.c_str(), "", 0));
  EXPECT_EQ(TempDir::Read(path), "");
  EXPECT_EQ(TempDir::List(dir.path()).size(), 1u) << "no temporary file left behind";

  // Through a link the linked file is replaced and the link stays a link.
  ASSERT_EQ(symlink(path.c_str(), (dir / "link.xml").c_str()), 0);
  ASSERT_TRUE(WriteFileReplacing((dir / "link.xml").c_str(), "via link", 8));
  EXPECT_EQ(TempDir::Read(path), "via link");
  ASSERT_EQ(lstat((dir / "link.xml").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(FilesTest, WriteReplacingFailureKeepsTheOldFile) {
  std::string path = dir / "layout.pblt";
  TempDir::Write(path, "old layout");
  std::string big(64 * 1024, 'x');

  // A file-size limit makes the write fail part way, as a full disk would.
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  SetLastError(0);
  BOOL ok = WriteFileReplacing(path.c_str(), big.data(), big.size());
  DWORD error = GetLastError();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(ok);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(TempDir::Read(path), "old layout");
  EXPECT_EQ(TempDir::List(dir.path()), std::vector<std::string>{"layout.pblt"}) << "temporary file removed";

  SetLastError(0);
  EXPECT_FALSE(WriteFileReplacing((dir / "missing/layout.pblt").c_str(), "x", 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  ASSERT_TRUE(CreateDirectory((dir / "folder").c_str(), nullptr));
  EXPECT_FALSE(WriteFileReplacing((dir / "folder").c_str(), "x", 1));
  EXPECT_EQ(GetFileAttributes((dir / "folder").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(WriteFileReplacing(nullptr, "x", 1));
  EXPECT_FALSE(WriteFileReplacing(path.c_str(), nullptr, 1));
  EXPECT_EQ(TempDir::Read(path), "old layout");
}

TEST_F(FilesTest, UnflushedReplaceThenFlushOnce) {
  std::string path = dir / "IMG_0001.JPG";
  TempDir::Write(path, "old photo");
  ASSERT_TRUE(WriteFileReplacingUnflushed(path.c_str(), "new photo", 9));
  EXPECT_EQ(TempDir::Read(path), "new photo");
  EXPECT_EQ(TempDir::List(dir.path()), std::vector<std::string>{"IMG_0001.JPG"}) << "no temporary file left behind";
  EXPECT_TRUE(FlushFileToDisk(path.c_str()));
  EXPECT_EQ(TempDir::Read(path), "new photo");
  // The same failures as the flushed write: the old file stays.
  EXPECT_FALSE(WriteFileReplacingUnflushed((dir / "missing/IMG_0002.JPG").c_str(), "x", 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  SetLastError(0);
  EXPECT_FALSE(FlushFileToDisk((dir / "IMG_0003.JPG").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(FlushFileToDisk(nullptr));
}

TEST_F(FilesTest, ReadWholeFileGetsEveryByteAndReportsWhatIsNotAFile) {
  std::string path = dir / "photo \xe9.jpg";
  const std::string contents("\xff\xd8\0\x01jpeg\0\xff\xd9", 11);
  ASSERT_TRUE(WriteFileReplacing(path.c_str(), contents.data(), contents.size()));
  std::vector<BYTE> bytes{1, 2, 3};
  ASSERT_TRUE(ReadWholeFile(path.c_str(), bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), contents);

  ASSERT_TRUE(WriteFileReplacing(path.c_str(), "", 0));
  ASSERT_TRUE(ReadWholeFile(path.c_str(), bytes));
  EXPECT_TRUE(bytes.empty());

  EXPECT_FALSE(ReadWholeFile((dir / "missing.jpg").c_str(), bytes));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(ReadWholeFile(dir.path().c_str(), bytes));  // a folder is not a file
}
