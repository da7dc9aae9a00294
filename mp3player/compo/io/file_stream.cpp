#include "mp3player/compo/io/file_stream.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>

#ifdef _WIN32
// The C++ library of mingw-w64 defines it already; min and max stay those of <algorithm>.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int64_t kMaxSize = std::numeric_limits<int32_t>::max();

int32_t Clamp32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, 0, kMaxSize));
}

}  // namespace

#ifdef _WIN32

namespace {

std::wstring Widen(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

[[noreturn]] void RaiseLastError(const std::string& path) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), path);
}

}  // namespace

TMPFileStream::TMPFileStream(const std::string& path) : path_(path) {
  handle_ = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) RaiseLastError(path);
}

TMPFileStream::~TMPFileStream() { CloseHandle(handle_); }

int32_t TMPFileStream::Read(uint8_t* buffer, int32_t count) {
  DWORD done = 0;
  if (count <= 0) return 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) RaiseLastError(path_);
  return static_cast<int32_t>(done);
}

int32_t TMPFileStream::Seek(int32_t offset, int origin) {
  static constexpr DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER to;
  LARGE_INTEGER now;
  to.QuadPart = offset;
  if (!SetFilePointerEx(handle_, to, &now, kMethods[std::clamp(origin, 0, 2)])) {
    RaiseLastError(path_);
  }
  return Clamp32(now.QuadPart);
}

int32_t TMPFileStream::Size() {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle_, &size)) RaiseLastError(path_);
  return Clamp32(size.QuadPart);
}

#else

namespace {

[[noreturn]] void RaiseErrno(const std::string& path) {
  throw std::system_error(errno, std::generic_category(), path);
}

}  // namespace

// Opens without waiting: a named pipe would otherwise block the open until some program writes
// to it. Only a regular file is kept, and then its reads may block as usual.
TMPFileStream::TMPFileStream(const std::string& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) RaiseErrno(path);
  struct stat st {};
  int error = 0;
  if (::fstat(fd_, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else if (!S_ISREG(st.st_mode)) {
    error = EINVAL;
  } else if (::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::close(fd_);
    throw std::system_error(error, std::generic_category(), path);
  }
}

TMPFileStream::~TMPFileStream() { ::close(fd_); }

int32_t TMPFileStream::Read(uint8_t* buffer, int32_t count) {
  if (count <= 0) return 0;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
    if (n >= 0) return static_cast<int32_t>(n);
    if (errno != EINTR) RaiseErrno(path_);
  }
}

int32_t TMPFileStream::Seek(int32_t offset, int origin) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  const off_t now = ::lseek(fd_, offset, kWhence[std::clamp(origin, 0, 2)]);
  if (now < 0) RaiseErrno(path_);
  return Clamp32(now);
}

int32_t TMPFileStream::Size() {
  struct stat st;
  if (::fstat(fd_, &st) != 0) RaiseErrno(path_);
  return Clamp32(st.st_size);
}

#endif
