// Quaternions to angles and back, element by element. The two directions
// use the conventions their callers were written against, which are not
// each other's inverse (see the header).
#include <cmath>

#include "arrays/element_loop.h"
#include "vekmath.h"

using vekmath::single;

DLL_EXPORT void WINAPI QuaternionToEuler(FLOAT* outA, FLOAT* outB, FLOAT* outC, const FLOAT* w, const FLOAT* x,
                                         const FLOAT* y, const FLOAT* z, LONG n) {
  if (!outA || !outB || !outC || !w || !x || !y || !z) return;
  for (LONG i = 0; i < n; ++i) {
    const double qw = w[i], qx = x[i], qy = y[i], qz = z[i];
    const double a = std::atan2(2 * (qw * qx + qy * qz), qx * qx + qy * qy - qz * qz - qw * qw);
    const double b = std::asin(2 * (qx * qz - qw * qy));
    const double c = std::atan2(2 * (qw * qz + qx * qy), qw * qw + qx * qx - qy * qy - qz * qz);
    outA[i] = single(a);
    outB[i] = single(b);
    outC[i] = single(c);
  }
}

DLL_EXPORT void WINAPI EulerToQuaternion(FLOAT* outZ, FLOAT* outW, FLOAT* outX, FLOAT* outY, const FLOAT* a,
                                         const FLOAT* b, const FLOAT* c, LONG n) {
  if (!outZ || !outW || !outX || !outY || !a || !b || !c) return;
  for (LONG i = 0; i < n; ++i) {
    const double ca = std::cos(a[i] / 2.0), sa = std::sin(a[i] / 2.0);
    const double cb = std::cos(b[i] / 2.0), sb = std::sin(b[i] / 2.0);
    const double cc = std::cos(c[i] / 2.0), sc = std::sin(c[i] / 2.0);
    const double qw = ca * cb * cc + sa * sb * sc;
    const double qx = sa * cb * cc - ca * sb * sc;
    const double qy = ca * sb * cc + sa * cb * sc;
    const double qz = ca * cb * sc - sa * sb * cc;
    outZ[i] = single(qz);
    outW[i] = single(qw);
    outX[i] = single(qx);
    outY[i] = single(qy);
  }
}
