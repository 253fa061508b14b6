#include "TextFile.h"

#include <algorithm>

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const char* const kCp932Name = "windows-31j";

QByteArray bomOf(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF", 3);
    case TextEncoding::Utf16LeBom:
        return QByteArray("\xFF\xFE", 2);
    case TextEncoding::Utf16BeBom:
        return QByteArray("\xFE\xFF", 2);
    default:
        return {};
    }
}

QStringDecoder decoderFor(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Cp932:
        return QStringDecoder(kCp932Name, QStringConverter::Flag::Stateless);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    case TextEncoding::Utf16LeBom:
        return QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
    case TextEncoding::Utf16BeBom:
        return QStringDecoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless);
    }
    return QStringDecoder(QStringConverter::Utf8);
}

QStringEncoder encoderFor(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Cp932:
        return QStringEncoder(kCp932Name, QStringConverter::Flag::Stateless);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    case TextEncoding::Utf16LeBom:
        return QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
    case TextEncoding::Utf16BeBom:
        return QStringEncoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless);
    }
    return QStringEncoder(QStringConverter::Utf8);
}

bool isUnicode(TextEncoding encoding) {
    return encoding != TextEncoding::Cp932;
}

// True when every character survives a trip through the legacy code page unchanged.
bool survivesCp932(QStringView text) {
    QStringEncoder enc = encoderFor(TextEncoding::Cp932);
    const QByteArray bytes = enc.encode(text);
    if (enc.hasError())
        return false;
    QStringDecoder dec = decoderFor(TextEncoding::Cp932);
    const QString back = dec.decode(bytes);
    return !dec.hasError() && back == text;
}

std::optional<TextEncoding> declaredCharset(const QByteArray& bytes) {
    // Only the head of the document can declare its charset.
    static const QRegularExpression charset(
        QStringLiteral("charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_\\-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(4096));
    const QRegularExpressionMatch m = charset.match(head);
    if (!m.hasMatch())
        return std::nullopt;
    const QString name = m.captured(1).toLower();
    if (name == u"utf-8" || name == u"utf8")
        return TextEncoding::Utf8;
    if (name == u"shift_jis" || name == u"shift-jis" || name == u"sjis" || name == u"x-sjis" ||
        name == u"windows-31j" || name == u"cp932" || name == u"ms932" || name == u"ms_kanji")
        return TextEncoding::Cp932;
    return std::nullopt;
}

} // namespace

QString encodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Cp932:
        return QStringLiteral("Shift_JIS (CP932)");
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf8Bom:
        return QStringLiteral("UTF-8 (BOM)");
    case TextEncoding::Utf16LeBom:
        return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16BeBom:
        return QStringLiteral("UTF-16BE");
    }
    return {};
}

std::optional<QString> decodeText(const QByteArray& bytes, TextEncoding encoding) {
    const QByteArray bom = bomOf(encoding);
    QByteArrayView body(bytes);
    if (!bom.isEmpty() && body.startsWith(bom))
        body = body.sliced(bom.size());
    QStringDecoder dec = decoderFor(encoding);
    if (!dec.isValid())
        return std::nullopt;
    QString text = dec.decode(body);
    if (dec.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp932 && !survivesCp932(text))
        return std::nullopt;
    QStringEncoder enc = encoderFor(encoding);
    QByteArray bytes = bomOf(encoding) + enc.encode(text);
    if (enc.hasError())
        return std::nullopt;
    return bytes;
}

QStringList unencodableCharacters(const QString& text, TextEncoding encoding) {
    QStringList out;
    if (isUnicode(encoding) || survivesCp932(text))
        return out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, n);
        if (!out.contains(ch) && !survivesCp932(ch))
            out << ch;
        i += n - 1;
    }
    return out;
}

TextEncoding detectEncoding(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8Bom;
    if (bytes.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16LeBom;
    if (bytes.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16BeBom;
    if (const auto declared = declaredCharset(bytes))
        return *declared;
    // Plain ASCII reads the same either way; it stays the program's own code page, so Japanese
    // typed into it later is saved as a new document would be.
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char b) { return b >= 0; });
    if (!ascii && decodeText(bytes, TextEncoding::Utf8))
        return TextEncoding::Utf8;
    return TextEncoding::Cp932;
}

std::optional<DecodedText> readTextFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const TextEncoding encoding = detectEncoding(bytes);
    std::optional<QString> text = decodeText(bytes, encoding);
    if (!text) {
        if (error)
            *error =
                QStringLiteral("%1 として読めない文字が含まれています").arg(encodingName(encoding));
        return std::nullopt;
    }
    return DecodedText{*text, encoding};
}

QString linesToCrLf(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 32 + 2);
    qsizetype lineStart = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        out.append(QStringView(text).mid(lineStart, i - lineStart));
        out.append(QLatin1String("\r\n"));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < n) {
        out.append(QStringView(text).mid(lineStart));
        out.append(QLatin1String("\r\n"));
    }
    return out;
}

LineEnding detectLineEnding(const QString& text) {
    const qsizetype i = text.indexOf(u'\n');
    if (i < 0 || (i > 0 && text.at(i - 1) == u'\r'))
        return LineEnding::CrLf;
    return LineEnding::Lf;
}

bool writeFileAtomic(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QByteArray encodeInternal(const QString& text) {
    if (std::optional<QByteArray> bytes = encodeText(text, TextEncoding::Cp932))
        return *bytes;
    return *encodeText(text, TextEncoding::Utf8Bom);
}

bool writeInternalFile(const QString& path, const QString& text, QString* error) {
    return writeFileAtomic(path, encodeInternal(text), error);
}

std::optional<QString> readInternalFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    for (TextEncoding bom :
         {TextEncoding::Utf8Bom, TextEncoding::Utf16LeBom, TextEncoding::Utf16BeBom})
        if (bytes.startsWith(bomOf(bom)))
            return decodeText(bytes, bom);
    if (std::optional<QString> text = decodeText(bytes, TextEncoding::Cp932))
        return text;
    return decodeText(bytes, TextEncoding::Utf8);
}
