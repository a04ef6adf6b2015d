#include "editor/EditorTestSupport.h"

#include "../GuiTestMain.h"
#include "core/Texts.h"
#include "editor/AnnotationText.h"
#include "editor/BibFieldDataField.h"
#include "editor/DetailInfoController.h"
#include "editor/LineEditSpelling.h"
#include "editor/SpellChecker.h"
#include "editor/SpellHighlighter.h"
#include "model/BibItem.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace Qt::StringLiterals;
using EditorTest::fieldNamed;
using EditorTest::OpenWindow;

// Spelling while editing: misspelt words of the prose fields underlined,
// suggestions in the context menu, and nothing at all without a dictionary.
class SpellCheckTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static QStringList underlined(const LineEditSpelling *spelling)
    {
        QStringList words;
        for (const SpellingWords::Word &word : spelling->misspelled())
            words << word.text;
        return words;
    }
    static QStringList underlined(const AnnotationText *view)
    {
        QStringList words;
        for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
            for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
                if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                    words << block.text().mid(range.start, range.length);
            }
        }
        return words;
    }
    static void retype(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

private Q_SLOTS:
    void dictionaryFollowsTheLocale_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("the locale's own")
            << QStringList{u"de_DE"_s, u"de_CH"_s, u"en_US"_s} << u"de_CH"_s << u"de_CH"_s;
        QTest::newRow("another of the language")
            << QStringList{u"de_DE"_s, u"en_US"_s} << u"de_AT"_s << u"de_DE"_s;
        QTest::newRow("American English otherwise")
            << QStringList{u"fr_FR"_s, u"en_US"_s} << u"ja_JP"_s << u"en_US"_s;
        QTest::newRow("a .dic without its .aff does not count")
            << QStringList{u"en_US"_s, u"ja_JP.dic"_s} << u"ja_JP"_s << u"en_US"_s;
        QTest::newRow("none") << QStringList{u"fr_FR.dic"_s} << u"en_GB"_s << QString();
    }
    void dictionaryFollowsTheLocale()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, locale);
        QFETCH(QString, chosen);
        QTemporaryDir folder;
        for (const QString &name : installed) {
            const QStringList files = name.contains(u'.')
                                          ? QStringList{name}
                                          : QStringList{name + u".dic"_s, name + u".aff"_s};
            for (const QString &file : files) {
                QFile f(folder.filePath(file));
                QVERIFY(f.open(QIODevice::WriteOnly));
            }
        }
        const QString found =
            SpellChecker::findDictionary({u"/nonexistent"_s, folder.path()}, locale);
        QCOMPARE(found, chosen.isEmpty() ? QString() : folder.filePath(chosen + u".dic"_s));
    }

    void proseFieldsAreCheckedWhileEditing()
    {
        if (SpellChecker::globalChecker()->dictionaryPath().isEmpty())
            QSKIP("no Hunspell dictionary installed");
        const OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        BibFieldDataField *title = fieldNamed(editor, u"title"_s);
        BibFieldDataField *author = fieldNamed(editor, u"author"_s);
        editor->setEnableEdit(true);

        retype(title, u"Literate progamming in {\\\"U}bung $x$ NMR"_s);
        QTRY_COMPARE(underlined(title->spelling()), (QStringList{u"progamming"_s, u"Übung"_s}));
        // Names are not prose.
        retype(author, u"Donlad Knuht"_s);
        QTest::qWait(50);
        QVERIFY(underlined(author->spelling()).isEmpty());

        // A suggestion replaces the word, and the entry takes it; the
        // suggestions come before the standard actions.
        title->setCursorPosition(12);
        QMenu menu;
        QAction *standard = menu.addAction(u"standard"_s);
        title->spelling()->addSuggestions(
            &menu, title->inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
        const QList<QAction *> offered = menu.actions();
        const auto programming = std::find_if(
            offered.begin(), offered.end(), [](QAction *a) { return a->text() == u"programming"; });
        QVERIFY(programming != offered.end());
        QVERIFY(programming < std::find(offered.begin(), offered.end(), standard));
        (*programming)->trigger();
        QCOMPARE(knuth->fieldDataForEdit(u"title"_s),
                 u"Literate programming in {\\\"U}bung $x$ NMR"_s);
        QTRY_COMPARE(underlined(title->spelling()), QStringList{u"Übung"_s});

        // Ignored words stay unmarked.
        title->setCursorPosition(26);
        QMenu second;
        title->spelling()->addSuggestions(
            &second, title->inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
        const QList<QAction *> actions = second.actions();
        const auto ignore = std::find_if(actions.begin(), actions.end(), [](const QAction *action) {
            return action->text() == Texts::text(u"Editor_IgnoreSpelling");
        });
        QVERIFY(ignore != actions.end());
        (*ignore)->trigger();
        QTRY_VERIFY(underlined(title->spelling()).isEmpty());

        // Not editing: nothing is underlined.
        retype(title, u"Literate progamming"_s);
        QTRY_COMPARE(underlined(title->spelling()), QStringList{u"progamming"_s});
        editor->setEnableEdit(false);
        QTRY_VERIFY(underlined(title->spelling()).isEmpty());
    }

    void annotationIsChecked()
    {
        if (SpellChecker::globalChecker()->dictionaryPath().isEmpty())
            QSKIP("no Hunspell dictionary installed");
        const OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        editor->showTab(u"annote"_s);
        editor->setEnableEdit(true);
        AnnotationText *annote = editor->annotationText();
        annote->setFocus();
        QTest::keyClicks(annote, u"A clasic text"_s);
        QTest::keyClick(annote, Qt::Key_Return);
        QTest::keyClicks(annote, u"\\emph{wrting} again"_s);
        QTRY_COMPARE(underlined(annote), (QStringList{u"clasic"_s, u"wrting"_s}));

        const QTextBlock second = annote->document()->begin().next();
        QTextCursor at(second);
        at.setPosition(second.position() + 8);
        QMenu menu;
        annote->spelling()->addSuggestions(&menu, annote->cursorRect(at).center());
        const QList<QAction *> actions = menu.actions();
        const auto writing = std::find_if(actions.begin(), actions.end(), [](QAction *action) {
            return action->text() == u"writing";
        });
        QVERIFY(writing != actions.end());
        (*writing)->trigger();
        QCOMPARE(annote->toPlainText(), u"A clasic text\n\\emph{writing} again"_s);
        QVERIFY(knuth->fieldDataForEdit(u"annote"_s).endsWith(u"\\emph{writing} again"_s));
        QTRY_COMPARE(underlined(annote), QStringList{u"clasic"_s});
        editor->setEnableEdit(false);
        QTRY_VERIFY(underlined(annote).isEmpty());
    }

    void noDictionaryNoUnderlining()
    {
        QTemporaryDir empty;
        SpellChecker none({empty.path()}, u"en_US"_s);
        SpellChecker::install(&none);
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        DetailInfoController *editor = window.editor();
        QVERIFY(editor->currentItem());
        BibFieldDataField *title = fieldNamed(editor, u"title"_s);
        retype(title, u"Literate progamming"_s);
        QTest::qWait(50);
        QVERIFY(!none.isReady());
        QVERIFY(underlined(title->spelling()).isEmpty());
        QMenu menu;
        title->setCursorPosition(12);
        title->spelling()->addSuggestions(
            &menu, title->inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
        QVERIFY(menu.actions().isEmpty());
        QCOMPARE(window.item(u"knuth84"_s)->fieldDataForEdit(u"title"_s), u"Literate progamming"_s);
        SpellChecker::install(nullptr);
    }

    void unspacedScriptsAreNotJudged()
    {
        SpellChecker *checker = SpellChecker::globalChecker();
        checker->waitUntilLoaded();
        if (!checker->isReady())
            QSKIP("no Hunspell dictionary installed");
        QVERIFY(checker->misspelledWords(u"日本語の文献 データ"_s).empty());
        QVERIFY(!checker->isCorrect(u"progamming"_s));
        QVERIFY(checker->isCorrect(u"programming"_s));
    }
};

QF_GUI_TEST_MAIN(SpellCheckTest)
#include "SpellCheckTest.moc"
