// Runs the program itself, as a desktop session or a terminal would, and ends it with a signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "tests/platform/scoped_env.h"
#include "tests/platform/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// True once the process has its own handler for the signal (the "SigCgt" mask in /proc).
bool Catches(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
  }
  return false;
}

// Waits up to a minute for the process; the exit status, or -1 when it had to be killed.
int WaitForExit(pid_t pid) {
  for (int i = 0; i < 1200; ++i, std::this_thread::sleep_for(50ms)) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// The modification times of the settings and playlists in a folder.
std::map<fs::path, fs::file_time_type> DataFilesIn(const fs::path& folder) {
  std::map<fs::path, fs::file_time_type> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const fs::path extension = entry.path().extension();
    if (extension == ".ini" || extension == ".m3u") files[entry.path()] = entry.last_write_time();
  }
  return files;
}

TEST(QuitSignalsTest, TerminationSavesTheSettingsInThePersonsFolder) {
  TTempDir root;
  fs::create_directories(root / "game/Music/Digital");
  fs::create_directory(root / "run");
  fs::permissions(root / "run", fs::perms::owner_all);
  const std::string table = std::string(KORVA_DEMO_DIR) + "/game/Music/Digital/Config.txt";
  fs::copy_file(table, root / "game/Music/Digital/Config.txt");
  fs::copy_file(table, root / "game/Music/Digital/Config.org");
  const fs::path programFolder = fs::path(KORVA_PROGRAM).parent_path();
  const auto programData = DataFilesIn(programFolder);

  TEnv audio("KORVA_AUDIO", "null");
  TEnv install("KORVA_INSTALL_DIR", (root / "game/").c_str());
  TEnv data("KORVA_DATA_DIR", nullptr);
  TEnv home("HOME", (root / "home").c_str());
  TEnv xdgData("XDG_DATA_HOME", (root / "data").c_str());
  TEnv xdgConfig("XDG_CONFIG_HOME", (root / "config").c_str());
  TEnv xdgRuntime("XDG_RUNTIME_DIR", (root / "run").c_str());
  char* argv[] = {const_cast<char*>(KORVA_PROGRAM), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, KORVA_PROGRAM, nullptr, nullptr, argv, environ), 0);
  for (int i = 0; i < 1200 && !Catches(pid, SIGTERM); ++i) std::this_thread::sleep_for(50ms);
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitForExit(pid), 0);

  const std::string settings = ReadBytes(root / "config/korva/Korva.ini");
  EXPECT_NE(settings.find("FileColumnName="), std::string::npos) << settings;
  EXPECT_TRUE(fs::is_directory(root / "data/korva"));
  // Nothing of the person's is written beside the program, so removing a build loses nothing.
  EXPECT_EQ(DataFilesIn(programFolder), programData);
}

}  // namespace
