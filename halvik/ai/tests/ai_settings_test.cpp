#include "halvik.h"
#include "support/road_case.h"
namespace {
using namespace halvik::testing;
class AiSettingsTest : public RoadsTest {};
TEST_F(AiSettingsTest, Placeholder) { EXPECT_EQ(XanSetAiChannels(kKernelId, 4), 0); }
}
