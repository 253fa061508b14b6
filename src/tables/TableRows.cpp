#include "TableRows.h"

#include "host/LargeMemory.h"

#include <cstring>
#include <limits>

namespace {

constexpr char16_t kOpenRow[] = u"<TR>";
constexpr char16_t kCloseRow[] = u"</TR>\r\n";
constexpr char16_t kOpenData[] = u"<TD>";
constexpr char16_t kCloseData[] = u"</TD>";
constexpr char16_t kOpenHeader[] = u"<TH>";
constexpr char16_t kCloseHeader[] = u"</TH>";

template <std::size_t N> constexpr qsizetype lengthOf(const char16_t (&)[N]) {
    return qsizetype(N - 1);
}

bool isHeader(const char16_t* field, const char16_t* end) {
    return end - field >= 2 && field[0] == u'[' && field[1] == u']';
}

// Adds up the length of what the scan produces.
struct Counter {
    qsizetype length = 0;
    template <std::size_t N> void put(const char16_t (&)[N]) { length += qsizetype(N - 1); }
    void cell(const char16_t* field, const char16_t* end) {
        const qsizetype tags = lengthOf(kOpenData) + lengthOf(kCloseData);
        length += (end - field) + tags - (isHeader(field, end) ? 2 : 0);
    }
};

// Writes what the scan produces into memory sized by a Counter's pass.
struct Writer {
    char16_t* out;
    template <std::size_t N> void put(const char16_t (&text)[N]) {
        std::memcpy(out, text, (N - 1) * sizeof(char16_t));
        out += N - 1;
    }
    void copy(const char16_t* from, const char16_t* end) {
        std::memcpy(out, from, std::size_t(end - from) * sizeof(char16_t));
        out += end - from;
    }
    void cell(const char16_t* field, const char16_t* end) {
        if (isHeader(field, end)) {
            put(kOpenHeader);
            copy(field + 2, end);
            put(kCloseHeader);
        } else {
            put(kOpenData);
            copy(field, end);
            put(kCloseData);
        }
    }
};

// The end of the field that starts at `p`: the next comma, line break or the end of the text.
const char16_t* fieldEnd(const char16_t* p, const char16_t* end) {
    // Most characters lie above ',', the highest of the three: one comparison passes them.
    while (p < end && (*p > u',' || (*p != u',' && *p != u'\r' && *p != u'\n')))
        ++p;
    return p;
}

// Past the line break at `p` (CR LF counts as one).
const char16_t* pastBreak(const char16_t* p, const char16_t* end) {
    if (p < end && *p == u'\r' && p + 1 < end && p[1] == u'\n')
        return p + 2;
    return p < end ? p + 1 : p;
}

template <typename Sink> void scanRows(QStringView csv, Sink& sink) {
    const char16_t* p = csv.utf16();
    const char16_t* const end = p + csv.size();
    while (p < end) {
        const char16_t* field = p;
        const char16_t* stop = fieldEnd(field, end);
        if (stop == field && (stop == end || *stop != u',')) {
            p = pastBreak(stop, end); // an empty line gives no field at all
            continue;
        }
        sink.put(kOpenRow);
        bool first = true;
        for (;;) {
            sink.cell(field, stop);
            if (stop < end && *stop == u',') {
                first = false;
                field = stop + 1;
                stop = fieldEnd(field, end);
                continue;
            }
            // A one-field line is left open: the next row follows on the same line.
            if (!first)
                sink.put(kCloseRow);
            p = pastBreak(stop, end);
            break;
        }
    }
}

} // namespace

qsizetype tableRowsLength(QStringView csv) {
    Counter counter;
    scanRows(csv, counter);
    return counter.length;
}

bool buildTableRows(QStringView csv, qsizetype limit, QString& rows, qsizetype spare) {
    rows = QString();
    const qsizetype length = tableRowsLength(csv);
    if (length > limit)
        return false;
    // Room on both sides, so that the frame goes around the rows without moving them.
    QString built;
    reserveLargeText(built, spare + length + spare);
    built.resize(spare + length);
    Writer writer{reinterpret_cast<char16_t*>(built.data()) + spare};
    scanRows(csv, writer);
    built.remove(0, spare); // leaves the room in front free, moving nothing
    rows = std::move(built);
    return true;
}

QString tableRows(QStringView csv) {
    QString rows;
    buildTableRows(csv, std::numeric_limits<qsizetype>::max(), rows, 0);
    return rows;
}

qsizetype tableFrameLength(const QString& border, const QString& quote) {
    return qsizetype(sizeof("<TABLE border=>\r\n</TABLE>") - 1) + border.size() + 2 * quote.size();
}

void frameTable(QString& rows, const QString& border, const QString& quote) {
    rows.prepend(QStringLiteral("<TABLE border=") + quote + border + quote +
                 QStringLiteral(">\r\n"));
    rows.append(QStringLiteral("</TABLE>"));
}
