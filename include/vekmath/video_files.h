// Exports of the processing library: video files and the stills of a
// recording. The last status of the acquisition is left alone.
#pragma once
#include <windef.h>

struct _AVIFILEINFOA;

// Appends the stills "CAP0000000000.bmp" to "CAP<count-1>" of the camera's
// stills folder to the video file that StartRecord opened, then closes
// that file. Nothing happens while no video file is open. A still that
// cannot be opened prints "Error:\tfopen [bufDBG]\n\n" and closes the file
// with the stills before it; a refused write ends at once and leaves the
// file open. The name is not used.
DLL_EXPORT void WINAPI WriteAviFromBitmaps(LONG count, const char* name);

// Paints frame `frame` of the file's video stream (the one of lowest
// priority, the first on a tie) into the window. 0 when painted; the AVI
// failure of opening or reading the file; 0 for a file without streams or
// without a frame decoder; the stream count for a file without video
// stream; AVIERR_NODATA for a frame outside the stream or one that does
// not decode (nothing is painted then).
DLL_EXPORT LONG WINAPI ReadAviFrames(HWND window, const char* path, LONG frame);

// Fills the 108-byte record with the file's information; zeroes it when
// the file cannot be opened or read.
DLL_EXPORT void WINAPI GetAviFileInfo(const char* path, _AVIFILEINFOA* info);

// Does nothing.
DLL_EXPORT void WINAPI MMIO_INFO(void);
