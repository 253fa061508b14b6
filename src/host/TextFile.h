#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Text files in a code page. The program's own files and new documents are CP932 (Shift-JIS
// with the Windows extensions); documents keep whatever encoding they were read in, which may
// also be EUC-JP or ISO-2022-JP, the encodings of many older Japanese pages.

enum class TextEncoding { Cp932, Utf8, Utf8Bom, Utf16LeBom, Utf16BeBom, EucJp, Iso2022Jp };

enum class LineEnding { CrLf, Lf };

QString encodingName(TextEncoding encoding);

// Decodes bytes in `encoding` (a byte order mark of that encoding is skipped). nullopt when the
// bytes are not valid in it.
std::optional<QString> decodeText(const QByteArray& bytes, TextEncoding encoding);

// Encodes text; nullopt when a character cannot be held by the encoding.
std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding);

// The characters of `text` that `encoding` cannot hold, each listed once, in order of first use.
QStringList unencodableCharacters(const QString& text, TextEncoding encoding);

// Which encoding a file is in: the first of these that decodes the bytes cleanly. A byte order
// mark (final: nothing else is tried); a charset the HTML declares (only a hint: a page that
// is labelled wrongly is common); CP932 for plain ASCII; UTF-8 when the bytes are valid UTF-8;
// the Japanese encoding the bytes look like; CP932, EUC-JP, ISO-2022-JP. nullopt when none
// decodes them.
std::optional<TextEncoding> detectEncoding(const QByteArray& bytes);

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Cp932;
    // Whether writing `text` in `encoding` gives back the very bytes it was read from. Not so
    // where the bytes spell it in a way the encoding would not write: ISO-2022-JP's older
    // escapes, the second codes CP932 has for some characters.
    bool exact = true;
};

// Detects the encoding as detectEncoding does and gives the text it decoded to. A byte order
// mark and valid UTF-8 always read exactly; a legacy code page's reading is checked.
std::optional<DecodedText> decodeDocument(const QByteArray& bytes);

// Reads a whole file: detects the encoding and decodes it. nullopt with `error` set when the
// file cannot be read, is not a regular file (openRegularFile) or does not decode cleanly.
std::optional<DecodedText> readTextFile(const QString& path, QString* error = nullptr);

// Line by line, a line ending at CR LF, CR or LF; each line is followed by CR LF, so a text
// that is not empty always ends with CR LF.
QString linesToCrLf(const QString& text);

// The line ending the file used: LF when its first line break is a lone LF, else CR LF.
LineEnding detectLineEnding(const QString& text);

// Replaces the file with `bytes` atomically: a crash leaves the old file or the new one.
bool writeFileAtomic(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The program's own files: CP932 when every character fits, else UTF-8 with a byte order mark.
// nullopt when the text holds a damaged character, which neither can hold.
std::optional<QByteArray> encodeInternal(const QString& text);
// False with `error` set when the text cannot be encoded or the file cannot be written.
bool writeInternalFile(const QString& path, const QString& text, QString* error = nullptr);

// A page that is only shown (the table tool's error page): UTF-8 with a byte order mark, a
// damaged character shown as U+FFFD.
QByteArray encodeShownPage(const QString& text);

// A damaged character is half of a UTF-16 surrogate pair without its other half, as a broken
// UTF-16 file holds. Only UTF-16 can write it back. The position of the first one, or -1.
qsizetype firstLoneSurrogate(QStringView text);
// How a message names the damaged character at `at`: "壊れた文字（対になっていないサロゲート
// U+D800、2 行目）", the line left out when the text is a single line.
QString describeDamagedCharacter(QStringView text, qsizetype at);
// Reads one of the program's own files: a byte order mark is honoured, else CP932. Only a
// regular file is read, as readTextFile reads.
std::optional<QString> readInternalFile(const QString& path, QString* error = nullptr);
