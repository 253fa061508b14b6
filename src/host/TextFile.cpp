#include "TextFile.h"

#include "LargeMemory.h"
#include "RegularFile.h"

#include <algorithm>
#include <limits>

#include <unicode/ucsdet.h>

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const char* const kCp932Name = "windows-31j";

const char* legacyName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::EucJp:
        return "EUC-JP";
    case TextEncoding::Iso2022Jp:
        return "ISO-2022-JP";
    default:
        return kCp932Name;
    }
}

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

// decodeText skips the mark itself: a mark after it is the text's own U+FEFF, which the decoder
// is to keep, not to take for another mark.
QStringDecoder decoderFor(TextEncoding encoding) {
    constexpr auto flags =
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    switch (encoding) {
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
    case TextEncoding::Iso2022Jp:
        return QStringDecoder(legacyName(encoding), flags);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return QStringDecoder(QStringConverter::Utf8, flags);
    case TextEncoding::Utf16LeBom:
        return QStringDecoder(QStringConverter::Utf16LE, flags);
    case TextEncoding::Utf16BeBom:
        return QStringDecoder(QStringConverter::Utf16BE, flags);
    }
    return QStringDecoder(QStringConverter::Utf8);
}

QStringEncoder encoderFor(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
    case TextEncoding::Iso2022Jp:
        return QStringEncoder(legacyName(encoding), QStringConverter::Flag::Stateless);
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
    return encoding != TextEncoding::Cp932 && encoding != TextEncoding::EucJp &&
           encoding != TextEncoding::Iso2022Jp;
}

// Whether texts survive a trip through a legacy code page unchanged. One pair of converters
// serves every text that passes: making an ICU converter costs more than converting a
// character, and the characters of a long document are checked one by one. A converter that
// has met an error keeps saying so (and Qt's reset closes an ICU converter), so a failed trip
// makes a new pair.
class RoundTrip {
public:
    explicit RoundTrip(TextEncoding encoding)
        : m_encoding(encoding), m_encoder(encoderFor(encoding)), m_decoder(decoderFor(encoding)) {}

    bool survives(QStringView text) {
        const QByteArray bytes = m_encoder.encode(text);
        bool survived = !m_encoder.hasError();
        if (survived) {
            const QString back = m_decoder.decode(bytes);
            survived = !m_decoder.hasError() && back == text;
        }
        if (!survived) {
            m_encoder = encoderFor(m_encoding);
            m_decoder = decoderFor(m_encoding);
        }
        return survived;
    }

private:
    TextEncoding m_encoding;
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
};

bool survives(QStringView text, TextEncoding encoding) {
    return RoundTrip(encoding).survives(text);
}

// The Japanese encodings ICU's detector sees in the bytes, most likely first. Where Shift_JIS
// is about as likely as another, Shift_JIS (CP932) goes first.
QList<TextEncoding> guessedEncodings(const QByteArray& bytes) {
    // A page's first 16 KB tell its encoding as well as the whole would, much sooner.
    const qsizetype kSample = 16 * 1024;
    QList<std::pair<TextEncoding, int>> found;
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector* detector = ucsdet_open(&status);
    if (U_FAILURE(status))
        return {};
    ucsdet_setText(detector, bytes.constData(), int(std::min<qsizetype>(bytes.size(), kSample)),
                   &status);
    int count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector, &count, &status);
    for (int i = 0; U_SUCCESS(status) && i < count; ++i) {
        const char* name = ucsdet_getName(matches[i], &status);
        const int confidence = ucsdet_getConfidence(matches[i], &status);
        if (U_FAILURE(status) || !name)
            break;
        const QByteArray n(name);
        if (n == "UTF-8")
            found.append({TextEncoding::Utf8, confidence});
        else if (n == "Shift_JIS")
            found.append({TextEncoding::Cp932, confidence});
        else if (n == "EUC-JP")
            found.append({TextEncoding::EucJp, confidence});
        else if (n == "ISO-2022-JP")
            found.append({TextEncoding::Iso2022Jp, confidence});
    }
    ucsdet_close(detector);
    const int kInDoubt = 10;
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    for (qsizetype i = 1; i < found.size(); ++i) {
        if (found[i].first == TextEncoding::Cp932 &&
            found[0].second - found[i].second <= kInDoubt) {
            found.move(i, 0);
            break;
        }
    }
    QList<TextEncoding> out;
    for (const auto& [encoding, confidence] : found)
        out.append(encoding);
    return out;
}

// The whole of an open file. A large one is read into memory backed by huge pages.
QByteArray readAllBytes(QFile& file) {
    const qint64 size = file.size();
    if (size <= 0 || size >= std::numeric_limits<qsizetype>::max() / 2)
        return file.readAll(); // an empty file, one that tells no size, or one no buffer holds
    QByteArray bytes;
    reserveLargeBytes(bytes, size);
    bytes.resize(size);
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(bytes.data() + got, size - got);
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    // A file that grew while it was read is read to its new end.
    if (got == size && !file.atEnd())
        bytes += file.readAll();
    return bytes;
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
    if (name == u"euc-jp" || name == u"x-euc-jp" || name == u"eucjp" || name == u"ujis" ||
        name == u"cseucpkdfmtjapanese")
        return TextEncoding::EucJp;
    if (name == u"iso-2022-jp" || name == u"csiso2022jp" || name == u"jis")
        return TextEncoding::Iso2022Jp;
    return std::nullopt;
}

// One of the program's own files: a byte order mark is honoured, else CP932, else UTF-8.
std::optional<QString> decodeInternal(const QByteArray& bytes) {
    for (TextEncoding bom :
         {TextEncoding::Utf8Bom, TextEncoding::Utf16LeBom, TextEncoding::Utf16BeBom})
        if (bytes.startsWith(bomOf(bom)))
            return decodeText(bytes, bom);
    if (std::optional<QString> text = decodeText(bytes, TextEncoding::Cp932))
        return text;
    return decodeText(bytes, TextEncoding::Utf8);
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
    case TextEncoding::EucJp:
        return QStringLiteral("EUC-JP");
    case TextEncoding::Iso2022Jp:
        return QStringLiteral("ISO-2022-JP");
    }
    return {};
}

std::optional<QString> decodeText(const QByteArray& bytes, TextEncoding encoding) {
    const QByteArray bom = bomOf(encoding);
    QByteArrayView body(bytes);
    if (!bom.isEmpty() && body.startsWith(bom))
        body = body.sliced(bom.size());
    // Qt's decoder would make an odd last byte U+FFFD, and saving would not give the byte back.
    if ((encoding == TextEncoding::Utf16LeBom || encoding == TextEncoding::Utf16BeBom) &&
        body.size() % 2 != 0)
        return std::nullopt;
    QStringDecoder dec = decoderFor(encoding);
    if (!dec.isValid())
        return std::nullopt;
    QString text;
    reserveLargeText(text, dec.requiredSpace(body.size()));
    text.resize(text.capacity());
    QChar* const begin = text.data();
    text.resize(dec.appendToBuffer(begin, body) - begin);
    if (dec.hasError())
        return std::nullopt;
    // A decoder reserves for the worst case; a large text gives back what it did not use.
    if (text.capacity() - text.size() > (qsizetype(1) << 20))
        text.squeeze();
    return text;
}

std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding) {
    if (!isUnicode(encoding) && !survives(text, encoding))
        return std::nullopt;
    QStringEncoder enc = encoderFor(encoding);
    QByteArray bytes = bomOf(encoding) + enc.encode(text);
    if (enc.hasError())
        return std::nullopt;
    return bytes;
}

QStringList unencodableCharacters(const QString& text, TextEncoding encoding) {
    QStringList out;
    if (isUnicode(encoding))
        return out;
    RoundTrip trip(encoding);
    if (trip.survives(text))
        return out;
    // Each character is tried once, however often the page repeats it: a page in another script
    // holds thousands of distinct characters, and a look through the list for every one of them
    // stalled the save for seconds.
    QSet<char32_t> tried;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QStringView ch = QStringView(text).sliced(i, pair ? 2 : 1);
        // A lone surrogate keeps its own value, which no whole character has.
        const char32_t key = pair ? QChar::surrogateToUcs4(ch[0], ch[1]) : ch[0].unicode();
        i += ch.size() - 1;
        if (tried.contains(key))
            continue;
        tried.insert(key);
        if (!trip.survives(ch))
            out << ch.toString();
    }
    return out;
}

std::optional<DecodedText> decodeDocument(const QByteArray& bytes) {
    auto attempt = [&bytes](TextEncoding encoding) -> std::optional<DecodedText> {
        std::optional<QString> text = decodeText(bytes, encoding);
        if (!text)
            return std::nullopt;
        bool exact = true;
        if (!isUnicode(encoding)) {
            // One more pass over the text, about a third of what reading it costs.
            QStringEncoder encoder = encoderFor(encoding);
            const QByteArray back = encoder.encode(*text);
            exact = !encoder.hasError() && back == bytes;
        }
        return DecodedText{std::move(*text), encoding, exact};
    };
    for (TextEncoding bom :
         {TextEncoding::Utf8Bom, TextEncoding::Utf16LeBom, TextEncoding::Utf16BeBom}) {
        if (bytes.startsWith(bomOf(bom)))
            return attempt(bom);
    }
    if (const auto declared = declaredCharset(bytes))
        if (auto read = attempt(*declared))
            return read;
    // Plain ASCII reads the same either way; it stays the program's own code page, so Japanese
    // typed into it later is saved as a new document would be. ISO-2022-JP is seven-bit too,
    // but shifts with the escape character.
    const bool sevenBit = std::all_of(bytes.begin(), bytes.end(), [](char b) { return b >= 0; });
    if (sevenBit && !bytes.contains('\x1B'))
        return attempt(TextEncoding::Cp932);
    if (sevenBit)
        if (auto read = attempt(TextEncoding::Iso2022Jp))
            return read;
    if (auto read = attempt(TextEncoding::Utf8))
        return read;
    QList<TextEncoding> candidates = guessedEncodings(bytes);
    candidates << TextEncoding::Cp932 << TextEncoding::EucJp << TextEncoding::Iso2022Jp;
    QList<TextEncoding> tried{TextEncoding::Utf8};
    for (TextEncoding candidate : candidates) {
        if (tried.contains(candidate))
            continue;
        tried << candidate;
        if (auto read = attempt(candidate))
            return read;
    }
    return std::nullopt;
}

std::optional<TextEncoding> detectEncoding(const QByteArray& bytes) {
    if (std::optional<DecodedText> read = decodeDocument(bytes))
        return read->encoding;
    return std::nullopt;
}

std::optional<DecodedText> readTextFile(const QString& path, QString* error) {
    QFile file;
    if (!openRegularFile(file, path, error))
        return std::nullopt;
    const QByteArray bytes = readAllBytes(file);
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    std::optional<DecodedText> read = decodeDocument(bytes);
    if (!read && error) {
        const bool utf16 = bytes.startsWith(bomOf(TextEncoding::Utf16LeBom)) ||
                           bytes.startsWith(bomOf(TextEncoding::Utf16BeBom));
        *error = utf16 ? QStringLiteral("UTF-16 のファイルのバイト数が奇数です（最後の文字が"
                                        "途中で切れています）")
                       : QStringLiteral("UTF-8、Shift_JIS、EUC-JP、ISO-2022-JP のどれとしても"
                                        "読めない文字が含まれています");
    }
    return read;
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

std::optional<QByteArray> encodeInternal(const QString& text) {
    if (std::optional<QByteArray> bytes = encodeText(text, TextEncoding::Cp932))
        return bytes;
    return encodeText(text, TextEncoding::Utf8Bom);
}

bool writeInternalFile(const QString& path, const QString& text, QString* error) {
    const std::optional<QByteArray> bytes = encodeInternal(text);
    if (!bytes) {
        if (error)
            *error = describeDamagedCharacter(text, firstLoneSurrogate(text)) +
                     QStringLiteral("が含まれているため、書き込めません");
        return false;
    }
    return writeFileAtomic(path, *bytes, error);
}

QByteArray encodeShownPage(const QString& text) {
    // The encoder writes U+FFFD for a damaged character and goes on.
    QStringEncoder enc(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return bomOf(TextEncoding::Utf8Bom) + enc.encode(text);
}

qsizetype firstLoneSurrogate(QStringView text) {
    const char16_t* const units = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if ((units[i] & 0xF800) != 0xD800)
            continue;
        if (units[i] < 0xDC00 && i + 1 < n && (units[i + 1] & 0xFC00) == 0xDC00) {
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

QString describeDamagedCharacter(QStringView text, qsizetype at) {
    if (at < 0 || at >= text.size())
        return QStringLiteral("壊れた文字");
    QString where = QStringLiteral("U+") + QString::number(text.at(at).unicode(), 16).toUpper();
    auto isBreak = [&text](qsizetype i) {
        return text[i] == u'\n' ||
               (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'));
    };
    bool lines = false;
    qsizetype line = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isBreak(i))
            continue;
        lines = lines || i + 1 < text.size();
        if (i < at)
            ++line;
    }
    if (lines)
        where += QStringLiteral("、%1 行目").arg(line);
    return QStringLiteral("壊れた文字（対になっていないサロゲート %1）").arg(where);
}

std::optional<QString> readInternalFile(const QString& path, QString* error) {
    QFile file;
    if (!openRegularFile(file, path, error))
        return std::nullopt;
    const QByteArray bytes = readAllBytes(file);
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    std::optional<QString> text = decodeInternal(bytes);
    if (!text && error)
        *error = QStringLiteral("読めない文字が含まれています");
    return text;
}
