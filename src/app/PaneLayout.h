#pragma once

#include <optional>

// The pane layout in twips. A value left empty is not applied: a division that fails leaves the
// width as it was, and a negative size cannot be applied.
struct PaneLayout {
    bool resetSettings = false; // PaneSplit outside 0..3
    std::optional<int> textHeight;
    std::optional<int> textWidth;
    std::optional<int> browserHeight;
    std::optional<int> browserWidth;
    std::optional<int> browserLeft;
    // The problems panel under the text pane, when it is open: its top edge and height.
    std::optional<int> problemsTop;
    int problemsHeight = 0;
};

// `outerWidth` and `outerHeight` are the main window's outer size; `textWidth` is the text
// pane's current width, kept when the split cannot be computed. An open problems panel of
// `problemsHeight` takes that much from the bottom of the text pane, and gives it back closed.
PaneLayout computePaneLayout(int outerWidth, int outerHeight, int textTop, int browserTop,
                             int textWidth, int paneSplit, int paneSplitPercent,
                             int problemsHeight = 0);
