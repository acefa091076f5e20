// Multimedia file I/O: buffered reading of RIFF files chunk by chunk.
//
// Only reading is offered (MMIO_READ); the MMIOINFO argument of mmioOpenA
// must be NULL. Chunk offsets and sizes are 32-bit, as in the file.
#pragma once
#include "../windef.h"

DECLARE_HANDLE(HMMIO);
typedef UINT MMRESULT;
typedef DWORD FOURCC;
typedef char* HPSTR;
typedef struct _MMIOINFO MMIOINFO, *LPMMIOINFO;  // not used: pass NULL

#define mmioFOURCC(c0, c1, c2, c3)                                                              \
  ((DWORD)(BYTE)(c0) | ((DWORD)(BYTE)(c1) << 8) | ((DWORD)(BYTE)(c2) << 16) | \
   ((DWORD)(BYTE)(c3) << 24))
#define FOURCC_RIFF mmioFOURCC('R', 'I', 'F', 'F')
#define FOURCC_LIST mmioFOURCC('L', 'I', 'S', 'T')

#define MMIO_READ 0x00000000u
#define MMIO_FINDCHUNK 0x0010u
#define MMIO_FINDRIFF 0x0020u
#define MMIO_FINDLIST 0x0040u

#define MMSYSERR_NOERROR 0u
#define MMSYSERR_INVALHANDLE 5u
#define MMSYSERR_INVALPARAM 11u
#define MMIOERR_CANNOTREAD 259u
#define MMIOERR_CANNOTSEEK 261u
#define MMIOERR_CHUNKNOTFOUND 265u

// A chunk as mmioDescend finds it. dwDataOffset is the file position of the
// chunk's first data byte (for RIFF and LIST chunks, of the form type).
typedef struct _MMCKINFO {
  FOURCC ckid;
  DWORD cksize;
  FOURCC fccType;
  DWORD dwDataOffset;
  DWORD dwFlags;
} MMCKINFO, *LPMMCKINFO;
typedef const MMCKINFO* LPCMMCKINFO;
static_assert(sizeof(MMCKINFO) == 20, "MMCKINFO is five 32-bit fields");

// NULL when the file cannot be opened or the flags ask for more than reading.
PLATFORM_API HMMIO WINAPI mmioOpenA(LPSTR pszFileName, LPMMIOINFO pmmioinfo, DWORD fdwOpen);
PLATFORM_API MMRESULT WINAPI mmioClose(HMMIO hmmio, UINT fuClose);
// Bytes read (0 at the end of the file), -1 on a bad handle or count.
PLATFORM_API LONG WINAPI mmioRead(HMMIO hmmio, HPSTR pch, LONG cch);
// Without a find flag: reads the chunk header at the current position. With
// MMIO_FINDCHUNK (ckid), MMIO_FINDRIFF or MMIO_FINDLIST (fccType): skips
// chunks, each with its pad byte after an odd size, until one matches,
// within the parent chunk when one is given. On success the position is the
// chunk's data (after the form type for RIFF and LIST).
PLATFORM_API MMRESULT WINAPI mmioDescend(HMMIO hmmio, LPMMCKINFO pmmcki, LPCMMCKINFO pmmckiParent, UINT fuDescend);
// Moves past the end of the chunk and its pad byte.
PLATFORM_API MMRESULT WINAPI mmioAscend(HMMIO hmmio, LPMMCKINFO pmmcki, UINT fuAscend);
