// Small stateless routines shared by the forms and classes.
#pragma once
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::core {

// True when the control's Index() can be read, false when reading it
// throws (the control is no member of a control array).
template <class Control>
requires requires(const Control& c) { c.Index(); }
bool IsControlArrayMember(const Control& control) noexcept {
  try {
    (void)control.Index();
    return true;
  } catch (...) {
    return false;
  }
}

// Upper bound of a zero-based array: size - 1, or -1 when empty. Only the
// first dimension exists (dimension -1 or 1); any other gives -1.
template <class T>
int32_t SafeUBound(const std::vector<T>& array, int16_t dimension = -1) noexcept {
  if (dimension != -1 && dimension != 1) return -1;
  if (array.empty() || array.size() > static_cast<size_t>(INT32_MAX)) return -1;
  return static_cast<int32_t>(array.size()) - 1;
}

// The text before its first NUL character; all of it when it holds none.
std::string CutAtNul(std::string_view text);

// Replaces column0[0 .. n - 1] by its centred moving average of width w:
// each output is the sum of the 2h + 1 samples around it (h = (w - 1) / 2
// rounded half to even; the first and last sample repeated beyond the ends)
// divided by w. column0 is column 0 of a column-major 2-D array. Raises the
// subscript error when n exceeds the column, when w < 0 or when h > n - 1,
// the division-by-zero error when w is 0; the column is then unchanged.
void MovingAverage(std::span<float> column0, int32_t w, int32_t n);

// Fields first ... last (numbered from 1) of text split at delimiter,
// re-joined with it; last == 0 means first. Empty when text is empty, when
// first < 0, or when last < first and last != 0. first == 0, or first or
// last beyond the fields, raises the subscript error.
std::string PickFields(std::string_view text, int32_t first, int32_t last, std::string_view delimiter);

// Mode -1: the full path of name along the system search path (absolute
// names, folders included, checked as given), or "". Any other mode: the
// first directory entry matching name (a pattern), or "". Never throws.
std::string FindFileOnPath(std::string_view name, int16_t mode = -1);

}  // namespace orvane::core
