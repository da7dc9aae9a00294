// A player on the silent real-time device, driven from the test's thread, which pumps the
// player's notices and records the events and the messages they raise.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "mp3player/compo/exception_display.h"
#include "mp3player/compo/player/mp3_player.h"
#include "platform/audio_device.h"
#include "platform/queue_dispatcher.h"

inline std::string PlayerData(const std::string& name) {
  return std::string(KORVA_TEST_DATA) + "/" + name;
}

// The files the other player component tests read.
inline std::string CompoData(const std::string& name) {
  return std::string(KORVA_TEST_DATA) + "/../../info/data/" + name;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PlayerFixture : public ::testing::Test {
 protected:
  explicit PlayerFixture(IAudioBackend* backend = &NullAudioBackend())
      : player(dispatcher, backend) {
    MPSetExceptionDisplay([this](const std::exception& e) { messages.push_back(e.what()); });
    player.SetAutoPlay(false);
    player.SetOnChangeStatus([this](TMP3Player*) { log.push_back("status"); });
    player.SetOnChangePosition([this](TMP3Player*) { log.push_back("position"); });
    player.SetOnEndPlay([this](TMP3Player*, TMP3EndPlayReason reason) {
      log.push_back("end");
      reasons.push_back(reason);
    });
  }
  ~PlayerFixture() override { MPSetExceptionDisplay(nullptr); }

  // Pumps notices until `done` holds; false when it does not within the time.
  bool PumpUntil(const std::function<bool()>& done,
                 std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      dispatcher.RunOne(std::chrono::milliseconds(10));
    }
    return true;
  }

  std::vector<std::string> log;
  std::vector<TMP3EndPlayReason> reasons;
  std::vector<std::string> messages;
  TQueueDispatcher dispatcher;
  TMP3Player player;
};
