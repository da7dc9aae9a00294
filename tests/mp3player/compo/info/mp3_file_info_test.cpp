#include "mp3player/compo/info/mp3_file_info.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "mp3_info_test_util.h"
#include "mp3player/compo/format_error.h"
#include "mp3player/compo/info/mp3_info.h"

namespace {

using namespace mp3test;

const std::string kData = KORVA_TEST_DATA;

TEST(Mp3FileInfoTest, FormatsSizesInThousands) {
  EXPECT_EQ(FormatFileSize(0), "0 Byte");
  EXPECT_EQ(FormatFileSize(999), "999 Byte");
  EXPECT_EQ(FormatFileSize(1000), "1 KB");
  EXPECT_EQ(FormatFileSize(1499), "1 KB");
  EXPECT_EQ(FormatFileSize(1500), "2 KB");
  EXPECT_EQ(FormatFileSize(1499999), "1,500 KB");
  EXPECT_EQ(FormatFileSize(1234567890, "."), "1.234.568 KB");
  EXPECT_EQ(FormatGrouped(44100), "44,100");
  EXPECT_EQ(FormatGrouped(100), "100");
  EXPECT_EQ(FormatGrouped(-1234567, " "), "-1 234 567");
}

TEST(Mp3FileInfoTest, StreamFactsOfRealFiles) {
  struct Case {
    const char* file;
    uint8_t version, layer;
    uint16_t bitrate, rate;
    bool stereo;
  } cases[] = {
      {"plain.mp3", 1, 3, 64, 44100, false},
      {"id3v23.mp3", 1, 3, 128, 44100, true},  // The UTF-16 BOM FF FE in the tag is no sync.
      {"layer2.mp3", 1, 2, 192, 48000, true},
      {"mpeg2.mp3", 2, 3, 32, 22050, false},
      {"riff_mp3.wav", 1, 3, 64, 44100, false},
  };
  for (const auto& c : cases) {
    TMP3Info tags;
    TMp3FileInfo info;
    ASSERT_TRUE(ReadMp3FileInfo(kData + "/" + c.file, info, tags)) << c.file;
    EXPECT_EQ(info.Version, c.version) << c.file;
    EXPECT_EQ(info.Layer, c.layer) << c.file;
    EXPECT_EQ(info.BitRate, c.bitrate) << c.file;
    EXPECT_EQ(info.SampleRate, c.rate) << c.file;
    EXPECT_EQ(info.Stereo, c.stereo) << c.file;
  }
  TMP3Info tags;
  TMp3FileInfo info;
  ASSERT_TRUE(ReadMp3FileInfo(kData + "/lame_tags.mp3", info, tags));
  EXPECT_EQ(info.Title, "Lame Title");
  EXPECT_EQ(info.Artist, "Lame Artist");
  EXPECT_EQ(info.Comment, "lame comment");
}

TEST(Mp3FileInfoTest, PlayingTimeExactFromHeadersEstimatedForPlainVbr) {
  struct Case {
    const char* file;
    int64_t ms;  // the decoded length: frames x samples per frame / rate
    bool estimated;
  } cases[] = {
      {"duration_cbr.mp3", 720, false},   // 30 frames of 576 samples at 24 kHz
      {"duration_info.mp3", 720, false},  // the same 30 frames behind an "Info" frame
      {"duration_xing.mp3", 679, false},  // 26 frames of 1152 samples at 44.1 kHz
      {"duration_vbri.mp3", 679, false},
  };
  TMP3Info tags;
  for (const auto& c : cases) {
    TMp3FileInfo info;
    ASSERT_TRUE(ReadMp3FileInfo(kData + "/" + c.file, info, tags)) << c.file;
    EXPECT_EQ(info.DurationMs, c.ms) << c.file;
    EXPECT_EQ(info.DurationEstimated, c.estimated) << c.file;
  }
  // Without a header frame the length of a variable bit rate comes from the average size of the
  // frames read with the first: marked as an estimate, and here (where they are all of the
  // file's 26 frames) within a frame of the decoded length.
  TMp3FileInfo info;
  ASSERT_TRUE(ReadMp3FileInfo(kData + "/duration_plain_vbr.mp3", info, tags));
  EXPECT_TRUE(info.DurationEstimated);
  EXPECT_NEAR(info.DurationMs, 679, 27);
  EXPECT_EQ(FormatDuration(59999), "0:59");
  EXPECT_EQ(FormatDuration(3600000 + 61000), "1:01:01");
}

TEST(Mp3FileInfoTest, FilesWithoutUsableHeaders) {
  TempDir dir;
  TMP3Info tags;
  TMp3FileInfo info;
  EXPECT_FALSE(ReadMp3FileInfo(dir.Write("gone.mp3", "") + ".missing", info, tags));

  // No sync at all: read, with an empty record and no tags looked at.
  EXPECT_TRUE(
      ReadMp3FileInfo(dir.Write("text.mp3", Repeat(9000, 'a') + Id3v1Tag("T")), info, tags));
  EXPECT_EQ(info.Title, "");
  EXPECT_EQ(info.BitRate, 0);

  // The reserved layer: not read, only the version is known.
  EXPECT_FALSE(ReadMp3FileInfo(
      dir.Write("layer0.mp3", std::string("\xFF\xF9\x90\x64", 4) + Repeat(6, 0)), info, tags));
  EXPECT_EQ(info.Version, 1);
  EXPECT_EQ(info.Layer, 0);

  // A sync in the last six bytes of the file is not taken; one across a block boundary is.
  EXPECT_FALSE(FindFrameHeader(dir.Write("short.mp3", std::string("\xFF\xFB\x90\x64\0\0", 6))));
  const std::string across = Repeat(4093, 'a') + std::string("\xFF\xFB\x90\x64", 4) + "123456";
  const auto header = FindFrameHeader(dir.Write("across.mp3", across));
  ASSERT_TRUE(header);
  EXPECT_EQ((*header)[2], 0x90);

  // A sync found but no frame where the tag reader looks: its error reaches the caller.
  const std::string false_sync = std::string("\xFF\xFB\x9C\x00", 4) + Repeat(5000, 'a');
  EXPECT_THROW(ReadMp3FileInfo(dir.Write("false.mp3", false_sync), info, tags), TMPFormatError);
}

// A named pipe is no file to read: opening it must neither wait for a writer nor count as a
// file without frames. Windows folders hold no named pipes.
#ifndef _WIN32
TEST(Mp3FileInfoTest, ANamedPipeIsReadAtOnceAsUnreadable) {
  TempDir dir;
  const std::string pipe = dir.Write("x.mp3", "");
  std::filesystem::remove(pipe);
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  auto reading = std::async(std::launch::async, [&] {
    TMp3FileInfo info;
    TMP3Info tags;
    return ReadMp3FileInfo(pipe, info, tags);
  });
  if (reading.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
    // Lets the blocked open go on, and its reads end at once, so that the test can finish.
    close(open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
    FAIL() << "opening the pipe blocked";
  }
  EXPECT_FALSE(reading.get());
}
#endif

TEST(Mp3FileInfoTest, TrailingBlanksAreTrimmedFromAlbumYearAndComment) {
  TempDir dir;
  const std::string bytes = Id3v2Tag(Id3v2Frame("TALB", std::string("\0Album  ", 8)) +
                                     Id3v2Frame("TIT2", std::string("\x01\xFF\xFEX\0 \0", 7))) +
                            Frames(2);
  TMP3Info tags;
  TMp3FileInfo info;
  ASSERT_TRUE(ReadMp3FileInfo(dir.Write("blanks.mp3", bytes), info, tags));
  EXPECT_EQ(info.Album, "Album");
  EXPECT_EQ(info.Title, "X ");  // Title keeps what the tag holds.
}

}  // namespace
