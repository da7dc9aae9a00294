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

// Reads to the end of the file; more than maxBytes (the file may grow while it is read) throws.
std::string ReadToEnd(HANDLE file, const std::string& path, std::size_t maxBytes) {
  std::string bytes;
  char buffer[65536];
  DWORD n = 0;
  for (;;) {
    if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) throw TFileError(ErrorText(path));
    if (n == 0) return bytes;
    if (n > maxBytes - bytes.size()) throw TFileError(path + ": file too large");
    bytes.append(buffer, n);
  }
}

bool IsReadOnly(const std::string& path) {
  const DWORD attr = GetFileAttributesW(Widen(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD attr = GetFileAttributesW(Widen(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) &&
         !(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

std::optional<TFileStamp> FileStampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  constexpr DWORD kNotFile =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT;
  if (data.dwFileAttributes & kNotFile) return std::nullopt;
  const int64_t size = (int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  const int64_t modified =
      (int64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return TFileStamp{size, modified};
}

bool DirectoryExists(const std::string& path) {
  const DWORD attr = GetFileAttributesW(Widen(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
  THandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) throw TFileError(ErrorText(path));
  return ReadToEnd(file.get(), path, std::string::npos);
}

std::string ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  THandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) throw TFileError(ErrorText(path));
  // Only disk files: a pipe or a device could keep a read waiting, or never end.
  LARGE_INTEGER size;
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size)) {
    throw TFileError(path + ": not a regular file");
  }
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes) throw TFileError(path + ": file too large");
  return ReadToEnd(file.get(), path, maxBytes);
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
  // Windows refuses to rename over a read-only file and Wine does not; asking first
  // answers alike.
  if (IsReadOnly(path)) throw TFileError(path + ": the file is read-only");
  if (!FileChangeAllowed()) throw TFileError(path + ": the change was refused");
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
  if (!FileChangeAllowed() || !IsRegularFile(source)) return false;
  const std::wstring wideSource = Widen(source);
  // Copy beside the destination first, so that a failed copy leaves no partial destination.
  const std::string temp = CreateTempBeside(dest, [&](const std::string& name) {
    if (CopyFileW(wideSource.c_str(), Widen(name).c_str(), TRUE)) return TTempCreate::ttcCreated;
    return GetLastError() == ERROR_FILE_EXISTS ? TTempCreate::ttcNameTaken : TTempCreate::ttcFailed;
  });
  if (temp.empty()) return false;
  const std::wstring wideTemp = Widen(temp);
  // The copy reaches the disk before it takes the destination's name.
  // A read-only attribute taken over from the source is set again after the flush.
  const DWORD attributes = GetFileAttributesW(wideTemp.c_str());
  SetFileAttributesW(wideTemp.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  bool ok;
  {
    THandle file(CreateFileW(wideTemp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file.get() != INVALID_HANDLE_VALUE && FlushFileBuffers(file.get());
  }
  ok = ok && SetFileAttributesW(wideTemp.c_str(), attributes);
  // Without MOVEFILE_REPLACE_EXISTING the move fails on any existing entry of that name.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING);
  if (!ok || (!failIfExists && IsReadOnly(dest)) ||
      !MoveFileExW(wideTemp.c_str(), Widen(dest).c_str(), flags)) {
    SetFileAttributesW(wideTemp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wideTemp.c_str());
    return false;
  }
  return true;
}

bool FileDelete(const std::string& path) {
  // Windows refuses to delete a read-only file and Wine does not; asking first
  // answers alike.
  return FileChangeAllowed() && !IsReadOnly(path) && DeleteFileW(Widen(path).c_str()) != 0;
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

std::vector<std::string> ListEntryNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(JoinPath(folder, "*")).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Narrow(data.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}
