// Apply never destroys what it did not make and never stops half-way: damaged backups, hand
// edits of the table, updates of the game, a failure at any step, a second Apply at the same
// time, and long random sequences of all of these.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "app/config/apply.h"
#include "app/config/config_names.h"
#include "app/config/copy_record.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/text_file.h"
#include "tests/app/config/apply_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string Utf16(std::string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) bytes += std::string{c, '\0'};
  return bytes;
}

class ApplySafetyTest : public ApplyTest {
 protected:
  void SetBackup(const std::string& bytes) {
    WriteBytes(music_ + kSep + "Config.org", bytes);
    defaults_.LoadFromGameTable(music_ + kSep + "Config.org");
  }
  std::string BadBackupMessage() const { return music_ + kSep + "Config.org" + kMsgBadBackup; }
};

TEST_F(ApplySafetyTest, BackupWithoutItsScenesStopsApplyBeforeAnythingChanges) {
  // A scene a game update added is in the record; it does not make up for a damaged backup.
  WriteBytes(music_ + kSep + "Config.txt", std::string(kGameTable) + "12 battle\r\n");
  Assign(3, Own("three.mp3"));
  ASSERT_TRUE(Apply());
  prompts_.Messages.clear();
  // Empty, UTF-16, or cut short after the line whose scene a copy stands for.
  for (const std::string& backup : {std::string(), Utf16(kGameTable), std::string("1 title\r\n")}) {
    SetBackup(backup);
    const TSnapshot before = TakeSnapshot(music_);
    prompts_.Messages.clear();
    EXPECT_FALSE(Apply(kDefaultConfigName));
    EXPECT_FALSE(Apply());
    EXPECT_EQ(prompts_.Messages, std::vector<std::string>(2, BadBackupMessage()));
    EXPECT_EQ(TakeSnapshot(music_), before);
  }
}

// The game's songs, a song of the person's named in a hand-edited line, and copies that the
// record does not know or that were changed since are never deleted.
TEST_F(ApplySafetyTest, OnlyRecordedCopiesThatNobodyChangedAreDeleted) {
  WriteBytes(music_ + kSep + "mine.mp3", "the person's own");
  WriteBytes(music_ + kSep + "Config.txt", std::string(kGameTable) + "25 mine\r\n");
  Assign(1, Own("one.mp3"));
  Assign(2, Own("two.mp3"));
  ASSERT_TRUE(Apply());
  WriteBytes(music_ + kSep + "one.mp3", "changed by the person");
  ASSERT_TRUE(FileDelete(music_ + kSep + kCopyRecordName));  // as before the record existed
  Assign(1, Own("other.mp3"));
  ASSERT_TRUE(Apply());
  ASSERT_TRUE(Apply(kDefaultConfigName));
  for (const char* name : {"title", "battle", "town", "ending", "mine"}) {
    EXPECT_TRUE(FileExists(music_ + kSep + name + ".mp3")) << name;
  }
  EXPECT_EQ(Music("one.mp3"), "changed by the person");
  EXPECT_TRUE(FileExists(music_ + kSep + "two.mp3"));
  EXPECT_FALSE(FileExists(music_ + kSep + "other.mp3"));  // recorded since, and unchanged
  EXPECT_EQ(Table(), std::string(kGameTable) + "25 mine\r\n");

  // A record that claims a file of the game's table, stamp and all, cannot have it deleted.
  const TFileStamp stamp = *FileStampOf(music_ + kSep + "battle.mp3");
  WriteBytes(music_ + kSep + kCopyRecordName, "#KORVACOPIES\r\ncopy " + std::to_string(stamp.Size) +
                                                  " " + std::to_string(stamp.Modified) +
                                                  " battle.mp3\r\n");
  ASSERT_TRUE(Apply());
  EXPECT_TRUE(FileExists(music_ + kSep + "battle.mp3"));
}

// A backup cut short before any Apply: the scenes it lost are the game's, and stay.
TEST_F(ApplySafetyTest, ScenesABackupLostBeforeAnyApplyStayTheGames) {
  SetBackup("1 title,loop\r\n");
  Assign(1, Own("one.mp3"));
  ASSERT_TRUE(Apply());
  ASSERT_TRUE(Apply(kDefaultConfigName));
  EXPECT_EQ(Table(), kGameTable);
  for (const char* name : {"title", "battle", "town", "ending"}) {
    EXPECT_TRUE(FileExists(music_ + kSep + name + ".mp3")) << name;
  }
  EXPECT_EQ(prompts_.Messages,
            std::vector<std::string>{kMsgGameTableGrew + std::string("2, 3, 4")});
}

TEST_F(ApplySafetyTest, SceneAGameUpdateAddedStaysWithItsSong) {
  WriteBytes(music_ + kSep + "newtheme.mp3", "game update");
  WriteBytes(music_ + kSep + "Config.txt", std::string(kGameTable) + "12 newtheme,loop\r\n");
  Assign(1, Own("one.mp3"));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 one\r\n2 battle\r\n3 town,loop\r\n4 ending\r\n12 newtheme,loop\r\n");
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{kMsgGameTableGrew + std::string("12")});
  Assign(12, Own("twelve.mp3"));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 one\r\n2 battle\r\n3 town,loop\r\n4 ending\r\n12 twelve\r\n");
  ASSERT_TRUE(Apply(kDefaultConfigName));
  EXPECT_EQ(Table(), std::string(kGameTable) + "12 newtheme,loop\r\n");
  EXPECT_EQ(Music("newtheme.mp3"), "game update");
  EXPECT_EQ(prompts_.Messages.size(), 1u);  // told once

  // Once the backup has the scene too, it is the backup's, and only once in the table.
  SetBackup(std::string(kGameTable) + "12 newtheme,loop\r\n");
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 one\r\n2 battle\r\n3 town,loop\r\n4 ending\r\n12 twelve\r\n");
  EXPECT_TRUE(TCopyRecord::Load(music_).GameLines().empty());
}

// Old state: a configuration applied, a song of the person's in the folder. Each run stops the
// next Apply at its n-th file change; the folder is then exactly the old state, or the new
// table with its copies, and no file outside the record is ever gone.
TEST_F(ApplySafetyTest, AFailureAtAnyStepLeavesTheOldStateOrTheNew) {
  const std::vector<std::string> newLines{"2 three", "3 four"};
  const std::vector<std::string> gameLines{"2 battle", "3 town,loop"};
  for (int n = 1;; ++n) {
    // The old state, made anew for every run by a whole Apply.
    fs::remove_all(U8Path(music_));
    SetUp();
    user_.Clear();
    Assign(1, Own("one.mp3"));
    Assign(2, Own("two.mp3"));
    ASSERT_TRUE(Apply());
    WriteBytes(music_ + kSep + "mine.mp3", "the person's own");
    const TSnapshot old = TakeSnapshot(music_);
    user_.Clear();
    Assign(2, Own("three.mp3"));
    Assign(3, Own("four.mp3"));

    int changes = 0;
    SetFileChangeGate([&] { return ++changes != n; });
    const TApplyResult result = Result();
    SetFileChangeGate({});
    const TSnapshot now = TakeSnapshot(music_);
    for (const auto& [name, bytes] : old) {
      const bool korvas = name == "one.mp3" || name == "two.mp3" || name == kCopyRecordName;
      if (!korvas && name != "Config.txt") {
        EXPECT_TRUE(now.count(name) && now.at(name) == bytes) << n << name;
      }
    }
    for (const auto& [name, bytes] : now) EXPECT_FALSE(name.starts_with(".korva-")) << name;
    if (Table() == old.at("Config.txt")) {
      EXPECT_EQ(result, TApplyResult::arStopped) << n;
      EXPECT_TRUE(now == old) << n;
      continue;
    }
    // The new table: each scene names its new copy, or keeps the game's line when the copy was
    // the step that failed; every file it names is there.
    TKorvaConfig table;
    table.LoadFromGameTable(music_ + kSep + "Config.txt");
    ASSERT_EQ(table.Count(), 4) << n;
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(FileExists(table.Items(i).FileName)) << n;
    const std::vector<std::string> lines = SplitLines(Table());
    for (int i = 0; i < 2; ++i) {
      EXPECT_TRUE(lines[i + 1] == newLines[i] ||
                  (lines[i + 1] == gameLines[i] && result == TApplyResult::arCopiesFailed))
          << n << " " << lines[i + 1];
    }
    if (FileExists(music_ + kSep + "three.mp3")) {
      EXPECT_TRUE(Music("three.mp3") == OwnBytes("three.mp3"));
    }
    // An earlier copy left by a failed delete is still recorded, so a later Apply deletes it.
    for (const char* left : {"one.mp3", "two.mp3"}) {
      if (FileExists(music_ + kSep + left)) {
        EXPECT_TRUE(TCopyRecord::Load(music_).IsCopy(left)) << n;
      }
    }
    if (changes < n) {  // nothing failed: the whole Apply has run
      EXPECT_EQ(result, TApplyResult::arDone);
      EXPECT_FALSE(FileExists(music_ + kSep + "one.mp3"));
      break;
    }
  }
}

TEST_F(ApplySafetyTest, ASecondApplyWaitsForTheFirstThenGivesUp) {
  auto first = TFolderLock::Acquire(music_, std::chrono::milliseconds(0));
  ASSERT_NE(first, nullptr);
  Assign(1, Own("one.mp3"));
  const TSnapshot before = TakeSnapshot(music_);
  EXPECT_FALSE(Apply());
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{kMsgGameBusy});
  EXPECT_EQ(TakeSnapshot(music_), before);

  std::thread done([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    first.reset();
  });
  EXPECT_TRUE(Apply());
  done.join();
  EXPECT_EQ(Table(), "1 one\r\n2 battle\r\n3 town,loop\r\n4 ending\r\n");
}

// What a killed Apply left is removed; other entries of the folder, whatever they are, keep
// their names, and new copies get other ones.
TEST_F(ApplySafetyTest, LeftoversOfAKilledApplyGoAndNewNamesAvoidEveryEntry) {
  WriteBytes(music_ + kSep + ".korva-123456.tmp", "half a copy");
  WriteBytes(music_ + kSep + ".korva-mine.tmp", "keep");
  fs::create_directory(U8Path(music_ + kSep + "one.mp3"));
#ifndef _WIN32
  fs::create_symlink("nowhere", music_ + kSep + "two.mp3");
#endif
  Assign(1, Own("one.mp3"));
  Assign(2, Own("two.mp3"));
  ASSERT_TRUE(Apply());
  EXPECT_FALSE(fs::exists(U8Path(music_ + kSep + ".korva-123456.tmp")));
  EXPECT_EQ(Music(".korva-mine.tmp"), "keep");
#ifndef _WIN32
  EXPECT_EQ(Table(), "1 one2\r\n2 two2\r\n3 town,loop\r\n4 ending\r\n");
  EXPECT_TRUE(fs::is_symlink(music_ + kSep + "two.mp3"));
#endif
  EXPECT_TRUE(fs::is_directory(U8Path(music_ + kSep + "one.mp3")));
}

// Random Applies, failing copies, hand edits of Config.txt and copies the person changes,
// replaces or deletes: a file Korva did not make, or one changed since, is never deleted.
TEST_F(ApplySafetyTest, RandomSequencesNeverDeleteAFileKorvaDidNotMake) {
  std::mt19937 random(2026);
  const auto pick = [&](int n) { return static_cast<int>(random() % n); };
  // The person's and the game's files in the music folder, with their bytes.
  TSnapshot kept = TakeSnapshot(music_);
  kept.erase("Config.txt");
  const std::vector<std::string> sources{Own("a.mp3"), Own("b c.mp3"), Own("x/a.mp3"),
                                         own_ + kSep + "missing.mp3", own_ + kSep + "text.mp3"};
  WriteBytes(own_ + kSep + "text.mp3", "no audio");
  for (int step = 0; step < 150; ++step) {
    switch (pick(6)) {
      case 0:
      case 1:
        user_.Clear();
        for (int scene = 1; scene <= 4; ++scene) {
          if (pick(2)) Assign(scene, sources[pick(static_cast<int>(sources.size()))]);
        }
        Apply(pick(4) ? "mine" : kDefaultConfigName);
        break;
      case 2: {  // the person edits the table by hand
        std::string table = Table();
        const auto names = ListFiles(music_, "*.mp3");
        table +=
            std::to_string(pick(30)) + " " + ChangeFileExt(names[pick(names.size())], "") + "\r\n";
        WriteBytes(music_ + kSep + "Config.txt", table);
        break;
      }
      case 3: {  // the person changes a file of the folder, copy or not
        const auto names = ListFiles(music_, "*.mp3");
        const std::string name = names[pick(names.size())];
        const std::string bytes = "changed at step " + std::to_string(step);
        WriteBytes(music_ + kSep + name, bytes);
        kept[name] = bytes;
        break;
      }
      case 4: {  // the person deletes a copy, or puts a song of theirs in the folder
        const auto names = ListFiles(music_, "*.mp3");
        const std::string name = names[pick(names.size())];
        if (!kept.count(name)) {
          FileDelete(music_ + kSep + name);
        } else {
          const std::string own = "own" + std::to_string(step) + ".mp3";
          WriteBytes(music_ + kSep + own, "placed");
          kept[own] = "placed";
        }
        break;
      }
      case 5:
        if (pick(3) == 0) FileDelete(music_ + kSep + kCopyRecordName);
        break;
    }
    const TSnapshot now = TakeSnapshot(music_);
    for (const auto& [name, bytes] : kept) {
      ASSERT_TRUE(now.count(name)) << name << " gone at step " << step;
      ASSERT_EQ(now.at(name), bytes) << name << " at step " << step;
    }
  }
}

}  // namespace
