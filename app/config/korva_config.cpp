#include "app/config/korva_config.h"

#include <algorithm>

#include "platform/text_compare.h"

TKorvaConfigItem& TKorvaConfig::Add() {
  auto item = std::make_unique<TKorvaConfigItem>();
  item->IsDefault = isDefault_;
  items_.push_back(std::move(item));
  return *items_.back();
}

int TKorvaConfig::IndexOfScene(int scene) const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[i]->Scene == scene) return i;
  }
  return -1;
}

int TKorvaConfig::IndexOfFile(const std::string& path) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameText(items_[i]->FileName, path)) return i;
  }
  return -1;
}

void TKorvaConfig::SetDefault(bool isDefault) {
  isDefault_ = isDefault;
  for (auto& item : items_) item->IsDefault = isDefault;
}

void TKorvaConfig::Remove(const TKorvaConfigItem* item) {
  std::erase_if(items_, [item](const auto& owned) { return owned.get() == item; });
}
