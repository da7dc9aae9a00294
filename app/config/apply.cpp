#include "app/config/apply.h"

#include <vector>

#include "app/config/apply_names.h"
#include "app/config/config_edit.h"
#include "app/config/config_names.h"
#include "app/config/debug_out.h"
#include "app/config/game_table.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/text_compare.h"
#include "platform/text_file.h"

namespace {

std::string ConfirmText(const std::string& name) {
  std::string text = kMsgApplyConfirm;
  return text.replace(text.find("%s"), 2, name);
}

// Deletes the copies the previous Apply made: every file the current table names that is not one
// of the game's own files. Entries that would lead outside the music folder are never touched.
// Returns false, after telling the person, when a copy cannot be deleted.
bool RemovePreviousCopies(const TKorvaConfig& current, const TKorvaConfig& defaultConfig,
                          const std::string& musicFolder, IPrompts& prompts) {
  const std::string folder = JoinPath(musicFolder, "");
  for (int i = 0; i < current.Count(); ++i) {
    const std::string& path = current.Items(i).FileName;
    if (defaultConfig.IndexOfFile(path) >= 0) continue;
    if (ExtractFilePath(path) != folder || !IsPlainFileName(ExtractFileName(path))) continue;
    if (!FileExists(path)) continue;
    if (!FileDelete(path)) {
      prompts.ShowMessage(path + kMsgDeleteFailed + kMsgQuitGame);
      return false;
    }
    DebugOut("DeleteFile=" + path);
  }
  return true;
}

// The effective item of every default scene: the first user item of that scene, else the
// default item. User items for scenes the game does not have are left out.
void BuildEffectiveItems(const TKorvaConfig& defaultConfig, const TKorvaConfig& userConfig,
                         TKorvaConfig& effective) {
  for (int i = 0; i < defaultConfig.Count(); ++i) {
    const TKorvaConfigItem& source = EffectiveItem(defaultConfig.Items(i), userConfig);
    TKorvaConfigItem& item = effective.Add();
    item.Scene = source.Scene;
    item.FileName = source.FileName;
    item.Loop = source.Loop;
    item.IsDefault = source.IsDefault;
  }
}

// Picks the destination of every effective item. Items that need no copy (game files, and
// repeats of a source copied for an earlier scene) get IsDefault set. New names never equal a
// destination chosen earlier, a file the game's backup table names, or a file that is in the
// music folder after the clean-up: those are the game's own files (listed in its table or not)
// and songs the person put there, and a copy would replace them for good, since the next Apply
// deletes what the table names. (New names end in ".mp3", so they never meet the tables either.)
std::vector<std::string> ChooseDestinations(TKorvaConfig& effective,
                                            const TKorvaConfig& defaultConfig,
                                            const std::string& musicFolder) {
  std::vector<std::string> taken = ListFiles(musicFolder, "*");
  for (int i = 0; i < defaultConfig.Count(); ++i) {
    taken.push_back(defaultConfig.Items(i).FileName);
  }
  std::vector<std::string> destinations;
  for (int k = 0; k < effective.Count(); ++k) {
    TKorvaConfigItem& item = effective.Items(k);
    if (defaultConfig.IndexOfFile(item.FileName) >= 0) item.IsDefault = true;
    const int first = effective.IndexOfFile(item.FileName);
    std::string dest;
    if (item.IsDefault) {
      dest = item.FileName;
    } else if (first < k) {
      dest = destinations[first];
      item.IsDefault = true;
    } else {
      const std::string name =
          FirstFreeFileName(TableSafeFileName(ExtractFileName(item.FileName)), taken);
      dest = JoinPath(musicFolder, name);
    }
    destinations.push_back(dest);
    taken.push_back(dest);
  }
  return destinations;
}

// The name the table gives a destination: its path below the music folder without ".mp3". For
// a copy that is its file name; a game file keeps the name its own table gave it, even one that
// leads into another folder, so the table goes on naming that file.
std::string TableName(const std::string& dest, const std::string& musicFolder) {
  const std::string folder = JoinPath(musicFolder, "");
  const bool below = dest.size() > folder.size() && SameText(dest.substr(0, folder.size()), folder);
  return ChangeFileExt(below ? dest.substr(folder.size()) : ExtractFileName(dest), "");
}

// Copies what needs copying and returns the table's lines; failed sources are collected.
std::vector<std::string> CopyFiles(const TKorvaConfig& effective,
                                   const std::vector<std::string>& destinations,
                                   const std::string& musicFolder,
                                   std::vector<std::string>& failures) {
  std::vector<std::string> lines;
  for (int k = 0; k < effective.Count(); ++k) {
    const TKorvaConfigItem& item = effective.Items(k);
    const std::string& dest = destinations[k];
    if (!item.IsDefault) {
      if (FileCopy(item.FileName, dest, false)) {
        // Clears a read-only attribute taken over from the source, so the next Apply can delete
        // the copy.
        FileSetAttr(dest, faArchive);
      } else {
        failures.push_back(item.FileName);
      }
      DebugOut("CopyFile: Source=" + item.FileName + " Dest=" + dest);
    }
    lines.push_back(FormatTableLine(item.Scene, TableName(dest, musicFolder), item.Loop));
  }
  return lines;
}

// The number (from 1) of the backup table's line that gave the default item at index; 0 when the
// backup can no longer be read.
int BackupLineOf(int index, const std::string& musicFolder) {
  std::vector<std::string> lines;
  try {
    lines = ReadTextLines(JoinPath(musicFolder, kGameTableBackupName));
  } catch (const TFileError&) {
    return 0;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (ParseTableLine(lines[i]) && index-- == 0) return static_cast<int>(i) + 1;
  }
  return 0;
}

// The game's own names go back into the table as its backup has them. One without a code-page
// form (bytes of Config.org that are no character) would stop Apply at the table, after the
// previous copies were deleted and new ones made; this finds it before anything changes and
// tells the person which line of the backup holds it.
bool GameNamesFitTheTable(const TKorvaConfig& defaultConfig, const std::string& musicFolder,
                          IPrompts& prompts) {
  for (int i = 0; i < defaultConfig.Count(); ++i) {
    const TKorvaConfigItem& item = defaultConfig.Items(i);
    if (Utf8ToCodePage(TableName(item.FileName, musicFolder))) continue;
    const int line = BackupLineOf(i, musicFolder);
    const std::string where = line > 0 ? "の" + std::to_string(line) + "行目" : "";
    prompts.ShowMessage(kGameTableBackupName + where + kMsgUnwritableGameName);
    return false;
  }
  return true;
}

std::string CopyFailureText(const std::vector<std::string>& failures) {
  std::string text;
  for (const std::string& source : failures) text += source + "\n";
  return text + kMsgCopyFailed + kMsgQuitGame;
}

bool ApplyUserConfig(const TKorvaConfig& defaultConfig, const TKorvaConfig& userConfig,
                     const std::string& musicFolder, IPrompts& prompts) {
  TKorvaConfig effective;
  BuildEffectiveItems(defaultConfig, userConfig, effective);
  const std::vector<std::string> destinations =
      ChooseDestinations(effective, defaultConfig, musicFolder);
  std::vector<std::string> failures;
  {
    TBusyScope busy(prompts);
    const std::vector<std::string> lines =
        CopyFiles(effective, destinations, musicFolder, failures);
    WriteTextLines(JoinPath(musicFolder, kGameTableName), lines, TTextEncoding::tenCodePageOnly);
  }
  if (!failures.empty()) prompts.ShowMessage(CopyFailureText(failures));
  return true;
}

}  // namespace

bool ApplyConfig(const std::string& name, const TKorvaConfig& defaultConfig,
                 const TKorvaConfig& userConfig, const std::string& musicFolder,
                 IPrompts& prompts) {
  if (prompts.Ask(ConfirmText(name), TPromptIcon::pciConfirmation, TPromptButtons::pcbOkCancel) !=
      TPromptAnswer::pcaOk) {
    return false;
  }
  const std::string table = JoinPath(musicFolder, kGameTableName);
  if (!FileExists(table)) {
    prompts.ShowMessage(kMsgNoGameTable);
    return false;
  }
  try {
    TKorvaConfig current;
    current.LoadFromGameTable(table);
    if (name != kDefaultConfigName && !GameNamesFitTheTable(defaultConfig, musicFolder, prompts)) {
      return false;
    }
    if (!RemovePreviousCopies(current, defaultConfig, musicFolder, prompts)) return false;
    if (name == kDefaultConfigName) {
      if (!FileCopy(JoinPath(musicFolder, kGameTableBackupName), table, false)) {
        prompts.ShowMessage(kMsgRestoreFailed);
        return false;
      }
      return true;
    }
    return ApplyUserConfig(defaultConfig, userConfig, musicFolder, prompts);
  } catch (const TFileError& e) {
    // What the program's general error display would show for an unhandled failure.
    prompts.ShowMessage(e.what());
    return false;
  }
}
