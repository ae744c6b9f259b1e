// Numbers as the game code uses them: Integer is 16-bit, Long 32-bit, Single float, Double double.
// Storing a fraction into Integer or Long rounds half to even (CInt, CLng) and raises Overflow
// (VbError 6) outside the type's range; Int floors, Fix truncates toward zero.
#pragma once
#include <cstdint>

using Integer = int16_t;
using Long = int32_t;
using Single = float;
using Double = double;

constexpr Integer vbTrue = -1;   // Booleans that take part in arithmetic
constexpr Integer vbFalse = 0;
inline Integer vbBool(bool b) { return b ? vbTrue : vbFalse; }

Integer CInt(double v);   // round half to even; VbError 6 outside -32768..32767 (and for NaN)
Long CLng(double v);      // round half to even; VbError 6 outside the 32-bit range (and for NaN)
double Int(double v);     // largest whole number not above v
double Fix(double v);     // whole part toward zero
double roundHalfEven(double v);

// Checked arithmetic where the game would raise: division by zero raises VbError 11.
double vbDiv(double a, double b);
// a ^ b as the game's language computes it; a negative base with a fractional exponent raises VbError 5.
double vbPow(double a, double b);
