// setting.dat. Whatever bytes the file holds, LoadSettings fills all fourteen fields, each within
// its type, the colors as color numbers, and the pane layout either applies the record or takes
// the settings reset; the record then composes into a line that loads back as the same record.
// A record as the options dialog may hold one either composes into such a line or is refused.
#include "FuzzSupport.h"
#include "app/PaneLayout.h"
#include "settings/SettingsFile.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

bool operator==(const Settings& a, const Settings& b) {
    return SettingsFile::fieldsOf(a) == SettingsFile::fieldsOf(b);
}

QString described(const Settings& s) {
    return fuzz::shown(SettingsFile::fieldsOf(s).join(QStringLiteral(" | ")));
}

bool isColorNumber(const QString& text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    return ok && !text.isEmpty() && text.size() <= 8 &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }) &&
           value <= 16777215;
}

bool holdsNoBreakOrSeparator(const QString& field) {
    return !field.contains(QLatin1String(kSettingsSeparator)) && !field.contains(u'\r') &&
           !field.contains(u'\n');
}

const QString& folder() {
    static const QString path = fuzz::scratchFolder();
    return path;
}

QString settingsFile() {
    return SettingsFile::fileName(folder());
}

Settings load() {
    Settings s;
    bool firstRun = true;
    FUZZ_CHECK(LoadSettings(QString(), s, firstRun, folder()));
    FUZZ_CHECK(!firstRun);
    return s;
}

// The main window's layout with these settings, on screens from small to large.
void layoutAppliesOrResets(const Settings& s) {
    for (const int width : {0, 1440, 19200, 76800}) {
        const PaneLayout layout =
            computePaneLayout(width, width / 2, 360, 360, 9000, s.PaneSplit, s.PaneSplitPercent);
        FUZZ_CHECK(layout.resetSettings == (s.PaneSplit < 0 || s.PaneSplit > 3), described(s));
        // A percent over 100 may put the text pane past the window's edge, as the record says;
        // it never makes a size that is not one.
        if (layout.textWidth)
            FUZZ_CHECK(*layout.textWidth >= 0, described(s));
        if (layout.browserWidth)
            FUZZ_CHECK(*layout.browserWidth >= 0, described(s));
    }
}

// The record composes into a line that the file then gives back as the same record; or, when a
// field cannot be written, nothing is written.
void composesAndLoadsBack(const Settings& s) {
    const QByteArray before = fuzz::readFile(settingsFile());
    const std::optional<QString> line = SettingsFile::composeLine(SettingsFile::fieldsOf(s));
    bool firstRun = false;
    Settings ignored;
    if (!line || !LoadSettings(*line, ignored, firstRun, folder())) {
        FUZZ_CHECK(fuzz::readFile(settingsFile()) == before, described(s));
        return;
    }
    const Settings back = load();
    FUZZ_CHECK(back == s, u"composed: "_s + described(s) + u"\nloaded:   "_s + described(back));
}

// A record as the options dialog holds one: any texts, any numbers of each field's type, colors
// as color numbers (the color tool makes them, the file's are checked on reading).
Settings anyRecord(fuzz::Input& in) {
    auto text = [&in] { return fuzz::textOf(in.until('\0')); };
    auto number = [&in](auto& field) {
        field = static_cast<std::decay_t<decltype(field)>>(in.number(UINT32_MAX));
    };
    Settings s;
    s.StartPage = text();
    number(s.PreviewUpdate);
    s.EditorForeColor = QString::number(in.number(16777215));
    s.EditorBackColor = QString::number(in.number(16777215));
    s.StartPageOnWeb = in.flag();
    number(s.BrOnEnter);
    number(s.PreviewInterval);
    number(s.StartMaximized);
    number(s.OpenLastFolder);
    s.LastDocumentPath = text();
    number(s.PaneSplit);
    number(s.PaneSplitPercent);
    s.EditorFontName = text();
    number(s.EditorFontSize);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The file as it may be found.
    fuzz::writeFile(settingsFile(), QByteArrayView(data, qsizetype(size)));
    const Settings read = load();
    for (const QString& color : {read.EditorForeColor, read.EditorBackColor})
        FUZZ_CHECK(isColorNumber(color), described(read));
    for (const QString& field : {read.StartPage, read.LastDocumentPath, read.EditorFontName})
        FUZZ_CHECK(holdsNoBreakOrSeparator(field), described(read));
    layoutAppliesOrResets(read);
    composesAndLoadsBack(read);

    // The same bytes as a record's values.
    fuzz::Input in(data, size);
    composesAndLoadsBack(anyRecord(in));
    QFile::remove(settingsFile());
    return 0;
}
