// Reads a spectrum's private record and arrays in tests; the class names
// this struct its friend.
#pragma once

#include "spectrum/spectrum.h"

struct SpectrumProbe {
  static SPECINFO& info(Spectrum& s) { return s.info; }
  static float* re(Spectrum& s) { return s.re; }
  static float* im(Spectrum& s) { return s.im; }
};
