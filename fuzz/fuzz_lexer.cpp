// The HTML lexer, the highlighter's line states and the tag matcher. Any line gives tokens in
// order within the line; after any edits, with the states worked out part of the way between
// them, every line's state and colours equal a reading from the top; the tag matcher's answer
// lies within its read budget and points at real "<" characters of tags of its name.
#include "FuzzSupport.h"
#include "editor/HtmlHighlighter.h"
#include "editor/HtmlLexer.h"
#include "editor/TagMatcher.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Token {
    int start;
    int length;
    HtmlToken kind;
    bool operator==(const Token&) const = default;
};

// Collects a line's tokens, checking that they come in order and stay within the line.
class OrderedSink : public HtmlTokenSink {
public:
    explicit OrderedSink(int lineLength) : m_length(lineLength) {}
    void token(int start, int length, HtmlToken kind) override {
        FUZZ_CHECK(length > 0 && start >= m_end && start + length <= m_length,
                   QStringLiteral("token %1+%2 after %3 in a line of %4")
                       .arg(start)
                       .arg(length)
                       .arg(m_end)
                       .arg(m_length));
        m_end = start + length;
        tokens.push_back({start, length, kind});
    }
    std::vector<Token> tokens;

private:
    int m_length;
    int m_end = 0;
};

// The state at the start of each block, read from the top.
std::vector<int> statesFromTheTop(const QTextDocument& doc) {
    std::vector<int> states;
    int state = HtmlLexer::kInitialState;
    for (QTextBlock b = doc.firstBlock(); b.isValid(); b = b.next()) {
        states.push_back(state);
        const QString line = b.text();
        OrderedSink once(int(line.size()));
        OrderedSink again(int(line.size()));
        const int end = HtmlLexer::lexLine(line, state, &once);
        FUZZ_CHECK(HtmlLexer::lexLine(line, state, &again) == end && once.tokens == again.tokens);
        FUZZ_CHECK(HtmlLexer::lexLine(line, state, nullptr) == end);
        FUZZ_CHECK(end >= 0 && end < 256, QString::number(end));
        state = end;
    }
    return states;
}

QString describedDocument(const QTextDocument& doc) {
    return fuzz::shown(doc.toRawText());
}

void statesAndColoursAgree(HtmlHighlighter& highlighter, const QTextDocument& doc) {
    const std::vector<int> states = statesFromTheTop(doc);
    highlighter.completeStates();
    FUZZ_CHECK(highlighter.statesComplete());
    highlighter.formatBlocks(0, doc.blockCount() - 1);
    for (QTextBlock b = doc.firstBlock(); b.isValid(); b = b.next()) {
        const int n = b.blockNumber();
        FUZZ_CHECK(highlighter.stateAtStart(b) == states[size_t(n)],
                   QStringLiteral("block %1: state %2, from the top %3\n")
                           .arg(n)
                           .arg(highlighter.stateAtStart(b))
                           .arg(states[size_t(n)]) +
                       describedDocument(doc));
        const QString line = b.text();
        OrderedSink expected(int(line.size()));
        HtmlLexer::lexLine(line, states[size_t(n)], &expected);
        const QList<QTextLayout::FormatRange> ranges = b.layout()->formats();
        bool same = ranges.size() == qsizetype(expected.tokens.size());
        for (qsizetype k = 0; same && k < ranges.size(); ++k)
            same = ranges[k].start == expected.tokens[size_t(k)].start &&
                   ranges[k].length == expected.tokens[size_t(k)].length;
        FUZZ_CHECK(same, QStringLiteral("block %1 is coloured as another state reads it\n").arg(n) +
                             describedDocument(doc));
    }
}

// Whether the tag that begins at `at` is named `name`, case ignored, and whether it is an end
// tag. QString::compare is the reference rather than a lowering of the name as written, so that
// a lowering that loses a lone surrogate is caught, not shared.
bool namedAt(const QString& text, int at, const QString& name, bool& closing) {
    closing = text.mid(at, 2) == u"</"_s;
    int i = at + (closing ? 2 : 1);
    const int begin = i;
    const QString ends = QStringLiteral(" \t\f\r\n/>\u2029");
    while (i < text.size() && !ends.contains(text[i]))
        ++i;
    return QStringView(text).sliced(begin, i - begin).compare(name, Qt::CaseInsensitive) == 0;
}

int lengthOfBlocks(const QTextDocument& doc, int from, int to) {
    int n = 0;
    for (int k = from; k <= to; ++k)
        n += doc.findBlockByNumber(k).length();
    return n;
}

void matchIsReal(const QTextDocument& doc, int position,
                 const std::function<int(const QTextBlock&)>& states, int budget) {
    const TagMatch match = matchTagAt(doc, position, states, budget);
    if (!match.tag.isValid()) {
        FUZZ_CHECK(!match.partner.isValid() && !match.unmatched);
        return;
    }
    const QString text = doc.toRawText();
    const QString where = QStringLiteral("position %1, budget %2, tag %3-%4, partner %5-%6\n")
                              .arg(position)
                              .arg(budget)
                              .arg(match.tag.start)
                              .arg(match.tag.end)
                              .arg(match.partner.start)
                              .arg(match.partner.end) +
                          fuzz::shown(text);
    FUZZ_CHECK(match.tag.start <= position && position <= match.tag.end, where);
    FUZZ_CHECK(text.at(match.tag.start) == u'<', where);
    bool tagCloses = false;
    FUZZ_CHECK(namedAt(text, match.tag.start, match.name, tagCloses), where);
    if (!match.partner.isValid())
        return;
    FUZZ_CHECK(!match.isVoid && !match.unmatched, where);
    FUZZ_CHECK(text.at(match.partner.start) == u'<', where);
    bool partnerCloses = false;
    FUZZ_CHECK(namedAt(text, match.partner.start, match.name, partnerCloses), where);
    FUZZ_CHECK(partnerCloses != tagCloses, where);
    FUZZ_CHECK(tagCloses ? match.partner.end <= match.tag.start
                         : match.partner.start >= match.tag.end,
               where);
    // What was read before the partner's line: the lines around the tag, then line by line
    // towards the partner, each read only while the budget was not spent.
    const int here = doc.findBlock(position).blockNumber();
    const int first = std::max(0, here - 8);
    const int partnerLine = doc.findBlock(match.partner.start).blockNumber();
    if (partnerLine > here)
        FUZZ_CHECK(lengthOfBlocks(doc, first, partnerLine - 1) <= budget, where);
    else if (partnerLine < first)
        FUZZ_CHECK(lengthOfBlocks(doc, partnerLine + 1, here) <= budget, where);
}

struct Bench {
    QPlainTextEdit edit;
    HtmlHighlighter* highlighter = new HtmlHighlighter(&edit); // owned by the pane
};

Bench& bench() {
    static Bench* b = new Bench; // lives as long as the process
    return *b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    Bench& b = bench();
    QTextDocument& doc = *b.edit.document();
    b.edit.setPlainText(fuzz::textOf(in.until('\0')));
    const int edits = int(in.number(3));
    for (int e = 0; e < edits; ++e) {
        // Part of the way, as painting and idle slices leave the states.
        if (in.flag()) {
            const int first = int(in.number(uint32_t(doc.blockCount() - 1)));
            b.highlighter->formatBlocks(first, first + int(in.number(64)));
        }
        const int length = doc.characterCount() - 1;
        QTextCursor cursor(&doc);
        cursor.setPosition(int(in.number(uint32_t(length))));
        cursor.setPosition(std::min(length, cursor.position() + int(in.number(255))),
                           QTextCursor::KeepAnchor);
        cursor.insertText(fuzz::textOf(in.until('\0')));
    }
    statesAndColoursAgree(*b.highlighter, doc);

    const int position = int(in.number(uint32_t(doc.characterCount() - 1)));
    const int budget = in.flag() ? (256 << 10) : int(in.number(4096));
    HtmlHighlighter* highlighter = b.highlighter;
    matchIsReal(
        doc, position,
        [highlighter](const QTextBlock& block) { return highlighter->stateAtStart(block); },
        budget);
    matchIsReal(doc, position, nullptr, budget);
    // What a run made goes with it, so libFuzzer's leak check has nothing to look into.
    b.edit.clear();
    fuzz::deliverPostedEvents();
    return 0;
}
