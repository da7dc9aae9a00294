#include "app/config/folder_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/platform/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Every file the walk reports, as "folder-relative-to-root/name", in the order reported.
std::vector<std::string> WalkAll(const TTempDir& root, size_t* folders = nullptr) {
  std::vector<std::string> found;
  TMp3FolderWalk walk(root.path());
  while (auto finds = walk.Next()) {
    const std::string folder = fs::relative(finds->Folder, root.path()).generic_string();
    for (const std::string& name : finds->Files) found.push_back(folder + "/" + name);
  }
  if (folders != nullptr) *folders = walk.FoldersRead();
  return found;
}

TEST(FolderWalkTest, ListsMp3FilesInAnyCaseDepthFirstInNameOrder) {
  TTempDir root;
  fs::create_directories(root / "B-sub/deeper");
  for (const char* name : {"a.MP3", "c.mp3", "c.mp3.bak", "B-sub/d.mp3", "B-sub/deeper/e.Mp3"})
    WriteBytes(root / name, "x");
#ifndef _WIN32  // Windows folders hold no named pipes.
  // A named pipe is neither a folder nor an MP3 file, and looking at it must not block.
  ASSERT_EQ(mkfifo((root / "pipe").c_str(), 0600), 0);
#endif
  // The subfolder is walked where its name comes, between a.MP3 and c.mp3.
  EXPECT_EQ(WalkAll(root),
            (std::vector<std::string>{"./a.MP3", "B-sub/d.mp3", "B-sub/deeper/e.Mp3", "./c.mp3"}));
}

#ifndef _WIN32
TEST(FolderWalkTest, NeverEntersTheSystemsPseudoFolders) {
  // A Wine prefix's drive Z: is a link to "/", through which a walk would reach /proc, with its
  // endless trees and paths that mean something else in the next process.
  TTempDir root;
  fs::create_directories(root / "music");
  WriteBytes(root / "music/song.mp3", "x");
  fs::create_directory_symlink("/proc", root / "proc-link");
  fs::create_directory_symlink("/dev", root / "dev-link");
  fs::create_directory_symlink("/sys", root / "sys-link");
  size_t folders = 0;
  EXPECT_EQ(WalkAll(root, &folders), std::vector<std::string>{"music/song.mp3"});
  EXPECT_EQ(folders, 2u);
  EXPECT_TRUE(IsSystemFolder(root / "proc-link/self"));
  EXPECT_FALSE(IsSystemFolder(root / "music"));
  EXPECT_FALSE(IsSystemFolder("/procedures-that-do-not-exist"));
}
#endif

TEST(FolderWalkTest, ReadsEveryFolderOnceWhateverLinksLeadToIt) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege on Windows, and Wine cannot make them";
#endif
  TTempDir root;
  fs::create_directories(root / "music/album");
  WriteBytes(root / "music/album/song.mp3", "x");
  fs::create_directory_symlink(root.path(), root / "music/album/back-to-top");  // a loop
  fs::create_directory_symlink(root / "music/album", root / "shortcut");        // a second way in
  fs::create_directory_symlink(root / "missing", root / "dangling");

  size_t folders = 0;
  EXPECT_EQ(WalkAll(root, &folders), std::vector<std::string>{"music/album/song.mp3"});
  EXPECT_EQ(folders, 3u);
}

// Folder permissions are POSIX's; a Windows folder is closed through its access control list.
#ifndef _WIN32
TEST(FolderWalkTest, AnUnreadableFolderContributesNothingAndTheWalkGoesOn) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser reads every folder";
  TTempDir root;
  fs::create_directories(root / "closed");
  fs::create_directories(root / "open");
  WriteBytes(root / "closed/hidden.mp3", "x");
  WriteBytes(root / "open/song.mp3", "x");
  fs::permissions(root / "closed", fs::perms::none);
  EXPECT_EQ(WalkAll(root), std::vector<std::string>{"open/song.mp3"});
}
#endif

TEST(FolderWalkTest, OneTrailingSeparatorIsRemovedButARootKeepsIt) {
  const std::string music = kSep + "home" + kSep + "music";
  EXPECT_EQ(SearchFolderFromInput(music + kSep), music);
  EXPECT_EQ(SearchFolderFromInput(music + kSep + kSep), music + kSep);
  EXPECT_EQ(SearchFolderFromInput(music), music);
  EXPECT_EQ(SearchFolderFromInput(kSep), kSep);
}

}  // namespace
