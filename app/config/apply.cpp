#include "app/config/apply.h"

#include <chrono>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/config/apply_files.h"
#include "app/config/apply_names.h"
#include "app/config/config_edit.h"
#include "app/config/config_names.h"
#include "app/config/copy_record.h"
#include "app/config/debug_out.h"
#include "app/config/game_table.h"
#include "mp3player/compo/info/mp3_info.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/text_compare.h"
#include "platform/text_file.h"

namespace {

// Long enough for another Apply of a few files to end; short enough that the person is told.
constexpr std::chrono::seconds kLockWait{3};

std::string ConfirmText(const std::string& name) {
  std::string text = kMsgApplyConfirm;
  return text.replace(text.find("%s"), 2, name);
}

std::string SceneList(const std::vector<int>& scenes) {
  std::string text;
  for (int scene : scenes) text += (text.empty() ? "" : ", ") + std::to_string(scene);
  return text;
}

// The name the table gives a destination: its path below the music folder without ".mp3". For
// a copy that is its file name; a game file keeps the name its own table gave it, even one that
// leads into another folder, so the table goes on naming that file.
std::string TableName(const std::string& dest, const std::string& musicFolder) {
  const std::string folder = JoinPath(musicFolder, "");
  const bool below = dest.size() > folder.size() && SameText(dest.substr(0, folder.size()), folder);
  return ChangeFileExt(below ? dest.substr(folder.size()) : ExtractFileName(dest), "");
}

std::string TableLine(const TKorvaConfigItem& item, const std::string& musicFolder) {
  return FormatTableLine(item.Scene, TableName(item.FileName, musicFolder), item.Loop);
}

// The name of a plain file directly in the music folder that a table entry names; "" for an
// entry that leads anywhere else.
std::string NameInFolder(const std::string& path, const std::string& musicFolder) {
  const std::string name = ExtractFileName(path);
  if (ExtractFilePath(path) != JoinPath(musicFolder, "") || !IsPlainFileName(name)) return {};
  return name;
}

// One Apply, from the locked folder to the new table.
class TApplyRun {
 public:
  TApplyRun(const TKorvaConfig& defaultConfig, const std::string& musicFolder, IPrompts& prompts)
      : defaultConfig_(defaultConfig),
        folder_(musicFolder),
        prompts_(prompts),
        record_(TCopyRecord::Load(musicFolder)),
        oldRecord_(record_) {}

  // Reads Config.txt and the game's own assignment; false (the person told) when the backup
  // is damaged.
  bool Prepare() {
    current_.LoadFromGameTable(JoinPath(folder_, kGameTableName));
    if (defaultConfig_.Count() == 0) return StopForBadBackup();
    BuildStandard();
    return AdoptGameScenes();
  }

  TApplyResult RestoreDefault() {
    if (!WriteStandardTable()) {
      prompts_.ShowMessage(kMsgRestoreFailed);
      return TApplyResult::arStopped;
    }
    std::vector<std::string> lines;
    for (int i = 0; i < standard_.Count(); ++i)
      lines.push_back(TableLine(standard_.Items(i), folder_));
    return Finish(lines);
  }

  TApplyResult ApplyUser(const TKorvaConfig& userConfig) {
    if (!GameNamesFitTheTable()) return TApplyResult::arStopped;
    TKorvaConfig effective;
    BuildEffectiveItems(userConfig, effective);
    const std::vector<std::string> destinations = ChooseDestinations(effective);
    std::vector<std::string> lines;
    std::vector<std::string> failures;
    std::vector<int> keptScenes;
    {
      TBusyScope busy(prompts_);
      lines = CopyFiles(effective, destinations, failures, keptScenes);
    }
    try {
      record_.Save(folder_);
      WriteTextLines(JoinPath(folder_, kGameTableName), lines, TTextEncoding::tenCodePageOnly);
    } catch (const TFileError&) {
      RollBack();
      throw;
    }
    if (!failures.empty()) prompts_.ShowMessage(CopyFailureText(failures, keptScenes));
    return Finish(lines, failures.empty() ? TApplyResult::arDone : TApplyResult::arCopiesFailed);
  }

 private:
  // The game's own assignment: the scenes of Config.org, then those the game's table gained
  // after the backup was taken, which the record remembers.
  void BuildStandard() {
    standard_.SetDefault(true);
    for (int i = 0; i < defaultConfig_.Count(); ++i) {
      const TKorvaConfigItem& source = defaultConfig_.Items(i);
      TKorvaConfigItem& item = standard_.Add();
      item.Scene = source.Scene;
      item.FileName = source.FileName;
      item.Loop = source.Loop;
    }
    // A scene the backup has again (refreshed by the person) is the backup's; the record
    // forgets it.
    std::vector<std::string> gameLines;
    for (const std::string& line : record_.GameLines()) {
      const auto entry = ParseTableLine(line);
      if (!entry || standard_.IndexOfScene(entry->Scene) >= 0) continue;
      AddStandardItem(*entry);
      gameLines.push_back(line);
    }
    record_.SetGameLines(std::move(gameLines));
  }

  void AddStandardItem(const TTableEntry& entry) {
    AddTableItem(standard_, entry, JoinPath(folder_, ""));
  }

  // Scenes of Config.txt the standard lacks. One whose file is not Korva's copy came with an
  // update of the game: it joins the standard, and the record keeps it. One whose file is
  // Korva's copy was written by an earlier Apply from a backup that had that scene: the backup
  // has lost scenes since, and would now drop them from the game.
  bool AdoptGameScenes() {
    for (int i = 0; i < current_.Count(); ++i) {
      const TKorvaConfigItem& item = current_.Items(i);
      if (standard_.IndexOfScene(item.Scene) >= 0) continue;
      const std::string name = NameInFolder(item.FileName, folder_);
      if (!name.empty() && record_.IsCopy(name)) return StopForBadBackup();
      const std::string line = TableLine(item, folder_);
      const auto entry = ParseTableLine(line);
      if (!entry) continue;
      record_.AddGameLine(line);
      AddStandardItem(*entry);
      adoptedScenes_.push_back(item.Scene);
    }
    return true;
  }

  bool StopForBadBackup() {
    prompts_.ShowMessage(JoinPath(folder_, kGameTableBackupName) + kMsgBadBackup);
    return false;
  }

  // The game's own names go back into the table as its backup has them. One without a
  // code-page form (bytes of Config.org that are no character) would stop Apply at the table;
  // this finds it before anything changes and tells the person which line of the backup holds
  // it.
  bool GameNamesFitTheTable() {
    for (int i = 0; i < standard_.Count(); ++i) {
      if (Utf8ToCodePage(TableName(standard_.Items(i).FileName, folder_))) continue;
      const int line = BackupLineOf(i);
      const std::string where = line > 0 ? "の" + std::to_string(line) + "行目" : "";
      prompts_.ShowMessage(kGameTableBackupName + where + kMsgUnwritableGameName);
      return false;
    }
    return true;
  }

  // The number (from 1) of the backup table's line that gave the standard item at index; 0
  // when the backup can no longer be read or the item came from the record.
  int BackupLineOf(int index) {
    std::vector<std::string> lines;
    try {
      lines = ReadTextLines(JoinPath(folder_, kGameTableBackupName));
    } catch (const TFileError&) {
      return 0;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (ParseTableLine(lines[i]) && index-- == 0) return static_cast<int>(i) + 1;
    }
    return 0;
  }

  // Config.txt as the game has it on its own: Config.org byte for byte, or, when the game's
  // table gained scenes since, Config.org's lines and those scenes.
  bool WriteStandardTable() {
    const std::string table = JoinPath(folder_, kGameTableName);
    const std::string backup = JoinPath(folder_, kGameTableBackupName);
    try {
      record_.Save(folder_);
      if (record_.GameLines().empty()) return FileCopy(backup, table, false);
      std::vector<std::string> lines = ReadTextLines(backup);
      lines.insert(lines.end(), record_.GameLines().begin(), record_.GameLines().end());
      WriteTextLines(table, lines, TTextEncoding::tenCodePageOnly);
      return true;
    } catch (const TFileError&) {
      return false;
    }
  }

  // The effective item of every standard scene: the first user item of that scene, else the
  // standard item. User items for scenes the game does not have are left out.
  void BuildEffectiveItems(const TKorvaConfig& userConfig, TKorvaConfig& effective) {
    for (int i = 0; i < standard_.Count(); ++i) {
      const TKorvaConfigItem& source = EffectiveItem(standard_.Items(i), userConfig);
      TKorvaConfigItem& item = effective.Add();
      item.Scene = source.Scene;
      item.FileName = source.FileName;
      item.Loop = source.Loop;
      item.IsDefault = source.IsDefault;
    }
  }

  // The folded paths of the files the game's own table names.
  std::unordered_set<std::string> GameFiles() const {
    std::unordered_set<std::string> files;
    for (int i = 0; i < standard_.Count(); ++i) files.insert(FoldCase(standard_.Items(i).FileName));
    return files;
  }

  // Picks the destination of every effective item. Items that need no copy (game files, and
  // repeats of a source copied for an earlier scene) get IsDefault set. A new name equals no
  // entry of the music folder (file, folder or link), no name the game's table uses and no
  // destination chosen earlier, so a copy never replaces anything.
  std::vector<std::string> ChooseDestinations(TKorvaConfig& effective) {
    TTakenNames taken;
    for (const std::string& name : ListEntryNames(folder_)) taken.Add(name);
    for (int i = 0; i < standard_.Count(); ++i) taken.Add(standard_.Items(i).FileName);
    const std::unordered_set<std::string> gameFiles = GameFiles();
    std::unordered_map<std::string, int> firstOfSource;
    std::vector<std::string> destinations;
    for (int k = 0; k < effective.Count(); ++k) {
      TKorvaConfigItem& item = effective.Items(k);
      const std::string source = FoldCase(item.FileName);
      if (gameFiles.contains(source)) item.IsDefault = true;
      const int first = firstOfSource.try_emplace(source, k).first->second;
      if (item.IsDefault) {
        destinations.push_back(item.FileName);
      } else if (first < k) {
        destinations.push_back(destinations[first]);
        item.IsDefault = true;
      } else {
        const std::string base = TableSafeFileName(ExtractFileName(item.FileName));
        std::string name = EarlierCopyOf(item.FileName, base);
        // An earlier copy with the same bytes is kept as it is: no copy needed.
        item.IsDefault = !name.empty();
        if (name.empty()) name = taken.TakeFree(base);
        destinations.push_back(JoinPath(folder_, name));
      }
    }
    return destinations;
  }

  // The name of an unchanged earlier copy, named as a copy of this source would be, that holds
  // the source's bytes; "". Re-applying a configuration then keeps its copies and their names.
  // Only copies of the source's size are read.
  std::string EarlierCopyOf(const std::string& source, const std::string& base) {
    const std::optional<TFileStamp> stamp = FileStampOf(source);
    if (!stamp) return {};
    if (earlierCopies_.empty()) {
      for (const std::string& name : record_.CopyNames()) {
        earlierCopies_.emplace(EarlierCopyKey(name, record_.RecordedStamp(name)->Size), name);
      }
    }
    const auto [first, last] = earlierCopies_.equal_range(EarlierCopyKey(base, stamp->Size));
    for (auto it = first; it != last; ++it) {
      const std::string& name = it->second;
      if (record_.IsUnchangedCopy(folder_, name) && SameBytes(source, JoinPath(folder_, name))) {
        return name;
      }
    }
    return {};
  }

  // Copies what needs copying and returns the table's lines. A scene whose copy failed keeps
  // its standard line, so the table never names a file that is not there.
  std::vector<std::string> CopyFiles(TKorvaConfig& effective,
                                     const std::vector<std::string>& destinations,
                                     std::vector<std::string>& failures,
                                     std::vector<int>& keptScenes) {
    TMP3Info tags;
    std::unordered_set<std::string> failedDestinations;
    std::vector<std::string> lines;
    for (int k = 0; k < effective.Count(); ++k) {
      TKorvaConfigItem& item = effective.Items(k);
      const std::string& dest = destinations[k];
      bool failed = failedDestinations.contains(dest);
      if (!item.IsDefault) {
        failed = !IsCopySource(item.FileName, tags) || !FileCopy(item.FileName, dest, true);
        DebugOut("CopyFile: Source=" + item.FileName + " Dest=" + dest);
        if (failed) {
          failures.push_back(item.FileName);
          failedDestinations.insert(dest);
        } else {
          // Clears a read-only attribute taken over from the source, so the next Apply can
          // delete the copy.
          FileSetAttr(dest, faArchive);
          made_.push_back(ExtractFileName(dest));
          record_.AddCopy(folder_, made_.back());
        }
      }
      if (failed) {
        keptScenes.push_back(item.Scene);
        lines.push_back(TableLine(standard_.Items(standard_.IndexOfScene(item.Scene)), folder_));
      } else {
        lines.push_back(FormatTableLine(item.Scene, TableName(dest, folder_), item.Loop));
      }
    }
    return lines;
  }

  static std::string CopyFailureText(const std::vector<std::string>& failures,
                                     const std::vector<int>& keptScenes) {
    std::string text;
    for (const std::string& source : failures) text += source + "\n";
    return text + kMsgCopyFailed + kMsgQuitGame + kMsgScenesKeptGameMusic + SceneList(keptScenes);
  }

  // Removes the copies this Apply made and puts the record back: the previous Apply stands.
  void RollBack() {
    for (const std::string& name : made_) FileDelete(JoinPath(folder_, name));
    try {
      oldRecord_.Save(folder_);
    } catch (const TFileError&) {
      // The record then also lists the removed copies; an entry without its file is dropped by
      // the next Apply.
    }
  }

  // The new table is in effect: deletes the earlier copies it no longer names, tells the
  // person about scenes the game's table gained, and keeps the record.
  TApplyResult Finish(const std::vector<std::string>& lines,
                      TApplyResult result = TApplyResult::arDone) {
    std::unordered_set<std::string> named;
    for (const std::string& line : lines) {
      if (const auto entry = ParseTableLine(line)) named.insert(FoldCase(entry->Name + ".mp3"));
    }
    const std::unordered_set<std::string> gameFiles = GameFiles();
    for (const std::string& name : oldRecord_.CopyNames()) {
      if (named.contains(FoldCase(name))) continue;
      const std::string path = JoinPath(folder_, name);
      // A copy somebody changed, replaced or removed is no longer Korva's; a file of the game's
      // own table never was, whatever the record says.
      if (!record_.IsUnchangedCopy(folder_, name) || gameFiles.contains(FoldCase(path))) {
        record_.RemoveCopy(name);
      } else if (FileDelete(path)) {
        DebugOut("DeleteFile=" + path);
        record_.RemoveCopy(name);
      }
      // A copy in use stays in the record; a later Apply deletes it.
    }
    try {
      record_.Save(folder_);
    } catch (const TFileError&) {
      // The record then still lists deleted copies, which the next Apply drops.
    }
    if (!adoptedScenes_.empty())
      prompts_.ShowMessage(kMsgGameTableGrew + SceneList(adoptedScenes_));
    return result;
  }

  const TKorvaConfig& defaultConfig_;
  const std::string folder_;
  IPrompts& prompts_;
  TCopyRecord record_;
  const TCopyRecord oldRecord_;
  TKorvaConfig current_;
  TKorvaConfig standard_;
  std::unordered_multimap<std::string, std::string> earlierCopies_;  // by EarlierCopyKey
  std::vector<int> adoptedScenes_;
  std::vector<std::string> made_;  // names of the copies this Apply made
};

}  // namespace

TApplyResult ApplyConfig(const std::string& name, const TKorvaConfig& defaultConfig,
                         const TKorvaConfig& userConfig, const std::string& musicFolder,
                         IPrompts& prompts) {
  if (prompts.Ask(ConfirmText(name), TPromptIcon::pciConfirmation, TPromptButtons::pcbOkCancel) !=
      TPromptAnswer::pcaOk) {
    return TApplyResult::arStopped;
  }
  if (!FileExists(JoinPath(musicFolder, kGameTableName))) {
    prompts.ShowMessage(kMsgNoGameTable);
    return TApplyResult::arStopped;
  }
  const auto lock = TFolderLock::Acquire(musicFolder, kLockWait);
  if (!lock) {
    prompts.ShowMessage(kMsgGameBusy);
    return TApplyResult::arStopped;
  }
  RemoveStaleTemporaries(musicFolder);
  try {
    TApplyRun run(defaultConfig, musicFolder, prompts);
    if (!run.Prepare()) return TApplyResult::arStopped;
    if (name == kDefaultConfigName) return run.RestoreDefault();
    return run.ApplyUser(userConfig);
  } catch (const TFileError& e) {
    // What the program's general error display would show for an unhandled failure.
    prompts.ShowMessage(e.what());
    return TApplyResult::arStopped;
  }
}
