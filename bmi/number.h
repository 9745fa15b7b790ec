#pragma once
// Rounding the BMI; the height and weight are read by merivex::readNumber
// (classic/typed_input.h), the one reader of typed numbers.

// Rounds to the nearest whole number, a tie to the even neighbour
// (22.5 -> 22, 23.5 -> 24), whatever the floating-point rounding mode.
double roundHalfEven(double value);
