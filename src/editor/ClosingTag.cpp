#include "ClosingTag.h"

#include "HtmlLexer.h"
#include "TagMatcher.h"

#include <QTextBlock>
#include <QTextDocument>

QString closingTagAt(const QTextDocument& document, int position,
                     const std::function<int(const QTextBlock&)>& stateAtStart) {
    const QTextBlock block = document.findBlock(position);
    const int column = position - block.position();
    if (!block.isValid() || column < 2)
        return {};
    const QString text = block.text();
    if (QStringView(text).mid(column - 2, 2) != u"</")
        return {};
    if (column < text.size()) {
        const char16_t next = text.at(column).unicode();
        if (next == u'>' || (next < 128 && QChar::isLetter(next)))
            return {};
    }
    const int state = stateAtStart ? stateAtStart(block) : -1;
    if (state < 0)
        return {};
    const HtmlPlace place =
        HtmlLexer::placeOf(HtmlLexer::lexLine(QStringView(text).first(column - 2), state, nullptr));
    if (place != HtmlPlace::Text && place != HtmlPlace::RawText)
        return {};
    const OpenElement open = openElementAt(document, position - 2, stateAtStart);
    return open.name.isEmpty() ? QString() : open.name + u'>';
}
