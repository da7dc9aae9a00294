#pragma once

#include <exception>
#include <string>

// The text the person sees for an error of the player. A sound device that cannot be opened or
// fails says so in the program's language, with what to do, and the device's own text follows
// on a second line for whoever has to look further; other errors keep their own text.
std::string PlayerErrorMessage(const std::exception& error);

inline constexpr char kMsgSoundDeviceNotOpened[] =
    "サウンドデバイスを開けませんでした。\n"
    "スピーカーやヘッドホンがつながっているか、ほかのプログラムが使っていないかを確かめてから、"
    "もう一度再生してください";
inline constexpr char kMsgSoundDeviceFailed[] =
    "サウンドデバイスでエラーが起きました。もう一度再生してください";
