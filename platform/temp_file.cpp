#include "platform/temp_file.h"

#include <random>

#include "platform/files.h"

std::string CreateTempBeside(const std::string& target,
                             const std::function<TTempCreate(const std::string& temp)>& create) {
  thread_local std::mt19937 random{std::random_device{}()};
  const std::string folder = ExtractFilePath(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = folder + ".korva-" + std::to_string(random() % 1000000) + ".tmp";
    switch (create(temp)) {
      case TTempCreate::ttcCreated:
        return temp;
      case TTempCreate::ttcFailed:
        return {};
      case TTempCreate::ttcNameTaken:
        break;
    }
  }
  return {};
}
