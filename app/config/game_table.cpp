#include "app/config/game_table.h"

#include <algorithm>

#include "app/config/decimal.h"
#include "app/config/korva_config.h"
#include "platform/files.h"
#include "platform/text_compare.h"
#include "platform/text_file.h"

namespace {

// Codes 1 to 32: the blank, tab and the other control characters.
bool IsBlank(char c) { return c >= 1 && c <= ' '; }

void SkipBlanks(std::string_view line, std::size_t& p) {
  while (p < line.size() && IsBlank(line[p])) ++p;
}

std::string QuotedField(std::string_view line, std::size_t& p) {
  std::string field;
  ++p;  // the opening quote
  while (p < line.size()) {
    if (line[p] != '"') {
      field += line[p++];
    } else if (p + 1 < line.size() && line[p + 1] == '"') {
      field += '"';
      p += 2;
    } else {
      ++p;  // the closing quote
      break;
    }
  }
  return field;
}

std::string PlainField(std::string_view line, std::size_t& p) {
  const std::size_t start = p;
  while (p < line.size() && line[p] != ',' && !IsBlank(line[p])) ++p;
  return std::string(line.substr(start, p - start));
}

// A name as one table field. Names Apply makes never need quotes, but a game file's name from
// the game's own table may hold blanks or commas (it was quoted there); unquoted, the line would
// name another file and the scene would lose its music.
std::string TableField(const std::string& name) {
  const bool plain =
      !name.empty() && name.front() != '"' &&
      std::none_of(name.begin(), name.end(), [](char c) { return c == ',' || IsBlank(c); });
  if (plain) return name;
  std::string field = "\"";
  for (char c : name) field += c == '"' ? std::string("\"\"") : std::string(1, c);
  return field + '"';
}

}  // namespace

std::vector<std::string> SplitTableFields(std::string_view line) {
  // A NUL ends the line, as it ends the text for the game. Multi-byte characters need no care
  // here: in UTF-8 no byte of one can look like a separator.
  line = line.substr(0, line.find('\0'));
  std::vector<std::string> fields;
  std::size_t p = 0;
  SkipBlanks(line, p);
  while (p < line.size()) {
    fields.push_back(line[p] == '"' ? QuotedField(line, p) : PlainField(line, p));
    SkipBlanks(line, p);
    if (p < line.size() && line[p] == ',') {
      if (p + 1 == line.size()) fields.emplace_back();
      ++p;
      SkipBlanks(line, p);
    }
  }
  return fields;
}

std::string FormatTableLine(int scene, const std::string& name, bool loop) {
  return std::to_string(scene) + " " + TableField(name) + (loop ? ",loop" : "");
}

std::optional<TTableEntry> ParseTableLine(std::string_view line) {
  const std::vector<std::string> fields = SplitTableFields(line);
  if (fields.size() < 2) return std::nullopt;
  const std::optional<int> scene = ParseDecimal(fields[0]);
  // -1 stands for "no scene" in the playlists, so a scene of that number could never be saved.
  if (!scene || *scene == -1) return std::nullopt;
  const bool loop =
      fields.size() > 2 && (SameText(fields[2], "loop") || SameText(fields[2], "lop"));
  return TTableEntry{*scene, fields[1], loop};
}

TKorvaConfigItem& AddTableItem(TKorvaConfig& config, const TTableEntry& entry,
                               const std::string& folder) {
  TKorvaConfigItem& item = config.Add();
  item.Scene = entry.Scene;
  item.FileName = folder + entry.Name + ".mp3";
  item.Loop = entry.Loop;
  return item;
}

void TKorvaConfig::LoadFromGameTable(const std::string& path) {
  Clear();
  const std::string folder = ExtractFilePath(path);
  for (const std::string& line : ReadTextLines(path)) {
    if (const std::optional<TTableEntry> entry = ParseTableLine(line)) {
      AddTableItem(*this, *entry, folder);
    }
  }
}
