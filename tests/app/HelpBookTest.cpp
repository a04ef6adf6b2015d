#include "GuiTestMain.h"

#include "app/HelpBook.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

class HelpBookTest : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void openUrl(const QUrl &url) { m_opened.append(url); }

private:
    QList<QUrl> m_opened;

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void tagTable_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("8900") << 8900 << QStringLiteral("QF_Help_QuickStart");
        QTest::newRow("8901") << 8901 << QStringLiteral("QF_Help_Databases");
        QTest::newRow("8902") << 8902 << QStringLiteral("QF_Help_Editing");
        QTest::newRow("8903") << 8903 << QStringLiteral("QF_Help_Attachments");
        QTest::newRow("8904") << 8904 << QStringLiteral("QF_Help_Searching");
        QTest::newRow("8905") << 8905 << QStringLiteral("QF_Help_Libraries");
        QTest::newRow("8906") << 8906 << QStringLiteral("QF_Help_CopyLists");
        QTest::newRow("8907") << 8907 << QStringLiteral("QF_Help_Properties");
        QTest::newRow("8908") << 8908 << QStringLiteral("QF_Help_Settings");
        QTest::newRow("8909") << 8909 << QStringLiteral("QF_Help_TipsAndFaq");
        QTest::newRow("below") << 8899 << QStringLiteral("QF_Help_Root");
        QTest::newRow("above") << 8910 << QStringLiteral("QF_Help_Root");
        QTest::newRow("zero") << 0 << QStringLiteral("QF_Help_Root");
    }

    void tagTable()
    {
        QFETCH(int, tag);
        QFETCH(QString, anchor);
        QCOMPARE(HelpBook::anchorForTag(tag), anchor);
    }

    void everyAnchorHasItsPage()
    {
        const QStringList anchors = HelpBook::anchors();
        QCOMPARE(anchors.size(), 11);
        for (const QString &anchor : anchors) {
            const QByteArray page =
                contents(QStringLiteral(":/help/") + anchor + QStringLiteral(".html"));
            QVERIFY2(page.contains("id=\"" + anchor.toLatin1() + '"'), qPrintable(anchor));
            const QUrl url = HelpBook::urlForAnchor(anchor);
            QVERIFY2(url.isLocalFile(), qPrintable(anchor));
            QCOMPARE(contents(url.toLocalFile()), page);
        }
        // The pages link to each other and to their style sheet.
        const QString folder = HelpBook::urlForAnchor(HelpBook::kRootAnchor)
                                   .adjusted(QUrl::RemoveFilename)
                                   .toLocalFile();
        QVERIFY(QFile::exists(folder + QStringLiteral("help.css")));
    }

    void unknownAnchorOpensTheRoot()
    {
        QCOMPARE(HelpBook::urlForAnchor(QStringLiteral("../../etc/passwd")).fileName(),
                 QStringLiteral("QF_Help_Root.html"));
    }

    void helpCommandOpensThePage()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        QVERIFY(HelpBook::showHelpTopic(8905));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.first().fileName(), QStringLiteral("QF_Help_Libraries.html"));
    }
};

QF_GUI_TEST_MAIN(HelpBookTest)
#include "HelpBookTest.moc"
