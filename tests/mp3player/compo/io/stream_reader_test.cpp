#include "mp3player/compo/io/stream_reader.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "mp3player/compo/assertion.h"
#include "mp3player/compo/io/memory_stream.h"

namespace {

// A memory stream that counts its reads and can hide its size from the reader.
class CountingStream : public TMPMemoryStream {
 public:
  explicit CountingStream(const std::vector<uint8_t>& bytes)
      : TMPMemoryStream(bytes.data(), static_cast<int32_t>(bytes.size())) {}
  int32_t Read(uint8_t* buffer, int32_t count) override {
    ++reads;
    return TMPMemoryStream::Read(buffer, count);
  }
  int reads = 0;
};

std::vector<uint8_t> Sequence(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

// Checks that the next n bytes at Data are the stream's bytes from the reader's position.
void ExpectDataMatches(const TMPStreamReader& reader, const std::vector<uint8_t>& bytes, int n) {
  for (int i = 0; i < n; ++i) {
    ASSERT_EQ(reader.Data()[i], bytes[reader.Position() + i]) << "at " << i;
  }
}

TEST(StreamReaderTest, PreconditionsRaiseAssertionFailure) {
  EXPECT_THROW(TMPStreamReader(0), TMPAssertionError);
  TMPStreamReader reader(64);
  EXPECT_THROW(reader.Fill(1), TMPAssertionError);
  try {
    reader.Attach(nullptr, true);
    FAIL();
  } catch (const TMPAssertionError& e) {
    EXPECT_NE(std::string(e.what()).find("Assertion failure (mp3player/compo/io/stream_reader.cpp"),
              std::string::npos);
  }
  auto bytes = Sequence(10);
  TMPMemoryStream stream(bytes.data(), 10);
  reader.Attach(&stream, true);
  EXPECT_THROW(reader.Fill(65), TMPAssertionError);
  EXPECT_THROW(reader.Skip(-1), TMPAssertionError);
}

TEST(StreamReaderTest, FillReadsLargePiecesAndWrapsAroundTheBuffer) {
  auto bytes = Sequence(100000);
  CountingStream stream(bytes);
  TMPStreamReader reader(20000);
  reader.Attach(&stream, true);
  EXPECT_EQ(reader.Size(), 100000);
  EXPECT_TRUE(reader.Fill(0));
  EXPECT_EQ(stream.reads, 0);

  // A small request is rounded up to one 16 KiB read.
  EXPECT_TRUE(reader.Fill(4));
  EXPECT_EQ(stream.reads, 1);
  EXPECT_EQ(reader.Count(), 16384);
  EXPECT_TRUE(reader.Skip(16000));
  EXPECT_EQ(reader.Position(), 16000);

  // Filling the whole buffer from Start > 0 reads up to the end, then wraps.
  stream.reads = 0;
  EXPECT_TRUE(reader.Fill(20000));
  EXPECT_EQ(stream.reads, 2);
  EXPECT_EQ(reader.Count(), 20000);
  EXPECT_EQ(reader.Contiguous(), 20000 - 16000);
  EXPECT_FALSE(reader.ReadAhead());  // Full: no read.
  EXPECT_EQ(stream.reads, 2);
}

TEST(StreamReaderTest, EnsureLinearisesEachWrappedLayout) {
  // Wrapped with fewer unread bytes than lie before Start (the stream ends soon), and wrapped
  // with more, where the tail must be set aside first.
  struct Case {
    int32_t size;
    int skip_first;
    int ensure;
  } cases[] = {{1100, 900, 150}, {5000, 700, 1000}, {5000, 400, 1000}};
  auto bytes = Sequence(5000);
  for (const auto& c : cases) {
    TMPMemoryStream stream(bytes.data(), c.size);
    TMPStreamReader reader(1024);
    reader.Attach(&stream, true);
    ASSERT_TRUE(reader.Fill(1024));
    ASSERT_TRUE(reader.Skip(c.skip_first));
    ASSERT_TRUE(reader.Ensure(c.ensure));
    EXPECT_EQ(reader.Start(), 0);
    EXPECT_GE(reader.Contiguous(), c.ensure);
    EXPECT_EQ(reader.Position(), c.skip_first);
    ExpectDataMatches(reader, bytes, c.ensure);
  }
}

TEST(StreamReaderTest, SkipAndSeekKeepThePositionConsistent) {
  auto bytes = Sequence(50000);
  TMPMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
  TMPStreamReader reader(1024);
  reader.Attach(&stream, true);
  ASSERT_TRUE(reader.Fill(1024));
  ASSERT_TRUE(reader.Skip(1000));  // Within the buffer: Start wraps to 1000.
  ASSERT_TRUE(reader.Fill(1024));  // Unread bytes now wrap at the buffer end.
  ASSERT_TRUE(reader.Skip(100));
  ASSERT_TRUE(reader.Skip(3000));  // Past the buffer: a seek relative to Position.
  EXPECT_EQ(reader.Position(), 4100);
  ASSERT_TRUE(reader.Ensure(16));
  ExpectDataMatches(reader, bytes, 16);

  EXPECT_EQ(reader.Seek(-10, 2), 49990);
  ASSERT_TRUE(reader.Ensure(10));
  ExpectDataMatches(reader, bytes, 10);
  EXPECT_FALSE(reader.Ensure(11));
  EXPECT_EQ(reader.Count(), 10);  // What was read at the end stays.

  EXPECT_FALSE(reader.Skip(100));
  EXPECT_EQ(reader.Position(), 50000);
}

TEST(StreamReaderTest, SkipWithoutSeekingReadsThrough) {
  auto bytes = Sequence(10000);
  CountingStream stream(bytes);
  TMPStreamReader reader(1000);
  reader.Attach(&stream, false);
  EXPECT_EQ(reader.Size(), 0);
  ASSERT_TRUE(reader.Fill(10));
  ASSERT_TRUE(reader.Skip(4321));
  EXPECT_EQ(reader.Position(), 4321);
  ASSERT_TRUE(reader.Ensure(100));
  ExpectDataMatches(reader, bytes, 100);
  EXPECT_FALSE(reader.Skip(6000));
  EXPECT_THROW(reader.Seek(0, 0), TMPAssertionError);
}

TEST(StreamReaderTest, DetachForgetsTheStreamAndReattachStartsOver) {
  auto bytes = Sequence(100);
  TMPMemoryStream stream(bytes.data(), 100);
  TMPStreamReader reader(64);
  reader.Attach(&stream, true);
  ASSERT_TRUE(reader.Skip(10));
  reader.Detach();
  EXPECT_FALSE(reader.Active());
  EXPECT_EQ(reader.Stream(), nullptr);
  EXPECT_EQ(reader.Size(), 0);
  reader.Attach(&stream, true);
  EXPECT_EQ(reader.Position(), 0);
  EXPECT_EQ(reader.Count(), 0);
}

}  // namespace
