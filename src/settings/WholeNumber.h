#pragma once

#include <QStringView>
#include <optional>

// The number at the start of a text: leading blanks skipped, reading stops at the first
// character that cannot continue the number; an empty or non-numeric text reads as 0.
double leadingNumber(QStringView text);

// leadingNumber rounded to the nearest whole number, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4); nullopt when it lies outside [min, max].
std::optional<long long> wholeNumber(QStringView text, long long min, long long max);
