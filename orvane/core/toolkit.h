// The few toolkit semantics that the classes rely
// on: its run-time errors, its text-to-number reading and its rounding and
// text form of numbers. Every class of the monitor goes through these, so a
// number reads and prints the same everywhere.
#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "single_text.h"

namespace orvane::core {

// The toolkit's error numbers the classes raise.
inline constexpr int kErrInvalidCall = 5;
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrSubscriptOutOfRange = 9;
inline constexpr int kErrDivisionByZero = 11;
inline constexpr int kErrTypeMismatch = 13;

// A run-time error of the toolkit: its number and its text. Event handlers
// catch it and keep the state they had.
class ToolkitError : public std::runtime_error {
 public:
  ToolkitError(int number, const std::string& description);
  int Number() const noexcept { return number_; }

 private:
  int number_;
};

// Throws the subscript-out-of-range error unless first <= index <= last.
void CheckSubscript(int64_t index, int64_t first, int64_t last);

// The leading number of a text, the rest ignored: "2.5x" gives 2.5, "abc"
// and "" give 0. Leading blanks are skipped; "&H" hexadecimal is read. A
// number beyond the double range (or "&H" past 64 bits) raises the
// overflow error.
double Val(std::string_view text);

// Val's reading, or nothing where Val would raise the overflow error: what
// the user typed or a file holds is read through this, so that a number too
// large is answered as one that does not convert.
std::optional<double> ValIfInRange(std::string_view text);

// True when the whole text (blanks around it allowed) is one number within
// the double range.
bool IsNumeric(std::string_view text);

// Rounds half to even to a 32-bit (CLng) or 16-bit (CInt) integer; a value
// outside the range, or not a number, raises the overflow error.
int32_t CLng(double value);
int16_t CInt(double value);
// To single precision; a value beyond its range raises the overflow error.
float CSng(double value);

}  // namespace orvane::core
