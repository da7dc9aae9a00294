#pragma once

// The operating system's version record as Windows reports it; off Windows the platform is
// ospOther and the numbers are 0.
enum class TOsPlatform { ospWin9x, ospNT, ospOther };

struct TOsVersion {
  int Major = 0;
  int Minor = 0;
  TOsPlatform Platform = TOsPlatform::ospOther;
};

TOsVersion CurrentOsVersion();
