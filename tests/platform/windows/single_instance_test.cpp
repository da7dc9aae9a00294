// The named mutex between real processes: the test program starts itself again as the second
// instance.
#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/program_path.h"
#include "platform/windows/wide.h"

namespace {

constexpr char kChildVariable[] = "KORVA_MUTEX_CHILD";
constexpr int kTaken = 10;
constexpr int kRefused = 11;

// In the second process only: tries the mutex and ends with what happened, holding it to the end.
TEST(NamedMutexChild, TriesTheMutex) {
  const char* role = std::getenv(kChildVariable);
  if (role == nullptr) GTEST_SKIP() << "runs only as the second process";
  auto lock = TSingleInstance::Acquire(kKorvaMutexName);
  std::_Exit(lock ? kTaken : kRefused);  // ends without releasing anything by hand
}

int RunSecondProcess() {
  _putenv_s(kChildVariable, "1");
  std::wstring line = L"\"" + Widen(ProgramFilePath()) +
                      L"\" --gtest_filter=NamedMutexChild.TriesTheMutex --gtest_brief=1";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  _putenv_s(kChildVariable, "");
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

TEST(NamedMutexTest, SecondProcessIsRefusedWhileTheFirstHoldsIt) {
  auto first = TSingleInstance::Acquire(kKorvaMutexName);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(TSingleInstance::Acquire(kKorvaMutexName), nullptr);
  EXPECT_EQ(RunSecondProcess(), kRefused);

  first.reset();
  // The second process takes it now, and its end releases it again.
  EXPECT_EQ(RunSecondProcess(), kTaken);
  EXPECT_NE(TSingleInstance::Acquire(kKorvaMutexName), nullptr);
}

}  // namespace
