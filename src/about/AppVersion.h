#pragma once

#include <QString>

// The program's version, from the build's project version (major.minor.0.revision): the one
// place it is written is the project() line of the top-level CMakeLists.txt.
struct AppVersion {
    int major;
    int minor;
    int revision; // shown as the update count
};

inline constexpr AppVersion kAppVersion{TAGLOOM_VERSION_MAJOR, TAGLOOM_VERSION_MINOR,
                                        TAGLOOM_VERSION_REVISION};

// The program file's version, "1.2.0.125": the application version, the Debian package's
// and the metainfo release's, which the build takes from the same project() line.
inline QString applicationVersionText(const AppVersion& v) {
    return QStringLiteral("%1.%2.0.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

// The feedback script's address, fixed when building (TAGLOOM_FEEDBACK_URL).
inline QString feedbackScriptAddress() {
    return QStringLiteral(TAGLOOM_FEEDBACK_URL);
}
