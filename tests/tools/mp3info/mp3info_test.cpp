#include <gtest/gtest.h>
#include <string>

#include "tests/platform/temp_dir.h"
#include "tests/tools/run_command.h"

namespace {

// Runs mp3info in `folder`, so that the "file" keys are the names as given.
TRun RunTool(const std::string& folder, const std::string& arguments) {
#ifdef _WIN32
  const std::string cd = "cd /d ";  // also changes the drive
#else
  const std::string cd = "cd ";
#endif
  return RunCommand(cd + ShellWord(folder) + " && " + ShellWord(MP3INFO_PROGRAM) + " " + arguments);
}

const std::string kLameTagsLine =
    R"x({"file":"lame_tags.mp3","DataStart":275,"DataSize":2427,)x"
    R"x("FoundTypes":["mitID3V2","mitID3V1"],"Title":"Lame Title","Artist":"Lame Artist",)x"
    R"x("Album":"Lame Album","Year":"1999","Comment":"lame comment",)x"
    R"x("ID3v1Info":["TITLE=Lame Title","ARTIST=Lame Artist","ALBUM=Lame Album","YEAR=1999",)x"
    R"x("COMMENT=lame comment","GENRE=Jazz","GENREIDX=8","TRACK=3"],)x"
    R"x("ID3v2Info":["TSSE=LAME 64bits version 3.100 (http://lame.sf.net)","TIT2=Lame Title",)x"
    R"x("TPE1=Lame Artist","TALB=Lame Album","TYER=1999","COMM=lame comment","TRCK=3",)x"
    R"x("TCON=Jazz","TLEN=500"],"RiffInfo":[],"LyricsInfo":[],)x"
    R"x("Version":2,"Layer":3,"BitRate":32,"SampleRate":22050,"Stereo":false})x"
    "\n";

TEST(Mp3InfoToolTest, TaggedFileByFileListAndByPlayer) {
  // The head tag is listed before the tail tag, as the scans meet them.
  EXPECT_EQ(RunTool(MP3_DATA, "lame_tags.mp3").Output, kLameTagsLine);
  EXPECT_EQ(RunTool(MP3_DATA, "--player lame_tags.mp3").Output, kLameTagsLine);
}

TEST(Mp3InfoToolTest, Id3v24TagAndLayerTwoMono) {
  const std::string stream =
      R"x("ID3v1Info":[],"ID3v2Info":["TIT2=Version 4 title","TSSE=Lavf59.27.100"],)x"
      R"x("RiffInfo":[],"LyricsInfo":[],)x"
      R"x("Version":1,"Layer":3,"BitRate":96,"SampleRate":44100,"Stereo":true})x"
      "\n";
  // The version 4 tag's frames are read by both.
  EXPECT_EQ(RunTool(MP3_DATA, "id3v24.mp3 twolame_mono.mp2").Output,
            R"x({"file":"id3v24.mp3","DataStart":72,"DataSize":2821,"FoundTypes":["mitID3V2"],)x"
            R"x("Title":"Version 4 title","Artist":"","Album":"","Year":"","Comment":"",)x" +
                stream +
                R"x({"file":"twolame_mono.mp2","DataStart":0,"DataSize":4160,"FoundTypes":[],)x"
                R"x("Title":"twolame_mono.mp2","Artist":"","Album":"","Year":"","Comment":"",)x"
                R"x("ID3v1Info":[],"ID3v2Info":[],"RiffInfo":[],"LyricsInfo":[],)x"
                R"x("Version":1,"Layer":2,"BitRate":64,"SampleRate":44100,"Stereo":false})x"
                "\n");
  EXPECT_EQ(RunTool(MP3_DATA, "--player id3v24.mp3").Output,
            R"x({"file":"id3v24.mp3","DataStart":72,"DataSize":2821,"FoundTypes":["mitID3V2"],)x"
            R"x("Title":"Version 4 title","Artist":"","Album":"","Year":"","Comment":"",)x" +
                stream);
}

TEST(Mp3InfoToolTest, FailedFilesCarryTheErrorAndTheStatusStaysZero) {
  TTempDir dir;
  WriteBytes(dir / "zeros.mp3", std::string(5000, '\0'));
  const TRun run = RunTool(dir.path(), "missing.mp3 zeros.mp3");
  EXPECT_EQ(run.Status, 0);
  const std::string cleared =
      R"x("DataStart":0,"DataSize":2147483647,"FoundTypes":[],"Title":"","Artist":"",)x"
      R"x("Album":"","Year":"","Comment":"","ID3v1Info":[],"ID3v2Info":[],"RiffInfo":[],)x"
      R"x("LyricsInfo":[],"Version":0,"Layer":0,"BitRate":0,"SampleRate":0,"Stereo":false})x"
      "\n";
#ifdef _WIN32  // the system's own text for the missing file
  const std::string missing = "File not found";
#else
  const std::string missing = "No such file or directory";
#endif
  EXPECT_EQ(run.Output,
            R"x({"file":"missing.mp3","error":"missing.mp3: )x" + missing + R"x(",)x" + cleared +
                R"x({"file":"zeros.mp3","error":"unknown MPEG Audio format.",)x" + cleared);
}

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

TEST(Mp3InfoToolTest, WrapperAndTagsInFileOrder) {
  // MacBinary header, ID3v2 tag, two frames, Lyrics3 v2 and ID3v1 in the data fork, then a
  // resource fork.
  const std::string title("TIT2\0\0\0\x05\0\0\0Head", 15);
  const std::string id3v2 = std::string("ID3\x03\0\0\0\0\0\x0F", 10) + title;
  std::string frames;
  for (int i = 0; i < 2; ++i) frames += std::string("\xFF\xFB\x90\x64", 4) + std::string(413, 'U');
  const std::string lyrics_fields = "LYRICSBEGIN" + std::string("IND00002") + "10";
  const std::string lyrics = lyrics_fields + "000021" + "LYRICS200";
  std::string id3v1 = "TAG" + std::string("Tail title") + std::string(20, '\0');
  id3v1 += std::string(94, '\0');
  id3v1 += '\x11';
  const std::string fork = id3v2 + frames + lyrics + id3v1;
  std::string header(128, '\0');
  header[1] = 4;
  header.replace(2, 4, "Song");
  header.replace(83, 4, Be32(static_cast<uint32_t>(fork.size())));
  header.replace(87, 4, Be32(6));
  TTempDir dir;
  WriteBytes(dir / "mac.bin", header + fork + "RRRRRR");

  const std::string expected =
      R"x({"file":"mac.bin","DataStart":153,"DataSize":998,)x"
      R"x("FoundTypes":["mitMacBin","mitID3V2","mitID3V1","mitLyrics"],"Title":"Tail title",)x"
      R"x("Artist":"","Album":"","Year":"","Comment":"",)x"
      R"x("ID3v1Info":["TITLE=Tail title","ARTIST=","ALBUM=","YEAR=","COMMENT=","GENRE=Rock",)x"
      R"x("GENREIDX=17","TRACK=0"],"ID3v2Info":["TIT2=Head"],"RiffInfo":[],)x"
      R"x("LyricsInfo":["IND=10"],"Version":1,"Layer":3,"BitRate":128,"SampleRate":44100,)x"
      R"x("Stereo":true})x"
      "\n";
  EXPECT_EQ(RunTool(dir.path(), "--player mac.bin").Output, expected);
  EXPECT_EQ(RunTool(dir.path(), "mac.bin").Output, expected);
}

}  // namespace
