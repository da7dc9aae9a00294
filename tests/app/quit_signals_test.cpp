// Runs the program itself, as a desktop session or a terminal would, and ends it with a signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The environment of the test with the given variables replaced or, when empty, removed.
std::vector<std::string> Environment(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    if (!changes.contains(text.substr(0, text.find('=')))) result.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (!value.empty()) result.push_back(name + "=" + value);
  }
  return result;
}

pid_t Start(const std::string& program, std::vector<std::string> environment) {
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    execve(program.c_str(), argv, envp.data());
    _exit(127);
  }
  return pid;
}

// True once the process has its own handler for the signal (the "SigCgt" mask in /proc).
bool Catches(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) == 0) {
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
    }
  }
  return false;
}

// The exit status, or -1 when the process did not exit by itself within the time.
int WaitForExit(pid_t pid, std::chrono::seconds limit) {
  for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(50ms)) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// The modification times of the settings and playlists in a folder.
std::map<std::string, fs::file_time_type> DataFilesIn(const std::string& folder) {
  std::map<std::string, fs::file_time_type> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".ini" || extension == ".m3u") files[entry.path()] = entry.last_write_time();
  }
  return files;
}

TEST(QuitSignalsTest, TerminationSavesTheSettingsInThePersonsFolder) {
  TTempDir root;
  fs::create_directories(root / "game/Music/Digital");
  fs::create_directories(root / "run");
  fs::permissions(root / "run", fs::perms::owner_all);
  const std::string table = std::string(KORVA_DEMO_DIR) + "/game/Music/Digital/Config.txt";
  fs::copy_file(table, root / "game/Music/Digital/Config.txt");
  fs::copy_file(table, root / "game/Music/Digital/Config.org");
  const std::string programFolder = fs::path(KORVA_PROGRAM).parent_path();
  const auto programData = DataFilesIn(programFolder);

  const pid_t pid = Start(KORVA_PROGRAM, Environment({{"QT_QPA_PLATFORM", "offscreen"},
                                                      {"KORVA_AUDIO", "null"},
                                                      {"KORVA_INSTALL_DIR", root / "game/"},
                                                      {"KORVA_DATA_DIR", ""},
                                                      {"HOME", root / "home"},
                                                      {"XDG_DATA_HOME", root / "data"},
                                                      {"XDG_CONFIG_HOME", root / "config"},
                                                      {"XDG_RUNTIME_DIR", root / "run"}}));
  ASSERT_GT(pid, 0);
  const auto end = std::chrono::steady_clock::now() + 60s;
  while (!Catches(pid, SIGTERM) && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(50ms);
  }
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitForExit(pid, 60s), 0);

  const std::string settings = ReadBytes(root / "config/korva/Korva.ini");
  EXPECT_NE(settings.find("Volume="), std::string::npos) << settings;
  EXPECT_NE(settings.find("FileColumnName="), std::string::npos) << settings;
  EXPECT_TRUE(fs::is_directory(root / "data/korva"));
  // Nothing of the person's is written beside the program, so removing a build loses nothing.
  EXPECT_EQ(DataFilesIn(programFolder), programData);
}

}  // namespace
