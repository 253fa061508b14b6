#include "app/frmEdit.h"
#include "document/Documents.h"
#include "document/Preview.h"
#include "host/EditBuffer.h"
#include "host/TextFile.h"
#include "support/FifoGuard.h"
#include "support/TestApp.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

// Documents and the preview against the fake host, over a real main window.
class TstDocument : public QObject {
    Q_OBJECT
private slots:
    void baseElement_data();
    void baseElement();
    void fileUrls_data();
    void fileUrls();
    void refreshWritesThePreviewFile();
    void changeHandlingFollowsTheMode();
    void anUnwritablePreviewFileIsReportedOnce();
    void openAndOverwriteKeepEveryByte_data();
    void openAndOverwriteKeepEveryByte();
    void anEditedPageIsWrittenAsItsEncodingWritesIt();
    void aPageEditedAroundAFrameBoundSavesItAsShown();
    void openSetsCaptionFolderAndLastPath();
    void internalFilesAreRefused();
    void cancelledDialogsSayso();
    void unsavedChangesAskBeforeOpen_data();
    void unsavedChangesAskBeforeOpen();
    void characterTheCodePageCannotHoldLeadsToTheQuestion();
    void damagedUtf16IsToldAndSavedBackAsItWas_data();
    void damagedUtf16IsToldAndSavedBackAsItWas();
    void damagedCharacterIsNotSavedInAnotherEncoding();
    void failedReadLeavesTheBufferAlone_data();
    void failedReadLeavesTheBufferAlone();
    void failedOverwriteNamesTheFile();
    void wizardBuildsThePageAndSaves();
    void intervalRefreshRunsOnlyWhileTheTextHasTheFocus();
    void overwriteWithoutADocument();
};

namespace {

// The preview file without the recovery note that closes it.
QByteArray withoutNote(const QByteArray& bytes) {
    const qsizetype note = bytes.lastIndexOf("<!-- tagloom-recovery");
    return note < 0 ? bytes : bytes.left(note);
}

struct Editor {
    EditorFixture fx;
    frmEdit* w;
    Editor() : w(&fx.open()) { fx.host.clear(); }
    Documents& docs() { return w->documents(); }
    EditBuffer& buffer() { return w->buffer(); }
    QString file(const QString& name) { return fx.appFile(name); }
};

} // namespace

void TstDocument::baseElement_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    const QString base = QStringLiteral("<head><base href=\"file:///w/\">");
    QTest::newRow("upper-case head") << "<HTML><HEAD><TITLE>t</TITLE>"
                                     << "<HTML>" + base + "<TITLE>t</TITLE>";
    QTest::newRow("mixed case") << "<Head>" << base;
    QTest::newRow("two heads") << "<head>a<HEAD>" << base + "a" + base;
    QTest::newRow("base present") << "<head><base href=\"x/\">"
                                  << "<head><base href=\"x/\">";
    QTest::newRow("capital BASE is not present")
        << "<HEAD><BASE HREF=\"x/\">" << base + "<BASE HREF=\"x/\">";
    QTest::newRow("no head") << "<p>x</p>"
                             << "<p>x</p>";
    QTest::newRow("head with attributes is not <head>") << "<head id=a>"
                                                        << "<head id=a>";
    QTest::newRow("lines and symbols near the line separator")
        << "※→‰\r\n<HEAD>\r\n\r\n日本\u2028x"
        << "※→‰\r\n" + base + "\r\n\r\n日本\u2028x";
    QTest::newRow("cut-off tags at the end") << "<hea"
                                             << "<hea";
    QTest::newRow("own base after a capital head, no final break")
        << "<HEAD><base href=\"file:///w/\">\r\n<p>x"
        << "<HEAD><base href=\"file:///w/\">\r\n<p>x";
    QTest::newRow("our own element typed in, then another head")
        << "<hEaD>x<HeAd>\r\n<!-- tagloom-recovery -->"
        << base + "x" + base + "\r\n<!-- tagloom-recovery -->";
    QTest::newRow("ends in line breaks") << "<head>\r\n\r\n" << base + "\r\n\r\n";
    QTest::newRow("empty") << ""
                           << "";
}

void TstDocument::baseElement() {
    QFETCH(QString, text);
    QFETCH(QString, written);
    QCOMPARE(Preview::withBaseElement(text, QStringLiteral("file:///w/"), QStringLiteral("\"")),
             written);
    // The one-pass encoder of the keystroke path writes exactly the same.
    QString raw = text;
    raw.replace(QLatin1String("\r\n"), QString(QChar::ParagraphSeparator));
    const QByteArray bytes =
        Preview::previewBytes(raw, QStringLiteral("file:///w/"), QStringLiteral("\""));
    QCOMPARE(withoutNote(bytes), QByteArray("\xEF\xBB\xBF") + written.toUtf8() + "\r\n");
    // And the recovery gets back exactly the text that was in the buffer.
    QCOMPARE(Preview::recoveredText(bytes).value_or(QStringLiteral("(none)")), text);
}

void TstDocument::fileUrls_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("url");
    QTest::newRow("drive path") << "C:\\Program Files\\Tool\\help.html"
                                << "file:///C|/Program Files/Tool/help.html";
    QTest::newRow("drive root") << "C:\\"
                                << "file:///C|/";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("posix") << "/home/u/サイト/a b.html"
                           << "file:///home/u/サイト/a b.html";
    QTest::newRow("posix meaningful characters") << "/w/#1?/100%"
                                                 << "file:///w/%231%3F/100%25";
}

void TstDocument::fileUrls() {
    QFETCH(QString, path);
    QFETCH(QString, url);
    QCOMPARE(Preview::ToFileUrl(path), url);
    if (path.startsWith(u'/'))
        QCOMPARE(QUrl(url).toLocalFile(), path); // the address names the same file
}

void TstDocument::refreshWritesThePreviewFile() {
    Editor e;
    e.fx.host.setWorkingFolder(QStringLiteral("/srv/site #2"));
    e.fx.state.settings.PreviewUpdate = 1;
    e.buffer().setText(QStringLiteral("<HTML><HEAD></HEAD>\r\n<P>日本語😀</P>"));
    e.w->preview().RefreshPreview();
    const QByteArray bytes = withoutNote(readBytes(e.file(QStringLiteral("HTML-TGLM-temp.html"))));
    QCOMPARE(bytes, QByteArray("\xEF\xBB\xBF") +
                        QStringLiteral("<HTML><head><base href=\"file:///srv/site %232/\"></HEAD>"
                                       "\r\n<P>日本語😀</P>\r\n")
                            .toUtf8());
    QCOMPARE(e.fx.host.navigations().last(),
             Preview::ToFileUrl(e.file(QStringLiteral("HTML-TGLM-temp.html"))));
    QCOMPARE(QDir(e.fx.dir.path()).entryList({QStringLiteral("*.part")}), QStringList());
}

void TstDocument::changeHandlingFollowsTheMode() {
    Editor e;
    e.fx.state.settings.PreviewUpdate = 0;
    e.buffer().setText(QStringLiteral("a"));
    e.buffer().setSelection(1, 0);
    e.buffer().replaceSelection(QStringLiteral("b"));
    QVERIFY(e.w->preview().refreshQueued());
    QTRY_COMPARE(e.fx.host.navigations().size(), 1); // two changes, one refresh
    QVERIFY(
        withoutNote(readBytes(e.file(QStringLiteral("HTML-TGLM-temp.html")))).endsWith("ab\r\n"));
    QVERIFY(!e.fx.state.document.DocumentSaved);

    e.fx.state.document.DocumentSaved = true;
    e.buffer().setTag(QStringLiteral("no"));
    e.buffer().setText(QStringLiteral("b"));
    QCoreApplication::processEvents();
    QCOMPARE(e.fx.host.navigations().size(), 1); // read into the buffer: no refresh
    QVERIFY(!e.fx.state.document.DocumentSaved); // but still unsaved
    e.buffer().setTag(QString());

    e.fx.state.settings.PreviewUpdate = 1;
    e.buffer().setText(QStringLiteral("c"));
    QCoreApplication::processEvents();
    QCOMPARE(e.fx.host.navigations().size(), 1);
}

void TstDocument::anUnwritablePreviewFileIsReportedOnce() {
    Editor e;
    // A folder in the preview file's place: it cannot be replaced, whoever runs the test.
    QVERIFY(QDir(e.fx.dir.path()).mkdir(QStringLiteral("HTML-TGLM-temp.html")));
    e.w->preview().RefreshPreview();
    e.w->preview().RefreshPreview();
    QCOMPARE(e.fx.host.count(QStringLiteral("msgbox")), 1);
    QVERIFY(e.fx.host.callsOf(QStringLiteral("msgbox"))
                .first()
                .text.contains(e.file(QStringLiteral("HTML-TGLM-temp.html"))));
    QCOMPARE(e.fx.host.navigations().size(), 2); // the pane is still told, as always
    QCOMPARE(QDir(e.fx.dir.path()).entryList({QStringLiteral("*.part")}), QStringList());
}

void TstDocument::openAndOverwriteKeepEveryByte_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString jp = QStringLiteral("<P>日本語のページ</P>");
    QByteArray cp932 = encodeText(jp, TextEncoding::Cp932).value();
    QTest::newRow("cp932 crlf") << cp932 + "\r\n" + cp932 + "\r\n" << jp + "\r\n" + jp + "\r\n";
    QTest::newRow("utf-8 crlf") << (jp + "\r\n").toUtf8() << jp + "\r\n";
    QTest::newRow("utf-8 lf") << (jp + "\n\n" + jp + "\n").toUtf8()
                              << jp + "\r\n\r\n" + jp + "\r\n";
    QTest::newRow("utf-8 with mark")
        << QByteArray("\xEF\xBB\xBF") + (jp + "\r\n").toUtf8() << jp + "\r\n";
    QTest::newRow("declared shift_jis")
        << QByteArray("<META charset=\"shift_jis\">\r\n") + cp932 + "\r\n"
        << "<META charset=\"shift_jis\">\r\n" + jp + "\r\n";

    // NEC special characters, IBM extensions and half-width kana of CP932; emoji in UTF-8.
    const QString special = QStringLiteral("<P>①②㈱髙﨑ｱｲｳﾞ～</P>\r\n");
    QTest::newRow("cp932 special characters")
        << encodeText(special, TextEncoding::Cp932).value() << special;
    QTest::newRow("utf-8 emoji") << QStringLiteral("<P>😀🍣</P>\r\n").toUtf8()
                                 << QStringLiteral("<P>😀🍣</P>\r\n");
    // Older Japanese pages, declared or not, and pages labelled with the wrong charset.
    const QString novel = QStringLiteral("<P>吾輩は猫である。名前はまだ無い。どこで生れたかとんと"
                                         "見当がつかぬ。</P>\r\n");
    for (const auto& [label, codec, declaration] :
         {std::tuple{"euc-jp declared", "EUC-JP", "<META charset=\"EUC-JP\">\r\n"},
          std::tuple{"euc-jp undeclared", "EUC-JP", ""},
          std::tuple{"iso-2022-jp declared", "ISO-2022-JP", "<META charset=iso-2022-jp>\r\n"},
          std::tuple{"iso-2022-jp undeclared", "ISO-2022-JP", ""},
          std::tuple{"cp932 labelled utf-8", "windows-31j", "<META charset=utf-8>\r\n"},
          std::tuple{"euc-jp labelled shift_jis", "EUC-JP", "<META charset=Shift_JIS>\r\n"}}) {
        const QString page = QString::fromLatin1(declaration) + novel;
        QStringEncoder encoder(codec);
        QTest::newRow(label) << QByteArray(encoder.encode(page)) << page;
    }
    // Two noncharacters the pane holds as U+FFFD, its document taking them for frame bounds.
    QTest::newRow("utf-8 frame bounds")
        << QStringLiteral("<P>a\uFDD0b</P>\r\n<P>\uFDD1</P>\r\n").toUtf8()
        << QStringLiteral("<P>a\uFFFDb</P>\r\n<P>\uFFFD</P>\r\n");
    const QString labelled = QStringLiteral("<META charset=\"Shift_JIS\">\r\n") + novel;
    QTest::newRow("utf-8 labelled shift_jis") << labelled.toUtf8() << labelled;

    // Bytes the encoding can spell a text with but would not write itself: the older JIS
    // escapes of ISO-2022-JP, and the second codes CP932 has for some characters (NEC's ≒ and
    // ∵, the NEC-selected IBM extensions' 纊).
    for (const auto& [label, codec, bytes] :
         {std::tuple{"iso-2022-jp older escapes", "ISO-2022-JP",
                     QByteArray("<P>\x1B$@F|K\\\x1B(J</P>\r\n\x1B(B")},
          std::tuple{"cp932 second codes", "windows-31j",
                     QByteArray("<P>\x87\x90\x87\x9A\xED\x40</P>\r\n")}}) {
        QStringDecoder decoder(codec);
        QTest::newRow(label) << bytes << QString(decoder.decode(bytes));
    }
}

void TstDocument::openAndOverwriteKeepEveryByte() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    Editor e;
    const QString path = e.file(QStringLiteral("page.html"));
    writeBytes(path, bytes);
    e.fx.host.fileChoices = {path};
    e.docs().OpenDocument(1);
    QCOMPARE(e.buffer().text(), text);
    QVERIFY(e.fx.state.document.DocumentSaved);
    writeBytes(path, "changed on disk");
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(readBytes(path), bytes);
    QVERIFY(e.fx.host.unscripted.isEmpty());
    QCOMPARE(e.fx.host.count(QStringLiteral("msgbox")), 0);
}

void TstDocument::anEditedPageIsWrittenAsItsEncodingWritesIt() {
    Editor e;
    const QString path = e.file(QStringLiteral("page.html"));
    writeBytes(path, QByteArray("<P>\x87\x90</P>\r\n"));
    e.fx.host.fileChoices = {path};
    e.docs().OpenDocument(1);
    e.buffer().setSelection(0);
    e.buffer().replaceSelection(QStringLiteral("x"));
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(readBytes(path), QByteArray("x<P>\x81\xE0</P>\r\n"));
    // And the bytes it now has are kept by the next save.
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(readBytes(path), QByteArray("x<P>\x81\xE0</P>\r\n"));
}

void TstDocument::aPageEditedAroundAFrameBoundSavesItAsShown() {
    Editor e;
    const QString path = e.file(QStringLiteral("page.html"));
    writeBytes(path, QStringLiteral("<P>\uFDD0</P>\n").toUtf8());
    e.fx.host.fileChoices = {path};
    e.docs().OpenDocument(1);
    e.buffer().setSelection(0);
    e.buffer().replaceSelection(QStringLiteral("x"));
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(readBytes(path), QStringLiteral("x<P>\uFFFD</P>\n").toUtf8());
}

void TstDocument::openSetsCaptionFolderAndLastPath() {
    Editor e;
    QDir(e.fx.dir.path()).mkdir(QStringLiteral("site"));
    const QString path = e.file(QStringLiteral("site/index.html"));
    writeBytes(path, "<HEAD></HEAD>");
    e.fx.state.settings.OpenLastFolder = 1;
    e.fx.state.settings.LastDocumentPath = QStringLiteral("/last/doc.html");
    e.fx.host.fileChoices = {path};
    e.docs().OpenDocument(1);
    const HostCall dialog = e.fx.host.callsOf(QStringLiteral("open")).first();
    QCOMPARE(dialog.title, QStringLiteral("HTMLファイルを開く"));
    QCOMPARE(dialog.detail, QStringLiteral("HTMLファイル(*.html,*.htm)|*.html;*.htm"));
    QCOMPARE(dialog.text, QStringLiteral("/last/doc.html"));
    QCOMPARE(e.w->windowTitle(), QStringLiteral("Tagloom -") + path);
    QCOMPARE(e.fx.host.workingFolder(), e.file(QStringLiteral("site")));
    QCOMPARE(e.fx.state.settings.LastDocumentPath, path);
    // The preview's base is the document's folder.
    QVERIFY(readBytes(e.file(QStringLiteral("HTML-TGLM-temp.html")))
                .contains(Preview::ToFileUrl(e.file(QStringLiteral("site"))).toUtf8() + "/\">"));
    QCOMPARE(e.docs().OpenDocument(0), QString()); // no more scripted choices: cancelled
}

void TstDocument::internalFilesAreRefused() {
    Editor e;
    const QString help = e.file(QStringLiteral("help.html"));
    writeBytes(help, "<p>help</p>");
    writeBytes(e.file(QStringLiteral("HELP.html")), "<p>other</p>");
    e.fx.host.fileChoices = {help, e.file(QStringLiteral("HELP.html"))};
    e.docs().OpenDocument(1);
    QCOMPARE(e.buffer().text(), QString());
    const HostCall refusal = e.fx.host.callsOf(QStringLiteral("msgbox")).first();
    QCOMPARE(refusal.title, QStringLiteral("ファイルオープン"));
    QCOMPARE(refusal.text, QStringLiteral("このファイルはプログラム内部で使用しています"));
    QCOMPARE(refusal.icon, Icon::Exclamation);
    e.docs().OpenDocument(1); // letter case differs: an ordinary document
    QCOMPARE(e.buffer().text(), QStringLiteral("<p>other</p>\r\n"));

    // Saving under the preview file's name is refused, and so is the overwrite after it.
    e.buffer().setText(QStringLiteral("new"));
    e.fx.host.clear();
    const QString preview = e.file(QStringLiteral("HTML-TGLM-temp.html"));
    const QByteArray previewBytes = readBytes(preview);
    e.fx.host.fileChoices = {preview};
    e.docs().SaveDocument(QString());
    QCOMPARE(e.fx.state.document.DocumentPath, preview);
    QCOMPARE(e.w->windowTitle(), QStringLiteral("Tagloom -") + e.file(QStringLiteral("HELP.html")));
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(e.fx.host.kinds(), (QStringList{"save", "beep", "msgbox", "beep", "msgbox"}));
    QCOMPARE(readBytes(preview), previewBytes);
    QVERIFY(!e.fx.state.document.DocumentSaved);
}

void TstDocument::cancelledDialogsSayso() {
    Editor e;
    e.fx.host.fileChoices = {std::nullopt, std::nullopt};
    e.docs().OpenDocument(1);
    e.docs().SaveDocument(QString());
    const QList<HostCall> boxes = e.fx.host.callsOf(QStringLiteral("msgbox"));
    QCOMPARE(boxes.size(), 2);
    for (const HostCall& box : boxes) {
        QCOMPARE(box.text, QStringLiteral("キャンセルになりました"));
        QCOMPARE(box.title, QString()); // shown with the program's name
        QCOMPARE(box.icon, Icon::Exclamation);
    }
}

void TstDocument::unsavedChangesAskBeforeOpen_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveSucceeds");
    QTest::addColumn<bool>("opens");
    QTest::newRow("cancel") << int(Answer::Cancel) << false << false;
    QTest::newRow("no") << int(Answer::No) << false << true;
    QTest::newRow("yes, saved") << int(Answer::Yes) << true << true;
    QTest::newRow("yes, save cancelled") << int(Answer::Yes) << false << false;
}

void TstDocument::unsavedChangesAskBeforeOpen() {
    QFETCH(int, answer);
    QFETCH(bool, saveSucceeds);
    QFETCH(bool, opens);
    Editor e;
    const QString other = e.file(QStringLiteral("other.html"));
    const QString saved = e.file(QStringLiteral("saved.html"));
    writeBytes(other, "<p>other</p>\r\n");
    e.buffer().setText(QStringLiteral("<p>mine</p>"));
    e.fx.host.answers = {Answer(answer)};
    if (Answer(answer) == Answer::Yes)
        e.fx.host.fileChoices.push_back(saveSucceeds ? std::optional<QString>(saved)
                                                     : std::nullopt);
    e.fx.host.fileChoices.push_back(other);
    e.docs().OpenDocument(1);
    const HostCall prompt = e.fx.host.callsOf(QStringLiteral("msgbox")).first();
    QCOMPARE(prompt.title, QStringLiteral("保存確認"));
    QCOMPARE(prompt.buttons, Buttons::YesNoCancel);
    QCOMPARE(e.buffer().text(),
             opens ? QStringLiteral("<p>other</p>\r\n") : QStringLiteral("<p>mine</p>"));
    QCOMPARE(e.fx.host.count(QStringLiteral("open")), opens ? 1 : 0);
    if (saveSucceeds)
        QCOMPARE(readBytes(saved), QByteArray("<p>mine</p>\r\n"));
}

void TstDocument::characterTheCodePageCannotHoldLeadsToTheQuestion() {
    Editor e;
    const QString path = e.file(QStringLiteral("sjis.html"));
    const QByteArray original =
        encodeText(QStringLiteral("<P>日本</P>\r\n"), TextEncoding::Cp932).value();
    writeBytes(path, original);
    e.fx.host.fileChoices = {path};
    e.docs().OpenDocument(1);
    QCOMPARE(int(e.docs().encoding()), int(TextEncoding::Cp932));
    e.buffer().setSelection(4, 0); // between 日 and 本
    e.buffer().replaceSelection(QStringLiteral("😀"));

    e.fx.host.answers = {Answer::No};
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(readBytes(path), original); // nothing written, no "?"
    QVERIFY(!e.fx.state.document.DocumentSaved);
    const HostCall question = e.fx.host.callsOf(QStringLiteral("msgbox")).first();
    QCOMPARE(question.buttons, Buttons::YesNo);
    QVERIFY(question.text.contains(QStringLiteral("😀")));

    e.fx.host.answers = {Answer::Yes};
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(readBytes(path),
             QByteArray("\xEF\xBB\xBF") + QStringLiteral("<P>日😀本</P>\r\n").toUtf8());
    QVERIFY(e.fx.state.document.DocumentSaved);
}

void TstDocument::damagedUtf16IsToldAndSavedBackAsItWas_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("where");
    const QString high = QString(QChar(0xD800));
    const QString low = QString(QChar(0xDC00));
    const QString page = u"a,b\r\nc"_s + high + u"d,e\r\n"_s;
    QTest::newRow("LE, a high half")
        << encodeText(page, TextEncoding::Utf16LeBom).value() << page << u"U+D800、2 行目"_s;
    const QString single = low + u"<P>😀</P>\r\n"_s;
    QTest::newRow("BE, a low half first")
        << encodeText(single, TextEncoding::Utf16BeBom).value() << single << u"U+DC00"_s;
    const QString reversed = u"<P>\r\n\r\n"_s + low + high + u"\r\n"_s;
    QTest::newRow("LE, a pair the wrong way round")
        << encodeText(reversed, TextEncoding::Utf16LeBom).value() << reversed
        << u"U+DC00、3 行目"_s;
}

void TstDocument::damagedUtf16IsToldAndSavedBackAsItWas() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, where);
    Editor e;
    const QString path = e.file(u"damaged.html"_s);
    writeBytes(path, bytes);
    e.fx.host.fileChoices = {path};
    e.docs().OpenDocument(1);
    QCOMPARE(e.buffer().text(), text);
    QVERIFY(e.fx.state.document.DocumentSaved);
    const QList<HostCall> boxes = e.fx.host.callsOf(u"msgbox"_s);
    QCOMPARE(boxes.size(), 1);
    const QString encoding = bytes.startsWith("\xFF\xFE") ? u"UTF-16LE"_s : u"UTF-16BE"_s;
    QCOMPARE(boxes[0].text,
             u"このファイルには壊れた文字（対になっていないサロゲート %1）が含まれて"
             u"います。ファイルが壊れている可能性があります。\r\n%2 のまま上書き"
             u"保存すれば、その文字も元のとおりに書き戻されます。ほかの文字コードでは"
             u"保存できません。"_s.arg(where, encoding));
    QCOMPARE(boxes[0].title, u"ファイルオープン"_s);
    QCOMPARE(boxes[0].icon, Icon::Exclamation);

    e.fx.host.clear();
    writeBytes(path, "changed on disk");
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(readBytes(path), bytes);
    QCOMPARE(e.fx.host.count(u"msgbox"_s), 0);
}

void TstDocument::damagedCharacterIsNotSavedInAnotherEncoding() {
    Editor e;
    const QString path = e.file(u"sjis.html"_s);
    const QByteArray original = encodeText(u"<P>日本</P>\r\n"_s, TextEncoding::Cp932).value();
    writeBytes(path, original);
    e.fx.host.fileChoices = {path};
    e.docs().OpenDocument(1);
    e.buffer().setSelection(4, 0); // between 日 and 本
    e.buffer().replaceSelection(QString(QChar(0xD800)));
    e.fx.host.clear();

    e.docs().mnuUpdateFile_Click();
    QCOMPARE(readBytes(path), original);
    QVERIFY(!e.fx.state.document.DocumentSaved);
    QCOMPARE(e.fx.host.kinds(), QStringList{u"msgbox"_s}); // no offer of UTF-8, which fails too
    const HostCall refusal = e.fx.host.calls[0];
    QCOMPARE(refusal.text, u"壊れた文字（対になっていないサロゲート U+D800）が含まれているため、"
                           u"Shift_JIS (CP932) では保存できません。その文字を削除してから保存して"
                           u"ください。"_s);
    QCOMPARE(refusal.title, u"セーブエラー"_s);
}

void TstDocument::failedReadLeavesTheBufferAlone_data() {
    QTest::addColumn<QByteArray>("bytes"); // "pipe": a named pipe; "->x": a link to x
    QTest::addColumn<QString>("reason");
    QTest::newRow("no encoding reads it")
        << QByteArray("<p>\x81\x20\xff</p>")
        << u"UTF-8、Shift_JIS、EUC-JP、ISO-2022-JP のどれとしても読めない文字が含まれています"_s;
    // Its last byte would come back as the two of U+FFFD.
    QTest::newRow("UTF-16 cut in the middle of a character")
        << QByteArray("\xFF\xFE<\0p\0>", 7)
        << u"UTF-16 のファイルのバイト数が奇数です（最後の文字が途中で切れています）"_s;
    // Read, it would hold the window until something wrote to it.
    QTest::newRow("a named pipe")
        << QByteArray("pipe") << u"通常のファイルではないため読み込めません（名前付きパイプ）"_s;
    QTest::newRow("a link to a device")
        << QByteArray("->/dev/null") << u"通常のファイルではないため読み込めません（デバイス）"_s;
}

void TstDocument::failedReadLeavesTheBufferAlone() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    Editor e;
    const QString path = e.file(QStringLiteral("broken.html"));
    std::optional<FifoGuard> pipe;
    if (bytes == "pipe")
        QVERIFY(pipe.emplace(path).made());
    else if (bytes.startsWith("->"))
        QVERIFY(QFile::link(QString::fromLatin1(bytes.mid(2)), path));
    else
        writeBytes(path, bytes);
    e.buffer().setText(QStringLiteral("keep me"));
    e.fx.state.document.DocumentSaved = true;
    e.fx.host.fileChoices = {path};
    e.docs().OpenDocument(1);
    QCOMPARE(e.buffer().text(), QStringLiteral("keep me"));
    QCOMPARE(e.buffer().tag(), QString());
    QCOMPARE(e.fx.state.document.DocumentPath, QString());
    const HostCall message = e.fx.host.callsOf(QStringLiteral("msgbox")).first();
    QCOMPARE(message.text, u"ファイルを開けませんでした。\r\n"_s + path + u"\r\n"_s + reason);
    QVERIFY(!pipe || !pipe->released());
}

void TstDocument::failedOverwriteNamesTheFile() {
    Editor e;
    const QString path = e.file(QStringLiteral("gone/doc.html"));
    e.fx.state.document.DocumentPath = path;
    e.buffer().setText(QStringLiteral("x"));
    e.docs().mnuUpdateFile_Click();
    QVERIFY(!e.fx.state.document.DocumentSaved);
    const HostCall message = e.fx.host.callsOf(QStringLiteral("msgbox")).first();
    QVERIFY(message.text.contains(path));
    QCOMPARE(message.icon, Icon::Exclamation);
}

void TstDocument::wizardBuildsThePageAndSaves() {
    Editor e;
    const QString path = e.file(QStringLiteral("new.html"));
    e.fx.host.inputs = {std::nullopt};
    e.fx.host.fileChoices = {path};
    e.docs().mnuNewFile_Click();
    const QString page =
        QStringLiteral("<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
                       "\r\n</BODY>\r\n</HTML>");
    QCOMPARE(e.buffer().text(), page);
    QCOMPARE(readBytes(path), (page + "\r\n").toUtf8());
    QCOMPARE(e.fx.host.kinds(), (QStringList{"msgbox", "beep", "input", "save", "navigate"}));
    const HostCall start = e.fx.host.calls.first();
    QCOMPARE(start.title, QStringLiteral("新規作成ウィザード"));
    QCOMPARE(start.text, QStringLiteral("新規作成ウィザードを開始します｡"));
    const HostCall input = e.fx.host.callsOf(QStringLiteral("input")).first();
    QCOMPARE(input.title, QStringLiteral("STEP:1"));
    QCOMPARE(input.detail, QStringLiteral("page title"));
    QCOMPARE(e.w->windowTitle(), QStringLiteral("Tagloom -") + path);
}

void TstDocument::overwriteWithoutADocument() {
    Editor e;
    e.docs().mnuUpdateFile_Click();
    QCOMPARE(e.fx.host.kinds(), (QStringList{"beep", "msgbox"}));
    const HostCall box = e.fx.host.calls.last();
    QCOMPARE(box.title, QStringLiteral("セーブエラー"));
    QCOMPARE(box.text, QStringLiteral("ファイルが保存されていません｡"));
}

void TstDocument::intervalRefreshRunsOnlyWhileTheTextHasTheFocus() {
    Editor e;
    e.fx.state.settings.PreviewUpdate = 2;
    e.fx.state.settings.PreviewInterval = 20;
    QTimer* timer = e.w->Timer1();
    Preview& preview = e.w->preview();
    preview.txtEdit_GotFocus();
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 20);
    e.buffer().setText(QStringLiteral("typed"));
    QCoreApplication::processEvents();
    QCOMPARE(e.fx.host.navigations().size(), 0); // changes alone do not refresh in this mode
    QTRY_VERIFY(e.fx.host.navigations().size() >= 2);
    QVERIFY(readBytes(e.file(QStringLiteral("HTML-TGLM-temp.html"))).contains("typed"));
    preview.txtEdit_LostFocus();
    QVERIFY(!timer->isActive());
    const int refreshes = int(e.fx.host.navigations().size());
    QTest::qWait(80);
    QCOMPARE(int(e.fx.host.navigations().size()), refreshes);
    // In the other modes gaining the focus leaves the timer stopped.
    e.fx.state.settings.PreviewUpdate = 0;
    preview.txtEdit_GotFocus();
    QVERIFY(!timer->isActive());
}

TAGLOOM_TEST_MAIN(TstDocument)
#include "tst_document.moc"
