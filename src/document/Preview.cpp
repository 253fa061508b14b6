#include "Preview.h"

#include "host/EditBuffer.h"
#include "host/Host.h"
#include "host/TextFile.h"
#include "state/ProgramState.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>

namespace {

const QLatin1String kHead("<head>");

// Writes the preview file next to itself and renames it into place: the recovery copy is never
// half written, and the browser never reads a file that is still being written.
void writePreviewFile(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".part");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written || std::rename(QFile::encodeName(temporary).constData(),
                                QFile::encodeName(path).constData()) != 0)
        QFile::remove(temporary);
}

QString escapeForUrl(QString path) {
    // Only what would change the address's meaning; blanks and other characters stay.
    path.replace(u'%', QLatin1String("%25"));
    path.replace(u'#', QLatin1String("%23"));
    path.replace(u'?', QLatin1String("%3F"));
    return path;
}

} // namespace

Preview::Preview(ProgramState& state, Host& host, EditBuffer& buffer, QTimer* timer1,
                 QObject* parent)
    : QObject(parent), m_state(state), m_host(host), m_buffer(buffer), m_timer(timer1) {}

QString Preview::previewFile() const {
    return m_host.appFile(QStringLiteral("HTML-TGLM-temp.html"));
}

QString Preview::ToFileUrl(const QString& path) {
    if (path.isEmpty())
        return {};
    if (path.size() >= 3 && path[0].isLetter() && path[1] == u':' &&
        (path[2] == u'\\' || path[2] == u'/')) {
        QString rest = path.mid(3);
        rest.replace(u'\\', u'/');
        return QStringLiteral("file:///") + path[0] + QStringLiteral("|/") + rest;
    }
    QString absolute = path.startsWith(u'/') ? path : QDir(path).absolutePath();
    return QStringLiteral("file://") + escapeForUrl(absolute);
}

QString Preview::withBaseElement(const QString& text, const QString& baseAddress,
                                 const QString& quote) {
    if (text.contains(QLatin1String("<base href=")))
        return text;
    const QString replacement =
        QStringLiteral("<head><base href=") + quote + baseAddress + quote + u'>';
    qsizetype found = text.indexOf(kHead, 0, Qt::CaseInsensitive);
    if (found < 0)
        return text;
    QString out;
    out.reserve(text.size() + replacement.size() * 2);
    qsizetype from = 0;
    while (found >= 0) {
        out.append(QStringView(text).mid(from, found - from));
        out.append(replacement);
        from = found + kHead.size();
        found = text.indexOf(kHead, from, Qt::CaseInsensitive);
    }
    out.append(QStringView(text).mid(from));
    return out;
}

void Preview::RefreshPreview() {
    const QString base = ToFileUrl(m_host.workingFolder()) + u'/';
    QString page = withBaseElement(m_buffer.text(), base, m_state.QuoteChar);
    page.append(QLatin1String("\r\n"));
    // UTF-8 with a byte order mark holds every character, and the mark wins over any charset
    // the page declares, so the browser shows it right and recovery gets the text back exactly.
    QByteArray bytes("\xEF\xBB\xBF", 3);
    bytes.append(page.toUtf8());
    writePreviewFile(previewFile(), bytes);
    m_host.navigate(ToFileUrl(previewFile()));
}

void Preview::txtEdit_Change() {
    if (m_buffer.tag().isEmpty() && m_state.settings.PreviewUpdate == 0)
        RefreshPreview();
    m_state.document.DocumentSaved = false;
}

void Preview::applyTimerSetting() {
    if (m_state.settings.PreviewUpdate == 2 && m_state.settings.PreviewInterval > 0) {
        m_timer->start(m_state.settings.PreviewInterval);
    } else {
        m_timer->stop();
    }
}

void Preview::txtEdit_GotFocus() {
    applyTimerSetting();
}

void Preview::txtEdit_LostFocus() {
    m_timer->stop();
}

void Preview::Timer1_Timer() {
    if (m_state.settings.PreviewUpdate == 2)
        RefreshPreview();
}

void Preview::mnuHelpDoc_Click() {
    m_host.navigate(ToFileUrl(m_host.appFile(QStringLiteral("help.html"))));
    m_host.beep();
}
