#include "mp3player/compo/info/mp3_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "mp3_info_test_util.h"
#include "mp3player/compo/assertion.h"
#include "mp3player/compo/format_error.h"
#include "mp3player/compo/io/memory_stream.h"
#include "mp3player/compo/io/stream_reader.h"

namespace {

using namespace mp3test;

const std::string kData = KORVA_TEST_DATA;

int32_t FileSize(const std::string& path) {
  return static_cast<int32_t>(std::filesystem::file_size(path));
}

// Reads bytes the way the player does: attach to a reader, head tags, tail tags when sized.
void ReadAsPlayer(TMP3Info& info, const std::string& bytes, bool seekable = true) {
  TMPMemoryStream stream(reinterpret_cast<const uint8_t*>(bytes.data()),
                         static_cast<int32_t>(bytes.size()));
  TMPStreamReader reader(65536);
  reader.Attach(&stream, seekable);
  info.Attach(&reader);
  info.ReadHeadTags();
  if (seekable) info.ReadTailTags();
  info.Attach(nullptr);
}

std::vector<std::string> Lines(const TMPInfoList& list) { return list.Lines(); }

TEST(Mp3InfoTest, BareStreamByFileListAndByPlayer) {
  TMP3Info info;
  const std::string path = kData + "/plain.mp3";
  info.Open(path);
  EXPECT_EQ(info.DataStart(), 0);
  EXPECT_EQ(info.DataSize(), FileSize(path));
  EXPECT_TRUE(info.FoundTypes().Empty());
  EXPECT_EQ(info.Title(), "plain.mp3");
  EXPECT_EQ(info.FileName(), path);

  // Leading junk is passed by the file list's frame search only.
  TempDir dir;
  const std::string junk = Repeat(100, '\0') + Frames(3);
  info.Open(dir.Write("junk.mp3", junk));
  EXPECT_EQ(info.DataStart(), 100);
  EXPECT_EQ(info.DataSize(), 3 * 417);
  ReadAsPlayer(info, junk);
  EXPECT_EQ(info.DataStart(), 0);
  EXPECT_EQ(info.DataSize(), static_cast<int32_t>(junk.size()));
  EXPECT_EQ(info.Title(), "");  // No file name without Open.
}

TEST(Mp3InfoTest, FfmpegId3v23WithJapaneseTitle) {
  TMP3Info info;
  const std::string path = kData + "/id3v23.mp3";
  info.Open(path);
  EXPECT_EQ(info.FoundTypes(), (TMP3InfoType{mitID3V1, mitID3V2}));
  EXPECT_EQ(info.DataStart(), 189);  // 10 + size field 179; the first frame follows at once.
  EXPECT_EQ(info.DataSize(), FileSize(path) - 189);
  EXPECT_EQ(info.ID3v2Info().Value("TIT2"), "日本語のタイトル");
  EXPECT_EQ(info.ID3v2Info().Value("tpe1"), "Artist One");
  EXPECT_EQ(info.ID3v1Info().Value("GENRE"), "Rock");
  EXPECT_EQ(info.ID3v1Info().Value("GENREIDX"), "17");
  EXPECT_EQ(info.ID3v1Info().Value("TRACK"), "7");
  EXPECT_EQ(info.ID3v1Offset(), FileSize(path) - 128);
  EXPECT_EQ(info.Artist(), "Artist One");
  EXPECT_EQ(info.Year(), "2004");
  EXPECT_EQ(info.Comment(), "A comment");
}

TEST(Mp3InfoTest, LameTagsAndCommentFrame) {
  TMP3Info info;
  info.Open(kData + "/lame_tags.mp3");
  EXPECT_EQ(info.ID3v2Info().Value("COMM"), "lame comment");
  EXPECT_EQ(info.ID3v1Info().Value("GENRE"), "Jazz");
  EXPECT_EQ(info.ID3v1Info().Value("TRACK"), "3");
  EXPECT_EQ(info.Title(), "Lame Title");
  EXPECT_EQ(info.Album(), "Lame Album");
}

TEST(Mp3InfoTest, WaveWrapperFromFfmpeg) {
  TMP3Info info;
  info.Open(kData + "/riff_mp3.wav");
  EXPECT_EQ(info.FoundTypes(), TMP3InfoType{mitRiff});
  EXPECT_EQ(info.DataStart(), 104);
  EXPECT_EQ(info.DataSize(), 4388);
}

TEST(Mp3InfoTest, RiffWithOddChunkId3v2InDataAndInfoAfterIt) {
  const std::string tag = Id3v2Tag(Id3v2Frame("TIT2", std::string("\0Inner", 6)));
  const std::string body = tag + Frames(2);
  const std::string info_list = "INFO" + std::string("INAM") + Le32(5) + "Title" + '\0' + "ICMT" +
                                Le32(3) + "Hi!" + '\0' + "IART" + Le32(0);
  const std::string riff = "RIFF" + Le32(0) + "WAVE" + "fmt " + Le32(3) + "abc" + '\0' + "data" +
                           Le32(static_cast<uint32_t>(body.size())) + body + "LIST" +
                           Le32(static_cast<uint32_t>(info_list.size())) + info_list;
  TMP3Info info;
  ReadAsPlayer(info, riff);
  EXPECT_EQ(info.FoundTypes(), (TMP3InfoType{mitRiff, mitID3V2}));
  const int32_t body_start = 12 + 12 + 8;  // The odd fmt chunk is padded to 4 bytes.
  EXPECT_EQ(info.DataStart(), body_start + static_cast<int32_t>(tag.size()));
  EXPECT_EQ(info.DataSize(), 2 * 417);
  EXPECT_EQ(Lines(info.RiffInfo()), (std::vector<std::string>{"INAM=Title", "ICMT=Hi!"}));
  EXPECT_EQ(info.Title(), "Inner");  // 5 bytes each: ID3v2 comes before RIFF.
  EXPECT_EQ(info.Comment(), "Hi!");

  // An embedded ID3 chunk ends the list without adding anything.
  std::string iid3 = riff;
  iid3.replace(iid3.size() - info_list.size() + 4, 4, "IID3");
  ReadAsPlayer(info, iid3);
  EXPECT_TRUE(info.RiffInfo().Lines().empty());
}

TEST(Mp3InfoTest, MacBinaryLimitsTheTailTagsToTheDataFork) {
  const std::string tag = Id3v2Tag(Id3v2Frame("TALB", std::string("\0Mac", 4)));
  const std::string fork = tag + Frames(2) + Id3v1Tag("Fork title");
  std::string header(128, '\0');
  header[1] = 5;
  header.replace(2, 5, "Music");
  header.replace(83, 4, Be32(static_cast<uint32_t>(fork.size())));
  header.replace(87, 4, Be32(40));
  const std::string file = header + fork + Repeat(40, 'R');
  TMP3Info info;
  ReadAsPlayer(info, file);
  EXPECT_EQ(info.FoundTypes(), (TMP3InfoType{mitMacBin, mitID3V2, mitID3V1}));
  EXPECT_EQ(info.DataStart(), 128 + static_cast<int32_t>(tag.size()));
  EXPECT_EQ(info.DataSize(), static_cast<int32_t>(fork.size() - tag.size()));
  EXPECT_EQ(info.ID3v1Offset(), static_cast<int32_t>(128 + fork.size() - 128));
  EXPECT_EQ(info.Title(), "Fork title");
  EXPECT_EQ(info.Album(), "Mac");

  // A name length of 0 is no MacBinary header.
  std::string plain = file;
  plain[1] = 0;
  ReadAsPlayer(info, plain);
  EXPECT_FALSE(info.FoundTypes().Contains(mitMacBin));
}

TEST(Mp3InfoTest, Id3v2FrameContents) {
  const std::string utf16 =
      std::string("\x01\xFF\xFE", 3) + "\xE5\x65\x2C\x67\x9E\x8A" + std::string("a\0", 2);
  const std::string body =
      Id3v2Frame("TIT2", utf16) + Id3v2Frame("TPE1", std::string("\0Plain\0Ignored", 14)) +
      Id3v2Frame("COMM", std::string("\0engdesc\0The text", 17)) +
      Id3v2Frame("WXXX", std::string("\0\0http://x", 10)) +
      Id3v2Frame("TALB", std::string("\x01\xFE\xFF\x30\x42", 5)) + Repeat(20, '\0');
  TMP3Info info;
  ReadAsPlayer(info, Id3v2Tag(body) + Frames(1));
  ASSERT_TRUE(info.FoundTypes().Contains(mitID3V2));
  EXPECT_EQ(Lines(info.ID3v2Info()),
            (std::vector<std::string>{"TIT2=日本語a", "TPE1=Plain", "COMM=The text",
                                      "WXXX=http://x", "TALB=あ"}));

  // A comment with an empty description and a closing NUL; a UTF-16 comment.
  const std::string comments = Id3v2Frame("COMM", std::string("\0eng\0Text\0", 10)) +
                               Id3v2Frame("COMM", std::string("\x01"
                                                              "eng\xFF\xFE\0\0\xFF\xFE\x42\x30",
                                                              12));
  ReadAsPlayer(info, Id3v2Tag(comments) + Frames(1));
  EXPECT_EQ(Lines(info.ID3v2Info()), (std::vector<std::string>{"COMM=Text", "COMM=あ"}));
}

TEST(Mp3InfoTest, Id3v2TagsPassedWholeOrRejected) {
  const std::string frame = Id3v2Frame("TIT2", std::string("\0Title", 6));
  struct Case {
    std::string tag;
    bool recognised;
    size_t lines;
  } cases[] = {
      {Id3v2Tag(frame, 2), true, 0},        // Version 2.2: skipped whole.
      {Id3v2Tag(frame, 3, 0x80), true, 0},  // Unsynchronised: skipped whole.
      {Id3v2Tag(Be32(6) + Repeat(6, '\0') + frame, 3, 0x40), true, 1},  // Extended header.
      {Id3v2Tag(frame + "abc"), false, 1},               // A 3-byte gap before the tag end.
      {Id3v2Tag(frame.substr(0, 12)), false, 1},         // A frame that passes the tag end.
      {Id3v2Tag(Be32(100) + frame, 3, 0x40), false, 0},  // Extended header larger than the tag.
      {Id3v2Tag(""), false, 0},                          // Size 0.
  };
  for (const auto& c : cases) {
    TMP3Info info;
    ReadAsPlayer(info, c.tag + Frames(1));
    EXPECT_EQ(info.FoundTypes().Contains(mitID3V2), c.recognised);
    EXPECT_EQ(info.ID3v2Info().Lines().size(), c.lines);
    EXPECT_EQ(info.DataStart(), c.recognised ? static_cast<int32_t>(c.tag.size()) : 0);
  }
}

TEST(Mp3InfoTest, Id3v24FromTwoWritersEqualsWhatTheyWrote) {
  const std::string title = "桜の季節　～春～";
  const std::string artist = "Zoë Ångström & Beyoncé";
  const std::string album = "★ Best ♪ №1 — Δ/Ω ©";
  struct Case {
    const char* file;
    std::string artist;
  } cases[] = {
      {"id3v24_ffmpeg.mp3", artist},                      // UTF-8
      {"id3v24_mutagen_enc1.mp3", artist + "/初音ミク"},  // UTF-16 with byte-order mark
      {"id3v24_mutagen_enc2.mp3", artist + "/初音ミク"},  // UTF-16 big-endian, no mark
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TMP3Info info;
    const std::string path = kData + "/" + c.file;
    info.Open(path);
    EXPECT_TRUE(info.FoundTypes().Contains(mitID3V2));
    EXPECT_EQ(info.Title(), title);
    EXPECT_EQ(info.Artist(), c.artist);
    EXPECT_EQ(info.Album(), album);
  }
}

TEST(Mp3InfoTest, Id3v24FrameFlagsExtendedHeaderAndFooter) {
  auto synchsafe = [](uint32_t v) {
    std::string out;
    for (int shift = 21; shift >= 0; shift -= 7) out += static_cast<char>((v >> shift) & 0x7F);
    return out;
  };
  auto frame = [&](const std::string& id, char flags, const std::string& content) {
    return id + synchsafe(static_cast<uint32_t>(content.size())) + '\0' + flags + content;
  };
  // A 200-byte text needs a seven-bit size (0x01 0x48); a plain 32-bit size would read as 328.
  const std::string long_title = "\x03" + Repeat(200, 'x');
  // Unsynchronised with a data length indicator: "\xFF\x00" stands for the byte 0xFF, here
  // the second byte of the UTF-16 byte-order mark FF FE.
  const std::string unsync = std::string(
      "\0\0\0\x07\x01\xFF\x00\xFE"
      "A\0B\0",
      12);
  const std::string body = synchsafe(6) + std::string("\x01\0", 2) + frame("TIT2", 0, long_title) +
                           frame("TPE1", 0x03, unsync) + frame("TALB", 0x08, "\x03zipped") +
                           frame("TCOM", 0x40, std::string("\x07\x03One\0Two\0", 10)) +
                           frame("TDRC", 0, std::string("\x03") + "2004-05-06") + Repeat(16, '\0');
  const std::string tag = Id3v2Tag(body, 4, 0x40 | 0x10);
  const std::string footer = "3DI" + tag.substr(3, 7);
  TMP3Info info;
  ReadAsPlayer(info, tag + footer + Frames(1));
  ASSERT_TRUE(info.FoundTypes().Contains(mitID3V2));
  EXPECT_EQ(info.DataStart(), static_cast<int32_t>(tag.size() + footer.size()));
  EXPECT_EQ(info.Title(), Repeat(200, 'x'));
  EXPECT_EQ(info.Artist(), "AB");
  EXPECT_EQ(info.ID3v2Info().Value("TALB"), "");  // Compressed: not read.
  EXPECT_EQ(info.ID3v2Info().Value("TCOM"), "One/Two");
  EXPECT_EQ(info.Year(), "2004-05-06");  // the recording time stands for the year

  // Version 2.3 and encoding 0 stay as they were: Shift-JIS up to the first NUL.
  ReadAsPlayer(info, Id3v2Tag(Id3v2Frame("TIT2", std::string("\0\x93\xFA\0x", 5))) + Frames(1));
  EXPECT_EQ(info.Title(), "日");
}

TEST(Mp3InfoTest, LargeFramesArePassedUnread) {
  const std::string body =
      Id3v2Frame("APIC", Repeat(70000, 'x')) + Id3v2Frame("TIT2", std::string("\0After", 6));
  TMP3Info info;
  ReadAsPlayer(info, Id3v2Tag(body) + Frames(1));
  EXPECT_EQ(Lines(info.ID3v2Info()), (std::vector<std::string>{"TIT2=After"}));
}

TEST(Mp3InfoTest, Id3v1FieldsGenresAndTrack) {
  struct Case {
    uint8_t genre;
    const char* name;
  } genres[] = {{17, "Rock"}, {200, ""}, {255, "Anime(J)"}, {147, "Synthpop"}};
  for (const auto& g : genres) {
    TMP3Info info;
    ReadAsPlayer(info, Frames(1) + Id3v1Tag("Abcd" + Repeat(26, ' '), "", "", g.genre));
    EXPECT_EQ(info.ID3v1Info().Value("TITLE"), "Abcd");
    EXPECT_EQ(info.ID3v1Info().Value("GENRE"), g.name);
    EXPECT_EQ(info.ID3v1Info().Value("GENREIDX"), std::to_string(g.genre));
    EXPECT_EQ(info.ID3v1Info().Value("TRACK"), "0");
  }
  TMP3Info info;
  ReadAsPlayer(info, Frames(1) + Id3v1Tag("t", "", Repeat(30, 'c')));
  EXPECT_EQ(info.ID3v1Info().Value("COMMENT"), Repeat(30, 'c'));
  EXPECT_EQ(info.ID3v1Info().Lines().size(), 7u);  // No TRACK line.

  // Shift-JIS text is converted.
  ReadAsPlayer(info, Frames(1) + Id3v1Tag("\x93\xFA\x96\x7B"));
  EXPECT_EQ(info.Title(), "日本");
}

TEST(Mp3InfoTest, Lyrics3BothVersions) {
  const std::string id3v1 = Id3v1Tag("t");
  const std::string v1 = std::string("LYRICSBEGIN") + "Line one\r\nLine two" + "LYRICSEND";
  TMP3Info info;
  ReadAsPlayer(info, Frames(2) + v1 + id3v1);
  EXPECT_EQ(info.FoundTypes(), (TMP3InfoType{mitID3V1, mitLyrics}));
  EXPECT_EQ(Lines(info.LyricsInfo()), (std::vector<std::string>{"LYRICS=Line one\r\nLine two"}));
  EXPECT_EQ(info.LyricsOffset(), 2 * 417);

  const std::string fields = std::string("IND00002") + "10" + "LYR00005" + "Words";
  const std::string v2 = "LYRICSBEGIN" + fields + "000034" + "LYRICS200";
  ReadAsPlayer(info, Frames(2) + v2);  // Without an ID3v1 tag: at the end of the file.
  EXPECT_EQ(info.FoundTypes(), TMP3InfoType{mitLyrics});
  EXPECT_EQ(Lines(info.LyricsInfo()), (std::vector<std::string>{"IND=10", "LYR=Words"}));
  EXPECT_EQ(info.LyricsOffset(), 2 * 417);

  // A size that reaches before the file, or a field that runs past the end, is no tag.
  ReadAsPlayer(info, "LYRICSBEGIN" + fields + "099999" + "LYRICS200");
  EXPECT_FALSE(info.FoundTypes().Contains(mitLyrics));
  const std::string broken = "LYRICSBEGIN" + std::string("IND00002") + "10" + "LYR00009" + "Words";
  ReadAsPlayer(info, Frames(1) + broken + "000034" + "LYRICS200");
  EXPECT_FALSE(info.FoundTypes().Contains(mitLyrics));
  EXPECT_EQ(Lines(info.LyricsInfo()), (std::vector<std::string>{"IND=10"}));
}

TEST(Mp3InfoTest, FirstFrameMustLieWithin4096Positions) {
  TempDir dir;
  TMP3Info info;
  info.Open(dir.Write("near.mp3", Repeat(4095, '\0') + Frames(2)));
  EXPECT_EQ(info.DataStart(), 4095);
  EXPECT_THROW(info.Open(dir.Write("far.mp3", Repeat(4096, '\0') + Frames(2))), TMPFormatError);
  EXPECT_EQ(info.DataSize(), TMP3Info::kUnknownSize);  // Cleared after the failure.
  EXPECT_EQ(info.FileName(), "");

  // A frame cut short by the end of the file does not count.
  EXPECT_THROW(info.Open(dir.Write("cut.mp3", Frames(1).substr(0, 300))), TMPFormatError);
  EXPECT_THROW(info.Open(dir.Write("empty.mp3", "")), TMPFormatError);
  // A free-format header has no length here and counts as found.
  info.Open(dir.Write("free.mp3", std::string("\xFF\xFB\x00\x44", 4)));
  EXPECT_EQ(info.DataStart(), 0);
  try {
    info.Open(dir.Write("far.mp3", Repeat(4096, '\0')));
  } catch (const TMPFormatError& e) {
    EXPECT_STREQ(e.what(), "unknown MPEG Audio format.");
  }
}

TEST(Mp3InfoTest, MissingFileRaisesTheSystemError) {
  TMP3Info info;
  EXPECT_THROW(info.Open(kData + "/no such file.mp3"), std::system_error);
  EXPECT_THROW(info.Open(kData), std::system_error);  // A folder.
}

TEST(Mp3InfoTest, MergeRuleAndNeedInfoType) {
  auto tagged = [](const std::string& v1_title, const std::string& v2_title) {
    return Id3v2Tag(Id3v2Frame("TIT2", '\0' + v2_title)) + Frames(1) + Id3v1Tag(v1_title, "A1");
  };
  TMP3Info info;
  ReadAsPlayer(info, tagged("0123456789", "abcdefghij"));
  EXPECT_EQ(info.Title(), "0123456789");  // Equally long: ID3v1 first.
  ReadAsPlayer(info, tagged("0123456789", "abcdefghijk"));
  EXPECT_EQ(info.Title(), "abcdefghijk");
  // Six stored bytes, four of them undecodable, are shorter than seven readable ones.
  const std::string undecodable(4, '\xFF');
  ReadAsPlayer(info, tagged(undecodable + "ab", "abcdefg"));
  EXPECT_EQ(info.Title(), "abcdefg");
  ReadAsPlayer(info, tagged(undecodable + "abc", "abcdef"));
#ifdef _WIN32  // Windows maps 0xFF to a private-use character rather than U+FFFD.
  EXPECT_EQ(info.Title(), "\uF8F3\uF8F3\uF8F3\uF8F3abc");
#else
  EXPECT_EQ(info.Title(), "\uFFFD\uFFFD\uFFFD\uFFFDabc");
#endif
  // Lengths count in the code page: two Japanese characters are four bytes there.
  ReadAsPlayer(info, tagged("abc", "\x93\xFA\x96\x7B"));
  EXPECT_EQ(info.Title(), "日本");

  info.SetNeedInfoType({mitID3V1});
  EXPECT_EQ(info.Title(), "abc");
  info.SetNeedInfoType({});
  EXPECT_EQ(info.Title(), "");
  EXPECT_EQ(info.Artist(), "");
  TempDir dir;
  info.Open(dir.Write("named.mp3", tagged("x", "y")));
  EXPECT_EQ(info.Title(), "named.mp3");
  EXPECT_EQ(info.NeedInfoType(), TMP3InfoType{});  // Open keeps the wanted kinds.
}

TEST(Mp3InfoTest, ReaderWithoutSizeReadsHeadTagsOnly) {
  TMP3Info info;
  const std::string bytes =
      Id3v2Tag(Id3v2Frame("TIT2", std::string("\0T", 2))) + Frames(1) + Id3v1Tag("Tail");
  ReadAsPlayer(info, bytes, false);
  EXPECT_EQ(info.FoundTypes(), TMP3InfoType{mitID3V2});
  EXPECT_EQ(info.DataSize(), TMP3Info::kUnknownSize);

  EXPECT_THROW(info.ReadHeadTags(), TMPAssertionError);
  EXPECT_THROW(info.FindFirstFrame(), TMPAssertionError);
  EXPECT_THROW(info.ReadTailTags(), TMPAssertionError);
}

}  // namespace
