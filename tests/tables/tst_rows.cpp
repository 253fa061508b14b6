#include "TableTests.h"
#include "support/TestApp.h"
#include "tables/TableRows.h"

using namespace Qt::Literals::StringLiterals;

// The converter as a function on text: rows, the limit and the table's frame.

void TstTables::rows_data() {
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("rows");
    QTest::newRow("example") << u"[]名前,[]点数\r\n山田,80\r\n"_s
                             << u"<TR><TH>名前</TH><TH>点数</TH></TR>\r\n"
                                "<TR><TD>山田</TD><TD>80</TD></TR>\r\n"_s;
    QTest::newRow("no final break") << "a,b"
                                    << "<TR><TD>a</TD><TD>b</TD></TR>\r\n";
    QTest::newRow("one-field lines run on")
        << "x\r\ny\r\na,b\r\n"
        << "<TR><TD>x</TD><TR><TD>y</TD><TR><TD>a</TD><TD>b</TD></TR>\r\n";
    QTest::newRow("trailing comma") << "a,\r\n,\r\n"
                                    << "<TR><TD>a</TD><TD></TD></TR>\r\n"
                                       "<TR><TD></TD><TD></TD></TR>\r\n";
    QTest::newRow("marker alone") << "[],x"
                                  << "<TR><TH></TH><TD>x</TD></TR>\r\n";
    QTest::newRow("marker with space") << "[ ]x,y"
                                       << "<TR><TD>[ ]x</TD><TD>y</TD></TR>\r\n";
    QTest::newRow("marker later") << "a[]b,[]c[]"
                                  << "<TR><TD>a[]b</TD><TH>c[]</TH></TR>\r\n";
    QTest::newRow("half a marker") << "[,]"
                                   << "<TR><TD>[</TD><TD>]</TD></TR>\r\n";
    QTest::newRow("quoted comma") << "\"a,b\",c"
                                  << "<TR><TD>\"a</TD><TD>b\"</TD><TD>c</TD></TR>\r\n";
    QTest::newRow("trailing empty line") << "a,b\r\n\r\n"
                                         << "<TR><TD>a</TD><TD>b</TD></TR>\r\n";
    QTest::newRow("empty lines between") << "\r\n\r\na,b\r\n\r\nc,d"
                                         << "<TR><TD>a</TD><TD>b</TD></TR>\r\n"
                                            "<TR><TD>c</TD><TD>d</TD></TR>\r\n";
    QTest::newRow("lone LF and CR end lines") << "a,b\nc,d\re,f\n\n"
                                              << "<TR><TD>a</TD><TD>b</TD></TR>\r\n"
                                                 "<TR><TD>c</TD><TD>d</TD></TR>\r\n"
                                                 "<TR><TD>e</TD><TD>f</TD></TR>\r\n";
    QTest::newRow("uneven rows") << "a,b,c\r\nd,e"
                                 << "<TR><TD>a</TD><TD>b</TD><TD>c</TD></TR>\r\n"
                                    "<TR><TD>d</TD><TD>e</TD></TR>\r\n";
    QTest::newRow("cells keep HTML and blanks")
        << " <B>x</B> ,a&b<BR>c"
        << "<TR><TD> <B>x</B> </TD><TD>a&b<BR>c</TD></TR>\r\n";
    QTest::newRow("empty text") << ""
                                << "";
    QTest::newRow("only breaks") << "\r\n\n\r"
                                 << "";
}

void TstTables::rows() {
    QFETCH(QString, csv);
    QFETCH(QString, rows);
    QCOMPARE(tableRows(csv), rows);
    QCOMPARE(tableRowsLength(csv), rows.size());
}

void TstTables::rowsLimit() {
    const QString csv = QStringLiteral("[]a,b\r\nc");
    const QString rows = QStringLiteral("<TR><TH>a</TH><TD>b</TD></TR>\r\n<TR><TD>c</TD>");
    QString built = QStringLiteral("old");
    QVERIFY(!buildTableRows(csv, rows.size() - 1, built));
    QCOMPARE(built, QString());
    QVERIFY(buildTableRows(csv, rows.size(), built));
    QCOMPARE(built, rows);
}

void TstTables::frame_data() {
    QTest::addColumn<QString>("border");
    QTest::addColumn<QString>("table");
    QTest::newRow("1") << "1"
                       << u"<TABLE border=\"1\">\r\n<TR><TH>名前</TH><TH>点数</TH></TR>\r\n"
                          "<TR><TD>山田</TD><TD>80</TD></TR>\r\n</TABLE>"_s;
    QTest::newRow("empty") << ""
                           << u"<TABLE border=\"\">\r\n<TR><TH>名前</TH><TH>点数</TH></TR>\r\n"
                              "<TR><TD>山田</TD><TD>80</TD></TR>\r\n</TABLE>"_s;
    QTest::newRow("as typed")
        << " 3px\"x"
        << u"<TABLE border=\" 3px\"x\">\r\n<TR><TH>名前</TH><TH>点数</TH></TR>"
           "\r\n<TR><TD>山田</TD><TD>80</TD></TR>\r\n</TABLE>"_s;
}

void TstTables::frame() {
    QFETCH(QString, border);
    QFETCH(QString, table);
    QString rows = tableRows(u"[]名前,[]点数\r\n山田,80\r\n");
    const qsizetype frameLength = tableFrameLength(border, QStringLiteral("\""));
    const qsizetype before = rows.size();
    frameTable(rows, border, QStringLiteral("\""));
    QCOMPARE(rows, table);
    QCOMPARE(rows.size(), before + frameLength);
}
