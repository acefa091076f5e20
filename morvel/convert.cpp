// Conversions between a board's raw codes and physical values.
#include <cmath>

#include <morvel.h>

namespace {

long double resolution(int16_t bits) {
  switch (bits) {
    case 8: return 256.0L;
    case 10: return 1024.0L;
    case 16: return 65536.0L;
    case 18: return 262144.0L;
    default: return 4096.0L;
  }
}

long double effectiveGain(int16_t gain) { return gain > 0 ? gain : 1; }

}  // namespace

DLL_EXPORT double WINAPI BinaryToVI(float low, float high, int16_t gain, int16_t bits, uint16_t code) {
  const long double g = effectiveGain(gain);
  const long double span = (static_cast<long double>(high) - low) / g;
  return static_cast<double>(span * (code / resolution(bits)) + low / g);
}

DLL_EXPORT LONG WINAPI VIToBinary(float low, float high, int16_t gain, int16_t bits, float value) {
  const long double g = effectiveGain(gain);
  const long double res = resolution(bits);
  const long double span = (static_cast<long double>(high) - low) / g;
  float x = static_cast<float>((value - low / g) * res / span);
  const float top = static_cast<float>(res - 1);
  if (top < x || std::isnan(x)) x = top;
  if (x < 0.0f) x = 0.0f;
  return static_cast<LONG>(x);
}
