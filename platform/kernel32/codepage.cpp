// Text conversions: the ANSI code page is CP932 (through iconv), UTF-8 is
// converted here. Bad input is replaced (or refused with
// MB_ERR_INVALID_CHARS), never passed through half-converted.
#include <iconv.h>
#include <windows.h>
#include <win/codepage.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace plat {
namespace {

enum class Page { Ansi, Utf8, Unknown };

Page pageOf(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
    case 932:
      return Page::Ansi;
    case CP_UTF8:
      return Page::Utf8;
    default:
      return Page::Unknown;
  }
}

constexpr char16_t kAnsiReplacement = u'\u30FB';  // what Windows gives for bytes CP932 cannot read
constexpr char16_t kUnicodeReplacement = u'\uFFFD';

// One conversion descriptor per thread and direction; iconv_t is not safe
// to share between threads.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) ::iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as it can; returns false with errno set where it stops early.
  bool run(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    char* input = const_cast<char*>(in);  // iconv's signature; the input is not written
    size_t result = ::iconv(cd_, &input, &inLeft, &out, &outLeft);
    in = input;
    return result != static_cast<size_t>(-1);
  }
  void resetState() { ::iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

Iconv& fromAnsi() {
  thread_local Iconv converter("UTF-16LE", "CP932");
  return converter;
}

Iconv& toAnsi() {
  thread_local Iconv converter("CP932", "UTF-16LE");
  return converter;
}

bool isTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

void appendUtf16Le(std::u16string& out, const char* bytes, size_t count) {
  for (size_t i = 0; i + 1 < count; i += 2) {
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
}

bool decodeAnsi(const char* in, size_t length, std::u16string& out, bool strict) {
  Iconv& converter = fromAnsi();
  if (!converter.ok()) return false;
  converter.resetState();
  char buffer[512];
  while (length > 0) {
    char* next = buffer;
    size_t room = sizeof buffer;
    bool done = converter.run(in, length, next, room);
    appendUtf16Le(out, buffer, static_cast<size_t>(next - buffer));
    if (done || errno == E2BIG) continue;
    // An unreadable byte, or a lead byte without its trail byte.
    if (strict) return false;
    out.push_back(kAnsiReplacement);
    bool pair = length >= 2 && IsDBCSLeadByte(static_cast<BYTE>(in[0])) &&
                isTrailByte(static_cast<unsigned char>(in[1]));
    size_t skip = pair ? 2 : 1;
    in += skip;
    length -= skip;
    converter.resetState();
  }
  return true;
}

void appendCodePoint(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

bool decodeUtf8(const char* text, size_t length, std::u16string& out, bool strict) {
  const auto* in = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < length) {
    unsigned char lead = in[i];
    // 0xC0 and 0xC1 could only start overlong forms; like stray trail
    // bytes they are bad on their own.
    size_t extra = lead < 0x80                       ? 0
                   : lead >= 0xC2 && (lead >> 5) == 0x6 ? 1
                   : (lead >> 4) == 0xE               ? 2
                   : (lead >> 3) == 0x1E              ? 3
                                                      : 4;
    char32_t c = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
    bool valid = extra < 4;
    size_t used = 1;
    if (valid) {
      for (size_t k = 1; k <= extra; ++k) {
        if (i + k >= length || (in[i + k] & 0xC0) != 0x80) {
          valid = false;
          break;
        }
        c = (c << 6) | (in[i + k] & 0x3F);
        used = k + 1;
      }
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (valid && (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
    if (!valid) {
      if (strict) return false;
      out.push_back(kUnicodeReplacement);
      i += used;  // the bytes read so far form the bad sequence
      continue;
    }
    appendCodePoint(out, c);
    i += used;
  }
  return true;
}

// The length of one UTF-16 character at `in`: 2 for a surrogate pair.
size_t unitsOfCharacter(const char16_t* in, size_t length) {
  bool high = in[0] >= 0xD800 && in[0] <= 0xDBFF;
  return high && length >= 2 && in[1] >= 0xDC00 && in[1] <= 0xDFFF ? 2 : 1;
}

bool encodeAnsi(const char16_t* text, size_t length, std::string& out, const std::string& defaultChar,
                bool& usedDefault) {
  Iconv& converter = toAnsi();
  if (!converter.ok()) return false;
  converter.resetState();
  std::string bytes;
  bytes.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    bytes.push_back(static_cast<char>(text[i] & 0xFF));
    bytes.push_back(static_cast<char>(text[i] >> 8));
  }
  const char* in = bytes.data();
  size_t left = bytes.size();
  char buffer[512];
  while (left > 0) {
    char* next = buffer;
    size_t room = sizeof buffer;
    bool done = converter.run(in, left, next, room);
    out.append(buffer, static_cast<size_t>(next - buffer));
    if (done || errno == E2BIG) continue;
    // A character CP932 has no code for, or a lone surrogate.
    out += defaultChar;
    usedDefault = true;
    size_t position = (bytes.size() - left) / 2;
    size_t skip = 2 * unitsOfCharacter(text + position, length - position);
    skip = skip > left ? left : skip;
    in += skip;
    left -= skip;
    converter.resetState();
  }
  return true;
}

void encodeUtf8(const char16_t* in, size_t length, std::string& out) {
  for (size_t i = 0; i < length;) {
    char32_t c = in[i];
    size_t units = unitsOfCharacter(in + i, length - i);
    if (units == 2) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kUnicodeReplacement;
    }
    i += units;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

int failWith(DWORD error) {
  SetLastError(error);
  return 0;
}

// Copies a result the Windows way: a zero-sized target asks for the size.
template <class Text, class Char>
int deliver(const Text& result, Char* target, int capacity) {
  if (capacity == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<size_t>(capacity)) return failWith(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(target, result.data(), result.size() * sizeof(Char));
  return static_cast<int>(result.size());
}

}  // namespace
}  // namespace plat

PLATFORM_API UINT WINAPI GetACP(void) { return 932; }
PLATFORM_API UINT WINAPI GetOEMCP(void) { return 932; }

PLATFORM_API int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                            LPWSTR lpWideCharStr, int cchWideChar) {
  plat::Page page = plat::pageOf(CodePage);
  if (page == plat::Page::Unknown || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 ||
      cchWideChar < 0 || (lpWideCharStr == nullptr && cchWideChar != 0)) {
    return plat::failWith(ERROR_INVALID_PARAMETER);
  }
  size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
  std::u16string result;
  bool ok = page == plat::Page::Ansi ? plat::decodeAnsi(lpMultiByteStr, length, result, strict)
                                     : plat::decodeUtf8(lpMultiByteStr, length, result, strict);
  if (!ok) return plat::failWith(ERROR_NO_UNICODE_TRANSLATION);
  return plat::deliver(result, lpWideCharStr, cchWideChar);
}

PLATFORM_API int WINAPI WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar,
                                            LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                            LPBOOL lpUsedDefaultChar) {
  plat::Page page = plat::pageOf(CodePage);
  if (page == plat::Page::Unknown || lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 ||
      cbMultiByte < 0 || (lpMultiByteStr == nullptr && cbMultiByte != 0)) {
    return plat::failWith(ERROR_INVALID_PARAMETER);
  }
  // UTF-8 can say every character; a default for it makes no sense.
  if (page == plat::Page::Utf8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr)) {
    return plat::failWith(ERROR_INVALID_PARAMETER);
  }
  size_t length = static_cast<size_t>(cchWideChar);
  if (cchWideChar == -1) {
    length = 0;
    while (lpWideCharStr[length] != 0) ++length;
    ++length;
  }
  std::string result;
  if (page == plat::Page::Utf8) {
    plat::encodeUtf8(lpWideCharStr, length, result);
  } else {
    bool usedDefault = false;
    std::string defaultChar = lpDefaultChar != nullptr && *lpDefaultChar != '\0' ? lpDefaultChar : "?";
    if (!plat::encodeAnsi(lpWideCharStr, length, result, defaultChar, usedDefault)) {
      return plat::failWith(ERROR_NO_UNICODE_TRANSLATION);
    }
    if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
  }
  return plat::deliver(result, lpMultiByteStr, cbMultiByte);
}
