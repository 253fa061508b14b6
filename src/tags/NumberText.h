#pragma once

#include <QString>
#include <optional>

// The number an answer reads as: decimal notation with an optional sign, fraction and exponent,
// blanks around it ignored. Anything else, the empty text included, is no number.
std::optional<double> readDecimal(const QString& text);

// The shortest plain decimal text of `value` to 15 significant digits: no exponent, no trailing
// zeros, a minus sign when negative (70, 87.5, -20, 0.00001).
QString shortestDecimal(double value);

// The image height that keeps 4:3 with `width`: 3/4 of a positive width with the fraction
// dropped, 240 for zero or a negative width, 0 when the width is no number or the height would
// not fit in 32 bits.
int suggestedImageHeight(const QString& width);
