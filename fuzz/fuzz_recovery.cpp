// The preview file and its recovery note. For any text in the pane and any working folder, the
// bytes RefreshPreview writes are the text with the base element after each head tag, in UTF-8
// with its mark, then the note; and Preview::recoveredText gives back exactly the buffer's text,
// whatever capitals, look-alike notes or head tags it holds. Reading any bytes as a preview file
// never crashes.
#include "FuzzSupport.h"
#include "document/Preview.h"
#include "host/EditBuffer.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kQuote = QStringLiteral("\"");

// The text as UTF-8 can hold it: a lone surrogate is written as "?" (Qt's choice), everything
// else stays.
QString asUtf8Holds(const QString& text) {
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i].isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate())
            ++i;
        else if (out[i].isSurrogate())
            out[i] = u'?';
    }
    return out;
}

void recoveryGivesTheTextBack(const QString& raw, const QString& folder) {
    const QString base = Preview::ToFileUrl(folder) + u'/';
    const QByteArray bytes = Preview::previewBytes(raw, base, kQuote);
    const QString text = EditBuffer::toCrLf(raw);

    // The one-pass bytes are the plain recipe's.
    const QByteArray page =
        "\xEF\xBB\xBF" +
        (Preview::withBaseElement(text, base, kQuote) + QStringLiteral("\r\n")).toUtf8();
    FUZZ_CHECK(bytes.startsWith(page),
               u"page: "_s + fuzz::shown(page) + u"\nbytes: "_s + fuzz::shown(bytes));
    const QByteArray note = bytes.mid(page.size());
    FUZZ_CHECK(note.startsWith("<!-- tagloom-recovery") && note.endsWith(" -->") &&
                   note.count("-->") == 1,
               fuzz::shown(note));

    // UTF-8 holds every character but a lone surrogate.
    const QString expected = asUtf8Holds(text);
    const std::optional<QString> recovered = Preview::recoveredText(bytes);
    FUZZ_CHECK(recovered == expected,
               u"text:      "_s + fuzz::shown(expected) + u"\nrecovered: "_s +
                   fuzz::shown(recovered.value_or(QStringLiteral("(none)"))));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const bool ownFolder = in.flag();
    const QString folder = fuzz::textOf(in.until('\0'));
    const QString raw = fuzz::textOf(in.rest());
    recoveryGivesTheTextBack(
        raw, ownFolder && !folder.isEmpty() ? folder : QStringLiteral("/home/user/サイト"));
    // The file as it may be found after a crash, or as something else left it.
    (void)Preview::recoveredText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    fuzz::deliverPostedEvents();
    return 0;
}
