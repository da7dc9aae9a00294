#pragma once

#include <string>
#include <string_view>
#include <vector>

// The lines a tag reader found, each a name, "=" and the value, in the order read.
class TMPInfoList {
 public:
  void Add(std::string_view name, std::string_view value);
  // The value of the first line whose name equals `name` without regard to ASCII letter case;
  // the empty string when there is none.
  std::string Value(std::string_view name) const;
  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
};
