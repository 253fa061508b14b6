#include "WholeNumber.h"

#include <cmath>
#include <string>

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    std::string digits;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        digits += char(text[i++].unicode());
    bool any = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        digits += char(text[i++].unicode());
        any = true;
    }
    if (i < n && text[i] == u'.') {
        digits += '.';
        ++i;
        while (i < n && text[i].unicode() < 128 && text[i].isDigit()) {
            digits += char(text[i++].unicode());
            any = true;
        }
    }
    if (!any)
        return 0;
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            exponent += char(text[j++].unicode());
        bool expDigits = false;
        while (j < n && text[j].unicode() < 128 && text[j].isDigit()) {
            exponent += char(text[j++].unicode());
            expDigits = true;
        }
        if (expDigits)
            digits += exponent;
    }
    return std::strtod(digits.c_str(), nullptr);
}

std::optional<long long> wholeNumber(QStringView text, long long min, long long max) {
    const double value = std::nearbyint(leadingNumber(text)); // default rounding: halves to even
    if (!std::isfinite(value) || value < double(min) || value > double(max))
        return std::nullopt;
    return static_cast<long long>(value);
}
