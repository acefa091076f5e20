// AVI file services and the video compressor.
//
// Files are AVI 1.0 (RIFF "AVI ": hdrl with avih and one strl per stream,
// movi, idx1), written and read by the layer's own RIFF code. A file
// opened for writing takes its streams and formats before the first
// sample is written; samples go to the file as they are written, the
// headers' counts and the index at the file's release. A file is readable
// once released.
//
// The one video compressor is "DIVX": MPEG-4 Part 2 frames tagged with that
// four-character code, made from 24-bit bottom-up BGR input. Setting the
// environment variable ORVANE_VIDEO_COMPRESSORS to "none" removes it, so
// AVIMakeCompressedStream fails with AVIERR_NOCOMPRESSOR.
//
// Reading decodes "DIVX"/"XVID"/"FMP4"/"DX50"/"MJPG" and uncompressed
// ("DIB ", 0) 24-bit frames to a packed bitmap: a 40-byte
// BITMAPINFOHEADER followed by bottom-up 24-bit rows, 4-byte aligned.
//
// AVIFileInit is reference-counted and implicit: every call works without
// it. The file, stream and frame objects are opaque pointers; each is freed
// by its release or close call. Objects are not shared between threads.
#pragma once
#include "windows.h"
#include "wingdi.h"

#ifndef OF_READ
#define OF_READ 0x00000000u
#define OF_WRITE 0x00000001u
#define OF_READWRITE 0x00000002u
#define OF_SHARE_COMPAT 0x00000000u
#define OF_SHARE_EXCLUSIVE 0x00000010u
#define OF_SHARE_DENY_WRITE 0x00000020u
#define OF_SHARE_DENY_READ 0x00000030u
#define OF_SHARE_DENY_NONE 0x00000040u
#define OF_CREATE 0x00001000u
#endif

#define streamtypeVIDEO mmioFOURCC('v', 'i', 'd', 's')
#define streamtypeAUDIO mmioFOURCC('a', 'u', 'd', 's')
#define streamtypeMIDI mmioFOURCC('m', 'i', 'd', 's')
#define streamtypeTEXT mmioFOURCC('t', 'x', 't', 's')
#define ICTYPE_VIDEO mmioFOURCC('v', 'i', 'd', 'c')

#define MAKE_AVIERR(error) ((HRESULT)(0x80044000L + (error)))
#define AVIERR_OK ((HRESULT)0)
#define AVIERR_UNSUPPORTED MAKE_AVIERR(101)
#define AVIERR_BADFORMAT MAKE_AVIERR(102)
#define AVIERR_MEMORY MAKE_AVIERR(103)
#define AVIERR_INTERNAL MAKE_AVIERR(104)
#define AVIERR_BADFLAGS MAKE_AVIERR(105)
#define AVIERR_BADPARAM MAKE_AVIERR(106)
#define AVIERR_BADSIZE MAKE_AVIERR(107)
#define AVIERR_BADHANDLE MAKE_AVIERR(108)
#define AVIERR_FILEREAD MAKE_AVIERR(109)
#define AVIERR_FILEWRITE MAKE_AVIERR(110)
#define AVIERR_FILEOPEN MAKE_AVIERR(111)
#define AVIERR_COMPRESSOR MAKE_AVIERR(112)
#define AVIERR_NOCOMPRESSOR MAKE_AVIERR(113)
#define AVIERR_READONLY MAKE_AVIERR(114)
#define AVIERR_NODATA MAKE_AVIERR(115)
#define AVIERR_BUFFERTOOSMALL MAKE_AVIERR(116)
#define AVIERR_CANTCOMPRESS MAKE_AVIERR(117)
#define AVIERR_USERABORT MAKE_AVIERR(198)
#define AVIERR_ERROR MAKE_AVIERR(199)

// Index entry flags (AVIStreamWrite's dwFlags).
#define AVIIF_LIST 0x00000001u
#define AVIIF_KEYFRAME 0x00000010u

#define AVIFILEINFO_HASINDEX 0x00000010u
#define AVIFILEINFO_MUSTUSEINDEX 0x00000020u
#define AVIFILEINFO_ISINTERLEAVED 0x00000100u
#define AVIFILECAPS_CANREAD 0x00000001u
#define AVIFILECAPS_CANWRITE 0x00000002u
#define AVIFILECAPS_ALLKEYFRAMES 0x00000010u
#define AVIFILECAPS_NOCOMPRESSION 0x00000020u

#define AVISTREAMINFO_DISABLED 0x00000001u
#define AVISTREAMINFO_FORMATCHANGES 0x00010000u

#define AVICOMPRESSF_INTERLEAVE 0x00000001u
#define AVICOMPRESSF_DATARATE 0x00000002u
#define AVICOMPRESSF_KEYFRAMES 0x00000004u
#define AVICOMPRESSF_VALID 0x00000008u

#define ICMF_COMPVARS_VALID 0x00000001u
#define ICQUALITY_LOW 0
#define ICQUALITY_HIGH 10000
#define ICQUALITY_DEFAULT -1

struct IAVIFile;
struct IAVIStream;
struct IGetFrame;
typedef struct IAVIFile* PAVIFILE;
typedef struct IAVIStream* PAVISTREAM;
typedef struct IGetFrame* PGETFRAME;
DECLARE_HANDLE(HIC);

typedef struct _AVISTREAMINFOA {
  DWORD fccType;
  DWORD fccHandler;
  DWORD dwFlags;
  DWORD dwCaps;
  WORD wPriority;
  WORD wLanguage;
  DWORD dwScale;
  DWORD dwRate;  // dwRate / dwScale = samples per second
  DWORD dwStart;
  DWORD dwLength;
  DWORD dwInitialFrames;
  DWORD dwSuggestedBufferSize;
  DWORD dwQuality;
  DWORD dwSampleSize;
  RECT rcFrame;
  DWORD dwEditCount;
  DWORD dwFormatChangeCount;
  CHAR szName[64];
} AVISTREAMINFOA, *LPAVISTREAMINFOA;
typedef AVISTREAMINFOA AVISTREAMINFO;

typedef struct _AVIFILEINFOA {
  DWORD dwMaxBytesPerSec;
  DWORD dwFlags;
  DWORD dwCaps;
  DWORD dwStreams;
  DWORD dwSuggestedBufferSize;
  DWORD dwWidth;
  DWORD dwHeight;
  DWORD dwScale;
  DWORD dwRate;
  DWORD dwLength;
  DWORD dwEditCount;
  CHAR szFileType[64];
} AVIFILEINFOA, *LPAVIFILEINFOA;
typedef AVIFILEINFOA AVIFILEINFO;

// The compressor settings of a recording; ICCompressorFree frees what the
// layer hung on it. cbSize is sizeof(COMPVARS).
typedef struct {
  LONG cbSize;
  DWORD dwFlags;
  HIC hic;
  DWORD fccType;
  DWORD fccHandler;
  LPBITMAPINFO lpbiIn;
  LPBITMAPINFO lpbiOut;
  LPVOID lpBitsOut;
  LPVOID lpBitsPrev;
  LONG lFrame;
  LONG lKey;
  LONG lDataRate;
  LONG lQ;
  LONG lKeyCount;
  LPVOID lpState;
  LONG cbState;
} COMPVARS, *PCOMPVARS;

typedef struct {
  DWORD fccType;
  DWORD fccHandler;
  DWORD dwKeyFrameEvery;  // 0: the compressor's own choice
  DWORD dwQuality;        // (DWORD)ICQUALITY_DEFAULT for the default
  DWORD dwBytesPerSecond;
  DWORD dwFlags;
  LPVOID lpFormat;
  DWORD cbFormat;
  LPVOID lpParms;
  DWORD cbParms;
  DWORD dwInterleaveEvery;
} AVICOMPRESSOPTIONS, *LPAVICOMPRESSOPTIONS;

#ifdef __cplusplus
static_assert(sizeof(AVISTREAMINFOA) == 140 && offsetof(AVISTREAMINFOA, wPriority) == 16 &&
                  offsetof(AVISTREAMINFOA, dwScale) == 20 && offsetof(AVISTREAMINFOA, rcFrame) == 52 &&
                  offsetof(AVISTREAMINFOA, szName) == 76,
              "AVISTREAMINFOA as on Windows");
static_assert(sizeof(AVIFILEINFOA) == 108 && offsetof(AVIFILEINFOA, dwStreams) == 12 &&
                  offsetof(AVIFILEINFOA, dwLength) == 36 && offsetof(AVIFILEINFOA, szFileType) == 44,
              "AVIFILEINFOA as on Windows");
#endif

PLATFORM_API void WINAPI AVIFileInit(void);
PLATFORM_API void WINAPI AVIFileExit(void);

// uMode: OF_READ (with any OF_SHARE_* flag), or OF_WRITE | OF_CREATE to
// create the file anew. The handler class must be NULL. AVIERR_FILEOPEN
// when the file cannot be opened or created, AVIERR_BADFORMAT when it is
// not an AVI file.
PLATFORM_API HRESULT WINAPI AVIFileOpenA(PAVIFILE* ppfile, LPCSTR szFile, UINT uMode, void* lpHandler);
// A file being written gets its index and final counts here, at the last
// release; returns the references left (0).
PLATFORM_API ULONG WINAPI AVIFileRelease(PAVIFILE pfile);
PLATFORM_API HRESULT WINAPI AVIFileInfoA(PAVIFILE pfile, LPAVIFILEINFOA pfi, LONG lSize);
// The stream of type fccType (0: any type) numbered lParam among those.
PLATFORM_API HRESULT WINAPI AVIFileGetStream(PAVIFILE pfile, PAVISTREAM* ppavi, DWORD fccType, LONG lParam);
PLATFORM_API HRESULT WINAPI AVIFileCreateStreamA(PAVIFILE pfile, PAVISTREAM* ppavi, AVISTREAMINFOA* psi);

PLATFORM_API HRESULT WINAPI AVIStreamInfoA(PAVISTREAM pavi, LPAVISTREAMINFOA psi, LONG lSize);
// A stream that compresses what is written to it into psSource. The
// source's format is set through the compressed stream (a 24-bit BI_RGB
// BITMAPINFOHEADER); each write is one frame of that size.
PLATFORM_API HRESULT WINAPI AVIMakeCompressedStream(PAVISTREAM* ppsCompressed, PAVISTREAM psSource,
                                                    AVICOMPRESSOPTIONS* lpOptions, void* pclsidHandler);
PLATFORM_API HRESULT WINAPI AVIStreamSetFormat(PAVISTREAM pavi, LONG lPos, LPVOID lpFormat, LONG cbFormat);
// lStart must be the stream's current length (samples are appended).
PLATFORM_API HRESULT WINAPI AVIStreamWrite(PAVISTREAM pavi, LONG lStart, LONG lSamples, LPVOID lpBuffer,
                                           LONG cbBuffer, DWORD dwFlags, LONG* plSampWritten, LONG* plBytesWritten);
PLATFORM_API ULONG WINAPI AVIStreamRelease(PAVISTREAM pavi);

// lpbiWanted must be NULL (the 24-bit packed bitmap is what is given).
// NULL when the stream's frames cannot be decoded.
PLATFORM_API PGETFRAME WINAPI AVIStreamGetFrameOpen(PAVISTREAM pavi, LPBITMAPINFOHEADER lpbiWanted);
// The packed bitmap of frame lPos, valid until the next call on pg or its
// close; NULL for a frame outside the stream or one that does not decode.
PLATFORM_API LPVOID WINAPI AVIStreamGetFrame(PGETFRAME pg, LONG lPos);
PLATFORM_API HRESULT WINAPI AVIStreamGetFrameClose(PGETFRAME pg);

PLATFORM_API void WINAPI ICCompressorFree(PCOMPVARS pc);
