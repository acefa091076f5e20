// The library's message buffer and the builders that fill it.
//
// Each builder starts the buffer afresh with a code line and appends the
// lines for the code. The buffer holds Shift-JIS (CP932) text; texts given
// by a back end are taken as they come, in the same code page.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include <vekmath/status.h>

namespace vekmath {

inline constexpr std::size_t kMessageBufferSize = 2048;

void setOwnStatusText(int32_t status);
// detail: the back end's own explanation (CP932), may be null.
void setNiStatusText(int32_t code, const char* detail);
void setWdmStatusText(int32_t code, const char* detail);
void setWdmInputStatusText(uint32_t status);
void setVendorBStatusText(uint32_t code);
void setOlderVendorAStatusText(int32_t code);

// The current text, up to its terminator.
std::string messageText();

// Copies the whole buffer, terminator and tail included.
void copyMessageBuffer(char* out);

// The longest prefix of text, at most limit bytes, that ends on a character
// boundary.
std::size_t cp932PrefixLength(const std::string& text, std::size_t limit);

}  // namespace vekmath
