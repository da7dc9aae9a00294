#include <gtest/gtest.h>

#include <string>

#include "tests/tools/run_command.h"

namespace {

// What mp3decode prints on standard error when decoding the fixture with `options`.
TRun Report(const std::string& options) {
  return RunCommand("(" + ShellWord(MP3DECODE_PROGRAM) + " " + options + " --null " +
                    ShellWord(MP3_FILE) + " 2>&1 >" + kNullDevice + ")");
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(Mp3DecodeToolTest, VerboseNamesTheFormOfEverySlot) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine's cmd does not take standard error into a group's output, and the report "
                  "is the same code on every system";
#endif
  const TRun chosen = Report("--verbose");
  EXPECT_EQ(chosen.Status, 0);
  for (const char* slot :
       {"alias reduction: ", "mono windowing: ", "stereo windowing: ", "hybrid filter: ",
        "36-point IMDCT: ", "12-point IMDCT: ", "synthesis DCT: "}) {
    EXPECT_EQ(Count(chosen.Output, slot), 1) << slot;
  }
  // With the extensions switched off every slot holds its generic form.
  EXPECT_EQ(Count(Report("--verbose --generic").Output, ": generic\n"), 7);
  EXPECT_EQ(Count(Report("").Output, ": "), 0);
}

}  // namespace
