#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QList>
#include <QListView>
#include <QString>
#include <functional>

class QTextDocument;
class QTextBlock;

// What is being typed at a place of the source, for the names the list offers there.
struct SuggestionPlace {
    enum Kind { None, Element, Attribute, Value };
    Kind kind = None;
    int wordStart = -1; // where the typed part begins, in the widget's positions
    QString typed;      // the part of the name typed so far
    QString element;    // for an attribute or a value: the element's name, as written
    QString attribute;  // for a value: the attribute's name, as written
    bool operator==(const SuggestionPlace&) const = default;
};

// The place `position` stands in when it ends a name being typed: after "<" in text, after a
// space inside a start tag, or in the value of an attribute. Only a typed part holding a letter
// counts; `None` when the position is inside a word, in a comment, a script, an end tag, or on
// a line whose lexer state is not known yet.
SuggestionPlace suggestionPlaceAt(const QTextDocument& document, int position,
                                  const std::function<int(const QTextBlock&)>& stateAtStart);

struct Suggestion {
    QString text; // in the letter case the author is typing in
    bool obsolete = false;
};

// The names that begin with what was typed, written in the author's letter case: capitals when
// every letter typed is a capital, small letters otherwise.
QList<Suggestion> suggestionsFor(const SuggestionPlace& place);

// The names the list shows. An obsolete name carries a note, in a muted colour.
class SuggestionModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { NameRole = Qt::UserRole + 1, ObsoleteRole };
    using QAbstractListModel::QAbstractListModel;

    void setSuggestions(const QList<Suggestion>& suggestions);
    void setColors(const QColor& name, const QColor& note);
    const QList<Suggestion>& suggestions() const { return m_items; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<Suggestion> m_items;
    QColor m_name;
    QColor m_note;
};

// The small list under the caret (lstSuggest). A child of the pane's viewport that never takes
// the focus: the pane keeps every key, and hands the list only the ones it answers to.
class SuggestionList : public QListView {
    Q_OBJECT
public:
    explicit SuggestionList(QWidget* viewport);

    SuggestionModel& model() const { return *m_model; }
    // Fills the list, keeping the chosen name chosen when it is still offered.
    void setSuggestions(const QList<Suggestion>& suggestions);
    // Shows the list under `word` (above it when there is no room below), inside the viewport.
    void showUnder(const QRect& word);
    void moveChoice(int rows);
    int chosenRow() const;
    QString chosenName() const;

signals:
    void rowClicked(int row);

private:
    SuggestionModel* m_model;
};
