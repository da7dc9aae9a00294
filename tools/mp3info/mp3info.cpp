// mp3info [--player] FILE...
//
// Prints one JSON object per file and line: where the audio data lies, which wrappers and tags
// the file has, their text and the facts of the first frame header. Without --player the file is
// read as the file list reads it (TMP3Info::Open); with --player as the player reads it (attach
// to a 65,536-byte reader, head tags, tail tags). A file that cannot be read gets an "error" key;
// the exit status is 0 all the same.

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "mp3player/compo/info/mp3_file_info.h"
#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/io/file_stream.h"
#include "mp3player/compo/io/stream_reader.h"
#include "platform/utf8.h"
#include "tools/tool_main.h"

namespace {

constexpr int32_t kPlayerReaderCapacity = 65536;

// A JSON string; bytes that are not UTF-8 become U+FFFD so that the line stays valid JSON.
std::string Quote(std::string_view text) {
  std::string out = "\"";
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    if (!DecodeUtf8(text, pos, cp)) {
      cp = 0xFFFD;
      ++pos;
    }
    if (cp == '"' || cp == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(cp));
      out += escaped;
    } else {
      AppendUtf8(out, cp);
    }
  }
  return out + "\"";
}

std::string Lines(const TMPInfoList& list) {
  std::string out = "[";
  for (const auto& line : list.Lines()) {
    if (out.size() > 1) out += ",";
    out += Quote(line);
  }
  return out + "]";
}

// The kinds in the order the scans meet them in a file: the wrappers and the ID3v2 tag at the
// start, then the ID3v1 and Lyrics3 tags at the end.
std::string FoundTypes(TMP3InfoType types) {
  static constexpr std::pair<TMP3InfoKind, const char*> kNames[] = {
      {mitMacBin, "mitMacBin"}, {mitRiff, "mitRiff"},     {mitID3V2, "mitID3V2"},
      {mitID3V1, "mitID3V1"},   {mitLyrics, "mitLyrics"},
  };
  std::string out = "[";
  for (const auto& [kind, name] : kNames) {
    if (!types.Contains(kind)) continue;
    if (out.size() > 1) out += ",";
    out += Quote(name);
  }
  return out + "]";
}

void ReadAsPlayer(const std::string& path, TMP3Info& info) {
  TMPFileStream file(path);
  TMPStreamReader reader(kPlayerReaderCapacity);
  reader.Attach(&file, true);
  info.Attach(&reader);
  info.ReadHeadTags();
  info.ReadTailTags();
  info.Attach(nullptr);
}

std::string Describe(const std::string& path, bool as_player) {
  TMP3Info info;
  std::string error;
  try {
    if (as_player) {
      ReadAsPlayer(path, info);
    } else {
      info.Open(path);
    }
  } catch (const std::exception& e) {
    error = e.what();
    info.Attach(nullptr);
  }
  TMp3FileInfo facts;
  ReadMp3HeaderInfo(path, facts);

  std::string out = "{\"file\":" + Quote(path);
  if (!error.empty()) out += ",\"error\":" + Quote(error);
  out += ",\"DataStart\":" + std::to_string(info.DataStart());
  out += ",\"DataSize\":" + std::to_string(info.DataSize());
  out += ",\"FoundTypes\":" + FoundTypes(info.FoundTypes());
  out += ",\"Title\":" + Quote(info.Title());
  out += ",\"Artist\":" + Quote(info.Artist());
  out += ",\"Album\":" + Quote(info.Album());
  out += ",\"Year\":" + Quote(info.Year());
  out += ",\"Comment\":" + Quote(info.Comment());
  out += ",\"ID3v1Info\":" + Lines(info.ID3v1Info());
  out += ",\"ID3v2Info\":" + Lines(info.ID3v2Info());
  out += ",\"RiffInfo\":" + Lines(info.RiffInfo());
  out += ",\"LyricsInfo\":" + Lines(info.LyricsInfo());
  out += ",\"Version\":" + std::to_string(facts.Version);
  out += ",\"Layer\":" + std::to_string(facts.Layer);
  out += ",\"BitRate\":" + std::to_string(facts.BitRate);
  out += ",\"SampleRate\":" + std::to_string(facts.SampleRate);
  out += std::string(",\"Stereo\":") + (facts.Stereo ? "true" : "false");
  return out + "}";
}

}  // namespace

int ToolMain(int argc, char** argv) {
  bool as_player = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--player") {
      as_player = true;
    } else {
      files.emplace_back(arg);
    }
  }
  if (files.empty()) {
    std::cerr << "usage: mp3info [--player] FILE...\n";
    return 2;
  }
  for (const auto& file : files) std::cout << Describe(file, as_player) << '\n';
  return 0;
}
