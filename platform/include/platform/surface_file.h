// Pictures of pixel surfaces as files, for looking at what was drawn
// (tests write them under the build folder).
//
// The files are 32-bit uncompressed BMP files, rows bottom up. Paths are
// host paths (UTF-8), not Windows paths.
#pragma once
#include "../windef.h"
#include "window_surface.h"

// FALSE with ERROR_INVALID_PARAMETER for a NULL or empty surface, or the
// error of the file system when the file cannot be written.
PLATFORM_API BOOL WINAPI PlatSaveSurfaceBmp(const PlatSurface* surface, const char* path);
// The surface behind a device context: a window's client surface or a
// memory context's bitmap.
PLATFORM_API BOOL WINAPI PlatSaveDcBmp(HDC hdc, const char* path);
