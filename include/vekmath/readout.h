// Exports of the processing library: status, counters and copies out of
// the sample ring. Copies hand out raw counts minus the zero offset, in
// 16-bit wrap-around arithmetic, in time order.
#pragma once
#include <windef.h>

// While the stop flag is set: running 0, scans 0, status 30001. Else the
// run flag, the scan counter (0 when a trigger channel is set) and the last
// status. Any output may be NULL.
DLL_EXPORT void WINAPI GetSamplingStatus(LONG* running, LONG* scans, LONG* status);

// 101.
DLL_EXPORT void WINAPI GetLibraryVersion(LONG* value);

// Samples in the ring not yet handed out.
DLL_EXPORT void WINAPI GetSampleCount(LONG* value);

// The write index and the samples the last pass carried past the ring end.
DLL_EXPORT void WINAPI GetRingPosition(LONG* index, LONG* overrun);

// 1 once the ring has wrapped in this run.
DLL_EXPORT void WINAPI GetRingPosition2(LONG* flag);

DLL_EXPORT void WINAPI GetRingLength(LONG* length);

// The whole ring, oldest first, up to the newest sample; at most ring
// length - 1 samples (buffer: ring length). Returns the write index the copy
// ended at, 0 when it copied nothing from the ring start.
DLL_EXPORT LONG WINAPI ReadRing(WORD* buffer);

// Up to count + 1 samples, beginning start samples after the oldest one and
// never past the newest (buffer: count + 1).
DLL_EXPORT void WINAPI ReadRing2(WORD* buffer, LONG start, LONG count);

// count + 1 samples that end distance samples before the write index; none
// when they would begin before the first sample of an unwrapped ring.
DLL_EXPORT void WINAPI ReadRing3(WORD* buffer, LONG distance, LONG count);

// Rebuilds the monitor's trace points from the ring; the argument is not
// used.
DLL_EXPORT void WINAPI RefreshWaveGraph(LONG unused);
