#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "vekmath.h"

namespace {

uint32_t bits(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

using Binary = void(WINAPI*)(FLOAT*, const FLOAT*, const FLOAT*, LONG);
using WithConstant = void(WINAPI*)(FLOAT*, const FLOAT*, FLOAT, LONG);
using ConstantFirst = void(WINAPI*)(FLOAT*, FLOAT, const FLOAT*, LONG);

const float kA[] = {6.0f, -1.5f, 1.0f};
const float kB[] = {2.0f, 0.5f, 3.0f};

struct Case {
  const char* name;
  Binary binary;
  WithConstant constant;
  ConstantFirst constantFirst;
  float expected[3];  // of a op b, a op 2, or 2 op a
};

const Case kCases[] = {
    {"add", ArrayAdd, nullptr, nullptr, {8.0f, -1.0f, 4.0f}},
    {"sub", ArraySub, nullptr, nullptr, {4.0f, -2.0f, -2.0f}},
    {"mul", ArrayMul, nullptr, nullptr, {12.0f, -0.75f, 3.0f}},
    {"div", ArrayDiv, nullptr, nullptr, {3.0f, -3.0f, 1.0f / 3.0f}},
    {"addC", nullptr, ArrayAddC, nullptr, {8.0f, 0.5f, 3.0f}},
    {"subC", nullptr, ArraySubC, nullptr, {4.0f, -3.5f, -1.0f}},
    {"mulC", nullptr, ArrayMulC, nullptr, {12.0f, -3.0f, 2.0f}},
    {"divC", nullptr, ArrayDivC, nullptr, {3.0f, -0.75f, 0.5f}},
    {"subCA", nullptr, nullptr, ArraySubCA, {-4.0f, 3.5f, 1.0f}},
    {"divCA", nullptr, nullptr, ArrayDivCA, {1.0f / 3.0f, -4.0f / 3.0f, 2.0f}},
};

void run(const Case& c, float* dst, const float* a, LONG n) {
  if (c.binary) c.binary(dst, a, kB, n);
  if (c.constant) c.constant(dst, a, 2.0f, n);
  if (c.constantFirst) c.constantFirst(dst, 2.0f, a, n);
}

TEST(ArrayArithmetic, EveryOperationInPlaceAndNot) {
  for (const Case& c : kCases) {
    float out[4] = {0, 0, 0, 99.0f};
    run(c, out, kA, 3);
    float inPlace[] = {6.0f, -1.5f, 1.0f};
    run(c, inPlace, inPlace, 3);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(out[i], c.expected[i]) << c.name << " " << i;
      EXPECT_EQ(inPlace[i], c.expected[i]) << c.name << " in place " << i;
    }
    EXPECT_EQ(out[3], 99.0f) << c.name;
  }
}

TEST(ArrayArithmetic, CountsOfZeroOrLessAndNullsWriteNothing) {
  for (LONG n : {0, -1, INT32_MIN}) {
    float out[3] = {7.0f, 7.0f, 7.0f};
    for (const Case& c : kCases) run(c, out, kA, n);
    ArrayAddC(out, kA, 0.0f, n);
    ArrayAbs(out, kA, n);
    ArrayFill(out, 0u, n);
    for (float v : out) EXPECT_EQ(v, 7.0f) << n;
  }
  float out[3] = {7.0f, 7.0f, 7.0f};
  for (const Case& c : kCases) {
    run(c, nullptr, kA, 3);
    run(c, out, nullptr, 3);
  }
  ArrayAdd(out, kA, nullptr, 3);
  ArrayAddC(out, nullptr, 0.0f, 3);
  ArrayFill(nullptr, 0u, 3);
  for (float v : out) EXPECT_EQ(v, 7.0f);
}

TEST(ArrayArithmetic, AddZeroCopiesBitsIncludingNanPayloadsAndNegativeZero) {
  float src[4] = {0, -0.0f, 0, 3.25f};
  const uint32_t nan1 = 0x7FC01234u, nan2 = 0xFF800001u;
  std::memcpy(&src[0], &nan1, 4);
  std::memcpy(&src[2], &nan2, 4);
  for (float zero : {0.0f, -0.0f}) {
    float out[4] = {};
    ArrayAddC(out, src, zero, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(out[i]), bits(src[i])) << i;
  }
  // Any other constant adds: -0.0 + 1 is 1.
  float out[4];
  ArrayAddC(out, src, 1.0f, 4);
  EXPECT_EQ(out[1], 1.0f);
  EXPECT_EQ(out[3], 4.25f);
}

TEST(ArrayArithmetic, WideSumAbsAndFill) {
  // 1 + 2^-30 is no single; the double form keeps it.
  const double wide[] = {1.0};
  const float tiny[] = {std::ldexp(1.0f, -30)};
  double wideOut[1];
  ArrayAddW(wideOut, wide, tiny, 1);
  EXPECT_EQ(wideOut[0], 1.0 + std::ldexp(1.0, -30));

  const float src[] = {-2.5f, -0.0f};
  float out[2];
  ArrayAbs(out, src, 2);
  EXPECT_EQ(out[0], 2.5f);
  EXPECT_EQ(bits(out[1]), 0u);

  uint32_t words[3] = {1, 2, 3};
  ArrayFill(words, 0xDEADBEEFu, 2);
  EXPECT_EQ(words[1], 0xDEADBEEFu);
  EXPECT_EQ(words[2], 3u);
}

}  // namespace
