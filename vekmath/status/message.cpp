// The message buffer and the building of one message.
#include "status/message.h"

#include <windows.h>
#include <platform/ansi_text.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "vekmath.h"

namespace vekmath {
namespace {

constexpr const char* kInitialText = "この変数に状態を表す文字列を設定してください。";

struct MessageBuffer {
  std::mutex lock;
  char bytes[kMessageBufferSize] = {};
  MessageBuffer() { store(plat::Utf8ToAnsi(kInitialText)); }
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
  text_ = plat::Utf8ToAnsi(label);
  text_ += digits;
  text_ += '\n';
}

StatusMessage& StatusMessage::add(const char* utf8) {
  if (utf8 != nullptr) text_ += plat::Utf8ToAnsi(utf8);
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
  const std::string text = plat::Utf8ToAnsi(utf8);
  std::lock_guard<std::mutex> guard(buffer.lock);
  buffer.store(text);
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
