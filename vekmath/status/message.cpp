// The message buffer and the building of one message.
#include "status/message.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "vekmath.h"

namespace vekmath {
namespace {

constexpr const char* kInitialText = "この変数に状態を表す文字列を設定してください。";

std::string toCp932(const char* utf8) {
  int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (wide <= 0) return {};
  std::u16string buffer(static_cast<std::size_t>(wide), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer.data(), wide);
  int bytes = WideCharToMultiByte(932, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(932, 0, buffer.data(), -1, out.data(), bytes, nullptr, nullptr);
  out.pop_back();  // the terminator
  return out;
}

struct MessageBuffer {
  std::mutex lock;
  char bytes[kMessageBufferSize] = {};
  MessageBuffer() { store(toCp932(kInitialText)); }
  // Caller holds the lock (or is the constructor).
  void store(const std::string& text) {
    std::size_t length = cp932PrefixLength(text, kMessageBufferSize - 1);
    std::memcpy(bytes, text.data(), length);
    std::memset(bytes + length, 0, kMessageBufferSize - length);
  }
};

MessageBuffer& messageBuffer() {
  static MessageBuffer buffer;
  return buffer;
}

}  // namespace

StatusMessage::StatusMessage(const char* label, uint32_t code) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%x", code);
  text_ = toCp932(label);
  text_ += digits;
  text_ += '\n';
}

StatusMessage& StatusMessage::add(const char* utf8) {
  if (utf8 != nullptr) text_ += toCp932(utf8);
  return *this;
}

StatusMessage& StatusMessage::addCp932(const char* bytes) {
  if (bytes != nullptr) text_ += bytes;
  return *this;
}

void StatusMessage::publish() {
  MessageBuffer& buffer = messageBuffer();
  std::lock_guard<std::mutex> guard(buffer.lock);
  buffer.store(text_);
}

void publishPlainText(const char* utf8) {
  MessageBuffer& buffer = messageBuffer();
  const std::string text = toCp932(utf8);
  std::lock_guard<std::mutex> guard(buffer.lock);
  buffer.store(text);
}

std::size_t cp932PrefixLength(const std::string& text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1;
    // A lead byte cut off by the end of the text is no character either.
    if (end + width > limit || end + width > text.size()) break;
    end += width;
  }
  return end;
}

std::string messageText() {
  MessageBuffer& buffer = messageBuffer();
  std::lock_guard<std::mutex> guard(buffer.lock);
  return std::string(buffer.bytes, strnlen(buffer.bytes, kMessageBufferSize));
}

void copyMessageBuffer(char* out) {
  if (out == nullptr) return;
  MessageBuffer& buffer = messageBuffer();
  std::lock_guard<std::mutex> guard(buffer.lock);
  std::memcpy(out, buffer.bytes, kMessageBufferSize);
}

}  // namespace vekmath

DLL_EXPORT void WINAPI GetErrorText(char* text) { vekmath::copyMessageBuffer(text); }
