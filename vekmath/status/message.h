// The library's message buffer and the one way to fill it.
//
// Each builder starts the buffer afresh with a code line and appends the
// lines for the code. The buffer holds Shift-JIS (CP932) text; texts given
// by a board library are taken as they come, in the same code page. The
// texts are written in UTF-8 in the tables and turned into CP932 when a
// message is built: failures are rare, so no converted copy is kept.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include <platform/ansi_text.h>
#include <vekmath/status.h>

namespace vekmath {

inline constexpr std::size_t kMessageBufferSize = 2048;

inline constexpr const char* kCodeLabel = "エラーコード = ";
inline constexpr const char* kDetailLabel = "エラー内容 = ";

// One row of a text table: the lines that follow a code's code line.
template <typename Code>
struct CodeText {
  Code code;
  const char* text;
};

template <typename Code, std::size_t N>
const char* findText(const CodeText<Code> (&table)[N], Code code) {
  auto it = std::find_if(std::begin(table), std::end(table), [code](const CodeText<Code>& e) { return e.code == code; });
  return it == std::end(table) ? nullptr : it->text;
}

// One message under construction, in CP932.
class StatusMessage {
 public:
  // Starts the text with the code line: label and the code in lower-case
  // hexadecimal.
  StatusMessage(const char* label, uint32_t code);
  // Appends UTF-8 text, turned into CP932; null appends nothing.
  StatusMessage& add(const char* utf8);
  // Appends text that is CP932 already (a board library's own).
  StatusMessage& addCp932(const char* bytes);
  // Replaces the message buffer with the text, cut at a character boundary.
  void publish();

 private:
  std::string text_;
};

// Replaces the message buffer with text (UTF-8), without a code line.
void publishPlainText(const char* utf8);

// The current text, up to its terminator.
std::string messageText();

// Copies the whole buffer, terminator and tail included.
void copyMessageBuffer(char* out);

// The longest prefix of text, at most limit bytes, that ends on a character
// boundary.
inline std::size_t cp932PrefixLength(const std::string& text, std::size_t limit) {
  return plat::AnsiPrefixLength(text, limit);
}

}  // namespace vekmath
