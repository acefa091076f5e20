// The one-shot conversions: their requests, the bounds of each road's
// record, the physical forms and their codes.
#include <cstring>

#include "halvik.h"
#include "range_codes.h"
#include "support/road_case.h"

namespace {

using namespace halvik::testing;

class AiImmediateTest : public RoadsTest {};

TEST_F(AiImmediateTest, ConversionsSendTheirRequestsAndAnswerWhileAnotherProcessHoldsTheDevice) {
  roads.ownershipStatus = 20003;
  static LONG value;
  static LONG values[256];
  const std::vector<RoadCase> cases = {
      {"single", [] { return XanSingleAi(kKernelId, 255, &value); }, 0x2221D4, 2236, {{1188, 2, 255}}},
      {"single, virtual", [] { return XanSingleAi(kVirtualId, 3, &value); }, 0x3131, 12, {{4, 2, 3}},
       {{6, 2, 0xFFFF}}, [] { return value == 0xFFFF; }},
      {"multi, all a kernel block carries", [] { return XanMultiAi(kKernelId, 256, values); }, 0x2221D8, 2236,
       {{1184, 2, 256}}},
      {"multi, virtual", [] { return XanMultiAi(kVirtualId, 128, values); }, 0x3132, 520, {{4, 2, 128}},
       {{6 + 2 * 127, 2, 0x8001}}, [] { return values[127] == 0x8001; }},
      {"multi, attached", [] { return XanMultiAi(kAttachedId, 32, values); }, 0x3132, 136, {{4, 2, 32}}},
  };
  for (const RoadCase& c : cases) expectCase(c);
  EXPECT_EQ(roads.ownershipChecks, 0);
}

// A count beyond what a bus record holds would read past it.
TEST_F(AiImmediateTest, ArgumentsOutsideTheRoadsBoundsAreRefusedBeforeAnyRequest) {
  static LONG values[257];
  static float floats[257];
  const struct {
    const char* what;
    std::function<LONG()> call;
    LONG code;
  } cases[] = {
      {"channel 256", [] { return XanSingleAi(kKernelId, 256, values); }, 11420},
      {"channel -1", [] { return XanSingleAiEx(kKernelId, -1, floats); }, 11840},
      {"no variable", [] { return XanSingleAi(kKernelId, 0, nullptr); }, 11421},
      {"no channels", [] { return XanMultiAi(kKernelId, 0, values); }, 11440},
      {"257 channels", [] { return XanMultiAi(kKernelId, 257, values); }, 11440},
      {"129 on bus kind 10", [] { return XanMultiAi(kVirtualId, 129, values); }, 11440},
      {"33 on bus kind 3", [] { return XanMultiAi(kAttachedId, 33, values); }, 11440},
      {"33 on bus kind 3, values", [] { return XanMultiAiEx(kAttachedId, 33, floats); }, 11860},
      {"no array", [] { return XanMultiAiEx(kKernelId, 2, nullptr); }, 11861},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    roads.sent.clear();
    EXPECT_EQ(c.call(), c.code);
    EXPECT_TRUE(roads.sent.empty());
  }
}

TEST_F(AiImmediateTest, PhysicalFormsConvertRenumberAndRefuseUnknownRanges) {
  float max, min;
  ASSERT_TRUE(halvik::GetRangeLimits(0, &max, &min));
  int16_t range = 0;
  int32_t driverStatus = 0;
  roads.reply = [&](unsigned char* bytes, DWORD size) {
    if (size != 520) return;
    putAt(bytes, 0, 4, driverStatus);
    for (int i = 0; i < 2; ++i) putAt(bytes, 6 + 2 * i, 2, 0x800 * (i + 1)), putAt(bytes, 262 + 2 * i, 2, range);
    putAt(bytes, 518, 2, 12);
  };
  float values[2] = {};
  ASSERT_EQ(XanMultiAiEx(kVirtualId, 2, values), 0);
  EXPECT_FLOAT_EQ(values[1], halvik::CountToValue(max, min, 12, 0x1000));

  driverStatus = 21441;  // fewer channels converted: the values still come
  values[0] = 0;
  EXPECT_EQ(XanMultiAiEx(kVirtualId, 2, values), 21861);
  EXPECT_FLOAT_EQ(values[0], halvik::CountToValue(max, min, 12, 0x800));
  driverStatus = 21440;
  EXPECT_EQ(XanMultiAiEx(kVirtualId, 2, values), 21860);

  driverStatus = 0;
  range = 0x7FFF;
  values[0] = 42;
  EXPECT_EQ(XanMultiAiEx(kVirtualId, 2, values), -1);
  EXPECT_EQ(values[0], 42);
}

}  // namespace
