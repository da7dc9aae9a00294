#include "app/config/config_edit.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/text_compare.h"

namespace {

// The user list's own (mutable) item at the row, or nullptr when the row shows another item.
TKorvaConfigItem* UserItemOf(const TKorvaConfigItem& rowItem, TKorvaConfig& userConfig) {
  for (int i = 0; i < userConfig.Count(); ++i) {
    if (&userConfig.Items(i) == &rowItem) return &userConfig.Items(i);
  }
  return nullptr;
}

}  // namespace

const TKorvaConfigItem& EffectiveItem(const TKorvaConfigItem& defaultItem,
                                      const TKorvaConfig& userConfig) {
  const int index = userConfig.IndexOfScene(defaultItem.Scene);
  return index >= 0 ? userConfig.Items(index) : defaultItem;
}

bool IsSameAsDefault(const TKorvaConfigItem& item, const TKorvaConfig& defaultConfig) {
  const int index = defaultConfig.IndexOfScene(item.Scene);
  if (index < 0) return false;
  const TKorvaConfigItem& def = defaultConfig.Items(index);
  return SameText(def.FileName, item.FileName) && def.Loop == item.Loop;
}

const TKorvaConfigItem& EditSceneItem(const TKorvaConfigItem& rowItem,
                                      const TKorvaConfig& defaultConfig, TKorvaConfig& userConfig,
                                      const std::function<void(TKorvaConfigItem&)>& edit) {
  TKorvaConfigItem* item = UserItemOf(rowItem, userConfig);
  if (!item) {
    item = &userConfig.Add();
    item->Scene = rowItem.Scene;
    item->FileName = rowItem.FileName;
    item->Loop = rowItem.Loop;
  }
  edit(*item);
  if (!IsSameAsDefault(*item, defaultConfig)) return *item;
  const int scene = item->Scene;
  userConfig.Remove(item);
  return defaultConfig.Items(defaultConfig.IndexOfScene(scene));
}

const TKorvaConfigItem& AssignFileToScene(const TKorvaConfigItem& rowItem, const std::string& path,
                                          const TKorvaConfig& defaultConfig,
                                          TKorvaConfig& userConfig) {
  return EditSceneItem(rowItem, defaultConfig, userConfig,
                       [&](TKorvaConfigItem& item) { item.FileName = path; });
}

const TKorvaConfigItem& SetSceneLoop(const TKorvaConfigItem& rowItem, bool loop,
                                     const TKorvaConfig& defaultConfig, TKorvaConfig& userConfig) {
  return EditSceneItem(rowItem, defaultConfig, userConfig,
                       [&](TKorvaConfigItem& item) { item.Loop = loop; });
}

const TKorvaConfigItem& ReturnSceneToDefault(const TKorvaConfigItem& rowItem,
                                             const TKorvaConfig& defaultConfig,
                                             TKorvaConfig& userConfig) {
  TKorvaConfigItem* item = UserItemOf(rowItem, userConfig);
  const int index = defaultConfig.IndexOfScene(rowItem.Scene);
  if (!item || index < 0) return rowItem;
  userConfig.Remove(item);
  return defaultConfig.Items(index);
}

bool CanAssignFile(const std::string& path, IPrompts& prompts) {
  constexpr std::string_view kReplacement = "\uFFFD";
  const bool holdable = IsValidUtf8(path) && path.find_first_of("\r\n") == std::string::npos &&
                        (path.find(kReplacement) == std::string::npos || FileExists(path));
  if (!holdable) prompts.ShowMessage(path + kMsgCannotAssign);
  return holdable;
}
