// Whole scenarios run through korva-apply on game folders as a person's machine has them: tables
// and playlists in Shift-JIS with CR LF (or UTF-8 with a byte-order mark), Japanese names, quoted
// and oddly spaced table lines. Each checks the printed lines, the exit status, every file of the
// music folder and the exact bytes of the new Config.txt.

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/windows/wide.h"
#else
#include <iconv.h>
#endif

#include "app/config/copy_record.h"
#include "platform/files.h"
#include "tests/app/config/mp3_source.h"
#include "tests/platform/temp_dir.h"
#include "tests/tools/korva_apply/run_korva_apply.h"

namespace {

namespace fs = std::filesystem;

// Shift-JIS bytes of a UTF-8 text, converted by the C library (on Windows by the system itself) so
// that the program's own code page functions are not used to make their input.
std::string Sjis(const std::string& utf8) {
#ifdef _WIN32
  const std::wstring wide = Widen(utf8);
  std::string out(wide.size() * 2, '\0');
  BOOL lossy = FALSE;
  out.resize(WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, &lossy));
  EXPECT_FALSE(lossy) << utf8;
  return out;
#else
  iconv_t cd = iconv_open("CP932", "UTF-8");
  std::string in = utf8;
  std::string out(in.size() * 2, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t srcLeft = in.size();
  std::size_t dstLeft = out.size();
  const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  EXPECT_NE(rc, static_cast<std::size_t>(-1)) << utf8;
  out.resize(out.size() - dstLeft);
  return out;
#endif
}

constexpr char kMsgCopyFailedTail[] =
    "\\nのコピーに失敗しました\\nファイルが存在しないか使用中の可能性があります"
    "UOを起動中なら終了してから再度適用してください\\n次の場面はゲーム本来の音楽のままです: 10\n";

// The game's table as it stands after the first start: blank lines, odd spacing, a quoted name,
// a Japanese name, "LOP", commas only, and lines the reader skips.
constexpr char kGameTable[] =
    "1 title,loop\r\n"
    "2  battle\r\n"
    "3 \"town music\",LOP\r\n"
    "\r\n"
    "  5\t\t夜の街 , loop, extra\r\n"
    "foo bar\r\n"
    "6\r\n"
    "7,dungeon,lop\r\n"
    "8 Boss\r\n"
    "10 ending\r\n";

// A game folder, a program folder and a folder of the person's songs whose name holds characters
// with the trail byte 0x5C in Shift-JIS.
class KorvaApplyScenarioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& folder : {music_, program_, songs_, other_}) {
      fs::create_directories(U8Path(folder));
    }
    WriteBytes(music_ + kSep + "Config.org", Sjis(kGameTable));
    WriteBytes(music_ + kSep + "Config.txt", Sjis(kGameTable));
    for (const char* name :
         {"title", "battle", "town music", "夜の街", "dungeon", "Boss", "ending"}) {
      WriteBytes(music_ + kSep + name + ".mp3", std::string("game ") + name);
    }
    for (const char* name : {"曲 一.mp3", "a,b.mp3", "Boss.mp3", "01. intro.mp3"}) {
      WriteBytes(songs_ + kSep + name, Mp3Bytes(std::string("song ") + name));
    }
    WriteBytes(other_ + kSep + "曲 一.mp3", Mp3Bytes("other 曲 一"));
    pristine_ = TakeSnapshot(music_);
  }

  // The configuration's overrides as playlist lines (without line ends): one source for two
  // scenes, a clashing name from another folder, another scene's game file in other letter
  // case, a song named like a game file, a missing song, a second override of a scene and a
  // scene the game does not have.
  std::vector<std::string> PlaylistLines() const {
    return {"#EXTM3U",
            "#KORVA",
            "#KORVANUM:2,1",
            "#EXTINF:215,歌手 - 曲 一",
            songs_ + kSep + "曲 一.mp3",
            "#EXTINF:",
            "#KORVANUM:5,0",
            songs_ + kSep + "a,b.mp3",
            "#KORVANUM:1,1",
            songs_ + kSep + "曲 一.mp3",
            "#KORVANUM:3,1",
            other_ + kSep + "曲 一.mp3",
            "#KORVANUM:7,1",
            music_ + kSep + "BATTLE.mp3",
            "#KORVANUM:8,0",
            songs_ + kSep + "Boss.mp3",
            "#KORVANUM:10,0",
            songs_ + kSep + "gone.mp3",
            "#KORVANUM:5,1",
            songs_ + kSep + "01. intro.mp3",
            "#KORVANUM:9,1",
            songs_ + kSep + "01. intro.mp3"};
  }

  void WritePlaylist(const std::string& name, const std::string& bytes) {
    WriteBytes(program_ + kSep + name + ".m3u", bytes);
  }
  void WriteShiftJisPlaylist(const std::string& name) {
    std::string text;
    for (const std::string& line : PlaylistLines()) text += line + "\r\n";
    WritePlaylist(name, Sjis(text));
  }

  TRun Run(const std::string& name, const std::string& options = "") {
    return RunTool(options + " " + Quote(program_) + " " + Quote(music_) + " " + Quote(name));
  }
  std::string Table() { return ReadBytes(music_ + kSep + "Config.txt"); }
  // The music folder's files without Korva's record of its copies.
  TSnapshot MusicFiles() const {
    TSnapshot files = TakeSnapshot(music_);
    files.erase(kCopyRecordName);
    return files;
  }

  // What the music folder holds after the configuration of PlaylistLines is applied; the copy
  // of "a,b.mp3" with the number given.
  TSnapshot Applied(const std::string& ab = "") const {
    TSnapshot expected = pristine_;
    expected["Config.txt"] = Sjis("1 曲_一,loop\r\n2 曲_一,loop\r\n3 曲_一2,loop\r\n5 a_b" + ab +
                                  "\r\n7 BATTLE,loop\r\n8 Boss2\r\n10 ending\r\n");
    expected["曲_一.mp3"] = Mp3Bytes("song 曲 一.mp3");
    expected["曲_一2.mp3"] = Mp3Bytes("other 曲 一");
    expected["a_b" + ab + ".mp3"] = Mp3Bytes("song a,b.mp3");
    expected["Boss2.mp3"] = Mp3Bytes("song Boss.mp3");
    return expected;
  }

  TTempDir root_;
  const std::string music_ = root_ / "UOSE/Music/Digital";
  const std::string program_ = root_ / "Korva";
  const std::string songs_ = root_ / "音楽/表ソ";
  const std::string other_ = root_ / "音楽/別";
  TSnapshot pristine_;
};

TEST_F(KorvaApplyScenarioTest, ApplyReapplyCancelAndRestoreOnAShiftJisGame) {
  WriteShiftJisPlaylist("私の設定");
  const std::string applied = "QUESTION: 「私の設定」を適用します\nMESSAGE: " + songs_ + kSep +
                              "gone.mp3" + kMsgCopyFailedTail;
  const TRun first = Run("私の設定");
  EXPECT_EQ(first.Status, 3);
  EXPECT_EQ(first.Output, applied);
  EXPECT_TRUE(MusicFiles() == Applied());

  // Applying again keeps the copies of unchanged songs; a changed one is copied anew beside
  // the earlier copy, which goes then.
  WriteBytes(songs_ + kSep + "a,b.mp3", Mp3Bytes("changed"));
  const TRun again = Run("私の設定");
  EXPECT_EQ(again.Status, 3);
  EXPECT_EQ(again.Output, applied);
  TSnapshot expected = Applied("2");
  expected["a_b2.mp3"] = Mp3Bytes("changed");
  EXPECT_TRUE(MusicFiles() == expected);

  const TRun cancelled = Run("<標準>", "--cancel");
  EXPECT_EQ(cancelled.Status, 1);
  EXPECT_EQ(cancelled.Output, "QUESTION: 「<標準>」を適用します\n");
  EXPECT_TRUE(MusicFiles() == expected);

  const TRun restored = Run("<標準>");
  EXPECT_EQ(restored.Status, 0);
  EXPECT_EQ(restored.Output, "QUESTION: 「<標準>」を適用します\n");
  EXPECT_EQ(TakeSnapshot(music_), pristine_);
}

TEST_F(KorvaApplyScenarioTest, PlaylistsInUtf8AndOtherLineEndsApplyTheSame) {
  std::string lf, cr;
  for (const std::string& line : PlaylistLines()) {
    lf += line + "\n";
    cr += line + "\r";
  }
  WritePlaylist("utf8", "\xEF\xBB\xBF" + lf);
  WritePlaylist("crlf_less", Sjis(cr));
  const TRun utf8 = Run("utf8");
  EXPECT_EQ(utf8.Status, 3);
  EXPECT_EQ(utf8.Output, "QUESTION: 「utf8」を適用します\nMESSAGE: " + songs_ + kSep + "gone.mp3" +
                             kMsgCopyFailedTail);
  EXPECT_TRUE(MusicFiles() == Applied());
  ASSERT_EQ(Run("crlf_less").Status, 3);
  EXPECT_TRUE(MusicFiles() == Applied());
}

TEST_F(KorvaApplyScenarioTest, EmptyOrForeignPlaylistWritesTheDefaultTable) {
  WritePlaylist("empty", "#EXTM3U\r\n#KORVA\r\n");
  WritePlaylist("foreign", "#EXTM3U\r\n#EXTINF:1,x\r\n" + songs_ + kSep + "a,b.mp3\r\n");
  const std::string defaultTable = Sjis(
      "1 title,loop\r\n2 battle\r\n3 \"town music\",loop\r\n5 夜の街,loop\r\n7 dungeon,loop\r\n"
      "8 Boss\r\n10 ending\r\n");
  for (const std::string name : {"empty", "foreign"}) {
    ASSERT_EQ(Run(name).Status, 0);
    TSnapshot expected = pristine_;
    expected["Config.txt"] = defaultTable;
    EXPECT_EQ(TakeSnapshot(music_), expected) << name;
  }
}

// A copy in use does not stop the new table: it stays until an Apply can delete it.
TEST_F(KorvaApplyScenarioTest, LockedPreviousCopyIsLeftForALaterApply) {
  WriteShiftJisPlaylist("私の設定");
  WritePlaylist("empty", "#EXTM3U\r\n#KORVA\r\n");
  ASSERT_EQ(Run("私の設定").Status, 3);
  ASSERT_TRUE(FileSetAttr(music_ + kSep + "a_b.mp3", faReadOnly));

  const TRun run = Run("empty");
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Output, "QUESTION: 「empty」を適用します\n");
  EXPECT_EQ(Table(), Sjis("1 title,loop\r\n2 battle\r\n3 \"town music\",loop\r\n5 夜の街,loop\r\n"
                          "7 dungeon,loop\r\n8 Boss\r\n10 ending\r\n"));
  EXPECT_FALSE(FileExists(music_ + kSep + "曲_一.mp3"));
  EXPECT_TRUE(FileExists(music_ + kSep + "a_b.mp3"));

  ASSERT_TRUE(FileSetAttr(music_ + kSep + "a_b.mp3", faArchive));
  EXPECT_EQ(Run("<標準>").Status, 0);
  EXPECT_TRUE(TakeSnapshot(music_) == pristine_);
}

TEST_F(KorvaApplyScenarioTest, ReadOnlyTableIsReportedAndKept) {
  WritePlaylist("empty", "#EXTM3U\r\n#KORVA\r\n");
  ASSERT_TRUE(FileSetAttr(music_ + kSep + "Config.txt", faReadOnly));
  const TRun restore = Run("<標準>");
  EXPECT_EQ(restore.Status, 1);
  EXPECT_EQ(restore.Output,
            "QUESTION: 「<標準>」を適用します\nMESSAGE: Config.txtにコピーできません\n");
  const TRun apply = Run("empty");
  EXPECT_EQ(apply.Status, 1);
  EXPECT_TRUE(apply.Output.starts_with("QUESTION: 「empty」を適用します\nMESSAGE: " + music_ +
                                       kSep + "Config.txt"));
  EXPECT_EQ(TakeSnapshot(music_), pristine_);
}

// A Config.txt edited by hand or by another tool: entries that lead out of the music folder, a
// game file in other letter case, and a copy of an earlier Apply that Korva's record does not
// know. Nothing is deleted; the scenes the game's own table lacks are kept as the game's.
TEST_F(KorvaApplyScenarioTest, HostileTableEntriesTouchNothingOutsideTheMusicFolder) {
  WritePlaylist("empty", "#EXTM3U\r\n#KORVA\r\n");
  fs::create_directories(music_ + kSep + "sub");
  WriteBytes(music_ + kSep + "sub/inner.mp3", "keep");
  WriteBytes(root_ / "UOSE/Music/up.mp3", "keep");
  WriteBytes(root_ / "abs.mp3", "keep");
  WriteBytes(music_ + kSep + "TITLE.mp3", "keep");
  WriteBytes(music_ + kSep + "old copy.mp3", "copy");
  WriteBytes(music_ + kSep + "Config.txt", Sjis("1 ../up\r\n2 \"" + root_.path() +
                                                "/abs\",loop\r\n3 sub/inner\r\n4 ..\r\n"
                                                "5 \"\"\r\n6 TITLE\r\n7 \"old copy\"\r\n8 " +
                                                music_ + kSep + "../up\r\n"));
  const TSnapshot outside = TakeSnapshot(root_.path());

  const TRun run = Run("empty");
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Output,
            "QUESTION: 「empty」を適用します\nMESSAGE: "
            "ゲームの更新でConfig.txtに場面が追加されています\\n"
            "これらの場面はゲーム本来の音楽として扱い、そのファイルは削除しません\\n場面: 4, 6\n");
  TSnapshot now = TakeSnapshot(root_.path());
  now.erase("UOSE/Music/Digital/" + std::string(kCopyRecordName));
  TSnapshot expected = outside;
  expected["UOSE/Music/Digital/Config.txt"] = Sjis(
      "1 title,loop\r\n2 battle\r\n3 \"town music\",loop\r\n5 夜の街,loop\r\n7 dungeon,loop\r\n"
      "8 Boss\r\n10 ending\r\n4 ..\r\n6 TITLE\r\n");
  EXPECT_EQ(now, expected);
}

TEST_F(KorvaApplyScenarioTest, NamesThatCannotBeAppliedAreRefused) {
  WriteShiftJisPlaylist("私の設定");
  for (const std::string name :
       {"", "a=b", "a;b", "a?b", "../私の設定", "私の設定.m3u", "未作成"}) {
    const TRun run = Run(name);
    EXPECT_EQ(run.Status, 2) << name;
    EXPECT_EQ(run.Output, "") << name;
  }
  EXPECT_EQ(TakeSnapshot(music_), pristine_);
}

}  // namespace
