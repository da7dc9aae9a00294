#include "platform/data_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/program_path.h"
#include "platform/windows/user_folder.h"
#include "tests/platform/temp_dir.h"

namespace {

TEST(DataFoldersTest, WritableProgramFolderKeepsTheFilesBesideTheProgram) {
  TTempDir folder;
  const std::string programFolder = folder.path() + "\\";
  EXPECT_EQ(UserFolderFor(programFolder), programFolder);
  // The probe is gone again.
  EXPECT_TRUE(ListFiles(programFolder, "*").empty());

  // The test program's own folder is writable.
  EXPECT_EQ(UserDataFolder(), ProgramFolder());
  EXPECT_EQ(UserSettingsFolder(), ProgramFolder());
}

TEST(DataFoldersTest, FolderThatTakesNoFilesGivesAppDataKorva) {
  TTempDir appData;
  const std::string oldAppData = std::getenv("APPDATA") ? std::getenv("APPDATA") : "";
  _putenv_s("APPDATA", appData.path().c_str());
  // A file where the program's folder should be: nothing can be created below it, as in a folder
  // the person has no right to write.
  WriteBytes(appData / "blocked", "");
  const std::string korva = appData.path() + "\\Korva\\";
  EXPECT_EQ(UserFolderFor(appData.path() + "\\blocked\\"), korva);
  EXPECT_TRUE(DirectoryExists(korva));
  EXPECT_EQ(UserFolderFor(appData.path() + "\\blocked\\"), korva);  // and again, once it exists
  _putenv_s("APPDATA", oldAppData.c_str());
}

// The installer's copy keeps the person's files out of the folder its uninstaller removes.
TEST(DataFoldersTest, InstalledCopyGivesAppDataKorvaThoughItsFolderIsWritable) {
  TTempDir appData;
  TEnv env("APPDATA", appData.path().c_str());
  const std::string program = appData / "program";
  std::filesystem::create_directory(U8Path(program));
  WriteBytes(JoinPath(program, kUninstallerName), "");
  EXPECT_EQ(UserFolderFor(program + "\\"), appData.path() + "\\Korva\\");
}

}  // namespace
