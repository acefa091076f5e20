// The library's message buffer and the builders that fill it.
//
// Each builder starts the buffer afresh with a code line and appends the
// lines for the code. The buffer holds Shift-JIS (CP932) text; texts given
// by a back end are taken as they come, in the same code page.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vekmath {

inline constexpr std::size_t kMessageBufferSize = 2048;

// The library's own status codes.
inline constexpr int32_t kStatusParameter = 30000;
inline constexpr int32_t kStatusStopped = 30001;
inline constexpr int32_t kStatusClock = 30007;
inline constexpr int32_t kStatusDaqmxMissing = 30009;
inline constexpr int32_t kStatusBcc = 30010;
inline constexpr int32_t kStatusComPort = 30011;
inline constexpr int32_t kStatusReplyFormat = 30012;
inline constexpr int32_t kStatusReplyStatus = 30013;
inline constexpr int32_t kStatusLoggerFile = 30014;
inline constexpr int32_t kStatusRingLength = 30015;

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

// Whether b starts a two-byte character in CP932.
constexpr bool isCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The longest prefix of text, at most limit bytes, that ends on a character
// boundary.
std::size_t cp932PrefixLength(const std::string& text, std::size_t limit);

}  // namespace vekmath
