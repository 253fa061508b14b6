#include "Suggestions.h"

#include "HtmlLexer.h"
#include "HtmlNames.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace {

// A name longer than this is not being typed from a list.
constexpr int kLongestName = 64;
// How many lines above a tag the name of its element may stand.
constexpr int kTagLinesAbove = 8;
// Rows shown at once; more scroll.
constexpr int kRowsShown = 8;

bool isAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

// Characters of element, attribute and enumerated value names.
bool isNameChar(QChar c) {
    const char16_t u = c.unicode();
    return isAsciiLetter(c) || (u >= u'0' && u <= u'9') || u == u'-' || u == u'_' || u == u':' ||
           u == u'.';
}

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\f' || c == u'\r' || c == u'\n';
}

// The tag being read at the end of what was lexed: its element and its last attribute name.
class TagContext : public HtmlTokenSink {
public:
    explicit TagContext(QStringView text) : m_text(text) {}
    void token(int start, int length, HtmlToken kind) override {
        const QStringView piece = m_text.mid(start, length);
        switch (kind) {
        case HtmlToken::TagDelimiter:
            if (piece == u"<" || piece == u"</") {
                tagStarted = true;
                closing = piece == u"</";
                element.clear();
                attribute.clear();
            }
            break;
        case HtmlToken::TagName:
            if (element.isEmpty())
                element = piece.toString();
            break;
        case HtmlToken::AttributeName:
            attribute = piece.toString();
            break;
        default:
            break;
        }
    }
    bool tagStarted = false;
    bool closing = false;
    QString element;
    QString attribute;

private:
    QStringView m_text;
};

// Fills in what the lines above say of a tag that began on one of them.
void readTagAbove(QTextBlock block, const std::function<int(const QTextBlock&)>& stateAtStart,
                  TagContext& context) {
    for (int k = 0; k < kTagLinesAbove && block.isValid(); ++k, block = block.previous()) {
        const int state = stateAtStart(block);
        if (state < 0)
            return;
        const QString text = block.text();
        TagContext above(text);
        HtmlLexer::lexLine(text, state, &above);
        if (context.attribute.isEmpty())
            context.attribute = above.attribute;
        if (above.tagStarted) {
            context.tagStarted = true;
            context.closing = above.closing;
            context.element = above.element;
            return;
        }
    }
}

bool typesInCapitals(QStringView typed) {
    bool capital = false;
    for (const QChar c : typed) {
        if (c.unicode() >= u'a' && c.unicode() <= u'z')
            return false;
        capital = capital || (c.unicode() >= u'A' && c.unicode() <= u'Z');
    }
    return capital;
}

} // namespace

SuggestionPlace suggestionPlaceAt(const QTextDocument& document, int position,
                                  const std::function<int(const QTextBlock&)>& stateAtStart) {
    const SuggestionPlace none;
    const QTextBlock block = document.findBlock(position);
    if (!block.isValid() || !stateAtStart)
        return none;
    const int column = position - block.position();
    const QString text = block.text();
    if (column <= 0 || column > text.size() || (column < text.size() && isNameChar(text[column])))
        return none;
    int start = column;
    while (start > 0 && isNameChar(text[start - 1])) {
        if (column - --start > kLongestName)
            return none;
    }
    const QStringView typed = QStringView(text).mid(start, column - start);
    if (std::none_of(typed.begin(), typed.end(), isAsciiLetter))
        return none;
    // A name begins after "<", a space (a line break included) or a value's "=" or quote; any
    // other word, most of all one in running text, is not worth lexing the line for.
    const QChar before = start > 0 ? text[start - 1] : QChar(u'\n');
    if (before != u'<' && before != u'=' && before != u'"' && before != u'\'' && !isSpace(before))
        return none;
    const int state = stateAtStart(block);
    if (state < 0)
        return none;

    SuggestionPlace place;
    place.wordStart = block.position() + start;
    place.typed = typed.toString();
    if (start > 0 && text[start - 1] == u'<') {
        const int before = HtmlLexer::lexLine(QStringView(text).first(start - 1), state, nullptr);
        if (!isAsciiLetter(typed[0]) || HtmlLexer::placeOf(before) != HtmlPlace::Text)
            return none;
        place.kind = SuggestionPlace::Element;
        return place;
    }

    TagContext context(text);
    const HtmlPlace where =
        HtmlLexer::placeOf(HtmlLexer::lexLine(QStringView(text).first(start), state, &context));
    if (where == HtmlPlace::TagAttributes && (start == 0 || isSpace(text[start - 1])) &&
        isAsciiLetter(typed[0]))
        place.kind = SuggestionPlace::Attribute;
    else if (where == HtmlPlace::AttributeValue)
        place.kind = SuggestionPlace::Value;
    else
        return none;
    if (!context.tagStarted)
        readTagAbove(block.previous(), stateAtStart, context);
    if (context.closing || context.element.isEmpty() ||
        (place.kind == SuggestionPlace::Value && context.attribute.isEmpty()))
        return none;
    place.element = context.element;
    if (place.kind == SuggestionPlace::Value)
        place.attribute = context.attribute;
    return place;
}

QList<Suggestion> suggestionsFor(const SuggestionPlace& place) {
    QList<HtmlNames::Name> names;
    switch (place.kind) {
    case SuggestionPlace::Element:
        names = HtmlNames::elementsStartingWith(place.typed);
        break;
    case SuggestionPlace::Attribute:
        names = HtmlNames::attributesStartingWith(place.element, place.typed);
        break;
    case SuggestionPlace::Value:
        names = HtmlNames::valuesStartingWith(place.element, place.attribute, place.typed);
        break;
    case SuggestionPlace::None:
        break;
    }
    const bool capitals = typesInCapitals(place.typed);
    QList<Suggestion> out;
    out.reserve(names.size());
    for (const HtmlNames::Name& n : names) {
        const QString text = n.text.toString();
        out.append({capitals ? text.toUpper() : text, n.obsolete});
    }
    return out;
}

void SuggestionModel::setSuggestions(const QList<Suggestion>& suggestions) {
    beginResetModel();
    m_items = suggestions;
    endResetModel();
}

void SuggestionModel::setColors(const QColor& name, const QColor& note) {
    m_name = name;
    m_note = note;
    if (!m_items.isEmpty())
        emit dataChanged(index(0), index(int(m_items.size()) - 1), {Qt::ForegroundRole});
}

int SuggestionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant SuggestionModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const Suggestion& s = m_items.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return s.obsolete ? s.text + QStringLiteral("　（廃止）") : s.text;
    case NameRole:
        return s.text;
    case ObsoleteRole:
        return s.obsolete;
    case Qt::ForegroundRole: {
        const QColor& c = s.obsolete ? m_note : m_name;
        return c.isValid() ? QVariant(c) : QVariant();
    }
    default:
        return {};
    }
}

SuggestionList::SuggestionList(QWidget* viewport)
    : QListView(viewport), m_model(new SuggestionModel(this)) {
    setObjectName(QStringLiteral("lstSuggest"));
    setModel(m_model);
    setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::Box);
    setCursor(Qt::ArrowCursor);
    hide();
    connect(this, &QListView::clicked, this,
            [this](const QModelIndex& index) { emit rowClicked(index.row()); });
}

void SuggestionList::setSuggestions(const QList<Suggestion>& suggestions) {
    const QString chosen = chosenName();
    m_model->setSuggestions(suggestions);
    int row = 0;
    for (int k = 0; k < suggestions.size(); ++k) {
        if (suggestions.at(k).text == chosen) {
            row = k;
            break;
        }
    }
    if (!suggestions.isEmpty())
        setCurrentIndex(m_model->index(row));
}

void SuggestionList::showUnder(const QRect& word) {
    const int count = m_model->rowCount();
    const int rows = std::min(count, kRowsShown);
    const int frame = 2 * frameWidth();
    const int rowHeight = std::max(sizeHintForRow(0), 1);
    const int bar = count > rows ? verticalScrollBar()->sizeHint().width() : 0;
    const QSize size(sizeHintForColumn(0) + frame + bar + 8, rows * rowHeight + frame);
    const QRect area = parentWidget()->rect();
    const int x = std::clamp(word.left(), 0, std::max(0, area.width() - size.width()));
    int y = word.bottom() + 1;
    if (y + size.height() > area.height() && word.top() - size.height() >= 0)
        y = word.top() - size.height();
    setGeometry(QRect(QPoint(x, y), size));
    show();
    raise();
    scrollTo(currentIndex());
}

void SuggestionList::moveChoice(int rows) {
    const int count = m_model->rowCount();
    if (count == 0)
        return;
    const int row = std::clamp(chosenRow() + rows, 0, count - 1);
    setCurrentIndex(m_model->index(row));
    scrollTo(currentIndex());
}

int SuggestionList::chosenRow() const {
    return currentIndex().isValid() ? currentIndex().row() : 0;
}

QString SuggestionList::chosenName() const {
    return currentIndex().data(SuggestionModel::NameRole).toString();
}
