// Stepping through ANSI (CP932) text one character at a time.
#include <windows.h>

LPSTR WINAPI CharNextA(LPCSTR lpsz) {
  if (lpsz == nullptr || *lpsz == '\0') return const_cast<LPSTR>(lpsz);
  bool pair = IsDBCSLeadByte(static_cast<BYTE>(lpsz[0])) && lpsz[1] != '\0';
  return const_cast<LPSTR>(lpsz + (pair ? 2 : 1));
}
