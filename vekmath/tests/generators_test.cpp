#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "vekmath.h"

namespace {

using V = std::vector<float>;

TEST(Generators, WholePeriodsOfEachWave) {
  const float duty = 0.3f;
  struct Case {
    const char* name;
    LONG cycles, n;
    V want;
  } cases[] = {
      {"sine", 1, 4, {0, 1, 0, -1}},
      {"sine", 2, 8, {0, 1, 0, -1, 0, 1, 0, -1}},
      {"cosine", 1, 4, {1, 0, -1, 0}},
      {"sine", 0, 3, {0, 0, 0}},
      {"cosine", 0, 3, {1, 1, 1}},
      {"square", 1, 8, {0, 0, 0, 0, 1, 1, 1, 1}},
      {"square", 2, 8, {0, 0, 1, 1, 0, 0, 1, 1}},
      {"square", 0, 4, {0, 0, 0, 0}},
      {"square", -1, 4, {1, 0, 1, 0}},
      {"pulse", 1, 10, {0, 0, 0, 0, 0, 0, 0, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    V out(c.want.size(), 99);
    const std::string name = c.name;
    if (name == "sine") GenerateSine(out.data(), c.cycles, c.n);
    if (name == "cosine") GenerateCosine(out.data(), c.cycles, c.n);
    if (name == "square") GenerateSquare(out.data(), c.cycles, c.n);
    if (name == "pulse") GenerateSquare2(out.data(), c.cycles, c.n, &duty);
    for (size_t i = 0; i < c.want.size(); ++i)
      EXPECT_NEAR(out[i], c.want[i], 1e-6) << name << " cycles " << c.cycles << " n " << c.n << " at " << i;
  }
}

TEST(Generators, NothingWrittenWithoutSamplesOrDuty) {
  V out(2, 99);
  GenerateSine(out.data(), 1, 0);
  GenerateSquare(out.data(), 1, -2);
  GenerateSquare2(out.data(), 1, 2, nullptr);
  EXPECT_EQ(out, V(2, 99));
}

TEST(Attitude, KeepsItsTwoConventions) {
  const float zero = 0, one = 1;
  float z = 9, w = 9, x = 9, y = 9;
  EulerToQuaternion(&z, &w, &x, &y, &zero, &zero, &zero, 1);
  EXPECT_EQ(w, 1.0f);
  EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(y, 0.0f);
  EXPECT_EQ(z, 0.0f);

  float a = 9, b = 9, c = 9;
  QuaternionToEuler(&a, &b, &c, &one, &zero, &zero, &zero, 1);
  EXPECT_FLOAT_EQ(a, static_cast<float>(std::numbers::pi));
  EXPECT_EQ(b, 0.0f);
  EXPECT_EQ(c, 0.0f);

  // A round trip gives (pi - a, -b, c): callers rely on this convention.
  const float angles[3] = {0.3f, 0.2f, 0.1f};
  EulerToQuaternion(&z, &w, &x, &y, &angles[0], &angles[1], &angles[2], 1);
  QuaternionToEuler(&a, &b, &c, &w, &x, &y, &z, 1);
  EXPECT_NEAR(a, std::numbers::pi - 0.3, 1e-5);
  EXPECT_NEAR(b, -0.2, 1e-5);
  EXPECT_NEAR(c, 0.1, 1e-5);
}

TEST(SearchSelfTest, PrintsTheKeyAtByteEightInShiftJis) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(SearchSelfTest(1, 2, 3, 4, 5, 6), 0);
  std::fflush(stdout);
  const std::string printed = testing::internal::GetCapturedStdout();
  const std::string want =
      "\x8C\x9F\x8D\xF5\x91\xCE\x8F\xDB\x95\xB6\x8E\x9A\x97\xF1:\n\t100,200\r\n300,400\r\n500,600\r\n\n"
      "\r\n \x82\xAA 8 \x83o\x83" "C\x83g\x96\xDA\x82\xC5\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB5\x82\xBD\x81" "B\n\n";
  EXPECT_EQ(printed, want);
}

}  // namespace
