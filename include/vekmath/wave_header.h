// Exports of the processing library: the header of a RIFF WAVE file, read
// without its samples. The last status of the acquisition is left alone.
#pragma once
#include <windef.h>

// TRUE with the seven fields of the format chunk and the size of the data
// chunk; FALSE, with no output written, for a NULL path, a file that cannot
// be opened, no RIFF WAVE form, a format chunk shorter than 16 bytes, or no
// "data" chunk. A format chunk of 16 or 17 bytes gives an extra size of 0;
// the bytes of a chunk longer than 18 are skipped.
DLL_EXPORT BOOL WINAPI ReadWaveHeader(const char* path, WORD* extraSize, DWORD* avgBytesPerSec, WORD* blockAlign,
                                      WORD* channels, DWORD* samplesPerSec, WORD* bitsPerSample, WORD* formatTag,
                                      DWORD* dataSize);
// Also the file position of the first sample byte.
DLL_EXPORT BOOL WINAPI ReadWaveHeader2(const char* path, WORD* extraSize, DWORD* avgBytesPerSec, WORD* blockAlign,
                                       WORD* channels, DWORD* samplesPerSec, WORD* bitsPerSample, WORD* formatTag,
                                       DWORD* dataSize, DWORD* dataOffset);
