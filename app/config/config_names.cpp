#include "app/config/config_names.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/program_path.h"
#include "platform/text_compare.h"
#include "platform/text_file.h"

std::vector<std::string> ListConfigs(const std::string& programFolder, IPrompts& prompts) {
  std::vector<std::string> names;
  for (const std::string& file : ListFiles(programFolder, "*.m3u")) {
    if (!IsValidUtf8(file)) {
      // Decoded as text files are, a name from a Shift-JIS system shows as it was meant.
      prompts.ShowMessage(JoinPath(programFolder, DecodeText(file)) + kMsgConfigNameUnreadable);
      continue;
    }
    std::vector<std::string> lines;
    try {
      lines = ReadTextLines(JoinPath(programFolder, file));
    } catch (const TFileError&) {
      continue;  // A playlist that cannot be read is no configuration.
    }
    if (lines.size() >= 2 && lines[0] == "#EXTM3U" && lines[1] == "#KORVA") {
      names.push_back(ChangeFileExt(file, ""));
    }
  }
  return names;
}

bool IsValidConfigName(const std::string& name) {
  // Names are UTF-8 inside, where no byte of a multi-byte character is ASCII, so a plain byte
  // search cannot mistake half of a Japanese character for one of these.
  return name.find_first_of("\\/:;*?\"<>|=") == std::string::npos;
}

std::string ConfigFileName(const std::string& name, const std::string& programFolder) {
  const std::string file = name + ".m3u";
  // ListConfigs lists "x.M3U" as "x", as Windows does. Where the file system tells letter case
  // apart, that name must still lead to that file rather than to a new "x.m3u" beside it.
  if (!FileExists(JoinPath(programFolder, file))) {
    for (const std::string& existing : ListFiles(programFolder, "*.m3u")) {
      if (SameText(existing, file)) return JoinPath(programFolder, existing);
    }
  }
  return JoinPath(programFolder, file);
}

std::string IniFileName() { return JoinPath(UserSettingsFolder(), "Korva.ini"); }

std::string SceneLabelFileName() {
  const std::string beside = ChangeFileExt(ProgramFilePath(), ".dat");
  if (FileExists(beside)) return beside;
  return ProgramFolder() + "../share/korva/korva.dat";
}
