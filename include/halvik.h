// Exports of Halvik, vendor A's analog I/O library.
#pragma once
#include <windef.h>

// Copies the text of a status code into ErrorString (at least 256 bytes; a
// longer text is cut), in the user's language. An unknown code gives the
// text of 34463; a known code without a text in that language gives an
// empty string. 10180 when ErrorString is NULL; nothing is written then.
DLL_EXPORT LONG WINAPI XanGetErrorString(LONG ErrorCode, char* ErrorString);
