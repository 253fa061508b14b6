#include "host/CaretBlink.h"
#include "host/EditBuffer.h"
#include "host/QtHost.h"
#include "host/TextFile.h"
#include "support/TestApp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QStyleHints>
#include <QVBoxLayout>

class TstHost : public QObject {
    Q_OBJECT
private slots:
    void mainWindowComesBackAsItWas();
    void editBufferCountsLineBreaksAsTwo_data();
    void editBufferCountsLineBreaksAsTwo();
    void editBufferReplaceLeavesCaretAfterNewText();
    void editBufferChangeEvents();
    void editBufferMapsEveryPositionOfALongText();
    void editBufferKeepsNoBreakSpaces();
    void editBufferHoldsFrameBoundsAsOneCharacter();

    void decodesAndDetects_data();
    void decodesAndDetects();
    void refusesBytesThatDoNotDecode();
    void readsLargeFilesWhole();
    void listsCharactersTheCodePageCannotHold();
    void linesEndAtCrLfCrAndLf_data();
    void linesEndAtCrLfCrAndLf();
    void internalFilesFallBackToUtf8WithMark();
    void damagedCharactersAreFoundAndNeverWritten_data();
    void damagedCharactersAreFoundAndNeverWritten();
    void atomicWriteReplacesWholeAndLeavesNoTemporary();

    void fileDialogFilterBecomesQtFilter();

    void caretRestsWhenIdleAndBlinksOnInput_data();
    void caretRestsWhenIdleAndBlinksOnInput();
};

namespace {

struct CaretSeen {
    bool shown = false;
    bool hidden = false;
};

// Whether the caret was drawn, looked at every 40 ms for `ms` (the text box holds no text, so
// anything dark where the caret stands is the caret).
CaretSeen watchCaret(QPlainTextEdit& edit, int ms) {
    CaretSeen seen;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        const QImage image =
            edit.viewport()->grab(edit.cursorRect().adjusted(-1, 0, 1, 0)).toImage();
        bool dark = false;
        for (int y = 0; y < image.height() && !dark; ++y)
            for (int x = 0; x < image.width() && !dark; ++x)
                dark = qGray(image.pixel(x, y)) < 128;
        (dark ? seen.shown : seen.hidden) = true;
        QTest::qWait(40);
    }
    return seen;
}

} // namespace

void TstHost::editBufferCountsLineBreaksAsTwo_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("widgetStart");
    // "ab" CR LF "cd" CR LF "ef": a0 b1 CR2 LF3 c4 d5 CR6 LF7 e8 f9
    QTest::newRow("first line") << 0 << 2 << "ab" << 0;
    QTest::newRow("second line") << 4 << 2 << "cd" << 3;
    QTest::newRow("across a break") << 1 << 4 << "b\r\nc" << 1;
    QTest::newRow("third line") << 8 << 2 << "ef" << 6;
    QTest::newRow("whole text") << 0 << 10 << "ab\r\ncd\r\nef" << 0;
    QTest::newRow("end") << 10 << 0 << "" << 8;
}

void TstHost::editBufferCountsLineBreaksAsTwo() {
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, selected);
    QFETCH(int, widgetStart);
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    buffer.setText(QStringLiteral("ab\r\ncd\r\nef"));
    QCOMPARE(buffer.text(), QStringLiteral("ab\r\ncd\r\nef"));
    QCOMPARE(buffer.length(), 10);
    buffer.setSelection(start, length);
    QCOMPARE(buffer.selectionStart(), start);
    QCOMPARE(buffer.selectionLength(), length);
    QCOMPARE(buffer.selectedText(), selected);
    QCOMPARE(edit.textCursor().selectionStart(), widgetStart);
}

void TstHost::editBufferReplaceLeavesCaretAfterNewText() {
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    buffer.setText(QStringLiteral("ab\r\ncd"));
    buffer.setSelection(4, 1); // "c"
    buffer.replaceSelection(QStringLiteral("<X>\r\n"));
    QCOMPARE(buffer.text(), QStringLiteral("ab\r\n<X>\r\nd"));
    QCOMPARE(buffer.selectionStart(), 9);
    QCOMPARE(buffer.selectionLength(), 0);
    // A position between CR and LF falls back to the end of its line.
    buffer.setSelection(3, 0);
    QCOMPARE(buffer.selectionStart(), 2);
}

void TstHost::editBufferHoldsFrameBoundsAsOneCharacter() {
    // Qt's document takes U+FDD0 and U+FDD1 for frame bounds and would break the line there.
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    buffer.setText(QStringLiteral("a\uFDD0b\uFDD1c\uFDCF\uFDD2"));
    QCOMPARE(buffer.text(), QStringLiteral("a\uFFFDb\uFFFDc\uFDCF\uFDD2"));
    QCOMPARE(edit.document()->blockCount(), 1);
    QCOMPARE(buffer.length(), 7);
    buffer.setSelection(1, 1);
    buffer.replaceSelection(QStringLiteral("\uFDD1\r\n\uFDD0"));
    QCOMPARE(buffer.text(), QStringLiteral("a\uFFFD\r\n\uFFFDb\uFFFDc\uFDCF\uFDD2"));
    QCOMPARE(buffer.selectionStart(), 5);
    QCOMPARE(edit.document()->blockCount(), 2);
}

void TstHost::editBufferChangeEvents() {
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    QSignalSpy changes(&buffer, &EditBuffer::changed);
    buffer.setText(QStringLiteral("abc"));
    QCOMPARE(changes.count(), 1);
    buffer.setText(QStringLiteral("abc"));
    QCOMPARE(changes.count(), 1); // the same text is no change
    buffer.setSelection(1, 0);
    buffer.replaceSelection(QString());
    QCOMPARE(changes.count(), 1); // nothing selected, nothing inserted
    buffer.replaceSelection(QStringLiteral("x"));
    QCOMPARE(changes.count(), 2);
}

void TstHost::editBufferMapsEveryPositionOfALongText() {
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    QString text;
    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i)
        text += QString(int(random.bounded(0, 12)), QChar(u'あ' + i % 40)) + QStringLiteral("\r\n");
    buffer.setText(text);
    QCOMPARE(buffer.length(), text.size());
    for (int k = 0; k < 300; ++k) {
        const int p = int(random.bounded(0, int(text.size())));
        if (p > 0 && text[p - 1] == u'\r')
            continue; // the middle of a line break
        buffer.setSelection(p, 0);
        QCOMPARE(buffer.selectionStart(), p);
        const int widget = edit.textCursor().position();
        QCOMPARE(widget, p - int(text.left(p).count(QLatin1String("\r\n"))));
    }
}

void TstHost::editBufferKeepsNoBreakSpaces() {
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    const QString text = QStringLiteral("a\u00A0b\r\nc");
    buffer.setText(text);
    QCOMPARE(buffer.text(), text);
}

void TstHost::decodesAndDetects_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("text");
    const QString jp = QStringLiteral("日本語のページ");
    QTest::newRow("cp932") << QByteArray("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57")
                           << int(TextEncoding::Cp932) << jp;
    QTest::newRow("utf-8") << jp.toUtf8() << int(TextEncoding::Utf8) << jp;
    QTest::newRow("utf-8 with mark")
        << QByteArray("\xEF\xBB\xBF") + jp.toUtf8() << int(TextEncoding::Utf8Bom) << jp;
    QTest::newRow("utf-16le with mark")
        << QByteArray("\xFF\xFE") +
               QByteArray(reinterpret_cast<const char*>(jp.utf16()), jp.size() * 2)
        << int(TextEncoding::Utf16LeBom) << jp;
    // A mark after the mark is the text's own first character (U+FEFF), not a second mark.
    QTest::newRow("utf-8, the mark twice")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                      "a")
        << int(TextEncoding::Utf8Bom) << QStringLiteral("\uFEFFa");
    QTest::newRow("utf-16le, the mark twice")
        << QByteArray("\xFF\xFE\xFF\xFE"
                      "a\0",
                      6)
        << int(TextEncoding::Utf16LeBom) << QStringLiteral("\uFEFFa");
    const QByteArray declared = "<meta charset=\"Shift_JIS\">\x82\xa0";
    QTest::newRow("declared shift_jis")
        << declared << int(TextEncoding::Cp932) << QStringLiteral("<meta charset=\"Shift_JIS\">あ");
    QTest::newRow("plain ascii stays cp932")
        << QByteArray("<p>x</p>") << int(TextEncoding::Cp932) << QStringLiteral("<p>x</p>");
    QTest::newRow("declared utf-8, ascii so far")
        << QByteArray("<meta charset=utf-8><p>x</p>") << int(TextEncoding::Utf8)
        << QStringLiteral("<meta charset=utf-8><p>x</p>");

    // Older Japanese pages: EUC-JP and ISO-2022-JP, declared or not, and pages whose declared
    // charset is wrong. The bytes are Qt's own encoding of the text (ICU's tables).
    const QString page = QStringLiteral(
        "<p>吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめ"
        "じめした所でニャーニャー泣いていた事だけは記憶している。</p>");
    auto bytesOf = [](const QString& text, const char* codec) {
        QStringEncoder encoder(codec);
        return QByteArray(encoder.encode(text));
    };
    for (const auto& [label, codec, encoding] :
         {std::tuple{"euc-jp", "EUC-JP", TextEncoding::EucJp},
          std::tuple{"iso-2022-jp", "ISO-2022-JP", TextEncoding::Iso2022Jp},
          std::tuple{"shift_jis", "windows-31j", TextEncoding::Cp932}}) {
        const QString declaredPage =
            QStringLiteral("<meta charset=\"%1\">").arg(QLatin1String(label)) + page;
        QTest::newRow(qPrintable(QStringLiteral("declared %1").arg(QLatin1String(label))))
            << bytesOf(declaredPage, codec) << int(encoding) << declaredPage;
        QTest::newRow(qPrintable(QStringLiteral("undeclared %1").arg(QLatin1String(label))))
            << bytesOf(page, codec) << int(encoding) << page;
    }
    const QString saysSjis = QStringLiteral("<meta charset=\"Shift_JIS\">") + page;
    QTest::newRow("utf-8 labelled shift_jis")
        << saysSjis.toUtf8() << int(TextEncoding::Utf8) << saysSjis;
    const QString saysUtf8 = QStringLiteral("<meta charset=utf-8>") + page + QStringLiteral("①ｱ");
    QTest::newRow("cp932 labelled utf-8")
        << bytesOf(saysUtf8, "windows-31j") << int(TextEncoding::Cp932) << saysUtf8;
    const QString saysEuc = QStringLiteral("<meta charset=EUC-JP>") + page;
    QTest::newRow("utf-8 labelled euc-jp")
        << saysEuc.toUtf8() << int(TextEncoding::Utf8) << saysEuc;
}

void TstHost::decodesAndDetects() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(QString, text);
    QCOMPARE(int(detectEncoding(bytes).value_or(TextEncoding(-1))), encoding);
    const auto decoded = decodeText(bytes, TextEncoding(encoding));
    QVERIFY(decoded);
    QCOMPARE(*decoded, text);
    // Written back in the same encoding, the bytes are the same.
    QCOMPARE(encodeText(text, TextEncoding(encoding)).value_or(QByteArray()), bytes);
}

void TstHost::refusesBytesThatDoNotDecode() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.html"));
    QString error;
    // Not CP932 nor any other; and UTF-16 with a byte left over, which must not turn into a
    // character that is then saved in its place.
    for (const QByteArray& bytes :
         {QByteArray("<p>\x81\x20\xff</p>"), QByteArray("\xFF\xFE<\0p\0>", 7),
          QByteArray("\xFE\xFF\0<\0p>", 7)}) {
        writeBytes(path, bytes);
        QVERIFY2(!readTextFile(path, &error), bytes.toHex().constData());
        QVERIFY(!error.isEmpty());
    }
    QVERIFY(!readTextFile(dir.filePath(QStringLiteral("missing.html")), &error));
}

void TstHost::readsLargeFilesWhole() {
    // Files large enough to be read into huge pages: every character arrives, and the text
    // keeps no more memory than it needs.
    QString text;
    for (int i = 0; text.size() < 6'000'000; ++i)
        text += QStringLiteral("<TD>東京都%1ｱ①</TD>\r\n").arg(i);
    QTemporaryDir dir;
    for (const auto& [name, bytes, encoding] :
         {std::tuple{"utf8.csv", text.toUtf8(), TextEncoding::Utf8},
          std::tuple{"cp932.csv", *encodeText(text, TextEncoding::Cp932), TextEncoding::Cp932}}) {
        const QString path = dir.filePath(QLatin1String(name));
        writeBytes(path, bytes);
        const std::optional<DecodedText> read = readTextFile(path);
        QVERIFY2(read, name);
        QCOMPARE(int(read->encoding), int(encoding));
        QVERIFY2(read->text == text, name);
        QVERIFY(read->text.capacity() - read->text.size() <= (1 << 20));
    }
}

void TstHost::listsCharactersTheCodePageCannotHold() {
    const QString text = QStringLiteral("日本😀語〜😀é");
    const QStringList unfit = unencodableCharacters(text, TextEncoding::Cp932);
    QCOMPARE(unfit, (QStringList{QStringLiteral("😀"), QStringLiteral("〜"), QStringLiteral("é")}));
    QVERIFY(!encodeText(text, TextEncoding::Cp932));
    QVERIFY(unencodableCharacters(text, TextEncoding::Utf8).isEmpty());
    QVERIFY(unencodableCharacters(QStringLiteral("～①ｱ"), TextEncoding::Cp932).isEmpty());
    // A lone surrogate is a character of its own, not the first half of the next one.
    const QString damaged = QString(QChar(0xD800)) + QStringLiteral("é日") + QChar(0xD800);
    QCOMPARE(unencodableCharacters(damaged, TextEncoding::Cp932),
             (QStringList{QString(QChar(0xD800)), QStringLiteral("é")}));
}

void TstHost::linesEndAtCrLfCrAndLf_data() {
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("crlf") << "a\r\nb\r\n"
                          << "a\r\nb\r\n";
    QTest::newRow("no final break") << "a\r\nb"
                                    << "a\r\nb\r\n";
    QTest::newRow("cr") << "a\rb\r"
                        << "a\r\nb\r\n";
    QTest::newRow("lf") << "a\nb\n"
                        << "a\r\nb\r\n";
    QTest::newRow("empty lines") << "a\r\n\r\n"
                                 << "a\r\n\r\n";
    QTest::newRow("empty") << ""
                           << "";
}

void TstHost::linesEndAtCrLfCrAndLf() {
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(linesToCrLf(in), out);
}

void TstHost::internalFilesFallBackToUtf8WithMark() {
    QCOMPARE(encodeInternal(QStringLiteral("初期設定")).value(),
             QByteArray("\x8f\x89\x8a\xfa\x90\xdd\x92\xe8"));
    QCOMPARE(encodeInternal(QStringLiteral("a😀")).value(), QByteArray("\xEF\xBB\xBF"
                                                                      "a\xF0\x9F\x98\x80"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.dat"));
    QVERIFY(writeInternalFile(path, QStringLiteral("é初期")));
    QCOMPARE(readInternalFile(path).value_or(QString()), QStringLiteral("é初期"));
    QVERIFY(writeInternalFile(path, QStringLiteral("初期")));
    QCOMPARE(readInternalFile(path).value_or(QString()), QStringLiteral("初期"));
}

void TstHost::damagedCharactersAreFoundAndNeverWritten_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("shown"); // as the error page shows it
    const QChar high(0xD800);
    const QChar low(0xDC00);
    const QString fffd(QChar(0xFFFD));
    QTest::newRow("pairs only") << QStringLiteral("a😀b\r\n") << -1 << QString()
                                << QStringLiteral("a😀b\r\n");
    QTest::newRow("a high half") << QStringLiteral("ab\r\nc") + high + u'd' << 5
                                 << QStringLiteral(
                                        "壊れた文字（対になっていないサロゲート U+D800、2 行目）")
                                 << QStringLiteral("ab\r\nc") + fffd + u'd';
    QTest::newRow("a high half last, after LF and CR")
        << QStringLiteral("x\ny\rz") + QChar(0xDBFF) << 5
        << QStringLiteral("壊れた文字（対になっていないサロゲート U+DBFF、3 行目）")
        << QStringLiteral("x\ny\rz") + fffd;
    QTest::newRow("two high halves, then a low")
        << QString(high) + high + low + QStringLiteral("\r\n") << 0
        << QStringLiteral("壊れた文字（対になっていないサロゲート U+D800）")
        << fffd + high + low + QStringLiteral("\r\n");
}

void TstHost::damagedCharactersAreFoundAndNeverWritten() {
    QFETCH(QString, text);
    QFETCH(int, at);
    QFETCH(QString, named);
    QFETCH(QString, shown);
    QCOMPARE(firstLoneSurrogate(text), qsizetype(at));
    QCOMPARE(encodeShownPage(text), QByteArray("\xEF\xBB\xBF") + shown.toUtf8());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Table.dat"));
    writeBytes(path, "old\r\n");
    QString error;
    const bool written = writeInternalFile(path, text, &error);
    QCOMPARE(written, at < 0);
    QCOMPARE(encodeInternal(text).has_value(), at < 0);
    if (at < 0)
        return;
    QCOMPARE(describeDamagedCharacter(text, at), named);
    QCOMPARE(error, named + QStringLiteral("が含まれているため、書き込めません"));
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));
}

void TstHost::atomicWriteReplacesWholeAndLeavesNoTemporary() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.html"));
    writeBytes(path, QByteArray(10000, 'x'));
    QVERIFY(writeFileAtomic(path, "short"));
    QCOMPARE(readBytes(path), QByteArray("short"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("doc.html")});
    QString error;
    QVERIFY(!writeFileAtomic(dir.filePath(QStringLiteral("no/such/folder/x")), "x", &error));
    QVERIFY(!error.isEmpty());
}

void TstHost::fileDialogFilterBecomesQtFilter() {
    QCOMPARE(QtHost::toQtFilter(QStringLiteral("HTMLファイル(*.html,*.htm)|*.html;*.htm")),
             QStringLiteral("HTMLファイル(*.html,*.htm) (*.html *.htm)"));
    QCOMPARE(QtHost::toQtFilter(QStringLiteral("CSV|*.csv")), QStringLiteral("CSV (*.csv)"));
}

void TstHost::mainWindowComesBackAsItWas() {
    QMainWindow window;
    QMenu* greyed = window.menuBar()->addMenu(QStringLiteral("greyed"));
    greyed->menuAction()->setEnabled(false);
    QMenu* open = window.menuBar()->addMenu(QStringLiteral("open"));
    auto* first = new QPlainTextEdit;
    auto* second = new QPlainTextEdit;
    auto* client = new QWidget;
    auto* layout = new QVBoxLayout(client);
    layout->addWidget(first);
    layout->addWidget(second);
    window.setCentralWidget(client);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    second->setFocus();
    QTRY_VERIFY(second->hasFocus());

    QtHost host;
    host.setMainWindow(&window);
    host.enableMainWindow(false);
    QVERIFY(!window.isEnabled());
    host.enableMainWindow(true);
    QVERIFY(window.isEnabled());
    // Enabling the window would enable every submenu's entry; the greyed one stays greyed.
    QVERIFY(!greyed->menuAction()->isEnabled());
    QVERIFY(open->menuAction()->isEnabled());
    QTRY_VERIFY(second->hasFocus());
}

void TstHost::caretRestsWhenIdleAndBlinksOnInput_data() {
    QTest::addColumn<QString>("input");
    QTest::newRow("key") << "key";
    QTest::newRow("click") << "click";
    QTest::newRow("focus change") << "focus";
}

void TstHost::caretRestsWhenIdleAndBlinksOnInput() {
    QFETCH(QString, input);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QPlainTextEdit;
    auto* other = new QLineEdit;
    layout->addWidget(edit);
    layout->addWidget(other);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QStyleHints* hints = QGuiApplication::styleHints();
    const int flash = hints->cursorFlashTime();
    if (flash < 2)
        QSKIP("this desktop does not blink the caret");
    // Long enough to see the caret change at least once while it blinks.
    const int look = flash / 2 + 400;

    CaretBlinkTimeout blink(std::chrono::milliseconds(look + 600));
    CaretSeen seen = watchCaret(*edit, look);
    QVERIFY(seen.shown && seen.hidden);
    QVERIFY(!blink.isPaused());

    // Without input the caret rests, shown.
    QTRY_VERIFY(blink.isPaused());
    QCOMPARE(hints->cursorFlashTime(), 0);
    seen = watchCaret(*edit, look);
    QVERIFY(seen.shown);
    QVERIFY(!seen.hidden);

    if (input == u"key") {
        QTest::keyClick(edit, Qt::Key_Home);
    } else if (input == u"click") {
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    } else {
        // The text box itself would start with no blink if the rest were not over first.
        other->setFocus();
        edit->setFocus();
        QVERIFY(edit->hasFocus());
    }
    QVERIFY(!blink.isPaused());
    QCOMPARE(hints->cursorFlashTime(), flash);
    seen = watchCaret(*edit, look);
    QVERIFY(seen.shown && seen.hidden);
}

TAGLOOM_TEST_MAIN(TstHost)
#include "tst_host.moc"
