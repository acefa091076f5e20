// Devices behind "\\.\NAME": the interface between drivers (the kernel layer,
// the stand-ins of outside drivers) and CreateFileA / DeviceIoControl.
//
// A driver fills a PlatDeviceDriver and registers it under a symbolic name.
// Each CreateFileA of that name makes a file object (PlatFile) and calls
// create; each DeviceIoControl, ReadFile or WriteFile on its handle becomes a
// request packet (PlatRequest) handed to the driver's dispatch.
//
// A dispatch either
//   - returns a status without completing: the request completes with that
//     status and the request's `information` (the simple way for stand-ins);
//   - completes it itself with PlatCompleteRequest and returns the status;
//   - returns PLAT_STATUS_PENDING (or calls PlatMarkRequestPending and
//     returns any status) and completes it later from any thread.
// The packet stays valid until PlatCompleteRequest returns; the driver must
// not touch it afterwards.
//
// Buffers, by the method in the code's low two bits:
//   METHOD_BUFFERED   systemBuffer holds max(in, out) bytes, the input copied
//                     in; inputBuffer = outputBuffer = systemBuffer. At
//                     completion min(information, outputSize) bytes are
//                     copied back to the caller (not for error statuses).
//   METHOD_IN_DIRECT, METHOD_OUT_DIRECT
//                     systemBuffer = inputBuffer holds a copy of the input;
//                     outputBuffer is the caller's own buffer, which stays
//                     the caller's promise while the request is pending.
//   METHOD_NEITHER    both are the caller's pointers.
// Reads and writes hand over the caller's buffer as outputBuffer (read) or
// inputBuffer (write); `information` is the byte count.
//
// Cancellation (CancelIo, CancelIoEx, the last CloseHandle of the file, the
// end of the issuing thread) marks the request cancelled and calls its cancel
// routine once, if one is set at that moment; the routine completes the
// request, normally with PLAT_STATUS_CANCELLED. The safe order for a driver
// that queues a request: set the routine, then check PlatRequestCancelled;
// if cancelled and PlatSetCancelRoutine(request, NULL) still returns the
// routine, complete it itself, otherwise the routine does.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// NT-style 32-bit statuses: 0 success, 0x103 pending, errors from 0xC0000000.
#define PLAT_STATUS_SUCCESS ((LONG)0x00000000)
#define PLAT_STATUS_PENDING ((LONG)0x00000103)
#define PLAT_STATUS_BUFFER_OVERFLOW ((LONG)0x80000005)
#define PLAT_STATUS_NOT_IMPLEMENTED ((LONG)0xC0000002)
#define PLAT_STATUS_ACCESS_VIOLATION ((LONG)0xC0000005)
#define PLAT_STATUS_INVALID_PARAMETER ((LONG)0xC000000D)
#define PLAT_STATUS_INVALID_DEVICE_REQUEST ((LONG)0xC0000010)
#define PLAT_STATUS_ACCESS_DENIED ((LONG)0xC0000022)
#define PLAT_STATUS_BUFFER_TOO_SMALL ((LONG)0xC0000023)
#define PLAT_STATUS_OBJECT_NAME_NOT_FOUND ((LONG)0xC0000034)
#define PLAT_STATUS_SHARING_VIOLATION ((LONG)0xC0000043)
#define PLAT_STATUS_INSUFFICIENT_RESOURCES ((LONG)0xC000009A)
#define PLAT_STATUS_DEVICE_BUSY ((LONG)0x80000011)
#define PLAT_STATUS_INVALID_USER_BUFFER ((LONG)0xC00000E8)
#define PLAT_STATUS_CANCELLED ((LONG)0xC0000120)

#define PLAT_NT_SUCCESS(status) ((LONG)(status) >= 0)

// What a request asks for.
#define PLAT_REQUEST_READ 0x03u
#define PLAT_REQUEST_WRITE 0x04u
#define PLAT_REQUEST_DEVICE_CONTROL 0x0Eu

struct PlatDeviceDriver;

// One open of a device (the file object). Handles duplicated from one open
// share it.
typedef struct PlatFile {
  struct PlatDeviceDriver* driver;
  const char* deviceName;  // as registered
  DWORD access;            // GENERIC_READ / GENERIC_WRITE of the open
  DWORD share;
  DWORD flags;             // FILE_FLAG_* of the open
  HANDLE handle;           // the handle the open returned
  void* driverContext;     // the driver's, per open
} PlatFile;

typedef struct PlatRequest {
  DWORD majorFunction;  // PLAT_REQUEST_*
  DWORD code;           // device-control code (0 for reads and writes)
  DWORD method;         // METHOD_* from the code
  void* systemBuffer;
  void* inputBuffer;
  DWORD inputSize;
  void* outputBuffer;
  DWORD outputSize;
  ULONG_PTR information;  // bytes to report (and, buffered, to copy back)
  LONG status;            // set by PlatCompleteRequest
  PlatFile* file;
  HANDLE handle;     // the handle the call was made on
  DWORD threadId;    // the issuing thread
  void* driverContext;  // the driver's, per request
} PlatRequest;

typedef void (*PlatCancelRoutine)(PlatRequest* request);

typedef struct PlatDeviceDriver {
  void* context;  // the driver's own
  // A failing status refuses the open (CreateFileA sets the mapped error).
  LONG (*create)(PlatFile* file);
  // The last handle closed: pending requests have been cancelled; requests
  // without a cancel routine should be completed here.
  void (*cleanup)(PlatFile* file);
  // No request holds the file any more (or the wait for them gave up).
  void (*close)(PlatFile* file);
  LONG (*deviceControl)(PlatRequest* request);
  LONG (*read)(PlatRequest* request);   // optional
  LONG (*write)(PlatRequest* request);  // optional
} PlatDeviceDriver;

// Names compare without regard to case ("Xan20Dev" opens as "\\.\XAN20DEV").
// The driver must outlive its open files. FALSE with ERROR_ALREADY_EXISTS
// when the name is taken, ERROR_INVALID_PARAMETER for a missing argument.
PLATFORM_API BOOL PlatRegisterDevice(const char* name, PlatDeviceDriver* driver);
// Later opens of the name fail; open files keep working.
PLATFORM_API BOOL PlatUnregisterDevice(const char* name);

// Exactly once per request, from any thread, also inside the dispatch.
PLATFORM_API void PlatCompleteRequest(PlatRequest* request, LONG status, ULONG_PTR information);
// The driver keeps the request and completes it later, whatever the
// dispatch returns.
PLATFORM_API void PlatMarkRequestPending(PlatRequest* request);
// Interlocked exchange of the cancel routine; returns the previous one.
PLATFORM_API PlatCancelRoutine PlatSetCancelRoutine(PlatRequest* request, PlatCancelRoutine routine);
PLATFORM_API BOOL PlatRequestCancelled(const PlatRequest* request);

// The Win32 error that a status reports (ERROR_GEN_FAILURE for unknown
// errors, ERROR_SUCCESS for success).
PLATFORM_API DWORD PlatStatusToWin32Error(LONG status);

#ifdef __cplusplus
}
#endif
