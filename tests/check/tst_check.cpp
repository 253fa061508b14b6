// The page check: Tidy's messages in Japanese at the right places, the problems panel under the
// text pane driven with real keys and clicks, its marks on the painted lines, and the check
// following the typing away from the user-interface thread.
#include "app/CheckWiring.h"
#include "app/EditorWiring.h"
#include "app/MenuTree.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "check/PageCheck.h"
#include "check/PageChecker.h"
#include "check/ProblemMarks.h"
#include "check/ProblemsPanel.h"
#include "editor/HtmlHighlighter.h"
#include "editor/SourceView.h"
#include "host/EditBuffer.h"
#include "support/TestApp.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>

namespace {

const QString kHead = QStringLiteral("<!DOCTYPE html>\n<title>t</title>\n");

// The problem of `key` in a check of `html` (LF between lines), or an empty one.
PageProblem problemOf(const QString& html, const QString& key) {
    QString raw = html;
    raw.replace(u'\n', QChar::ParagraphSeparator);
    for (const PageProblem& p : checkPage(raw).problems)
        if (p.key == key)
            return p;
    return {};
}

QStringList keysOf(const QString& html) {
    QString raw = html;
    raw.replace(u'\n', QChar::ParagraphSeparator);
    QStringList keys;
    for (const PageProblem& p : checkPage(raw).problems)
        keys << p.key;
    return keys;
}

ProblemsPanel& panelOf(frmEdit& w) {
    return w.checkWiring().panel();
}

QListWidget* rowsOf(frmEdit& w) {
    return w.findChild<QListWidget*>(QStringLiteral("lstProblems"));
}

// A real window, shown, its pane focused.
frmEdit& shownWindow(EditorFixture& fx) {
    frmEdit& w = fx.open();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        qFatal("the window was not shown");
    // Without a window manager the focus is given, not negotiated.
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w, 2000))
        QApplication::setActiveWindow(&w);
    if (!QTest::qWaitForWindowActive(&w))
        qFatal("the window did not become active");
    fx.state.settings.BrOnEnter = 0;
    w.txtEdit()->setFocus();
    return w;
}

int distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// The lower half of the line of `length` characters at `position`, as the pane paints it.
QImage lineBelow(frmEdit& w, int position, int length) {
    QTextCursor c(w.txtEdit()->document());
    c.setPosition(position);
    const QRect first = w.txtEdit()->cursorRect(c);
    c.setPosition(position + length);
    const QRect last = w.txtEdit()->cursorRect(c);
    const QRect area(first.left(), first.center().y(), last.left() - first.left() + 1,
                     first.height() / 2 + 3);
    return w.txtEdit()->viewport()->grab(area).toImage();
}

// The pixels the marks changed: how many, and the one that changed most.
struct Added {
    int count = 0;
    QColor strongest;
};

Added addedPixels(const QImage& marked, const QImage& plain) {
    Added added;
    int most = 0;
    for (int y = 0; y < std::min(marked.height(), plain.height()); ++y)
        for (int x = 0; x < std::min(marked.width(), plain.width()); ++x) {
            const int d = distance(marked.pixelColor(x, y), plain.pixelColor(x, y));
            if (d == 0)
                continue;
            ++added.count;
            if (d > most) {
                most = d;
                added.strongest = marked.pixelColor(x, y);
            }
        }
    return added;
}

// A realistic page of about `bytes` bytes in UTF-8, LF between lines.
QString largePage(qsizetype bytes) {
    const QString block = QStringLiteral(
        "<div class=\"section\">\n<h2>第%1章　ページの作り方</h2>\n"
        "<p>このページでは、<b>HTML</b>のタグを使って文章を飾る方法を説明します&amp;"
        "<a href=\"page%1.html\">次のページ</a>もご覧ください。</p>\n"
        "<img src=\"img/photo%1.jpg\" alt=\"写真\" width=\"320\" height=\"240\">\n</div>\n");
    QString page = kHead;
    const qsizetype perBlock = block.arg(0).toUtf8().size();
    for (int i = 0; qsizetype(i) * perBlock < bytes; ++i)
        page += block.arg(i);
    return page;
}

} // namespace

class TstCheck : public QObject {
    Q_OBJECT
private slots:
    void listedCodesReadInJapanese_data();
    void listedCodesReadInJapanese();
    void pageDoctypeDecidesWhatIsAllowed();
    void placesCountInThePanesCharacters_data();
    void placesCountInThePanesCharacters();
    void marksReachTheEndOfTheirTag();
    void pagesTidyCannotTakeGiveOneRow();
    void environmentDoesNotConfigureTheCheck();
    void menuItemOpensAndClosesThePanelUnderTheText();
    void missingEndTagRowTakesTheCaretThere();
    void imgWithoutAltIsListedAndMarked();
    void resultForChangedTextIsDropped();
    void largePageIsCheckedWhileKeysShowAtOnce();
};

void TstCheck::listedCodesReadInJapanese_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    const QString h = kHead;
    QTest::newRow("missing end tag")
        << h + "<p><b>x</p>"
        << "MISSING_ENDTAG_BEFORE" << 3 << "</p> の前に </b> がありません";
    QTest::newRow("unexpected end tag")
        << h + "<p>a\n</td></p>"
        << "DISCARDING_UNEXPECTED" << 4
        << "ここにあるはずのない終了タグ </td> があります（無視されます）";
    QTest::newRow("discarded element")
        << h + "<head><p>x</p></head>"
        << "DISCARDING_UNEXPECTED" << 3 << "ここに置けない <head> があります（無視されます）";
    QTest::newRow("missing alt") << h + "<img src=\"a.png\">"
                                 << "MISSING_ATTRIBUTE" << 3
                                 << "<img> に alt 属性（画像の代わりの文章）がありません";
    QTest::newRow("unescaped & or unknown entity")
        << h + "<p>a&b</p>"
        << "UNKNOWN_ENTITY" << 3 << "& がそのまま書かれているか、&b が知られていない文字参照です";
    QTest::newRow("unescaped &")
        << "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<title>t</title>\n<p>a & b</p>"
        << "UNESCAPED_AMPERSAND" << 3 << "& がそのまま書かれています。&amp; と書いてください";
    QTest::newRow("unknown element") << h + "<foo>x</foo>"
                                     << "UNKNOWN_ELEMENT" << 3 << "<foo> は知られていない要素です";
    QTest::newRow("unknown attribute")
        << h + "<p zork=\"1\">z</p>"
        << "PROPRIETARY_ATTRIBUTE" << 3 << "<p> の \"zork\" は知られていない属性です";
    QTest::newRow("duplicate id") << h + "<p id=\"a\">1</p>\n<p id=\"a\">2</p>"
                                  << "ANCHOR_NOT_UNIQUE" << 4
                                  << "<p> の id \"a\" はすでに使われています";
    QTest::newRow("proprietary element")
        << h + "<marquee>m</marquee>"
        << "PROPRIETARY_ELEMENT" << 3 << "<marquee> は標準にない独自の要素です";
    QTest::newRow("obsolete element")
        << h + "<center>c</center>"
        << "REMOVED_HTML5" << 3 << "<center> は HTML5 で廃止された要素です";
    QTest::newRow("missing doctype") << "<title>t</title>\n<p>x</p>"
                                     << "MISSING_DOCTYPE" << 1 << "<!DOCTYPE> 宣言がありません";
    QTest::newRow("missing title") << "<!DOCTYPE html>\n<p>x</p>"
                                   << "MISSING_TITLE_ELEMENT" << 2 << "<title> 要素がありません";
    QTest::newRow("nested a") << h + "<p><a href=\"a\">1<a href=\"b\">2</a></a></p>"
                              << "MISSING_ENDTAG_BEFORE" << 3
                              << "<a> の中に <a> が入れ子になっています（</a> がありません）";
    QTest::newRow("element not allowed here")
        << h + "<table><div>x</div></table>"
        << "TAG_NOT_ALLOWED_IN" << 3 << "<div> は <table> の中には置けません";
    QTest::newRow("text not allowed here")
        << h + "<table><tr>x</tr></table>"
        << "TAG_NOT_ALLOWED_IN" << 3 << "<tr> の中に文字をじかに書くことはできません";
    // A message without a wording of ours keeps Tidy's English.
    QTest::newRow("other codes in English")
        << h + "<title>u</title>"
        << "TOO_MANY_ELEMENTS_IN" << 2 << "too many title elements in <title>";
}

void TstCheck::listedCodesReadInJapanese() {
    QFETCH(QString, html);
    QFETCH(QString, key);
    QFETCH(int, line);
    QFETCH(QString, text);
    const PageProblem p = problemOf(html, key);
    QCOMPARE(p.key, key);
    QCOMPARE(p.line, line);
    QCOMPARE(p.text, text);
}

void TstCheck::pageDoctypeDecidesWhatIsAllowed() {
    const QString body = QStringLiteral("<body><p><font color=\"red\">x</font></p></body>");
    // An HTML 4 page may use FONT; a page of today may not.
    const QStringList html4 =
        keysOf(QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
                              "\"http://www.w3.org/TR/html4/loose.dtd\">\n<title>t</title>\n") +
               body);
    QCOMPARE(html4, QStringList());
    QCOMPARE(keysOf(kHead + body), QStringList{"REMOVED_HTML5"});
}

void TstCheck::placesCountInThePanesCharacters_data() {
    QTest::addColumn<QString>("line3"); // the line with the problem, after the head
    QTest::addColumn<int>("column");    // where </p>'s missing </i> is reported: at <i>
    QTest::newRow("plain") << "<p><i>x</p>" << 4;
    // A tab is one character in the pane (Tidy would count it as up to eight columns).
    QTest::newRow("tab") << "<p>\t\t<i>x</p>" << 6;
    // A character outside the basic plane is two UTF-16 units in the pane, one for Tidy.
    QTest::newRow("surrogate pair") << QStringLiteral("<p>😀😀<i>x</p>") << 8;
    // Controls other than tab are dropped by Tidy's reader without a column.
    QTest::newRow("control characters") << QStringLiteral("<p>\x01\x0b<i>x</p>") << 6;
    QTest::newRow("lone surrogate") << QStringLiteral("<p>") + QChar(0xD800) + "<i>x</p>" << 5;
    QTest::newRow("no-break space and full-width space")
        << QStringLiteral("<p>\u00a0\u3000<i>x</p>") << 6;
}

void TstCheck::placesCountInThePanesCharacters() {
    QFETCH(QString, line3);
    QFETCH(int, column);
    const QString html = kHead + line3;
    const PageProblem p = problemOf(html, QStringLiteral("MISSING_ENDTAG_BEFORE"));
    QCOMPARE(p.line, 3);
    QCOMPARE(p.column, column);
    // The pane's position of the <i>, one character per line break.
    QCOMPARE(p.start, int(kHead.size()) + column - 1);
    QCOMPARE(html.mid(p.start, 3), QStringLiteral("<i>"));
}

void TstCheck::marksReachTheEndOfTheirTag() {
    // A byte order mark at the start is read past by Tidy, not counted.
    const QString html = QChar(0xFEFF) + kHead + "<p>x &foo; y</p>\n<img src=\"a\"\n  width=\"1\">";
    QString raw = html;
    raw.replace(u'\n', QChar::ParagraphSeparator);
    const QList<PageProblem> problems = checkPage(raw).problems;
    QStringList marked;
    for (const PageProblem& p : problems)
        marked << p.key + "=" + html.mid(p.start, p.end - p.start);
    QVERIFY2(marked.contains("UNKNOWN_ENTITY=&foo;"), qPrintable(marked.join(u'|')));
    // A tag over two lines is marked to its '>'.
    QVERIFY2(marked.contains("MISSING_ATTRIBUTE=<img src=\"a\"\n  width=\"1\">"),
             qPrintable(marked.join(u'|')));
    // In order of position.
    for (int i = 1; i < problems.size(); ++i)
        QVERIFY(problems[i - 1].start <= problems[i].start);
}

void TstCheck::pagesTidyCannotTakeGiveOneRow() {
    // Nesting deep enough to take Tidy's parser past its stack.
    const QString deep = kHead + QStringLiteral("<div>").repeated(50000) + "x";
    const PageCheckResult r = checkPage(deep);
    QCOMPARE(r.problems.size(), 1);
    QCOMPARE(r.problems[0].key, QString::fromLatin1(kCheckFailedKey));
    QCOMPARE(r.problems[0].severity, PageProblem::Severity::Error);
    QCOMPARE(
        r.problems[0].text,
        QStringLiteral("このページは検査できませんでした（要素の入れ子が深すぎます：50000 段）"));
    // Elements that close themselves do not deepen a page: many of them are checked.
    const QString flat = kHead + QStringLiteral("<p>a<br><li>b").repeated(2000);
    QVERIFY(estimatedNestingDepth(flat) < 5);
    QVERIFY(checkPage(flat).problems.value(0).key != QString::fromLatin1(kCheckFailedKey));
    // A check called off gives nothing.
    std::atomic<bool> cancel{true};
    const PageCheckResult off = checkPage(largePage(200000), &cancel);
    QVERIFY(off.cancelled);
    QVERIFY(off.problems.isEmpty());
}

void TstCheck::environmentDoesNotConfigureTheCheck() {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("tidy.conf"));
    writeBytes(config, "show-warnings: no\nshow-errors: 0\ndoctype: omit\n");
    const QString html = kHead + "<body><p><b>x</p><center>c</center></body>";
    const QStringList before = keysOf(html);
    qputenv("HTML_TIDY", config.toUtf8());
    const QStringList after = keysOf(html);
    qunsetenv("HTML_TIDY");
    QCOMPARE(after, before);
    QCOMPARE(before, (QStringList{"MISSING_ENDTAG_BEFORE", "REMOVED_HTML5", "INSERTING_TAG"}));
}

void TstCheck::menuItemOpensAndClosesThePanelUnderTheText() {
    EditorFixture fx;
    frmEdit& w = shownWindow(fx);
    QAction* item = w.menus().item(QStringLiteral("mnuCheck"));
    QVERIFY(item && item->isEnabled());
    const QRect text = w.txtEdit()->geometry();
    QWidget* panel = &panelOf(w);
    QVERIFY(!panel->isVisible());
    // F8 in the pane is the item's shortcut.
    QTest::keyClick(w.txtEdit(), Qt::Key_F8);
    QVERIFY(panel->isVisible());
    const int panelPixels = w.toPixels(CheckWiring::kPanelTwips);
    QCOMPARE(w.txtEdit()->height(), text.height() - panelPixels);
    QCOMPARE(panel->geometry(),
             QRect(0, w.txtEdit()->geometry().bottom() + 1, text.width(), panelPixels));
    QVERIFY(rowsOf(w)->isVisible());
    // The window's own layout keeps the panel's share.
    w.resize(w.width() - 40, w.height() - 30);
    QTRY_COMPARE(panel->geometry().top(), w.txtEdit()->geometry().bottom() + 1);
    const QRect narrower = w.txtEdit()->geometry();
    // The same item closes it, and the text pane gets its height back.
    QTest::keyClick(w.txtEdit(), Qt::Key_F8);
    QVERIFY(!panel->isVisible());
    QCOMPARE(w.txtEdit()->height(), narrower.height() + panelPixels);
    // So does its close button.
    item->trigger();
    QVERIFY(panel->isVisible());
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("cmdCloseProblems")),
                      Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QCOMPARE(w.txtEdit()->height(), narrower.height() + panelPixels);
}

void TstCheck::missingEndTagRowTakesTheCaretThere() {
    EditorFixture fx;
    frmEdit& w = shownWindow(fx);
    QTest::keyClicks(w.txtEdit(), QStringLiteral("<p><b>x</p>"));
    QTest::keyClick(w.txtEdit(), Qt::Key_Return);
    QTest::keyClicks(w.txtEdit(), QStringLiteral("end"));
    QCOMPARE(w.buffer().text(), QStringLiteral("<p><b>x</p>\r\nend"));
    QTest::keyClick(w.txtEdit(), Qt::Key_F8);
    QSignalSpy shown(&panelOf(w), &ProblemsPanel::shown);
    QVERIFY(shown.wait(20000));
    QListWidget* rows = rowsOf(w);
    int row = -1;
    for (int i = 0; i < rows->count(); ++i)
        if (rows->item(i)->text() == QStringLiteral("行 1、列 4：</p> の前に </b> がありません"))
            row = i;
    QVERIFY2(row >= 0, qPrintable(rows->count() ? rows->item(0)->text() : QString()));
    // The rows by position: the page-wide ones at line 1 column 1 first.
    QCOMPARE(rows->item(0)->text().left(8), QStringLiteral("行 1、列 1："));
    // A double-click puts the caret at <b> on line 1 and gives the pane the focus.
    QCOMPARE(w.buffer().selectionStart(), 16);
    const QRect place = rows->visualItemRect(rows->item(row));
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, place.center());
    QCOMPARE(w.buffer().selectionStart(), 3);
    QCOMPARE(w.txtEdit()->textCursor().blockNumber(), 0);
    QTRY_VERIFY(w.txtEdit()->hasFocus());
    // The text is the user's: the check changed nothing.
    QCOMPARE(w.buffer().text(), QStringLiteral("<p><b>x</p>\r\nend"));
}

void TstCheck::imgWithoutAltIsListedAndMarked() {
    EditorFixture fx;
    frmEdit& w = shownWindow(fx);
    QString page = QStringLiteral("<!DOCTYPE html>\r\n<title>t</title>\r\n");
    for (int i = 3; i < 30; ++i)
        page += QStringLiteral("<p>line %1</p>\r\n").arg(i);
    page += QStringLiteral("<p><img src=\"photo.jpg\" width=\"9\"></p>\r\n");
    page += QStringLiteral("<p>after</p>\r\n").repeated(40);
    w.buffer().loadText(page);
    w.buffer().setSelection(0, 0);
    QTest::keyClick(w.txtEdit(), Qt::Key_F8);
    QSignalSpy shown(&panelOf(w), &ProblemsPanel::shown);
    QVERIFY(shown.wait(20000));
    QListWidget* rows = rowsOf(w);
    int row = -1;
    for (int i = 0; i < rows->count(); ++i)
        if (rows->item(i)->text() ==
            QStringLiteral("行 30、列 4：<img> に alt 属性（画像の代わりの文章）がありません"))
            row = i;
    QVERIFY(row >= 0);
    const QColor amber = w.editorWiring().view().colors().problemWarning;
    const int start = panelOf(w).marks().start(row);
    const int length = panelOf(w).marks().end(row) - start;
    QCOMPARE(length, int(QStringLiteral("<img src=\"photo.jpg\" width=\"9\">").size()));
    // Enter on the row takes the caret there and scrolls line 30 into view.
    rows->setFocus();
    rows->setCurrentRow(row);
    QTest::keyClick(rows, Qt::Key_Return);
    QCOMPARE(w.txtEdit()->textCursor().blockNumber(), 29);
    QCOMPARE(w.buffer().selectionStart(), w.buffer().text().indexOf(u"<img"));
    QTRY_VERIFY(w.txtEdit()->hasFocus());
    QCoreApplication::processEvents();
    // The wavy underline is drawn under the tag, in the warning's colour, and not beside it.
    const QImage marked = lineBelow(w, start, length);
    const QImage besideMarked = lineBelow(w, start + length + 1, 3);
    // Lines off screen were never asked for their marks.
    QVERIFY(w.txtEdit()->document()->lastBlock().layout()->formats().isEmpty());
    // Closed, the panel takes its marks with it.
    QTest::keyClick(w.txtEdit(), Qt::Key_F8);
    QCoreApplication::processEvents();
    const QImage plain = lineBelow(w, start, length);
    const Added wave = addedPixels(marked, plain);
    QVERIFY2(wave.count > 20, qPrintable(QString::number(wave.count)));
    // In the warning's colour rather than the error's.
    const QColor red = w.editorWiring().view().colors().problemError;
    QVERIFY(distance(wave.strongest, amber) < distance(wave.strongest, red));
    QCOMPARE(addedPixels(besideMarked, lineBelow(w, start + length + 1, 3)).count, 0);
}

void TstCheck::resultForChangedTextIsDropped() {
    EditorFixture fx;
    frmEdit& w = shownWindow(fx);
    w.buffer().loadText(kHead + QStringLiteral("<p><b>x</p>"));
    ProblemsPanel& panel = panelOf(w);
    auto* checker = panel.findChild<PageChecker*>();
    QSignalSpy finished(checker, &PageChecker::finished);
    QSignalSpy shown(&panel, &ProblemsPanel::shown);
    w.txtEdit()->moveCursor(QTextCursor::End);
    const quint64 opened = panel.revision();
    QTest::keyClick(w.txtEdit(), Qt::Key_F8);
    // Keys before the first check is back: the text it was taken from is gone.
    QTest::keyClicks(w.txtEdit(), QStringLiteral("<i>y"));
    QCOMPARE(panel.revision(), opened + 4);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(1).toULongLong(), opened);
    QCOMPARE(rowsOf(w)->count(), 0);
    QCOMPARE(panel.marks().count(), 0);
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblProblems"))->text(),
             QStringLiteral("検査しています…"));
    // The pause after the last key checks the text as it is now.
    QVERIFY(shown.wait(20000));
    QCOMPARE(panel.shownRevision(), opened + 4);
    QStringList texts;
    for (int i = 0; i < rowsOf(w)->count(); ++i)
        texts << rowsOf(w)->item(i)->text();
    QVERIFY2(texts.contains(QStringLiteral("行 3、列 12：</i> がありません")),
             qPrintable(texts.join(u'\n')));
    // Then nothing runs while nothing changes.
    const int checks = finished.count();
    QTest::qWait(3 * ProblemsPanel::kPauseMs);
    QCOMPARE(finished.count(), checks);
    QVERIFY(!checker->busy());
}

void TstCheck::largePageIsCheckedWhileKeysShowAtOnce() {
    EditorFixture fx;
    frmEdit& w = shownWindow(fx);
    // The preview of a 10 MB page on every key is a cost of its own (timed in bench/): here the
    // pane's keys are timed, with and without the check running.
    fx.state.settings.PreviewUpdate = 1;
    const QString page = largePage(10 << 20) + QStringLiteral("<p><b>x</p>\n");
    w.buffer().loadText(page);
    w.txtEdit()->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    ProblemsPanel& panel = panelOf(w);
    auto* checker = panel.findChild<PageChecker*>();
    QSignalSpy shown(&panel, &ProblemsPanel::shown);
    QElapsedTimer slowest;
    // Keys without the check, for comparison (and so the pane has settled).
    qint64 worstAlone = 0;
    for (int k = 0; k < 4; ++k) {
        slowest.start();
        QTest::keyClick(w.txtEdit(), Qt::Key_B);
        QCoreApplication::processEvents();
        w.txtEdit()->viewport()->repaint();
        worstAlone = std::max(worstAlone, slowest.elapsed());
        QTest::qWait(50);
    }
    QTest::keyClick(w.txtEdit(), Qt::Key_F8);
    QVERIFY(checker->busy());
    // Keys typed while the page is checked show at once, each painted before the next.
    qint64 worst = 0;
    int typed = 0;
    for (; typed < 12 && checker->busy(); ++typed) {
        slowest.start();
        QTest::keyClick(w.txtEdit(), Qt::Key_A);
        QCoreApplication::processEvents();
        w.txtEdit()->viewport()->repaint();
        worst = std::max(worst, slowest.elapsed());
        QVERIFY(w.buffer().text().endsWith(QString(typed + 1, u'a')));
        QTest::qWait(50);
    }
    // The check was still running after the keys: it never held them up.
    QVERIFY2(typed >= 3, qPrintable(QString::number(typed)));
    // A key that waited for the check would wait seconds.
    QVERIFY2(
        worst < 1000,
        qPrintable(QStringLiteral("%1 ms, %2 ms without the check").arg(worst).arg(worstAlone)));
    // Once the typing pauses the page is checked as it is now.
    QVERIFY(shown.wait(120000));
    QCOMPARE(panel.shownRevision(), panel.revision());
    QStringList texts;
    for (int i = 0; i < rowsOf(w)->count(); ++i)
        texts << rowsOf(w)->item(i)->text();
    QVERIFY2(texts.join(u'\n').contains(QStringLiteral("</p> の前に </b> がありません")),
             qPrintable(texts.join(u'\n').left(500)));
}

TAGLOOM_TEST_MAIN(TstCheck)
#include "tst_check.moc"
