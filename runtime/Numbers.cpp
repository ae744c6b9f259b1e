#include "runtime/Numbers.h"

#include <cmath>

#include "runtime/VbError.h"

double roundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  double f = std::floor(v);
  double frac = v - f;  // exact: v and f share the exponent range where v has a fraction
  if (frac < 0.5) return f;
  if (frac > 0.5) return f + 1.0;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

Integer CInt(double v) {
  double r = roundHalfEven(v);
  if (std::isnan(r) || r < -32768.0 || r > 32767.0) vbRaise(vberr::Overflow);
  return static_cast<Integer>(r);
}

Long CLng(double v) {
  double r = roundHalfEven(v);
  if (std::isnan(r) || r < -2147483648.0 || r > 2147483647.0) vbRaise(vberr::Overflow);
  return static_cast<Long>(r);
}

double Int(double v) { return std::floor(v); }

double Fix(double v) { return std::trunc(v); }

double vbDiv(double a, double b) {
  if (b == 0.0) vbRaise(a == 0.0 ? vberr::Overflow : vberr::DivisionByZero);
  double r = a / b;
  if (std::isinf(r) && std::isfinite(a)) vbRaise(vberr::Overflow);
  return r;
}

double vbPow(double a, double b) {
  if (a < 0.0 && b != std::floor(b)) vbRaise(vberr::InvalidCall);
  if (a == 0.0 && b < 0.0) vbRaise(vberr::InvalidCall);
  double r = std::pow(a, b);
  if (std::isnan(r)) vbRaise(vberr::InvalidCall);
  if (std::isinf(r) && std::isfinite(a) && std::isfinite(b)) vbRaise(vberr::Overflow);
  return r;
}
