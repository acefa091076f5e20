// Fuzz target for the texts of the monitor's number boxes, as its control
// file (Debug\Property.ini) gives them back: every value goes through the
// toolkit's conversions and the buffer viewer's request arithmetic. A text
// the toolkit calls a number must convert; any other may only raise the
// toolkit's own overflow, and the stretch a request names must list
// without leaving the 32-bit line numbers.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/toolkit.h"
#include "forms/buffer_listing.h"

namespace {

[[noreturn]] void failure(const char* what, std::string_view text) {
  std::fprintf(stderr, "box_text_fuzz: %s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
  std::abort();
}

void check(bool ok, const char* what, std::string_view text) {
  if (!ok) failure(what, text);
}

// The roundings raise only the overflow, and only outside their ranges.
void round(double value, std::string_view text) {
  using namespace orvane::core;
  for (auto convert : {+[](double v) { (void)CLng(v); }, +[](double v) { (void)CInt(v); },
                       +[](double v) { (void)CSng(v); }}) {
    try {
      convert(value);
    } catch (const ToolkitError& e) {
      check(e.Number() == kErrOverflow, "a rounding raised another error", text);
    }
  }
}

void convert(const std::string& text) {
  using namespace orvane::core;
  const std::optional<double> value = ValIfInRange(text);
  try {
    const double v = Val(text);
    check(value && (*value == v || (std::isnan(v) && std::isnan(*value))), "Val and its range check differ", text);
  } catch (const ToolkitError& e) {
    check(e.Number() == kErrOverflow && !value, "Val raised where the range check converts", text);
  }
  if (IsNumeric(text)) check(value && std::isfinite(*value), "a number does not convert", text);
  if (value) round(*value, text);
}

// The viewer's request with this text in each of its three boxes.
void request(const std::string& text) {
  using namespace orvane::forms;
  static uint16_t samples[kViewerBufferSamples];
  const std::string boxes[][3] = {{text, "0", "2"}, {"1", text, "2"}, {"3", text, text}, {"1", "2147483647", text}};
  for (const auto& b : boxes) {
    const std::optional<RingStretch> plan = PlanStretch(b[0], b[1], b[2]);
    if (!plan) continue;
    check(plan->channels >= 1 && plan->size >= 0 && plan->size <= kViewerMaxSamples, "a stretch past the copy", text);
    check(int64_t{plan->firstLine} + plan->scans - 1 <= INT32_MAX, "a line number past 32 bits", text);
    if (plan->size <= 4096) (void)ListSamples(samples, *plan, nullptr);  // long ones only slow the run
  }
  (void)HexMirror(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    std::string_view line = input.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // "Text=..." as the store writes a box; a line without "=" is one text.
    const size_t equals = line.find('=');
    const std::string text(equals == std::string_view::npos ? line : line.substr(equals + 1));
    convert(text);
    request(text);
    start = end + 1;
  }
  return 0;
}
