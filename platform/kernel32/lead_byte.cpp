// The lead-byte test of the ANSI code page (CP932), the one place that knows
// which bytes open a double-byte character.
#include <windows.h>

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) {
  return (TestChar >= 0x81 && TestChar <= 0x9F) || (TestChar >= 0xE0 && TestChar <= 0xFC) ? TRUE : FALSE;
}
