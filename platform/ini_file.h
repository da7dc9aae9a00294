#pragma once

#include <optional>
#include <string>
#include <vector>

// The ini format's rules over lines already read, as TIniFile applies them to its file: the
// value of a key (nullopt when it is missing), and the lines with a key set.
std::optional<std::string> ReadIniValue(const std::vector<std::string>& lines,
                                        const std::string& section, const std::string& key);
void WriteIniValue(std::vector<std::string>& lines, const std::string& section,
                   const std::string& key, const std::string& value);

// A settings file in the Windows ini format, with the private-profile semantics: section and key
// names are compared without regard to letter case, a missing file, section or key reads as the
// default, and writing a key keeps every other section, key, comment and their order. Every
// operation goes to the file itself, so two objects on one file never disagree.
class TIniFile {
 public:
  explicit TIniFile(std::string path) : path_(std::move(path)) {}

  const std::string& FileName() const { return path_; }

  // The value with blanks around it removed (and one pair of enclosing quotes, as Windows does).
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // A value that is not a decimal integer reads as the default.
  int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;

  // Sets the key's value, adding the key at the end of its section and the section at the end of
  // the file when they are missing. The file is replaced atomically; throws TFileError.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);

 private:
  std::vector<std::string> ReadLines() const;

  std::string path_;
};
