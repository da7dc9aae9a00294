#include "platform/files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "platform/folder_identity.h"
#include "platform/program_path.h"
#include "tests/platform/temp_dir.h"

namespace {

TEST(FilesTest, ExistenceTellsFilesFromFolders) {
  TTempDir dir;
  WriteBytes(dir / "a.mp3", "x");
  EXPECT_TRUE(FileExists(dir / "a.mp3"));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_TRUE(DirectoryExists(dir.path()));
  EXPECT_FALSE(DirectoryExists(dir / "a.mp3"));
  EXPECT_FALSE(FileExists(dir / "b.mp3"));
}

TEST(FilesTest, CopyFailIfExistsLeavesTheDestinationAlone) {
  TTempDir dir;
  WriteBytes(dir / "Config.txt", "new");
  WriteBytes(dir / "Config.org", "old");
  EXPECT_FALSE(FileCopy(dir / "Config.txt", dir / "Config.org", true));
  EXPECT_EQ(ReadBytes(dir / "Config.org"), "old");
  EXPECT_TRUE(FileCopy(dir / "Config.txt", dir / "Config.org", false));
  EXPECT_EQ(ReadBytes(dir / "Config.org"), "new");
  EXPECT_TRUE(FileCopy(dir / "Config.txt", dir / "fresh", true));
  EXPECT_EQ(ReadBytes(dir / "fresh"), "new");
  EXPECT_FALSE(FileCopy(dir / "missing", dir / "other", false));
  EXPECT_FALSE(FileExists(dir / "other"));
}

TEST(FilesTest, ReadOnlyFilesResistDeleteAndOverwriteUntilTheAttributeIsCleared) {
  TTempDir dir;
  WriteBytes(dir / "src.mp3", "source");
  WriteBytes(dir / "copy.mp3", "copy");
  ASSERT_TRUE(FileSetAttr(dir / "copy.mp3", faReadOnly));
  EXPECT_FALSE(FileDelete(dir / "copy.mp3"));
  EXPECT_FALSE(FileCopy(dir / "src.mp3", dir / "copy.mp3", false));
  EXPECT_THROW(WriteFileAtomic(dir / "copy.mp3", "x"), TFileError);
  EXPECT_EQ(ReadBytes(dir / "copy.mp3"), "copy");

  // A copy takes the source's read-only attribute along, as on Windows.
  ASSERT_TRUE(FileSetAttr(dir / "src.mp3", faReadOnly));
  ASSERT_TRUE(FileCopy(dir / "src.mp3", dir / "copy2.mp3", false));
  EXPECT_FALSE(FileDelete(dir / "copy2.mp3"));

  ASSERT_TRUE(FileSetAttr(dir / "copy.mp3", faArchive));
  EXPECT_TRUE(FileDelete(dir / "copy.mp3"));
  EXPECT_FALSE(FileExists(dir / "copy.mp3"));
  EXPECT_FALSE(FileDelete(dir / "copy.mp3"));
  EXPECT_FALSE(FileDelete(dir.path()));
}

TEST(FilesTest, AtomicWriteReplacesWholeOrNotAtAll) {
  TTempDir dir;
  const std::string path = dir / "a.m3u";
  WriteFileAtomic(path, "first");
  WriteFileAtomic(path, "second");
  EXPECT_EQ(ReadBytes(path), "second");
  EXPECT_THROW(WriteFileAtomic(dir / "no-such-folder/a.m3u", "x"), TFileError);
  // Nothing is left behind besides the file itself.
  EXPECT_EQ(ListFiles(dir.path(), "*"), std::vector<std::string>{"a.m3u"});
}

// Names as long as the file system allows (255 bytes: 83 Japanese characters and "ab.mp3").
TEST(FilesTest, LongestNamesCanBeWrittenAndCopiedOver) {
  TTempDir dir;
  std::string name = "ab.mp3";
  for (int i = 0; i < 83; ++i) name.insert(0, "曲");
  ASSERT_EQ(name.size(), 255u);
  WriteFileAtomic(dir / name, "first");
  WriteFileAtomic(dir / name, "second");
  EXPECT_EQ(ReadBytes(dir / name), "second");
  WriteBytes(dir / "src.mp3", "copied");
  EXPECT_TRUE(FileCopy(dir / "src.mp3", dir / name, false));
  EXPECT_EQ(ReadBytes(dir / name), "copied");
  EXPECT_EQ(ListFiles(dir.path(), "*").size(), 2u);
}

// Text files are read only when they are regular and not too large: a named pipe, a device
// behind a link, a folder or a huge file fails at once as an unreadable file does.
TEST(FilesTest, ReadingTextTakesOnlyRegularFilesOfASaneSize) {
  TTempDir dir;
  WriteBytes(dir / "Korva.ini", "[DEFAULT]");
  EXPECT_EQ(ReadRegularFile(dir / "Korva.ini", 9), "[DEFAULT]");
  EXPECT_THROW(ReadRegularFile(dir / "Korva.ini", 8), TFileError);
  EXPECT_THROW(ReadRegularFile(dir.path(), 100), TFileError);
  EXPECT_THROW(ReadRegularFile(dir / "missing", 100), TFileError);
#ifndef _WIN32
  ASSERT_EQ(mkfifo((dir / "Config.txt").c_str(), 0644), 0);
  EXPECT_THROW(ReadRegularFile(dir / "Config.txt", 100), TFileError);
  std::filesystem::create_symlink("/dev/zero", dir / "korva.dat");
  EXPECT_THROW(ReadRegularFile(dir / "korva.dat", 100), TFileError);
#endif
}

// A copy that may not replace anything fails on any entry of that name, and leaves no
// temporary file; a source that is not a regular file is not copied.
TEST(FilesTest, CopiesNeverReplaceFoldersOrLinksAndTakeOnlyRegularFiles) {
  TTempDir dir;
  WriteBytes(dir / "src.mp3", "song");
  std::filesystem::create_directory(dir / "folder.mp3");
  EXPECT_FALSE(FileCopy(dir / "src.mp3", dir / "folder.mp3", true));
  EXPECT_FALSE(FileCopy(dir.path(), dir / "copy.mp3", true));
#ifndef _WIN32
  std::filesystem::create_symlink("nowhere", dir / "dangling.mp3");
  EXPECT_FALSE(FileCopy(dir / "src.mp3", dir / "dangling.mp3", true));
  EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
  ASSERT_EQ(mkfifo((dir / "pipe.mp3").c_str(), 0644), 0);
  EXPECT_FALSE(FileCopy(dir / "pipe.mp3", dir / "copy.mp3", true));
#endif
  EXPECT_TRUE(FileCopy(dir / "src.mp3", dir / "copy.mp3", true));
  std::vector<std::string> names = ListEntryNames(dir.path());
  std::sort(names.begin(), names.end());
#ifdef _WIN32
  EXPECT_EQ(names, (std::vector<std::string>{"copy.mp3", "folder.mp3", "src.mp3"}));
#else
  EXPECT_EQ(names, (std::vector<std::string>{"copy.mp3", "dangling.mp3", "folder.mp3", "pipe.mp3",
                                             "src.mp3"}));
#endif
}

TEST(FilesTest, StampsTellAChangedFile) {
  TTempDir dir;
  WriteBytes(dir / "a.mp3", "one");
  const std::optional<TFileStamp> first = FileStampOf(dir / "a.mp3");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Size, 3);
  EXPECT_EQ(FileStampOf(dir / "a.mp3"), first);
  WriteBytes(dir / "a.mp3", "other");
  EXPECT_NE(FileStampOf(dir / "a.mp3"), first);
  EXPECT_FALSE(FileStampOf(dir.path()));
  EXPECT_FALSE(FileStampOf(dir / "missing"));
}

TEST(FilesTest, FilesAndSubfoldersComeInNameOrderWithoutRegardToCase) {
  // An album's tracks come in track order, "b" between "A" and "C", whatever order the file
  // system keeps; Japanese names follow in code order, as Windows lists them.
  const std::vector<std::string> sorted = {"09 Track.mp3", "10 track.mp3", "A.mp3",  "b.mp3",
                                           "C.mp3",        "あ.mp3",       "ア.mp3", "漢.mp3"};
  TTempDir dir;
  for (const std::string& name :
       {sorted[5], sorted[1], sorted[7], sorted[3], sorted[0], sorted[6], sorted[4], sorted[2]}) {
    WriteBytes(dir / name, "");
    std::filesystem::create_directory(U8Path(dir / ("dir " + name)));
  }
  EXPECT_EQ(ListFiles(dir.path(), "*.mp3"), sorted);
  std::vector<std::string> folders;
  for (const std::string& name : sorted) folders.push_back("dir " + name);
  EXPECT_EQ(ListSubfolderNames(dir.path()), folders);
}

TEST(FilesTest, ListingMatchesWildcardsWithoutRegardToCase) {
  TTempDir dir;
  for (const char* name : {"a.mp3", "B.MP3", "c.Mp3", "d.mp3.txt", "e.wav", "曲.mp3"}) {
    WriteBytes(dir / name, "");
  }
  std::filesystem::create_directory(dir / "folder.mp3");
#ifndef _WIN32                                             // Windows folders hold no named pipes.
  ASSERT_EQ(mkfifo((dir / "pipe.mp3").c_str(), 0644), 0);  // opening it would wait for a writer
#endif
  std::vector<std::string> names = ListFiles(dir.path(), "*.mp3");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B.MP3", "a.mp3", "c.Mp3", "曲.mp3"}));
  EXPECT_TRUE(ListFiles(dir / "missing", "*").empty());
}

TEST(FilesTest, PathHelpers) {
#ifdef _WIN32
  EXPECT_EQ(JoinPath("C:\\a", "b"), "C:\\a\\b");
  EXPECT_EQ(ExtractFilePath("C:z.mp3"), "C:");  // the drive colon ends the folder part too
#else
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
#endif
  EXPECT_EQ(JoinPath("", "b"), "b");
  EXPECT_EQ(ExtractFilePath("/x/y/z.mp3"), "/x/y/");
  EXPECT_EQ(ExtractFilePath("z.mp3"), "");
  EXPECT_EQ(ExtractFileName("/x/y/z.mp3"), "z.mp3");
  EXPECT_EQ(ChangeFileExt("/x/korva", ".ini"), "/x/korva.ini");
  EXPECT_EQ(ChangeFileExt("/x.d/korva.exe", ".dat"), "/x.d/korva.dat");
  EXPECT_EQ(ChangeFileExt("/x/01. song.mp3", ""), "/x/01. song");
}

TEST(FilesTest, ProgramFolderHoldsTheRunningProgram) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), kPathSeparator);
  EXPECT_TRUE(FileExists(ProgramFilePath()));
  EXPECT_EQ(ExtractFilePath(ProgramFilePath()), folder);
}

}  // namespace
