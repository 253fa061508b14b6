#include "Preview.h"

#include "host/EditBuffer.h"
#include "host/Host.h"
#include "host/TextFile.h"
#include "state/ProgramState.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

const QLatin1String kHead("<head>");

// The recovery note closes every preview file. It records what the preview changed in the
// buffer's text: the element put after each head tag, and how each of those tags was spelt
// (one hexadecimal digit a tag, bit n set when its n-th letter was a capital).
const char kNoteStart[] = "<!-- tagloom-recovery";
const char kNoteEnd[] = " -->";

QByteArray recoveryNote(const std::vector<char>& headCases, const QByteArray& element) {
    QByteArray note(kNoteStart);
    if (!headCases.empty()) {
        note += " heads=";
        note.append(headCases.data(), qsizetype(headCases.size()));
        // Percent-encoded, so the note can never close itself early.
        note += " base=" + element.toPercentEncoding(QByteArray(), "-");
    }
    note += kNoteEnd;
    return note;
}

// Writes the preview file next to itself and renames it into place: the recovery copy is never
// half written, and the browser never reads a file that is still being written.
// Returns the system's reason when the file could not be written.
std::optional<QString> writePreviewFile(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".part");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    const bool written = file.write(bytes) == bytes.size();
    QString reason = file.errorString();
    file.close();
    if (written && std::rename(QFile::encodeName(temporary).constData(),
                               QFile::encodeName(path).constData()) == 0)
        return std::nullopt;
    if (written)
        reason = QString::fromLocal8Bit(std::strerror(errno));
    QFile::remove(temporary);
    return reason;
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

QByteArray Preview::previewBytes(const QString& raw, const QString& baseAddress,
                                 const QString& quote) {
    // ASCII bytes never occur inside a UTF-8 sequence, so tags can be found in the bytes.
    const QByteArray text = raw.toUtf8();
    const char* const data = text.constData();
    const qsizetype size = text.size();
    static const char kBase[] = "<base href=";
    std::vector<qsizetype> heads;
    std::vector<char> headCases;
    bool hasBase = false;
    for (const char* p = static_cast<const char*>(std::memchr(data, '<', size)); p;) {
        const qsizetype at = p - data;
        if (size - at >= 11 && std::memcmp(p, kBase, 11) == 0) {
            hasBase = true;
            break;
        }
        if (size - at >= 6 && std::equal(p + 1, p + 6, "head>", [](char a, char b) {
                return (a >= 'A' && a <= 'Z' ? char(a + 32) : a) == b;
            })) {
            heads.push_back(at);
            int mask = 0;
            for (int i = 0; i < 4; ++i)
                if (p[1 + i] >= 'A' && p[1 + i] <= 'Z')
                    mask |= 1 << i;
            headCases.push_back("0123456789ABCDEF"[mask]);
        }
        p = static_cast<const char*>(std::memchr(p + 1, '<', size - at - 1));
    }
    if (hasBase) {
        heads.clear();
        headCases.clear();
    }
    const QByteArray baseElement =
        (QStringLiteral("<base href=") + quote + baseAddress + quote + u'>').toUtf8();
    const QByteArray element = "<head>" + baseElement;
    const QByteArray note = recoveryNote(headCases, baseElement);

    QByteArray out;
    out.reserve(size + size / 64 + qsizetype(heads.size()) * element.size() + note.size() + 8);
    out.append("\xEF\xBB\xBF", 3);
    // U+2029 between lines is E2 80 A9 in UTF-8; each becomes CR LF.
    auto appendLines = [&](qsizetype from, qsizetype to) {
        while (from < to) {
            const void* hit = std::memchr(data + from, '\xE2', to - from);
            const qsizetype at = hit ? static_cast<const char*>(hit) - data : to;
            if (at >= to) {
                out.append(data + from, to - from);
                return;
            }
            if (to - at >= 3 && data[at + 1] == '\x80' && data[at + 2] == '\xA9') {
                out.append(data + from, at - from);
                out.append("\r\n", 2);
                from = at + 3;
            } else {
                out.append(data + from, at + 1 - from);
                from = at + 1;
            }
        }
    };
    qsizetype from = 0;
    for (const qsizetype head : heads) {
        appendLines(from, head);
        out.append(element);
        from = head + 6;
    }
    appendLines(from, size);
    out.append("\r\n", 2);
    out.append(note);
    return out;
}

std::optional<QString> Preview::recoveredText(const QByteArray& fileBytes) {
    QByteArrayView bytes(fileBytes);
    if (!bytes.startsWith("\xEF\xBB\xBF") || !bytes.endsWith(kNoteEnd))
        return std::nullopt;
    bytes = bytes.sliced(3);
    const qsizetype noteAt = bytes.lastIndexOf(QByteArrayView(kNoteStart));
    if (noteAt < 2 || bytes.sliced(noteAt - 2, 2) != "\r\n")
        return std::nullopt;
    const QByteArrayView body = bytes.first(noteAt - 2);
    const QByteArrayView note = bytes.sliced(noteAt + qsizetype(sizeof kNoteStart) - 1)
                                    .chopped(qsizetype(sizeof kNoteEnd) - 1);

    QByteArray text;
    if (note.isEmpty()) {
        text = body.toByteArray();
    } else {
        // " heads=<digits> base=<percent-encoded element>"
        const QList<QByteArray> fields = note.toByteArray().trimmed().split(' ');
        if (fields.size() != 2 || !fields[0].startsWith("heads=") || !fields[1].startsWith("base="))
            return std::nullopt;
        const QByteArray cases = fields[0].mid(6);
        const QByteArray inserted = "<head>" + QByteArray::fromPercentEncoding(fields[1].mid(5));
        text.reserve(body.size());
        qsizetype from = 0;
        for (const char digit : cases) {
            const qsizetype at = body.indexOf(QByteArrayView(inserted), from);
            const int mask = QByteArray(1, digit).toInt(nullptr, 16);
            if (at < 0 || mask < 0 || !std::isxdigit(static_cast<unsigned char>(digit)))
                return std::nullopt;
            text.append(body.sliced(from, at - from));
            text.append('<');
            for (int i = 0; i < 4; ++i)
                text.append(mask & (1 << i) ? "HEAD"[i] : "head"[i]);
            text.append('>');
            from = at + inserted.size();
        }
        text.append(body.sliced(from));
    }
    return decodeText(text, TextEncoding::Utf8);
}

void Preview::RefreshPreview() {
    m_refreshQueued = false;
    const QString base = ToFileUrl(m_host.workingFolder()) + u'/';
    // UTF-8 with a byte order mark holds every character, and the mark wins over any charset
    // the page declares, so the browser shows it right and recovery gets the text back exactly.
    const std::optional<QString> failure =
        writePreviewFile(previewFile(), previewBytes(m_buffer.rawText(), base, m_state.QuoteChar));
    // The preview file is also the recovery copy: say once in a run that there is none, rather
    // than on every keystroke or never.
    if (failure && !m_reportedWriteFailure) {
        m_reportedWriteFailure = true;
        m_host.messageBox(
            QStringLiteral("プレビュー用のファイルを書き込めません。プレビューは更新さ"
                           "れず、異常終了したときの復元もできません。\r\n") +
                previewFile() + QStringLiteral("\r\n") + *failure,
            Buttons::Ok, Icon::Exclamation, QStringLiteral("プレビュー"));
    }
    if (!failure)
        m_reportedWriteFailure = false;
    m_host.navigate(ToFileUrl(previewFile()));
}

void Preview::txtEdit_Change() {
    if (m_buffer.tag().isEmpty() && m_state.settings.PreviewUpdate == 0 && !m_refreshQueued) {
        m_refreshQueued = true;
        QTimer::singleShot(0, this, [this] {
            if (m_refreshQueued)
                RefreshPreview();
        });
    }
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
    m_host.navigate(ToFileUrl(m_host.helpFile()));
    m_host.beep();
}
