// Turning a status code into its message text.
#include "status_texts.h"

#include <windows.h>
#include <platform/ansi_text.h>

#include <algorithm>

#include "export_frame.h"
#include "halvik.h"

namespace halvik {
namespace {

// The multi-function counter's device-checked codes share the texts of
// these ids.
struct CodeToId {
  int32_t code;
  int32_t id;
};
constexpr CodeToId kSharedTexts[] = {
    {28000, 28100}, {28001, 28201}, {28010, 28202}, {28011, 28203}, {28012, 28204}, {28020, 28300},
    {28021, 28301}, {28022, 28302}, {28030, 28303}, {28031, 28304}, {28032, 28305},
};

const StatusTextRow* findRow(int32_t id) {
  const StatusTextRow* end = kStatusTextRows + kStatusTextRowCount;
  const StatusTextRow* row = std::find_if(kStatusTextRows, end, [id](const StatusTextRow& r) { return r.id == id; });
  return row == end ? nullptr : row;
}

}  // namespace

int32_t messageIdOf(int32_t code) {
  for (const CodeToId& shared : kSharedTexts) {
    if (shared.code == code) return shared.id;
    if (shared.id == code) return kStatusReserved;  // a text id, never returned as a code
  }
  if (findRow(code) != nullptr) return code;
  const int32_t* end = kIdsWithoutText + kIdsWithoutTextCount;
  return std::find(kIdsWithoutText, end, code) != end ? code : kStatusReserved;
}

std::string messageText(int32_t id, Language language) {
  const StatusTextRow* row = findRow(id);
  if (row == nullptr) return {};
  const char* text = language == Language::Japanese ? row->japanese : row->english;
  return text == nullptr ? std::string() : plat::Utf8ToAnsi(text);
}

std::string statusText(int32_t code, Language language) { return messageText(messageIdOf(code), language); }

Language userLanguage() { return GetACP() == 932 ? Language::Japanese : Language::English; }

std::size_t copyCut(const std::string& text, char* out, std::size_t capacity) {
  if (capacity == 0) return 0;
  const std::size_t length = plat::AnsiPrefixLength(text, capacity - 1);
  std::copy_n(text.data(), length, out);
  out[length] = '\0';
  return length;
}

}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanGetErrorString(LONG ErrorCode, char* ErrorString) {
  ExportFrame frame("XanGetErrorString");
  frame.start("ErrorCode=%d", ErrorCode);
  if (ErrorString == nullptr) return frame.end(kStatusErrorStringNull);
  copyCut(statusText(ErrorCode, userLanguage()), ErrorString, kErrorStringSize);
  return frame.endWith("ErrorString=%s", ErrorString);
}
