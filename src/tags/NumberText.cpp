#include "NumberText.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

std::optional<double> readDecimal(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*([+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?)[ \\t]*$"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double value = m.captured(1).toDouble();
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

QString shortestDecimal(double value) {
    // %g to 15 digits gives the digits and where the point goes; write them out without exponent.
    const QString g = QString::number(value, 'g', 15);
    const qsizetype e = g.indexOf(u'e');
    if (e < 0)
        return g;
    const bool negative = g.startsWith(u'-');
    QString digits = g.left(e).remove(u'-').remove(u'.');
    const int exponent = g.mid(e + 1).toInt();
    QString out;
    if (exponent < 0) {
        out = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    } else if (exponent + 1 >= digits.size()) {
        out = digits + QString(exponent + 1 - digits.size(), u'0');
    } else {
        out = digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
    }
    return negative ? u'-' + out : out;
}

int suggestedImageHeight(const QString& width) {
    const std::optional<double> w = readDecimal(width);
    if (!w)
        return 0;
    if (*w <= 0)
        return 240;
    const double h = std::floor(*w / 4 * 3);
    if (h > std::numeric_limits<int>::max())
        return 0;
    return int(h);
}
