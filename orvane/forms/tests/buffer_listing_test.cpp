// The buffer viewer's request arithmetic and its listing text.
#include <gtest/gtest.h>

#include "buffer_listing.h"

namespace orvane::forms {
namespace {

TEST(BufferListing, ListsOneLinePerScanInFourDigitHex) {
  const uint16_t samples[] = {0x0000, 0x00AB, 0xFFD8, 0x1234, 0x7FFF, 0x8000};
  const struct {
    RingStretch stretch;
    int stopAt;  // -1: never
    const char* listing;
  } cases[] = {
      {{2, 0, 4, 2, 0}, -1, "000000 : 0000,00AB,\r\n000001 : FFD8,1234,"},
      {{3, 15, 6, 2, 5}, -1, "000005 : 0000,00AB,FFD8,\r\n000006 : 1234,7FFF,8000,"},
      {{2, 0, 6, 3, 0}, 3, "000000 : 0000,00AB,\r\n000001 : FFD8,"},
      {{1, 0, 0, 0, 0}, -1, "000000 : "},
  };
  for (const auto& c : cases) {
    const int stopAt = c.stopAt;
    EXPECT_EQ(ListSamples(samples, c.stretch, [stopAt](int32_t j) { return j != stopAt; }), c.listing);
  }
}

TEST(BufferListing, RequestsStayWithinTheCopyBufferAndNeedAChannel) {
  const struct {
    const char *channels, *start, *scans;
    bool planned;
    int32_t startSamples, size, scansKept, firstLine;
  } cases[] = {
      {"8", "2", "100", true, 16, 800, 100, 2},
      {"8", "0", "10000", true, 0, 65528, 8191, 0},  // cut to whole scans
      {"1", "0", "65536", true, 0, 65535, 65535, 0},
      {"3", "0", "-4", true, 0, 0, 0, 0},
      {"0", "0", "100", false, 0, 0, 0, 0},
      {"abc", "0", "100", false, 0, 0, 0, 0},
      {"-2", "0", "100", false, 0, 0, 0, 0},
      {"8", "1e12", "100", false, 0, 0, 0, 0},
      {"1", "1e400", "2", true, 0, 2, 2, 0},  // no number: 0, as letters
      {"1", "2147483647", "1", true, 2147483647, 1, 1, 2147483647},
      {"1", "2147483646", "2", true, 2147483646, 2, 2, 2147483646},
      {"1", "2147483647", "2", false, 0, 0, 0, 0},  // the second line number is past 32 bits
  };
  for (const auto& c : cases) {
    const auto plan = PlanStretch(c.channels, c.start, c.scans);
    ASSERT_EQ(plan.has_value(), c.planned) << c.channels << " " << c.start << " " << c.scans;
    if (!plan) continue;
    EXPECT_EQ(plan->start, c.startSamples);
    EXPECT_EQ(plan->size, c.size);
    EXPECT_EQ(plan->scans, c.scansKept);
    EXPECT_EQ(plan->firstLine, c.firstLine);
  }
}

TEST(BufferListing, MirrorsShowHexOrNothing) {
  const struct {
    const char *text, *mirror;
  } cases[] = {{"255", "FF"}, {"-1", "FFFFFFFF"}, {"2.5", "2"}, {"", ""}, {"abc", ""}, {"12x", ""}, {"9e12", ""}};
  for (const auto& c : cases) EXPECT_EQ(HexMirror(c.text), c.mirror) << c.text;
}

}  // namespace
}  // namespace orvane::forms
