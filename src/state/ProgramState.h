#pragma once

#include "settings/Settings.h"

#include <QString>
#include <array>

// The program-wide state, made once by main() and handed to each subsystem, which takes the
// parts it uses.

struct DocumentState {
    QString DocumentPath;      // full path of the document, "" when none
    bool DocumentSaved = true; // no unsaved changes
};

struct ColorToolState {
    QString ColorToolMode; // "colorset", "txtBack" or "txtColor"
    int LastRed = 0;
    int LastGreen = 0;
    int LastBlue = 0;
};

struct UserTag {
    QString StartTag;
    QString EndTag;
    QString Name;
};

inline constexpr int kUserTagRows = 100;

struct ProgramState {
    Settings settings;
    bool FirstRun = false;
    bool BrowserMode = false;
    QString QuoteChar = QStringLiteral("\"");
    DocumentState document;
    ColorToolState color;
    std::array<UserTag, kUserTagRows> UserTagTable{};
    bool FeedbackNavigated = false;
    bool OptionsLoading = false;
};
