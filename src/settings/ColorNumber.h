#pragma once

#include <QColor>
#include <QString>

// A color number packs red in the low byte, green in the middle byte and blue in the high byte
// (16777215 is white). The settings keep it as decimal text.
inline int colorNumber(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}

inline QColor colorFromNumber(long long number) {
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

// "#" and red, green, blue as two upper-case hexadecimal digits each: (255, 8, 0) is "#FF0800".
inline QString colorCode(int red, int green, int blue) {
    return QStringLiteral("#%1%2%3")
        .arg(red, 2, 16, QLatin1Char('0'))
        .arg(green, 2, 16, QLatin1Char('0'))
        .arg(blue, 2, 16, QLatin1Char('0'))
        .toUpper();
}
