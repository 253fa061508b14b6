// Typing HTML into the real text pane of a shown main window: end tags completed after "</",
// the suggestion list's names and keys, their undo, and the full-width space marks.
#include "app/EditorWiring.h"
#include "app/MenuTree.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "editor/HighlightColors.h"
#include "editor/SourceView.h"
#include "editor/Suggestions.h"
#include "editor/TypingAids.h"
#include "host/EditBuffer.h"
#include "support/TestApp.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTextBlock>

class TstTyping : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void typedKeys_data();
    void typedKeys();
    void otherKeysKeepTheirMeaning_data();
    void otherKeysKeepTheirMeaning();
    void undoTakesACompletionWithItsRun_data();
    void undoTakesACompletionWithItsRun();
    void listKeepsTheFocusInThePane();
    void listTakesAClickedName();
    void listClosesWhenTheCaretLeavesTheName();
    void noListDuringAComposition();
    void fullWidthSpacesAreOutlined_data();
    void fullWidthSpacesAreOutlined();

private:
    TextPane* pane() const { return fx->window->txtEdit(); }
    EditBuffer& buffer() const { return fx->window->buffer(); }
    TypingAids& aids() const { return fx->window->editorWiring().typingAids(); }
    static void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // Types `keys`: characters as they are, and {Enter}, {Tab}, {Down}, {Up}, {Esc}, {Left},
    // {Right}, {Shift} (pressed alone, as a keyboard sends it before a capital).
    void type(const QString& keys);
    // The list's rows as shown, joined by ",", or "-" when it is closed.
    QString shownList() const;
    // The pane's text with "|" at the caret.
    QString textWithCaret() const;
    void setTextWithCaret(const QString& marked);

    std::unique_ptr<EditorFixture> fx;
};

void TstTyping::initTestCase() {
    fx = std::make_unique<EditorFixture>();
    frmEdit& w = fx->open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w, 2000))
        QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void TstTyping::cleanupTestCase() {
    fx.reset();
}

void TstTyping::init() {
    aids().closeList();
    fx->state.settings.BrOnEnter = 0;
    buffer().setText(QString());
    pane()->setFocus();
    settle();
    QVERIFY(pane()->hasFocus());
    fx->host.clear();
}

void TstTyping::type(const QString& keys) {
    static const QMap<QString, Qt::Key> named = {
        {QStringLiteral("Enter"), Qt::Key_Return}, {QStringLiteral("Tab"), Qt::Key_Tab},
        {QStringLiteral("Down"), Qt::Key_Down},    {QStringLiteral("Up"), Qt::Key_Up},
        {QStringLiteral("Esc"), Qt::Key_Escape},   {QStringLiteral("Left"), Qt::Key_Left},
        {QStringLiteral("Right"), Qt::Key_Right},  {QStringLiteral("Shift"), Qt::Key_Shift}};
    qsizetype at = 0;
    while (at < keys.size()) {
        const qsizetype brace = keys.indexOf(u'{', at);
        const qsizetype end = brace < 0 ? keys.size() : brace;
        if (end > at)
            QTest::keyClicks(pane(), keys.mid(at, end - at));
        if (brace < 0)
            break;
        const qsizetype close = keys.indexOf(u'}', brace);
        QTest::keyClick(pane(), named.value(keys.mid(brace + 1, close - brace - 1)));
        at = close + 1;
    }
    settle();
}

QString TstTyping::shownList() const {
    const SuggestionList* list = aids().list();
    if (!aids().listOpen() || !list)
        return QStringLiteral("-");
    QStringList rows;
    for (int r = 0; r < list->model().rowCount(); ++r)
        rows << list->model().index(r).data().toString();
    return rows.join(u',');
}

QString TstTyping::textWithCaret() const {
    QString text = buffer().text();
    return text.insert(buffer().selectionStart(), u'|');
}

void TstTyping::setTextWithCaret(const QString& marked) {
    QString text = marked;
    const int caret = int(text.indexOf(u'|'));
    text.remove(caret, 1);
    buffer().setText(text);
    buffer().setSelection(caret, 0);
    settle();
}

void TstTyping::typedKeys_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("brOnEnter");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("list");

    // End tags.
    QTest::newRow("innermost of two") << "|"
                                      << "<div><p>abc</" << 0 << "<div><p>abc</p>|"
                                      << "-";
    QTest::newRow("capitals as written") << "|"
                                         << "<UL><LI>x</" << 0 << "<UL><LI>x</LI>|"
                                         << "-";
    QTest::newRow("void element") << "|"
                                  << "<br></" << 0 << "<br></|"
                                  << "-";
    QTest::newRow("closed at top level") << "<P>a</P>|"
                                         << "</" << 0 << "<P>a</P></|"
                                         << "-";
    QTest::newRow("closed inside a DIV") << "<DIV><P>a</P>|"
                                         << "</" << 0 << "<DIV><P>a</P></DIV>|"
                                         << "-";
    QTest::newRow("the start tag's own spelling")
        << "<Div class=x>\r\n<div>in</div>\r\n|"
        << "</" << 0 << "<Div class=x>\r\n<div>in</div>\r\n</Div>|"
        << "-";
    QTest::newRow("a tag across lines") << "<TD\r\n  ALIGN=right>x|"
                                        << "</" << 0 << "<TD\r\n  ALIGN=right>x</TD>|"
                                        << "-";
    QTest::newRow("self-closed across lines") << "<p><div\r\n/>x|"
                                              << "</" << 0 << "<p><div\r\n/>x</p>|"
                                              << "-";
    QTest::newRow("inside a comment") << "<p><!-- |"
                                      << "</" << 0 << "<p><!-- </|"
                                      << "-";
    QTest::newRow("inside a value") << "<p><a title=\"|"
                                    << "</" << 0 << "<p><a title=\"</|"
                                    << "-";
    QTest::newRow("inside a script") << "<script>if (a |"
                                     << "</" << 0 << "<script>if (a </script>|"
                                     << "-";
    QTest::newRow("before a name") << "<p>x|b>"
                                   << "</" << 0 << "<p>x</|b>"
                                   << "-";
    QTest::newRow("nothing open, then a name") << "|"
                                               << "</d" << 0 << "</d|"
                                               << "-";
    QTest::newRow("typed over") << "|"
                                << "<p>abc</p>x" << 0 << "<p>abc</p>x|"
                                << "-";
    QTest::newRow("typed over with Shift")
        << "|"
        << "<LI>x</{Shift}L{Shift}I{Shift}>" << 0 << "<LI>x</LI>|"
        << "-";
    QTest::newRow("typed over in capitals") << "|"
                                            << "<Li>x</LI>" << 0 << "<Li>x</Li>|"
                                            << "-";
    QTest::newRow("another name takes its place") << "|"
                                                  << "<div><p>x</div>" << 0 << "<div><p>x</div>|"
                                                  << "-";
    QTest::newRow("half typed over, then another name") << "<dir><div>|"
                                                        << "</dil>" << 0 << "<dir><div></dil>|"
                                                        << "-";
    QTest::newRow("a caret move keeps it") << "|"
                                           << "<b>x</{Left}{Right}b>" << 0 << "<b>x</b>b>|"
                                           << "-";
    QTest::newRow("Enter keeps it") << "|"
                                    << "<b>x</{Enter}b" << 0 << "<b>x</b>\r\nb|"
                                    << "-";

    // Element names.
    QTest::newRow("small letters, Enter") << "|"
                                          << "<tab{Enter}" << 0 << "<table|"
                                          << "-";
    QTest::newRow("capitals, Tab") << "|"
                                   << "<TAB{Tab}" << 0 << "<TABLE|"
                                   << "-";
    QTest::newRow("list under <T") << "|"
                                   << "<T" << 0 << "<T|"
                                   << "TABLE,TBODY,TD,TEMPLATE,TEXTAREA,TFOOT,TH,THEAD,TIME,"
                                      "TITLE,TR,TRACK";
    QTest::newRow("obsolete marked") << "|"
                                     << "<FO" << 0 << "<FO|"
                                     << "FONT　（廃止）,FOOTER,FORM";
    QTest::newRow("Down then Enter") << "|"
                                     << "<t{Down}{Enter}" << 0 << "<tbody|"
                                     << "-";
    QTest::newRow("Up stays at the top") << "|"
                                         << "<t{Up}{Tab}" << 0 << "<table|"
                                         << "-";
    QTest::newRow("typing goes on") << "|"
                                    << "<tex" << 0 << "<tex|"
                                    << "textarea";
    QTest::newRow("closes when nothing matches") << "|"
                                                 << "<tax{Enter}" << 0 << "<tax\r\n|"
                                                 << "-";
    QTest::newRow("closes on a name typed out") << "|"
                                                << "<abbr" << 0 << "<abbr|"
                                                << "-";
    QTest::newRow("Escape, then Enter breaks the line") << "|"
                                                        << "<ta{Esc}{Enter}" << 0 << "<ta\r\n|"
                                                        << "-";
    QTest::newRow("Escape keeps it closed for that name") << "|"
                                                          << "<t{Esc}a" << 0 << "<ta|"
                                                          << "-";
    QTest::newRow("not in text") << "|"
                                 << "a ta" << 0 << "a ta|"
                                 << "-";
    QTest::newRow("not in a comment") << "<!-- |"
                                      << "<ta" << 0 << "<!-- <ta|"
                                      << "-";

    // Attribute names and values.
    QTest::newRow("attribute, Enter") << "|"
                                      << "<a hr{Enter}" << 0 << "<a href|"
                                      << "-";
    QTest::newRow("the element's own first") << "|"
                                             << "<a t" << 0 << "<a t|"
                                             << "target,type,tabindex,title,translate";
    QTest::newRow("an unknown element's globals") << "|"
                                                  << "<my-el cl{Enter}" << 0 << "<my-el class|"
                                                  << "-";
    QTest::newRow("after a value") << "<td colspan=\"2\"|"
                                   << " row{Tab}" << 0 << "<td colspan=\"2\" rowspan|"
                                   << "-";
    QTest::newRow("on the tag's next line") << "<IMG SRC=\"a.gif\"\r\n|"
                                            << "AL{Enter}" << 0 << "<IMG SRC=\"a.gif\"\r\nALT|"
                                            << "-";
    QTest::newRow("not in an end tag") << "<p>x</p|"
                                       << " cl" << 0 << "<p>x</p cl|"
                                       << "-";
    QTest::newRow("an obsolete attribute the menus insert")
        << "|"
        << "<EMBED SRC=\"a.mid\" LO" << 0 << "<EMBED SRC=\"a.mid\" LO|"
        << "LOOP　（廃止）";
    QTest::newRow("value, Enter") << "|"
                                  << "<input type=\"ch{Enter}" << 0 << "<input type=\"checkbox|"
                                  << "-";
    QTest::newRow("value in capitals") << "|"
                                       << "<INPUT TYPE=\"CH{Tab}" << 0 << "<INPUT TYPE=\"CHECKBOX|"
                                       << "-";
    QTest::newRow("button types") << "|"
                                  << "<button type=\"r" << 0 << "<button type=\"r|"
                                  << "reset";
    QTest::newRow("lang") << "<html |"
                          << "lang=\"j{Enter}" << 0 << "<html lang=\"ja|"
                          << "-";
    QTest::newRow("target without quotes") << "<a |"
                                           << "target=_b{Enter}" << 0 << "<a target=_blank|"
                                           << "-";
    QTest::newRow("rel, the second word") << "<a rel=\"noopener |"
                                          << "nor{Enter}" << 0 << "<a rel=\"noopener noreferrer|"
                                          << "-";
    QTest::newRow("no list for a free value") << "|"
                                              << "<a href=\"ch" << 0 << "<a href=\"ch|"
                                              << "-";

    // Enter keeps its meaning while the list is closed, and takes a name while it is open.
    QTest::newRow("BR on Enter, no list") << "|"
                                          << "<b>x{Enter}" << 1 << "<b>x<BR>\r\n|"
                                          << "-";
    QTest::newRow("BR on Enter after a name typed out") << "|"
                                                        << "<table{Enter}" << 1 << "<table<BR>\r\n|"
                                                        << "-";
    QTest::newRow("BR on Enter, list open") << "|"
                                            << "<ta{Enter}" << 1 << "<table|"
                                            << "-";
}

void TstTyping::typedKeys() {
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(int, brOnEnter);
    QFETCH(QString, result);
    QFETCH(QString, list);
    fx->state.settings.BrOnEnter = int16_t(brOnEnter);
    setTextWithCaret(start);
    type(keys);
    QCOMPARE(textWithCaret(), result);
    QCOMPARE(shownList(), list);
    QVERIFY(pane()->hasFocus());
}

// What the aids may leave behind (an end tag just added, an open list, a list closed by
// Escape) changes no other key: the F1 popups, Ctrl+Tab, Shift+Enter, Enter with BR on Enter,
// Tab and the menu shortcuts do what they do without the aids.
void TstTyping::otherKeysKeepTheirMeaning_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("typed"); // the text after `keys`, caret marked
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("brOnEnter");
    QTest::addColumn<QString>("result"); // the text after `key`, caret marked
    QTest::addColumn<QString>("popup");  // the menu popped up, if any
    QTest::addColumn<QString>("item");   // the menu item run, if any
    QTest::addColumn<bool>("focusStays");

    const int shift = int(Qt::ShiftModifier);
    const int ctrl = int(Qt::ControlModifier);
    const struct {
        const char* name;
        const char* keys;
        const char* typed;
        bool listOpen;
    } states[] = {{"after an end tag", "<b>x</", "<b>x</b>|", false},
                  {"list open", "<ta", "<ta|", true},
                  {"list closed by Escape", "<ta{Esc}", "<ta|", false}};
    for (const auto& st : states) {
        const QString typed = QString::fromUtf8(st.typed);
        const QString before = typed.chopped(1);
        const auto row = [&](const char* key) -> QTestData& {
            QTestData& data = QTest::newRow(qPrintable(
                QStringLiteral("%1, %2").arg(QLatin1StringView(st.name), QLatin1StringView(key))));
            return data << QString::fromUtf8(st.keys) << typed;
        };
        row("F1") << int(Qt::Key_F1) << 0 << 0 << typed << "mnuHTML"
                  << "" << true;
        row("Shift+F1") << int(Qt::Key_F1) << shift << 0 << typed << "mnuUserTAGS"
                        << "" << true;
        row("Ctrl+Tab") << int(Qt::Key_Tab) << ctrl << 0 << before + "\t|"
                        << ""
                        << "" << true;
        row("Shift+Enter") << int(Qt::Key_Return) << shift << 0 << before + "<BR>\r\n|"
                           << ""
                           << "" << true;
        row("Ctrl+A") << int(Qt::Key_A) << ctrl << 0 << typed << ""
                      << "mnuAllSelect" << true;
        if (!st.listOpen) {
            // Enter and Tab take the chosen name only while the list is open.
            row("Enter, BR on Enter") << int(Qt::Key_Return) << 0 << 1 << before + "<BR>\r\n|"
                                      << ""
                                      << "" << true;
            row("Tab") << int(Qt::Key_Tab) << 0 << 0 << typed << ""
                       << "" << false;
        }
    }
}

void TstTyping::otherKeysKeepTheirMeaning() {
    QFETCH(QString, keys);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, brOnEnter);
    QFETCH(QString, result);
    QFETCH(QString, popup);
    QFETCH(QString, item);
    QFETCH(bool, focusStays);
    std::unique_ptr<QMenu> stand;
    if (!fx->window->menus().menu(QStringLiteral("mnuUserTAGS"))) {
        // The registered-tags menu as the user tags build it once a tag is registered.
        stand = std::make_unique<QMenu>(fx->window->menus().menu(QStringLiteral("mnuHTML")));
        stand->setObjectName(QStringLiteral("mnuUserTAGS"));
    }
    QSignalSpy ran(fx->window->menus().item(QStringLiteral("mnuAllSelect")), &QAction::triggered);
    type(keys);
    QCOMPARE(textWithCaret(), typed);
    fx->host.clear();
    fx->state.settings.BrOnEnter = int16_t(brOnEnter);
    QTest::keyClick(pane(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    settle();
    if (item.isEmpty()) {
        QCOMPARE(textWithCaret(), result);
        QCOMPARE(ran.count(), 0);
    } else {
        QCOMPARE(buffer().text(), result.remove(u'|'));
        QCOMPARE(ran.count(), 1);
        QCOMPARE(buffer().selectionStart(), 0);
        QCOMPARE(buffer().selectionLength(), buffer().length());
    }
    // An edit writes the preview; only the popups count here.
    QStringList popups;
    for (const auto& call : std::as_const(fx->host.calls)) {
        if (call.kind == u"popup")
            popups << call.text;
    }
    QCOMPARE(popups, popup.isEmpty() ? QStringList() : QStringList{popup});
    QCOMPARE(pane()->hasFocus(), focusStays);
    if (!focusStays) {
        pane()->setFocus();
        settle();
    }
}

void TstTyping::undoTakesACompletionWithItsRun_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("typed");
    QTest::newRow("end tag") << "<p>abc</"
                             << "<p>abc</p>";
    QTest::newRow("typing on after an end tag") << "<b>x</ y"
                                                << "<b>x</b> y";
    QTest::newRow("an end tag typed over") << "<b>x</b>y"
                                           << "<b>x</b>y";
    QTest::newRow("an end tag given way") << "<b><i>x</b>"
                                          << "<b><i>x</b>";
    QTest::newRow("name from the list") << "<tab{Enter}"
                                        << "<table";
    QTest::newRow("typing on after a name") << "<a hr{Tab}=x"
                                            << "<a href=x";
}

void TstTyping::undoTakesACompletionWithItsRun() {
    QFETCH(QString, keys);
    QFETCH(QString, typed);
    setTextWithCaret(QStringLiteral("old|"));
    type(keys);
    QCOMPARE(buffer().text(), QStringLiteral("old") + typed);
    QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer().text(), QStringLiteral("old"));
    QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer().text(), QStringLiteral("old") + typed);
}

void TstTyping::listKeepsTheFocusInThePane() {
    type(QStringLiteral("<s"));
    QVERIFY(aids().listOpen());
    QCOMPARE(QApplication::focusWidget(), pane());
    QCOMPARE(aids().list()->focusPolicy(), Qt::NoFocus);
    QCOMPARE(aids().list()->parentWidget(), pane()->viewport());
    // Just under the caret's line.
    QCOMPARE(aids().list()->geometry().top(), pane()->cursorRect().bottom() + 1);
    // Losing the focus closes it.
    fx->window->setFocus();
    pane()->clearFocus();
    settle();
    QVERIFY(!aids().listOpen());
}

void TstTyping::listTakesAClickedName() {
    type(QStringLiteral("<he"));
    QCOMPARE(shownList(), QStringLiteral("head,header"));
    SuggestionList* list = aids().list();
    const QRect second = list->visualRect(list->model().index(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    settle();
    QCOMPARE(textWithCaret(), QStringLiteral("<header|"));
    QVERIFY(pane()->hasFocus());
    // Clicked or typed, the name is part of the run.
    QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer().text(), QString());
}

void TstTyping::listClosesWhenTheCaretLeavesTheName() {
    type(QStringLiteral("<ta"));
    QVERIFY(aids().listOpen());
    type(QStringLiteral("{Left}"));
    QVERIFY(!aids().listOpen());
    // Moving back does not open it; typing on does.
    type(QStringLiteral("{Right}"));
    QVERIFY(!aids().listOpen());
    type(QStringLiteral("b"));
    QCOMPARE(shownList(), QStringLiteral("table"));
    // The caret moved by a command.
    buffer().setSelection(0, 0);
    settle();
    QVERIFY(!aids().listOpen());
}

void TstTyping::noListDuringAComposition() {
    type(QStringLiteral("<t"));
    QVERIFY(aids().listOpen());
    // A composition begins: the list closes, and the text is not touched.
    QInputMethodEvent composing(QStringLiteral("てーぶる"), {});
    QCoreApplication::sendEvent(pane(), &composing);
    settle();
    QVERIFY(!aids().listOpen());
    QCOMPARE(buffer().text(), QStringLiteral("<t"));
    // A letter that reaches the pane while the composition runs does not open it again.
    QTest::keyClick(pane(), Qt::Key_A);
    settle();
    QVERIFY(!aids().listOpen());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("表"));
    QCoreApplication::sendEvent(pane(), &commit);
    settle();
    QVERIFY(!aids().listOpen());
    QVERIFY(buffer().text().endsWith(QStringLiteral("表")));
}

void TstTyping::fullWidthSpacesAreOutlined_data() {
    QTest::addColumn<QColor>("background");
    QTest::newRow("white") << QColor(Qt::white);
    QTest::newRow("black") << QColor(Qt::black);
}

void TstTyping::fullWidthSpacesAreOutlined() {
    QFETCH(QColor, background);
    const QPalette before = pane()->palette();
    QPalette palette = before;
    palette.setColor(QPalette::Base, background);
    pane()->setPalette(palette);
    const QColor mark = deriveHighlightColors(background).fullWidthSpace;
    QCOMPARE(fx->window->editorWiring().view().colors().fullWidthSpace, mark);
    const QString text = QStringLiteral("<A TITLE=\"x　y\">p q</A>\r\n\r\nplain　line");
    buffer().setText(text);
    buffer().setSelection(0, 0);
    settle();
    QTextDocument* doc = pane()->document();
    // Pixels of the mark's colour in the room the character at `position` takes.
    const auto markPixels = [&](int position) {
        QTextCursor at(doc);
        at.setPosition(position);
        const QRect left = pane()->cursorRect(at);
        at.setPosition(position + 1);
        const QRect right = pane()->cursorRect(at);
        const QImage image = pane()->viewport()->grab().toImage();
        int count = 0;
        for (int x = left.left(); x < right.left(); ++x) {
            for (int y = left.top(); y <= left.bottom(); ++y)
                count += image.pixel(x, y) == mark.rgb();
        }
        return count;
    };
    const int inTag = int(text.indexOf(u'　'));
    const int plainSpace = int(text.indexOf(u' ', text.indexOf(u'p')));
    // On the caret's line (over the current-line band) and on another line.
    QVERIFY2(markPixels(inTag) >= 16, qPrintable(QString::number(markPixels(inTag))));
    QCOMPARE(markPixels(plainSpace), 0);
    QCOMPARE(markPixels(inTag + 1), 0);
    const int onLastLine = int(text.lastIndexOf(u'　')) - 2; // the widget counts one per break
    QVERIFY(markPixels(onLastLine) >= 16);
    // The text itself is unchanged.
    QCOMPARE(buffer().text(), text);
    // The marks follow edits: two letters before the first space, then a new line above all.
    buffer().setSelection(0, 0);
    buffer().replaceSelection(QStringLiteral("ab"));
    settle();
    QVERIFY(markPixels(inTag + 2) >= 16);
    QCOMPARE(markPixels(inTag), 0);
    buffer().setSelection(0, 0);
    buffer().replaceSelection(QStringLiteral("\r\n"));
    settle();
    QVERIFY(markPixels(inTag + 3) >= 16);
    QVERIFY(markPixels(onLastLine + 3) >= 16);
    QCOMPARE(markPixels(onLastLine + 2), 0);
    pane()->setPalette(before);
}

TAGLOOM_TEST_MAIN(TstTyping)
#include "tst_typing.moc"
