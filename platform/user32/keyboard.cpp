// What the program may ask about the keyboard.
#include <cstdlib>

#include <windows.h>

PLATFORM_API int WINAPI GetKeyboardType(int nTypeFlag) {
  switch (nTypeFlag) {
    case 0:
      return 4;
    case 1: {
      const char* text = std::getenv("ORVANE_KEYBOARD_SUBTYPE");
      if (text == nullptr || *text == '\0') return 0;
      char* end = nullptr;
      long subtype = std::strtol(text, &end, 0);
      return *end == '\0' && subtype >= 0 && subtype <= 0xFFFF ? static_cast<int>(subtype) : 0;
    }
    case 2:
      return 12;
    default:
      return 0;
  }
}
