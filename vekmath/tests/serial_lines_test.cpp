// The serial units' lines into scans: each whole line its own scan, and
// every malformed line dropped and counted without moving the others.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/serial/line_parser.h"

using vekmath::LineParser;

namespace {

struct Case {
  const char* name;
  std::vector<std::string> reads;  // what each read brings
  int32_t channels;
  std::vector<std::vector<int>> scans;  // as stored, in 16 bits
  int64_t dropped;
};

std::vector<std::vector<int>> parseAll(LineParser& parser, const std::vector<std::string>& reads, int32_t channels) {
  std::vector<std::vector<int>> scans;
  uint16_t dest[64 * 32];
  for (const std::string& bytes : reads) {
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t n = std::min(bytes.size() - at, parser.spaceBytes());
      bytes.copy(parser.space(), n, at);
      parser.added(n);
      at += n;
      const int32_t got = parser.takeScans(dest, channels, 64);
      for (int32_t s = 0; s < got; ++s) scans.emplace_back(dest + s * channels, dest + (s + 1) * channels);
    }
  }
  return scans;
}

TEST(SerialLines, EachWholeLineIsOneScan) {
  const std::string longLine = std::string(1030, '1') + "\r\n";
  const std::string longestKept = std::string(1020, '0') + "7,8\r\n";  // 1,023 bytes before CR LF
  const std::string firstTooLong = std::string(1021, '0') + "7,8\r\n";  // 1,024: no room for its end
  const Case cases[] = {
      {"unfinished text waits", {"123,456\r\n789,", "1\r\n"}, 2, {{123, 456}, {789, 1}}, 0},
      {"two lines in one read", {"1,2\r\n3,4\r\n"}, 2, {{1, 2}, {3, 4}}, 0},
      {"CR and LF in two reads", {"1,2\r", "\n3,4\r\n"}, 2, {{1, 2}, {3, 4}}, 0},
      {"wrong counts dropped", {"1,2\r\n5\r\n6,7,8\r\n3,4\r\n"}, 2, {{1, 2}, {3, 4}}, 2},
      {"empty line is no scan", {"\r\n1,2\r\n"}, 2, {{1, 2}}, 0},
      {"empty pieces are no values", {"1,,2\r\n5,6,\r\n,\r\n"}, 2, {{1, 2}, {5, 6}}, 1},
      {"signed counts in 16 bits", {"-5,4095\r\n"}, 2, {{0xFFFB, 4095}}, 0},
      {"overlong line dropped once", {longLine + "3,4\r\n"}, 2, {{3, 4}}, 1},
      {"longest line kept", {longestKept}, 2, {{7, 8}}, 0},
      {"one byte more is dropped", {firstTooLong + "3,4\r\n"}, 2, {{3, 4}}, 1},
      {"overlong line over many reads",
       {std::string(600, '9'), std::string(600, '9'), std::string(9000, '9') + "\r", "\n5,6\r\n"},
       2,
       {{5, 6}},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineParser parser;
    EXPECT_EQ(parseAll(parser, c.reads, c.channels), c.scans);
    EXPECT_EQ(parser.droppedLines(), c.dropped);
  }
}

TEST(SerialLines, LinesBeyondTheRoomWaitForTheNextPass) {
  LineParser parser;
  const std::string bytes = "1\r\n2\r\n3\r\n";
  bytes.copy(parser.space(), bytes.size());
  parser.added(bytes.size());
  uint16_t dest[4] = {};
  ASSERT_EQ(parser.takeScans(dest, 1, 2), 2);
  EXPECT_EQ(dest[1], 2);
  ASSERT_EQ(parser.takeScans(dest, 1, 2), 1);
  EXPECT_EQ(dest[0], 3);
}

}  // namespace
