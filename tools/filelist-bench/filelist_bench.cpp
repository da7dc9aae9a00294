// Measures how long listing a folder takes: the directory search and, for every MP3 file, the
// row the file list would show (size, date, frame header, tags), without a window.
#include <chrono>
#include <cstdio>
#include <string>

#include "app/file_row.h"
#include "mp3player/compo/info/mp3_info.h"
#include "platform/files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: filelist-bench FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  if (!DirectoryExists(folder)) {
    std::fprintf(stderr, "filelist-bench: %s is not a folder\n", folder.c_str());
    return 2;
  }
  TMP3Info tags;
  const auto start = std::chrono::steady_clock::now();
  int files = 0;
  for (const std::string& name : ListFiles(folder, "*.mp3")) {
    ReadFileRow(folder, name, tags);
    ++files;
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  std::printf("files=%d ms=%lld\n", files, static_cast<long long>(ms));
  return 0;
}
