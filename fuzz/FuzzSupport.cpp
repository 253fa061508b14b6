#include "FuzzSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Widgets without a screen: a target builds panes and menus but never shows them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Warnings printed a million times would only slow the run; a fatal message still aborts.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "Qt fatal: %s\n", qPrintable(message));
            std::abort();
        }
    });
    // Kept for the whole run and never destroyed: libFuzzer ends the process with exit().
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    new QApplication(qtArgc, qtArgv);
    // The panes lay out what they hold, as the program's do, but with the default font alone: a
    // character it lacks is drawn as its missing glyph instead of being looked up among every
    // installed font again, run after run. No property here looks at glyphs.
    QFont font = QApplication::font();
    font.setStyleStrategy(QFont::NoFontMerging);
    QApplication::setFont(font);
    return 0;
}

namespace fuzz {

uint32_t Input::number(uint32_t max) {
    uint64_t value = 0;
    for (uint64_t span = max; span > 0 && m_at < m_size; span >>= 8)
        value = (value << 8) | byte();
    return max == UINT32_MAX ? uint32_t(value) : uint32_t(value % (uint64_t(max) + 1));
}

QByteArray Input::until(char separator) {
    const size_t begin = m_at;
    while (m_at < m_size && m_data[m_at] != separator)
        ++m_at;
    QByteArray out(m_data + begin, qsizetype(m_at - begin));
    if (m_at < m_size)
        ++m_at;
    return out;
}

QByteArray Input::rest() {
    QByteArray out(m_data + m_at, qsizetype(m_size - m_at));
    m_at = m_size;
    return out;
}

namespace {

// The length of the UTF-8 sequence at `at` when it is a valid one, else 0.
qsizetype utf8Length(QByteArrayView bytes, qsizetype at) {
    const auto lead = uchar(bytes[at]);
    const qsizetype n = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (n == 0 || at + n > bytes.size())
        return 0;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(bytes.sliced(at, n));
    return decoder.hasError() || decoded.isEmpty() ? 0 : n;
}

} // namespace

QString textOf(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = uchar(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
        } else if (b == 0xFE && i + 2 < bytes.size()) {
            out.append(QChar(char16_t(uchar(bytes[i + 1]) << 8 | uchar(bytes[i + 2]))));
            i += 3;
        } else if (const qsizetype n = utf8Length(bytes, i)) {
            out.append(QString::fromUtf8(bytes.sliced(i, n)));
            i += n;
        } else {
            out.append(QChar(b));
            ++i;
        }
    }
    return out;
}

QString shown(QStringView text) {
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'\\')
            out.append(c);
        else
            out.append(QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')));
    }
    return out;
}

QString shown(QByteArrayView bytes) {
    QString out;
    for (const char b : bytes) {
        const auto u = uchar(b);
        if (u >= 0x20 && u < 0x7F && u != '\\')
            out.append(QChar(u));
        else
            out.append(QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0')));
    }
    return out;
}

void fail(const char* property, const QString& detail) {
    std::fprintf(stderr, "\n==== Broken property: %s\n", property);
    if (!detail.isEmpty())
        std::fprintf(stderr, "%s\n", detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

void deliverPostedEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString scratchFolder() {
    // Removed when the process ends by exit(), as libFuzzer ends it; a crash leaves it behind.
    static const QTemporaryDir dir([] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        return (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath()) +
               QStringLiteral("/tagloom-fuzz-XXXXXX");
    }());
    if (!dir.isValid())
        fail("a scratch folder could be made", dir.errorString());
    return dir.path();
}

void writeFile(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size())
        fail("the scratch file could be written", path);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace fuzz
