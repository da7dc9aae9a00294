#include "app/config/apply.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/config/apply_names.h"
#include "app/config/config_names.h"
#include "app/config/copy_record.h"
#include "app/config/game_table.h"
#include "platform/files.h"
#include "tests/app/config/apply_fixture.h"
#include "tests/app/config/mp3_source.h"

namespace {

TEST_F(ApplyTest, AsksFirstAndChangesNothingWithoutOk) {
  Assign(2, Own("x.mp3"));
  const TSnapshot before = TakeSnapshot(root_.path());
  prompts_.DefaultAnswer = TPromptAnswer::pcaCancel;
  EXPECT_FALSE(Apply("私の設定"));
  ASSERT_EQ(prompts_.Questions.size(), 1u);
  EXPECT_EQ(prompts_.Questions[0].Text, "「私の設定」を適用します");
  EXPECT_EQ(prompts_.Questions[0].Buttons, TPromptButtons::pcbOkCancel);
  EXPECT_EQ(TakeSnapshot(root_.path()), before);
}

TEST_F(ApplyTest, MissingTableStopsWithItsMessage) {
  std::filesystem::remove(music_ + kSep + "Config.txt");
  EXPECT_FALSE(Apply());
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{kMsgNoGameTable});
}

TEST_F(ApplyTest, NoOverridesWritesTheDefaultTableAndCopiesNothing) {
  WriteBytes(music_ + kSep + "Config.txt", "4 ending\n");
  const TSnapshot before = TakeSnapshot(music_);
  EXPECT_TRUE(Apply());
  EXPECT_EQ(Table(), kGameTable);
  TSnapshot after = TakeSnapshot(music_);
  EXPECT_EQ(after.size(), before.size());
  EXPECT_TRUE(prompts_.Messages.empty());
  EXPECT_EQ(prompts_.BusyDepth, 0);
}

TEST_F(ApplyTest, SharedSourcesAreCopiedOnceAndClashingNamesNumbered) {
  Assign(1, Own("a/my song.mp3"), true);
  Assign(2, Own("b/my song.mp3"));
  Assign(3, own_ + kSep + "A/My Song.mp3");  // the first source, in other letter case
  Assign(4, Own("01. intro.mp3"));
  Assign(4, Own("ignored second override of scene 4.mp3"));
  Assign(99, Own("scene the game does not have.mp3"));
  EXPECT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 my_song,loop\r\n2 my_song2\r\n3 my_song\r\n4 01._intro\r\n");
  EXPECT_EQ(Music("my_song.mp3"), OwnBytes("a/my song.mp3"));
  EXPECT_EQ(Music("my_song2.mp3"), OwnBytes("b/my song.mp3"));
  EXPECT_EQ(Music("01._intro.mp3"), OwnBytes("01. intro.mp3"));
  EXPECT_EQ(TakeSnapshot(music_).size(), 4u + 2u + 3u + 1u);  // and the record
  EXPECT_EQ(prompts_.BusyCount, 1);
  EXPECT_EQ(prompts_.BusyDepth, 0);
}

TEST_F(ApplyTest, DotsInTheStemAreKeptWhenNumbering) {
  Assign(1, Own("x/01. intro.mp3"));
  Assign(2, Own("y/01. intro.mp3"));
  Assign(3, Own("a,b.mp3"), true);
  EXPECT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 01._intro\r\n2 01._intro2\r\n3 a_b,loop\r\n4 ending\r\n");
  TKorvaConfig read;
  read.LoadFromGameTable(music_ + kSep + "Config.txt");
  EXPECT_EQ(read.Items(2).FileName, music_ + kSep + "a_b.mp3");
  EXPECT_TRUE(read.Items(2).Loop);
}

TEST_F(ApplyTest, GameFilesAreNamedNotCopied) {
  Assign(1, music_ + kSep + "BATTLE.mp3", true);  // another scene's game file, in other letter case
  Assign(2, music_ + kSep + "battle.mp3", true);  // only the loop flag differs
  EXPECT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 BATTLE,loop\r\n2 battle,loop\r\n3 town,loop\r\n4 ending\r\n");
  EXPECT_EQ(TakeSnapshot(music_).size(), 6u);
}

TEST_F(ApplyTest, NewNamesNeverReplaceTheGamesOwnFiles) {
  Assign(1, Own("battle.mp3"));  // the same name as the game's file of scene 2
  Assign(2, Own("x/battle.mp3"));
  Assign(3, Own("Config.org"));
  EXPECT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 battle2\r\n2 battle3\r\n3 Config.org\r\n4 ending\r\n");
  EXPECT_EQ(Music("battle.mp3"), "game battle");
  EXPECT_EQ(Music("battle2.mp3"), OwnBytes("battle.mp3"));
  EXPECT_EQ(Music("Config.org"), kGameTable);
  EXPECT_EQ(Music("Config.org.mp3"), OwnBytes("Config.org"));
}

TEST_F(ApplyTest, FilesAlreadyInTheMusicFolderAreNeverOverwrittenOrDeleted) {
  WriteBytes(music_ + kSep + "extra.mp3", Mp3Bytes("placed"));
  WriteBytes(music_ + kSep + "Unlisted.mp3", "game file outside the table");
  Assign(1, music_ + kSep + "extra.mp3");
  Assign(2, Own("extra.mp3"));
  Assign(3, Own("unlisted.mp3"));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 extra2\r\n2 extra3\r\n3 unlisted2\r\n4 ending\r\n");
  EXPECT_EQ(Music("extra2.mp3"), Mp3Bytes("placed"));
  EXPECT_EQ(Music("extra3.mp3"), OwnBytes("extra.mp3"));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 extra2\r\n2 extra3\r\n3 unlisted2\r\n4 ending\r\n");

  user_.Clear();
  Assign(2, Own("extra.mp3"));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 title,loop\r\n2 extra3\r\n3 town,loop\r\n4 ending\r\n");
  EXPECT_EQ(Music("extra.mp3"), Mp3Bytes("placed"));
  EXPECT_EQ(Music("Unlisted.mp3"), "game file outside the table");
  for (const char* gone : {"extra2.mp3", "unlisted2.mp3"})
    EXPECT_FALSE(FileExists(music_ + kSep + gone)) << gone;
  EXPECT_TRUE(prompts_.Messages.empty());
}

TEST_F(ApplyTest, GameFilesKeepTheNamesTheirOwnTableGaveThem) {
  WriteBytes(music_ + kSep + "Config.org", "1 title,loop\r\n5 \"town music\",LOP\r\n6 ../up\r\n");
  WriteBytes(music_ + kSep + "Config.txt", ReadBytes(music_ + kSep + "Config.org"));
  defaults_.LoadFromGameTable(music_ + kSep + "Config.org");
  Assign(1, Own("one.mp3"));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 one\r\n5 \"town music\",loop\r\n6 ../up\r\n");
  TKorvaConfig read;
  read.LoadFromGameTable(music_ + kSep + "Config.txt");
  ASSERT_EQ(read.Count(), 3);
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(read.Items(i).FileName, defaults_.Items(i).FileName);
    EXPECT_EQ(read.Items(i).Loop, defaults_.Items(i).Loop);
  }
}

TEST_F(ApplyTest, GameNameTheTableCannotHoldStopsBeforeAnythingChanges) {
  Assign(1, Own("one.mp3"));
  ASSERT_TRUE(Apply());
  WriteBytes(music_ + kSep + "Config.org",
             std::string(kGameTable) + "; note\r\n5 bad\x81 byte\r\n");
  defaults_.LoadFromGameTable(music_ + kSep + "Config.org");
  const TSnapshot before = TakeSnapshot(music_);
  Assign(2, Own("two.mp3"));
  EXPECT_FALSE(Apply());
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{
                                   "Config.orgの6行目に、Config.txtに書き込めない文字があります"});
  EXPECT_EQ(TakeSnapshot(music_), before);
  EXPECT_TRUE(Apply(kDefaultConfigName));
}

// "ﾂｱ" in Shift-JIS is also well-formed UTF-8 (for "±"): every Apply must still find the copy
// of the one before in the table and replace it.
TEST_F(ApplyTest, CopiesWithHalfWidthKatakanaNamesDoNotPileUp) {
  Assign(1, Own("ﾂｱ.mp3"));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 \xC2\xB1\r\n2 battle\r\n3 town,loop\r\n4 ending\r\n");
  EXPECT_EQ(ListFiles(music_, "*.mp3").size(), 5u);
  ASSERT_TRUE(Apply(kDefaultConfigName));
  EXPECT_EQ(ListFiles(music_, "*.mp3").size(), 4u);
  EXPECT_TRUE(prompts_.Messages.empty());
}

TEST_F(ApplyTest, NamesHoldOnlyCharactersTheTableCanCarry) {
#ifdef _WIN32
  GTEST_SKIP() << "the sources' names hold '\"' and a tab, which Windows file names cannot";
#endif
  Assign(1, Own("Ärger 曲 \"x\".mp3"));
  Assign(2, Own("tab\there.MP3"));
  EXPECT_TRUE(Apply());
  EXPECT_TRUE(FileExists(music_ + kSep + "_rger_曲__x_.mp3"));
  EXPECT_TRUE(FileExists(music_ + kSep + "tab_here.mp3"));
  // The table is Shift-JIS, and its names are exactly the copies.
  EXPECT_EQ(Table(), "1 _rger_\x8B\xC8__x_\r\n2 tab_here\r\n3 town,loop\r\n4 ending\r\n");
  TKorvaConfig read;
  read.LoadFromGameTable(music_ + kSep + "Config.txt");
  for (int i = 0; i < read.Count(); ++i) EXPECT_TRUE(FileExists(read.Items(i).FileName));
}

// An unchanged source keeps its copy; a changed one gets a new copy, made before the earlier one
// goes.
TEST_F(ApplyTest, ReapplyingReplacesThePreviousCopies) {
  Assign(1, Own("one.mp3"));
  Assign(2, Own("two.mp3"));
  ASSERT_TRUE(Apply());
  WriteBytes(own_ + kSep + "one.mp3", Mp3Bytes("changed"));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Table(), "1 one2\r\n2 two\r\n3 town,loop\r\n4 ending\r\n");
  EXPECT_EQ(Music("one2.mp3"), Mp3Bytes("changed"));
  EXPECT_FALSE(FileExists(music_ + kSep + "one.mp3"));

  user_.Remove(&user_.Items(1));
  ASSERT_TRUE(Apply());
  EXPECT_FALSE(FileExists(music_ + kSep + "two.mp3"));
  EXPECT_EQ(Table(), "1 one2\r\n2 battle\r\n3 town,loop\r\n4 ending\r\n");
}

TEST_F(ApplyTest, ReadOnlySourcesGiveCopiesTheNextApplyCanDelete) {
  Assign(1, Own("locked.mp3"));
  ASSERT_TRUE(FileSetAttr(own_ + kSep + "locked.mp3", faReadOnly));
  ASSERT_TRUE(Apply());
  ASSERT_TRUE(Apply());
  EXPECT_TRUE(prompts_.Messages.empty());
}

// A copy in use cannot stop the new table any more: it stays in the record, and a later Apply
// deletes it.
TEST_F(ApplyTest, UndeletablePreviousCopyIsDeletedByALaterApply) {
  Assign(1, Own("one.mp3"));
  Assign(2, Own("two.mp3"));
  ASSERT_TRUE(Apply());
  ASSERT_TRUE(FileSetAttr(music_ + kSep + "two.mp3", faReadOnly));
  user_.Clear();
  EXPECT_EQ(Result(), TApplyResult::arDone);
  EXPECT_EQ(Table(), kGameTable);
  EXPECT_FALSE(FileExists(music_ + kSep + "one.mp3"));
  EXPECT_TRUE(FileExists(music_ + kSep + "two.mp3"));
  EXPECT_TRUE(TCopyRecord::Load(music_).IsCopy("two.mp3"));

  ASSERT_TRUE(FileSetAttr(music_ + kSep + "two.mp3", faArchive));
  EXPECT_EQ(Result(kDefaultConfigName), TApplyResult::arDone);
  EXPECT_FALSE(FileExists(music_ + kSep + "two.mp3"));
  EXPECT_FALSE(FileExists(music_ + kSep + kCopyRecordName));
  EXPECT_TRUE(prompts_.Messages.empty());
}

// A source that is missing, not MPEG audio, not a regular file or a path holding a NUL is not
// copied; its scene keeps the game's own line, and the message names the scenes.
TEST_F(ApplyTest, SourcesThatCannotBeCopiedLeaveTheirScenesWithTheGamesMusic) {
  const std::string withNul = Own("here.mp3") + std::string(1, '\0') + "x";
  Assign(1, own_ + kSep + "gone.mp3", true);
  Assign(2, Own("here.mp3"));
  WriteBytes(own_ + kSep + "text.mp3", "not audio at all");
  Assign(3, own_ + kSep + "text.mp3");
  Assign(4, withNul);
  EXPECT_EQ(Result(), TApplyResult::arCopiesFailed);
  EXPECT_EQ(Table(), "1 title,loop\r\n2 here\r\n3 town,loop\r\n4 ending\r\n");
  ASSERT_EQ(prompts_.Messages.size(), 1u);
  EXPECT_EQ(prompts_.Messages[0], own_ + kSep + "gone.mp3\n" + own_ + kSep + "text.mp3\n" +
                                      withNul +
                                      "\nのコピーに失敗しました\n"
                                      "ファイルが存在しないか使用中の可能性があります"
                                      "UOを起動中なら終了してから再度適用してください\n"
                                      "次の場面はゲーム本来の音楽のままです: 1, 3, 4");
  EXPECT_EQ(prompts_.BusyDepth, 0);
#ifndef _WIN32
  user_.Clear();
  ASSERT_EQ(mkfifo((own_ + kSep + "fifo.mp3").c_str(), 0600), 0);
  Assign(1, own_ + kSep + "fifo.mp3");
  Assign(2, "/proc/self/pagemap");
  Assign(3, own_);
  EXPECT_EQ(Result(), TApplyResult::arCopiesFailed);
  EXPECT_EQ(Table(), kGameTable);
#endif
}

TEST_F(ApplyTest, RestoringTheDefaultBringsBackTheFolder) {
  const TSnapshot before = TakeSnapshot(music_);
  Assign(1, Own("one.mp3"));
  Assign(3, Own("a b.mp3"), true);
  ASSERT_TRUE(Apply());
  EXPECT_NE(TakeSnapshot(music_), before);
  EXPECT_TRUE(Apply(kDefaultConfigName));
  EXPECT_EQ(prompts_.Questions.back().Text, "「<標準>」を適用します");
  EXPECT_EQ(TakeSnapshot(music_), before);
}

TEST_F(ApplyTest, FailedRestoreLeavesTheTable) {
  WriteBytes(music_ + kSep + "Config.txt", "1 title\r\n");
  std::filesystem::remove(music_ + kSep + "Config.org");
  EXPECT_FALSE(Apply(kDefaultConfigName));
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{kMsgRestoreFailed});
  EXPECT_EQ(Table(), "1 title\r\n");
}

TEST_F(ApplyTest, HostileTableEntriesOutsideTheFolderAreNeverDeleted) {
#ifdef _WIN32
  GTEST_SKIP() << "C:drive.mp3 cannot be a file name on Windows; the korva-apply scenario covers "
                  "the other hostile entries there";
#endif
  std::filesystem::create_directories(music_ + kSep + "sub");
  const std::vector<std::string> outside{root_.path() + "/game/Music/up.mp3",
                                         root_.path() + "/abs.mp3", music_ + kSep + "sub/inner.mp3",
                                         root_.path() + "/game/Music/back.mp3"};
  for (const std::string& path : outside) WriteBytes(path, "keep");
  WriteBytes(music_ + kSep + "C:drive.mp3", "keep");
  WriteBytes(music_ + kSep + "Config.txt",
             "1 ../up\r\n2 \"" + root_.path() +
                 "/abs\"\r\n3 sub/inner\r\n4 ..\\back\r\n5 C:drive\r\n"
                 "6 ..\r\n7 \"\"\r\n");
  EXPECT_TRUE(Apply());
  for (const std::string& path : outside) EXPECT_TRUE(FileExists(path)) << path;
  EXPECT_TRUE(FileExists(music_ + kSep + "C:drive.mp3"));
  // Scenes 5 to 7, which the backup lacks, are taken for the game's own.
  EXPECT_TRUE(Table().starts_with(kGameTable));
}

TEST_F(ApplyTest, UnwritableTableIsReportedAndKeptWhole) {
  Assign(1, Own("one.mp3"));
  WriteBytes(music_ + kSep + "Config.txt", "1 title\r\n");
  ASSERT_TRUE(FileSetAttr(music_ + kSep + "Config.txt", faReadOnly));
  EXPECT_FALSE(Apply());
  ASSERT_EQ(prompts_.Messages.size(), 1u);
  EXPECT_NE(prompts_.Messages[0].find("Config.txt"), std::string::npos);
  EXPECT_EQ(Table(), "1 title\r\n");
  EXPECT_FALSE(FileExists(music_ + kSep + "one.mp3"));  // the copy made for it is gone again
  EXPECT_EQ(prompts_.BusyDepth, 0);
}

TEST(ApplyNamesTest, SafeNamesAlwaysMakeATableLineWithTheirFile) {
  EXPECT_EQ(TableSafeFileName("a b,c.mp3"), "a_b_c.mp3");
  EXPECT_EQ(TableSafeFileName("song.MP3"), "song.mp3");
  EXPECT_EQ(TableSafeFileName("clip.wav"), "clip.wav.mp3");
  EXPECT_EQ(TableSafeFileName(".mp3"), "_.mp3");
  EXPECT_EQ(TableSafeFileName(""), "_.mp3");
  EXPECT_EQ(TableSafeFileName("bad\xFF\xFE.mp3"), "bad__.mp3");
  EXPECT_EQ(TableSafeFileName("曲①ｱ.mp3"), "曲①ｱ.mp3");
  EXPECT_TRUE(IsPlainFileName("a.mp3"));
  for (const char* name : {"", ".", "..", "a/b", "a\\b", "C:x"})
    EXPECT_FALSE(IsPlainFileName(name));
}

TEST(ApplyNamesTest, NumberingSkipsEveryTakenNameWithoutRegardToCase) {
  TTakenNames taken;
  for (const char* name : {"/m/Song.mp3", "/m/SONG2.MP3", "/m/song4.mp3"}) taken.Add(name);
  EXPECT_EQ(taken.TakeFree("song.mp3"), "song3.mp3");
  EXPECT_EQ(taken.TakeFree("SONG.mp3"), "SONG5.mp3");
  EXPECT_EQ(taken.TakeFree("other.mp3"), "other.mp3");
  EXPECT_EQ(taken.TakeFree("other.mp3"), "other2.mp3");
}

// A name as long as the file system allows still gets a number and ".mp3" without failing.
TEST(ApplyNamesTest, LongNamesAreCutAtACharacterBoundary) {
  const std::string stem = "a" + std::string(300, 'x');
  EXPECT_EQ(TableSafeFileName(stem + ".mp3"), stem.substr(0, kMaxStemBytes) + ".mp3");
  std::string japanese;
  for (int i = 0; i < 100; ++i) japanese += "曲";  // three bytes each
  EXPECT_EQ(TableSafeFileName(japanese + ".mp3"),
            japanese.substr(0, kMaxStemBytes / 3 * 3) + ".mp3");
}

}  // namespace
