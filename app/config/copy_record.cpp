#include "app/config/copy_record.h"

#include <charconv>

#include "app/config/apply_names.h"
#include "platform/text_compare.h"
#include "platform/text_file.h"

namespace {

constexpr std::string_view kHeader = "#KORVACOPIES";
constexpr std::string_view kCopyMark = "copy ";
constexpr std::string_view kGameMark = "game ";

std::optional<int64_t> ParseNumber(std::string_view text) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// "size modified name": the name comes last, so it may hold blanks.
bool ParseCopyLine(std::string_view rest, std::string& name, TFileStamp& stamp) {
  const std::size_t first = rest.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : rest.find(' ', first + 1);
  if (second == std::string_view::npos) return false;
  const auto size = ParseNumber(rest.substr(0, first));
  const auto modified = ParseNumber(rest.substr(first + 1, second - first - 1));
  name = rest.substr(second + 1);
  if (!size || !modified || !IsPlainFileName(name)) return false;
  stamp = TFileStamp{*size, *modified};
  return true;
}

}  // namespace

TCopyRecord TCopyRecord::Load(const std::string& musicFolder) {
  TCopyRecord record;
  std::vector<std::string> lines;
  try {
    lines = ReadTextLines(JoinPath(musicFolder, kCopyRecordName));
  } catch (const TFileError&) {
    return record;
  }
  if (lines.empty() || lines[0] != kHeader) return record;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    std::string name;
    TFileStamp stamp;
    if (line.starts_with(kCopyMark) && ParseCopyLine(line.substr(kCopyMark.size()), name, stamp)) {
      record.copies_[FoldCase(name)] = TCopy{name, stamp};
    } else if (line.starts_with(kGameMark)) {
      record.gameLines_.emplace_back(line.substr(kGameMark.size()));
    }
  }
  return record;
}

void TCopyRecord::Save(const std::string& musicFolder) const {
  const std::string path = JoinPath(musicFolder, kCopyRecordName);
  if (copies_.empty() && gameLines_.empty()) {
    if (FileExists(path) && !FileDelete(path)) throw TFileError(path + ": cannot be removed");
    return;
  }
  std::vector<std::string> lines{std::string(kHeader)};
  for (const auto& [key, copy] : copies_) {
    lines.push_back(std::string(kCopyMark) + std::to_string(copy.Stamp.Size) + " " +
                    std::to_string(copy.Stamp.Modified) + " " + copy.Name);
  }
  for (const std::string& line : gameLines_) lines.push_back(std::string(kGameMark) + line);
  WriteTextLines(path, lines, TTextEncoding::tenCodePageOrUtf8);
}

bool TCopyRecord::AddCopy(const std::string& musicFolder, const std::string& name) {
  const std::optional<TFileStamp> stamp = FileStampOf(JoinPath(musicFolder, name));
  if (!stamp) return false;
  copies_[FoldCase(name)] = TCopy{name, *stamp};
  return true;
}

void TCopyRecord::RemoveCopy(const std::string& name) { copies_.erase(FoldCase(name)); }

bool TCopyRecord::IsCopy(const std::string& name) const { return copies_.contains(FoldCase(name)); }

bool TCopyRecord::IsUnchangedCopy(const std::string& musicFolder, const std::string& name) const {
  const auto found = copies_.find(FoldCase(name));
  return found != copies_.end() &&
         FileStampOf(JoinPath(musicFolder, found->second.Name)) == found->second.Stamp;
}

std::vector<std::string> TCopyRecord::CopyNames() const {
  std::vector<std::string> names;
  for (const auto& [key, copy] : copies_) names.push_back(copy.Name);
  return names;
}

std::optional<TFileStamp> TCopyRecord::RecordedStamp(const std::string& name) const {
  const auto found = copies_.find(FoldCase(name));
  if (found == copies_.end()) return std::nullopt;
  return found->second.Stamp;
}
