// Exports of the processing library.
#pragma once
#include <windef.h>

// Selects the acquisition device by board type code and device name; opens
// nothing and returns the type. A name longer than 87 bytes is cut.
DLL_EXPORT LONG WINAPI SelectBoard(LONG type, LONG value, const char* name);

// Copies the whole 2,048-byte message buffer (Shift-JIS) into text.
DLL_EXPORT void WINAPI GetErrorText(char* text);
