#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "platform/mfc/filedialog_p.h"
#include "platform/win32/sync.h"

namespace fs = std::filesystem;

TEST(ProgramFilterTest, TheExeFilterListsFoldersAndExecutableFilesOnly) {
  EXPECT_TRUE(mfc_p::IsProgramPattern("*.exe"));
  EXPECT_TRUE(mfc_p::IsProgramPattern("*.EXE"));
  EXPECT_FALSE(mfc_p::IsProgramPattern("*.exe *.bat"));
  EXPECT_FALSE(mfc_p::IsProgramPattern("*.*"));

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  fs::path root = dir.path().toStdString();
  std::ofstream(root / "editor") << "#!/bin/sh\n";
  std::ofstream(root / "notes.txt") << "text\n";
  fs::create_directory(root / "tools");
  fs::permissions(root / "editor", fs::perms(0755));
  fs::permissions(root / "notes.txt", fs::perms(0644));

  QFileSystemModel files;
  bool loaded = false;
  QObject::connect(&files, &QFileSystemModel::directoryLoaded, [&](const QString&) { loaded = true; });
  QModelIndex folder = files.setRootPath(dir.path());
  ULONGLONG until = GetTickCount64() + 20000;
  while ((!loaded || files.rowCount(folder) < 3) && GetTickCount64() < until)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_EQ(files.rowCount(folder), 3);

  bool active = true;
  mfc_p::ProgramFilterModel programs([&active] { return active; }, nullptr);
  programs.setSourceModel(&files);
  auto names = [&] {
    QStringList shown;
    QModelIndex parent = programs.mapFromSource(folder);
    for (int row = 0; row < programs.rowCount(parent); ++row) shown << programs.index(row, 0, parent).data().toString();
    shown.sort();
    return shown;
  };
  EXPECT_EQ(names(), QStringList({"editor", "tools"}));
  active = false;
  programs.invalidate();
  EXPECT_EQ(names(), QStringList({"editor", "notes.txt", "tools"}));
}
