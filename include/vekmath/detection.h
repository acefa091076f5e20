// Exports of the processing library: peaks, valleys and level crossings in
// a float trace. Positions are sample indices stored as floats; each
// position array must hold n entries (no more are ever written). Both
// counts are 0 for n < 2 or NULL data; a NULL output writes nothing.
#pragma once
#include <windef.h>

// Alternating peaks and valleys that stand out from the extreme before by at
// least |h|. Within one swing the highest maximum (lowest minimum) wins, the
// earlier on ties; the extreme before the first such swing is never
// recorded, nor one still pending while no swing has happened at all; a
// pending extreme at the end counts only when the last sample lies strictly
// more than |h| beyond it.
DLL_EXPORT void WINAPI DetectPeaks(LONG* outPeakCount, FLOAT* outPeakPos, LONG* outValleyCount, FLOAT* outValleyPos,
                                   const FLOAT* data, LONG n, FLOAT h);

// Up events: crossings of level on the way from at or below
// level - width / 2 to above level + width / 2; down events the reverse.
// Each is recorded at the first sample on the new side of the level. A
// swing above upper, or at or below lower, cancels the event that ends it
// and, unless the swing before went out of range too, the event that began
// it.
DLL_EXPORT void WINAPI DetectLevelEvents(LONG* outUpCount, FLOAT* outUpPos, LONG* outDownCount, FLOAT* outDownPos,
                                         const FLOAT* data, LONG n, FLOAT level, FLOAT width, FLOAT upper,
                                         FLOAT lower);
