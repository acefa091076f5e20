// The string-search self-test: prints where the line break first occurs in a
// fixed text. The printed lines are Shift-JIS bytes, as the console of the
// callers expects them.
#include <cstdio>
#include <cstring>

#include "vekmath.h"

namespace {

constexpr char kText[] = "100,200\r\n300,400\r\n500,600\r\n";
constexpr char kKey[] = "\r\n";

constexpr char kTextLine[] = "\x8C\x9F\x8D\xF5\x91\xCE\x8F\xDB\x95\xB6\x8E\x9A\x97\xF1:\n\t%s\n";
constexpr char kFoundLine[] = "%s \x82\xAA %d \x83o\x83" "C\x83g\x96\xDA\x82\xC5\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB5\x82\xBD\x81" "B\n\n";
constexpr char kMissingLine[] = "%s \x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81" "B\n";

}  // namespace

DLL_EXPORT LONG WINAPI SearchSelfTest(LONG, LONG, LONG, LONG, LONG, LONG) {
  std::printf(kTextLine, kText);
  const char* found = std::strstr(kText, kKey);
  if (found != nullptr) {
    std::printf(kFoundLine, kKey, static_cast<int>(found - kText) + 1);
  } else {
    std::printf(kMissingLine, kKey);
  }
  return 0;
}
