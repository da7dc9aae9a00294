#include "platform/files.h"

#include "platform/temp_file.h"
#include "platform/text_compare.h"
#include "platform/windows/wide.h"

namespace {

std::string ErrorText(const std::string& path) {
  return path + ": Windows error " + std::to_string(GetLastError());
}

class THandle {
 public:
  explicit THandle(HANDLE h) : h_(h) {}
  ~THandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

bool IsReadOnly(const std::string& path) {
  const DWORD attr = GetFileAttributesW(Widen(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD attr = GetFileAttributesW(Widen(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attr = GetFileAttributesW(Widen(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
  THandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) throw TFileError(ErrorText(path));
  std::string bytes;
  char buffer[65536];
  DWORD n = 0;
  for (;;) {
    if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
      throw TFileError(ErrorText(path));
    }
    if (n == 0) break;
    bytes.append(buffer, n);
  }
  return bytes;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
  // Windows refuses to rename over a read-only file and Wine does not; asking first
  // answers alike.
  if (IsReadOnly(path)) throw TFileError(path + ": the file is read-only");
  HANDLE created = INVALID_HANDLE_VALUE;
  const std::string temp = CreateTempBeside(path, [&](const std::string& name) {
    created = CreateFileW(Widen(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE) return TTempCreate::ttcCreated;
    return GetLastError() == ERROR_FILE_EXISTS ? TTempCreate::ttcNameTaken : TTempCreate::ttcFailed;
  });
  if (temp.empty()) throw TFileError(ErrorText(path));
  std::string error;
  {
    THandle file(created);
    DWORD written = 0;
    const bool ok =
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file.get());
    if (!ok) error = ErrorText(path);
  }
  const std::wstring wideTemp = Widen(temp);
  if (error.empty() && !MoveFileExW(wideTemp.c_str(), Widen(path).c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = ErrorText(path);
  }
  if (!error.empty()) {
    DeleteFileW(wideTemp.c_str());
    throw TFileError(error);
  }
}

bool FileCopy(const std::string& source, const std::string& dest, bool failIfExists) {
  const std::wstring wideSource = Widen(source);
  if (failIfExists) return CopyFileW(wideSource.c_str(), Widen(dest).c_str(), TRUE) != 0;
  // Copy beside the destination first, so that a failed copy leaves the old file whole.
  const std::string temp = CreateTempBeside(dest, [&](const std::string& name) {
    if (CopyFileW(wideSource.c_str(), Widen(name).c_str(), TRUE)) return TTempCreate::ttcCreated;
    return GetLastError() == ERROR_FILE_EXISTS ? TTempCreate::ttcNameTaken : TTempCreate::ttcFailed;
  });
  if (temp.empty()) return false;
  if (IsReadOnly(dest) || !MoveFileExW(Widen(temp).c_str(), Widen(dest).c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    SetFileAttributesW(Widen(temp).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(Widen(temp).c_str());
    return false;
  }
  return true;
}

bool FileDelete(const std::string& path) {
  // Windows refuses to delete a read-only file and Wine does not; asking first
  // answers alike.
  return !IsReadOnly(path) && DeleteFileW(Widen(path).c_str()) != 0;
}

bool FileSetAttr(const std::string& path, unsigned attributes) {
  return SetFileAttributesW(Widen(path).c_str(), attributes) != 0;
}

std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(JoinPath(folder, "*")).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = Narrow(data.cFileName);
    if (MatchesWildcard(name, pattern)) names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  SortNames(names);
  return names;
}
