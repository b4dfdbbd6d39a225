// Analysis windows and the sinc function for spectral work on doubles.
//
// Free functions, no state: any thread may call them. MakeWindow allocates,
// so it belongs in set-up code, never on the audio thread.
#pragma once

#include <cstdint>
#include <memory>

// Window kinds. Any value outside 1..13 gives the Hamming window, so the
// type is an open enumeration over int32_t.
enum EWindowKind : int32_t
{
  kWindowBlackman = 1,
  kWindowKaiser4 = 2,
  kWindowKaiser5 = 3,
  kWindowKaiser6 = 4,
  kWindowKaiser8 = 5,
  kWindowRectangular = 6,
  kWindowHann = 7,
  kWindowBartlett = 8,
  kWindowBlackmanHarris4 = 9,
  kWindowFlatTop = 10,
  kWindowHannSquared = 11,
  kWindowSinc = 12,
  kWindowBlackmanHarris7 = 13,
};

// sin(x) / x, and exactly 1.0 when |x| < 1e-14 (where the quotient would
// lose its digits).
double Sinc(double x);

// The zeroth-order modified Bessel function of the first kind, by its power
// series; the Kaiser windows are built from it.
double BesselI0(double x);

// A window of length values of the given kind, w[n] for n = 0 .. length-1.
// The cosine windows and the Kaiser windows are symmetric about
// (length - 1) / 2; the sinc window is centred on length / 2.
// When normalise is true every value is divided by the sum of all values, so
// that the window sums to 1; a window whose values sum to 0 is left as it is.
// A length of 1 gives {1.0} whatever the kind (a one-point window has no
// shape). A length below 1 is refused: the result is null.
std::unique_ptr<double[]> MakeWindow(int32_t length, EWindowKind kind, bool normalise);
