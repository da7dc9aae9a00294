#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/config/apply.h"
#include "app/config/korva_config.h"
#include "platform/files.h"
#include "tests/app/config/fake_prompts.h"
#include "tests/app/config/mp3_source.h"
#include "tests/platform/temp_dir.h"

inline constexpr char kGameTable[] = "1 title,loop\r\n2 battle\r\n3 town,loop\r\n4 ending\r\n";

// A game whose music folder holds its table, the backup and four songs, beside a folder of the
// person's own music.
class ApplyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(music_);
    std::filesystem::create_directories(own_);
    WriteBytes(music_ + kSep + "Config.txt", kGameTable);
    WriteBytes(music_ + kSep + "Config.org", kGameTable);
    for (const char* name : {"title", "battle", "town", "ending"}) {
      WriteBytes(music_ + kSep + name + ".mp3", std::string("game ") + name);
    }
    defaults_.SetDefault(true);
    defaults_.LoadFromGameTable(music_ + kSep + "Config.org");
    prompts_.DefaultAnswer = TPromptAnswer::pcaOk;
  }

  // A file of the person's own music (made on first use) assigned to a scene.
  std::string Own(const std::string& relative) {
    const std::string path = own_ + kSep + relative;
    std::filesystem::create_directories(ExtractFilePath(path));
    if (!FileExists(path)) WriteBytes(path, OwnBytes(relative));
    return path;
  }
  static std::string OwnBytes(const std::string& relative) { return Mp3Bytes("own " + relative); }
  void Assign(int scene, const std::string& path, bool loop = false) {
    TKorvaConfigItem& item = user_.Add();
    item.Scene = scene;
    item.FileName = path;
    item.Loop = loop;
  }
  TApplyResult Result(const std::string& name = "mine") {
    return ApplyConfig(name, defaults_, user_, music_, prompts_);
  }
  bool Apply(const std::string& name = "mine") { return Result(name) != TApplyResult::arStopped; }
  std::string Table() { return ReadBytes(music_ + kSep + "Config.txt"); }
  std::string Music(const std::string& name) { return ReadBytes(music_ + kSep + name); }

  TTempDir root_;
  const std::string music_ = root_ / "game/Music/Digital";
  const std::string own_ = root_ / "own";
  TKorvaConfig defaults_;
  TKorvaConfig user_;
  TFakePrompts prompts_;
};
