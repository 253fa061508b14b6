#include "PaneLayout.h"

#include <cmath>
#include <limits>

namespace {

std::optional<int> applicable(double size) {
    // A size past what an int holds (a percent of millions in setting.dat) cannot be applied
    // either; converting it would be undefined.
    if (!std::isfinite(size) || size < 0 || size > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(size);
}

} // namespace

PaneLayout computePaneLayout(int W, int H, int textTop, int browserTop, int textWidth,
                             int paneSplit, int percent, int problemsHeight) {
    PaneLayout out;
    out.textHeight = applicable(double(H) - 700 - textTop - problemsHeight);
    if (problemsHeight > 0 && out.textHeight) {
        out.problemsTop = textTop + *out.textHeight;
        out.problemsHeight = problemsHeight;
    }
    std::optional<int> width;
    switch (paneSplit) {
    case 0:
        width = applicable(std::floor(W / 2.0));
        break;
    case 1:
        width = applicable(std::floor(W / 1.5));
        break;
    case 2:
        width = applicable(std::floor(W / 3.0));
        break;
    case 3:
        if (percent != 0)
            width = applicable(std::floor(W / (100.0 / percent)));
        break;
    default:
        out.resetSettings = true;
        return out;
    }
    out.textWidth = width;
    const int effectiveWidth = width.value_or(textWidth);
    out.browserHeight = applicable(double(H) - 700 - browserTop);
    out.browserWidth = applicable(double(W) - effectiveWidth - 100);
    out.browserLeft = effectiveWidth;
    return out;
}
