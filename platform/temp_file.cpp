#include "platform/temp_file.h"

#include <random>

#include "platform/files.h"

namespace {

constexpr std::string_view kTempPrefix = ".korva-";
constexpr std::string_view kTempSuffix = ".tmp";

}  // namespace

std::string CreateTempBeside(const std::string& target,
                             const std::function<TTempCreate(const std::string& temp)>& create) {
  thread_local std::mt19937 random{std::random_device{}()};
  const std::string folder = ExtractFilePath(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = folder + std::string(kTempPrefix) +
                             std::to_string(random() % 1000000) + std::string(kTempSuffix);
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

bool IsTempBesideName(std::string_view name) {
  if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return false;
  const std::string_view number =
      name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
  return !number.empty() && number.size() <= 6 &&
         number.find_first_not_of("0123456789") == std::string_view::npos;
}
