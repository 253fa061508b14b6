#include "EditorFont.h"

#include "host/Host.h"
#include "settings/Settings.h"

#include <QWidget>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

bool PickEditorFont(Settings& settings, Host& host) {
    FontChoice initial;
    if (settings.EditorFontName != u"初期設定")
        initial.name = settings.EditorFontName;
    if (settings.EditorFontSize > 0)
        initial.pointSize = settings.EditorFontSize;
    const std::optional<FontChoice> chosen = host.fontDialog(initial);
    if (!chosen) {
        host.beep();
        host.messageBox(u"キャンセルしました。変更されません"_s, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    settings.EditorFontName = chosen->name;
    settings.EditorFontSize = int(std::nearbyint(chosen->pointSize));
    return true;
}

bool applyEditorFontTo(QWidget* txtEdit, const Settings& settings) {
    if (settings.EditorFontName.trimmed().isEmpty())
        return false;
    if (!txtEdit)
        return true;
    QFont font = txtEdit->font();
    font.setFamilies({settings.EditorFontName});
    if (settings.EditorFontSize > 0)
        font.setPointSize(settings.EditorFontSize);
    txtEdit->setFont(font);
    return true;
}
