#include "HighlightColors.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

double channel(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor mix(const QColor& from, const QColor& to, double amount) {
    const auto m = [amount](double a, double b) { return a + (b - a) * amount; };
    return QColor::fromRgbF(float(m(from.redF(), to.redF())), float(m(from.greenF(), to.greenF())),
                            float(m(from.blueF(), to.blueF())));
}

// The lowest contrast of `c` against each of the backgrounds text may be drawn on.
double worstContrast(const QColor& c, std::initializer_list<QColor> grounds) {
    double worst = 21;
    for (const QColor& g : grounds)
        worst = std::min(worst, contrastRatio(c, g));
    return worst;
}

// A tint of the background toward `toward`, as strong as `wanted` allows while `extreme`
// keeps a margin above 4.5:1 on it (on a mid grey the tint all but vanishes).
QColor tint(const QColor& background, const QColor& toward, double wanted, const QColor& extreme) {
    double amount = wanted;
    for (int k = 0; k < 20; ++k, amount *= 0.7) {
        const QColor t = mix(background, toward, amount);
        if (contrastRatio(extreme, t) >= 4.6)
            return t;
    }
    return background;
}

// The colour of hue `hue` closest to the background's lightness that still reads at `goal` on
// every ground; the extreme itself when nothing else does.
QColor accent(int hue, double saturation, double goal, const QColor& extreme,
              std::initializer_list<QColor> grounds) {
    const bool darkText = extreme.lightnessF() < 0.5;
    const auto at = [&](double lightness) {
        return QColor::fromHslF(hue < 0 ? 0 : float(hue) / 360.f, hue < 0 ? 0.f : float(saturation),
                                float(lightness));
    };
    // Lightness runs from the extreme (0 or 1) toward the middle; find the point nearest the
    // middle that still reads.
    double readable = darkText ? 0.0 : 1.0;
    double middle = 0.5;
    const double reachable = worstContrast(extreme, grounds);
    goal = std::min(goal, reachable);
    if (worstContrast(at(middle), grounds) >= goal)
        return at(middle);
    for (int k = 0; k < 24; ++k) {
        const double probe = (readable + middle) / 2;
        if (worstContrast(at(probe), grounds) >= goal)
            readable = probe;
        else
            middle = probe;
    }
    const QColor c = at(readable);
    return worstContrast(c, grounds) >= 4.5 ? c : extreme;
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

HighlightColors deriveHighlightColors(const QColor& background) {
    HighlightColors c;
    c.background = background.toRgb();
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const bool light = contrastRatio(black, c.background) >= contrastRatio(white, c.background);
    const QColor extreme = light ? black : white;

    c.currentLine = tint(c.background, extreme, 0.06, extreme);
    c.matchedTag =
        tint(c.background, QColor(light ? 0x30 : 0x60, light ? 0x90 : 0xc0, 0xff), 0.22, extreme);
    c.unmatchedTag = tint(c.background, QColor(0xff, 0x30, 0x30), 0.22, extreme);
    c.searchHit = tint(c.background, QColor(0xff, 0xd0, 0x00), light ? 0.55 : 0.35, extreme);

    const auto grounds = {c.background, c.currentLine, c.matchedTag, c.unmatchedTag, c.searchHit};
    // Accents a little above the minimum, so they read comfortably; the numbers just at it.
    const double goal = 6.0;
    c.tag = accent(220, 0.85, goal, extreme, grounds);
    c.attributeName = accent(28, 0.85, goal, extreme, grounds);
    c.attributeValue = accent(130, 0.75, goal, extreme, grounds);
    c.comment = accent(100, 0.25, goal, extreme, grounds);
    c.entity = accent(300, 0.7, goal, extreme, grounds);
    c.doctype = accent(250, 0.45, goal, extreme, grounds);
    c.embedded = accent(190, 0.8, goal, extreme, grounds);
    c.embeddedString = accent(0, 0.75, goal, extreme, grounds);
    c.lineNumber = accent(-1, 0, 4.6, extreme, grounds);
    c.unmatchedMarker = accent(0, 0.95, 4.6, extreme, grounds);
    c.problemError = c.unmatchedMarker;
    c.problemWarning = accent(38, 1.0, 4.6, extreme, grounds);
    c.fullWidthSpace = accent(200, 0.3, 4.6, extreme, grounds);
    return c;
}
