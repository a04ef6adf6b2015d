// The RTF of the copied reference lists: styles go on and off where the HTML
// spans begin and end, nested or not.
#include "app/RtfWriter.h"
#include "GuiTestMain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class RtfWriterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void styles_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QByteArray>("body"); // between the header line and the closing brace
        QTest::newRow("one span each")
            << u"<p>a <b>b</b> <i>c</i> <em>d</em> <u>e</u> x<sub>2</sub>y<sup>3</sup></p>"_s
            << QByteArray("\\pard\\sa120 a \\b b\\b0  \\i c\\i0  \\i d\\i0  \\ul e\\ul0  "
                          "x\\sub 2\\nosupersub y\\super 3\\nosupersub \\par\n");
        QTest::newRow("italic in italic")
            << u"<p><i>\u201c\u65e5\u672c: <i>BibTeX</i> \u5165\u9580\u201d</i>.</p>"_s
            << QByteArray("\\pard\\sa120 \\i \\u8220?\\u26085?\\u26412?: BibTeX "
                          "\\u20837?\\u-27264?\\u8221?\\i0 .\\par\n");
        QTest::newRow("bold, italic, bold again")
            << u"<p><b>x <i>y <b>z</b> w</i> v</b> u</p>"_s
            << QByteArray("\\pard\\sa120 \\b x \\i y z w\\i0  v\\b0  u\\par\n");
        QTest::newRow("spans closing crosswise, a stray close")
            << u"<p><i>a<em>b<b>c</i>d</em>e</b>f</u>g</p>"_s
            << QByteArray("\\pard\\sa120 \\i ab\\b cd\\i0 e\\b0 fg\\par\n");
        QTest::newRow("typewriter and variables")
            << u"<p><tt>a<code>b</code>c</tt> <var>x</var></p>"_s
            << QByteArray("\\pard\\sa120 \\f1 abc\\f0  \\i x\\i0 \\par\n");
        QTest::newRow("superscript in subscript")
            << u"<p>x<sub>a<sup>2</sup>b<sub>c</sub></sub>d</p>"_s
            << QByteArray("\\pard\\sa120 x\\sub a\\super 2\\sub bc\\nosupersub d\\par\n");
    }

    void styles()
    {
        QFETCH(QString, html);
        QFETCH(QByteArray, body);
        const QByteArray rtf = RtfWriter::fromHtml(html);
        const qsizetype start = rtf.indexOf('\n') + 1;
        QVERIFY(rtf.startsWith("{\\rtf1") && start > 0 && rtf.endsWith("}\n"));
        QCOMPARE(rtf.mid(start, rtf.size() - start - 2), body);
    }
};

QF_GUI_TEST_MAIN(RtfWriterTest)
#include "RtfWriterTest.moc"
