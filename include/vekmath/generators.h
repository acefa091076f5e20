// Exports of the processing library: test waves, attitude conversions and
// the string-search self-test. A count below 1 or a NULL pointer writes
// nothing.
#pragma once
#include <windef.h>

// n samples holding exactly cycles periods (p = n / cycles, in double).
// dst[i] = sin(2 pi i / p), cos(2 pi i / p); cycles 0 gives 0 and 1.
DLL_EXPORT void WINAPI GenerateSine(FLOAT* dst, LONG cycles, LONG n);
DLL_EXPORT void WINAPI GenerateCosine(FLOAT* dst, LONG cycles, LONG n);
// 0/1 square wave starting at 0, toggling every p / 2 samples; cycles 0
// gives all 0, a negative count toggles on every sample.
DLL_EXPORT void WINAPI GenerateSquare(FLOAT* dst, LONG cycles, LONG n);
// 0/1 pulse wave starting low, high for the fraction *duty of a period.
DLL_EXPORT void WINAPI GenerateSquare2(FLOAT* dst, LONG cycles, LONG n, const FLOAT* duty);

// Element by element, in radians, from (w, x, y, z):
//   a = atan2(2(wx + yz), x^2 + y^2 - z^2 - w^2)
//   b = asin(2(xz - wy))
//   c = atan2(2(wz + xy), w^2 + x^2 - y^2 - z^2)
// This is not the inverse of EulerToQuaternion: the identity quaternion
// gives a = pi, and a round trip gives (pi - a, -b, c).
DLL_EXPORT void WINAPI QuaternionToEuler(FLOAT* outA, FLOAT* outB, FLOAT* outC, const FLOAT* w, const FLOAT* x,
                                         const FLOAT* y, const FLOAT* z, LONG n);
// The roll-pitch-yaw quaternion of (a, b, c); note the output order Z, W,
// X, Y.
DLL_EXPORT void WINAPI EulerToQuaternion(FLOAT* outZ, FLOAT* outW, FLOAT* outX, FLOAT* outY, const FLOAT* a,
                                         const FLOAT* b, const FLOAT* c, LONG n);

// Prints the search of "\r\n" in a fixed text to the standard output (in
// Shift-JIS) and returns 0; the arguments are ignored.
DLL_EXPORT LONG WINAPI SearchSelfTest(LONG, LONG, LONG, LONG, LONG, LONG);
