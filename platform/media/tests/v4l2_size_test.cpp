// The frame sizes a V4L2 node gives, bounded before anything is sized by them.
#include <gtest/gtest.h>

#include "media/v4l2_camera.h"

namespace plat::camera::v4l2 {
namespace {

TEST(V4l2Size, ASideOfNoneOrPastTheLargestIsRefused) {
  const struct {
    uint32_t width, height;
    bool taken;
  } kCases[] = {{1, 1, true},          {640, 480, true},      {kLargestSide, 1, true},  {1, kLargestSide, true},
                {kLargestSide, kLargestSide, true},            {0, 480, false},          {640, 0, false},
                {kLargestSide + 1, 480, false},                {640, kLargestSide + 1, false},
                {0x80000000u, 480, false},                     {0xFFFFFFFFu, 0xFFFFFFFFu, false}};
  for (const auto& c : kCases) {
    const std::optional<FrameSize> size = BoundedSize(c.width, c.height);
    ASSERT_EQ(size.has_value(), c.taken) << c.width << " x " << c.height;
    if (!size) continue;
    EXPECT_EQ(size->width, static_cast<int32_t>(c.width));
    EXPECT_EQ(size->height, static_cast<int32_t>(c.height));
    EXPECT_GT(RowBytes(size->width) * size->height, 0);  // the frame buffer's size, even at the largest
  }
}

}  // namespace
}  // namespace plat::camera::v4l2
