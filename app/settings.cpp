#include "app/settings.h"

#include <cmath>

TKorva DefaultSettings(const TKorvaRect& bounds, int pixelsPerInch) {
  TKorva settings;
  settings.WindowRect = bounds;
  settings.FileColumnWidths = {
      2 * pixelsPerInch, pixelsPerInch, pixelsPerInch, pixelsPerInch, 0, 0, 0, pixelsPerInch};
  settings.ConfigColumnWidths = {pixelsPerInch, pixelsPerInch, pixelsPerInch, pixelsPerInch};
  return settings;
}

void LoadSettings(TKorva&, const std::string&) {}

bool SaveSettings(const TKorva&, const std::string&) { return true; }

std::vector<std::string> ReadSceneNames(const std::string&) {
  return std::vector<std::string>(kSceneNameCount);
}
