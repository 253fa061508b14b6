// Documents and the program's own files in their encodings. Any bytes decode or are refused,
// never a crash; a page that reads without complaint gives back the very same bytes when written
// in the encoding that read it; any text, lone surrogates included, either encodes to bytes that
// read back as that text or is refused, and a refused write leaves the file as it was.
#include "FuzzSupport.h"
#include "host/TextFile.h"

#include <QDir>
#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr TextEncoding kEncodings[] = {
    TextEncoding::Cp932,      TextEncoding::Utf8,  TextEncoding::Utf8Bom,  TextEncoding::Utf16LeBom,
    TextEncoding::Utf16BeBom, TextEncoding::EucJp, TextEncoding::Iso2022Jp};

QByteArray markOf(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return "\xEF\xBB\xBF";
    case TextEncoding::Utf16LeBom:
        return "\xFF\xFE";
    case TextEncoding::Utf16BeBom:
        return "\xFE\xFF";
    default:
        return {};
    }
}

QString named(TextEncoding encoding) {
    return encodingName(encoding);
}

bool isUnicode(TextEncoding encoding) {
    return encoding != TextEncoding::Cp932 && encoding != TextEncoding::EucJp &&
           encoding != TextEncoding::Iso2022Jp;
}

// A page read as a document, written back in the encoding that read it: the very same bytes,
// whenever the read says it was exact, and it says so truly. A mark or UTF-8 is always exact.
void readingKeepsTheBytes(const QByteArray& bytes) {
    const std::optional<DecodedText> read = decodeDocument(bytes);
    const std::optional<TextEncoding> detected = detectEncoding(bytes);
    FUZZ_CHECK(detected.has_value() == read.has_value() && (!read || *detected == read->encoding));
    if (!read)
        return;
    // A legacy page may hold what its encoding reads but never writes (ISO-2022-JP's half-width
    // kana): such a read is not exact, and writing the text is refused, not made up.
    const std::optional<QByteArray> back = encodeText(read->text, read->encoding);
    FUZZ_CHECK(back.has_value() || !read->exact,
               named(read->encoding) + u": "_s + fuzz::shown(read->text));
    if (!back)
        return;
    FUZZ_CHECK(read->exact == (*back == bytes) && (read->exact || !isUnicode(read->encoding)),
               named(read->encoding) + QStringLiteral(", exact %1").arg(read->exact) +
                   u"\nread:    "_s + fuzz::shown(bytes) + u"\nwritten: "_s + fuzz::shown(*back));
}

// Every Unicode decoder alone: a clean read encodes back to its bytes, with the mark the
// encoding writes. (The legacy code pages may read bytes they would not write; the documents'
// reading above says when.)
void everyDecoderKeepsTheBytes(const QByteArray& bytes) {
    for (const TextEncoding encoding : kEncodings) {
        if (!isUnicode(encoding))
            continue;
        const std::optional<QString> text = decodeText(bytes, encoding);
        if (!text)
            continue;
        const QByteArray mark = markOf(encoding);
        const QByteArray expected = bytes.startsWith(mark) ? bytes : mark + bytes;
        const std::optional<QByteArray> back = encodeText(*text, encoding);
        FUZZ_CHECK(back.has_value(), named(encoding) + u": "_s + fuzz::shown(*text));
        FUZZ_CHECK(*back == expected, named(encoding) + u"\nread:    "_s + fuzz::shown(expected) +
                                          u"\nwritten: "_s + fuzz::shown(*back));
    }
}

// Any text in every encoding: bytes that read back as the text, or a refusal that names the
// characters, for the legacy code pages.
void anyTextEncodesOrIsRefused(const QString& text) {
    for (const TextEncoding encoding : kEncodings) {
        const std::optional<QByteArray> bytes = encodeText(text, encoding);
        const QStringList unfit = unencodableCharacters(text, encoding);
        if (!bytes)
            continue;
        FUZZ_CHECK(unfit.isEmpty(), named(encoding) + u": "_s + fuzz::shown(unfit.join(u' ')));
        const std::optional<QString> back = decodeText(*bytes, encoding);
        FUZZ_CHECK(back == text, named(encoding) + u"\ntext: "_s + fuzz::shown(text) +
                                     u"\nback: "_s + fuzz::shown(back.value_or(QString())));
    }
}

// The program's own files: written whole or not at all, and read back as written.
void internalFilesKeepTheText(const QString& text) {
    const QString path = fuzz::scratchFolder() + QStringLiteral("/internal.dat");
    const QByteArray before("before");
    fuzz::writeFile(path, before);
    if (writeInternalFile(path, text)) {
        const std::optional<QString> back = readInternalFile(path);
        FUZZ_CHECK(back == text, u"text: "_s + fuzz::shown(text) + u"\nback: "_s +
                                     fuzz::shown(back.value_or(QString())));
    } else {
        FUZZ_CHECK(fuzz::readFile(path) == before, fuzz::shown(text));
    }
    // Nothing is left beside it: the write went through a temporary file renamed into place.
    FUZZ_CHECK(QDir(fuzz::scratchFolder()).entryList(QDir::Files) ==
               QStringList{QStringLiteral("internal.dat")});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readingKeepsTheBytes(bytes);
    everyDecoderKeepsTheBytes(bytes);
    const QString text = fuzz::textOf(bytes);
    anyTextEncodesOrIsRefused(text);
    internalFilesKeepTheText(text);
    return 0;
}
