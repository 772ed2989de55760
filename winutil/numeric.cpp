// Numeric helpers shared by all modules.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "winutil/winkit.h"

int CVIsNAN(double x) { return std::isnan(x) ? 1 : 0; }

int CVIsINF(double x) { return std::isfinite(x) ? 0 : 1; }

// Marks a float as undefined by setting its upper 16 bits to 0xFF80 (a
// negative quiet NaN pattern once the mantissa is non-zero; with a zero
// lower half it is negative infinity, which CVIsINF also reports).
int CVMakeFloatNAN(float* x) {
  std::uint32_t bits;
  std::memcpy(&bits, x, sizeof bits);
  bits = (bits & 0x0000FFFFu) | 0xFF800000u;
  std::memcpy(x, &bits, sizeof bits);
  return 1;
}

int CVIsPow2(unsigned n) { return n != 0 && (n & (n - 1)) == 0 ? 1 : 0; }

// The smallest power of two not below n as a 32-bit value; 0 when it does
// not fit (n above 2^31).
int CVNextPow2(unsigned n) {
  if (n == 0) return 1;
  if (n > 0x80000000u) return 0;
  std::uint32_t p = 1;
  while (p < n) p <<= 1;
  return static_cast<int>(p);
}

double CVmax(double a, double b) { return a > b ? a : b; }
double CVmin(double a, double b) { return a < b ? a : b; }
double CVmax(double a, double b, double c) { return CVmax(CVmax(a, b), c); }
double CVmin(double a, double b, double c) { return CVmin(CVmin(a, b), c); }

double CVmid(double a, double b, double c) {
  if ((a >= b && a <= c) || (a <= b && a >= c)) return a;
  if ((b >= a && b <= c) || (b <= a && b >= c)) return b;
  return c;
}

int CVsignum(double x) { return x >= 0 ? 1 : -1; }
