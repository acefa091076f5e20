// Halvik's status ids and their message texts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace halvik {

inline constexpr int32_t kStatusOk = 0;
inline constexpr int32_t kStatusErrorStringNull = 10180;
// Its text is the answer for every code the table does not know.
inline constexpr int32_t kStatusReserved = 34463;

// What the caller's text buffer must hold, terminator included.
inline constexpr std::size_t kErrorStringSize = 256;

enum class Language { English, Japanese };

struct StatusTextRow {
  int32_t id;
  const char* english;   // UTF-8; null: no text in English
  const char* japanese;  // UTF-8; null: no text in Japanese
};

extern const StatusTextRow kStatusTextRows[];
extern const std::size_t kStatusTextRowCount;
extern const int32_t kIdsWithoutText[];
extern const std::size_t kIdsWithoutTextCount;

// The message id a status code reads: its own when known, a multi-function
// counter code's text id, otherwise kStatusReserved.
int32_t messageIdOf(int32_t code);

// The text of a message id in CP932; empty when it has none in that
// language.
std::string messageText(int32_t id, Language language);

// The text of a status code, that is of its message id.
std::string statusText(int32_t code, Language language);

// The language the user's settings ask for.
Language userLanguage();

// Copies text into out (capacity bytes, terminator included), cut at a
// character boundary; returns the bytes copied before the terminator.
std::size_t copyCut(const std::string& text, char* out, std::size_t capacity);

}  // namespace halvik
