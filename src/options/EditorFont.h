#pragma once

class Host;
class QWidget;
struct Settings;

// PickEditorFont: the host's font dialog, preselected with the editor font. OK puts the chosen
// name and size (rounded, halves to even) into the settings and answers true; cancel says so
// and answers false with the settings unchanged.
bool PickEditorFont(Settings& settings, Host& host);

// Gives txtEdit the settings' font; false, leaving the font as it was, when the text box
// cannot take it (no font name).
bool applyEditorFontTo(QWidget* txtEdit, const Settings& settings);
