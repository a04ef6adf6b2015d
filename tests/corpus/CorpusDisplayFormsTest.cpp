// Entries make their display forms when first asked for, with their
// database's macros. Over every file of the corpus, each entry's forms made
// that way must equal the forms made field by field from the elements (what
// loading used to make for every entry), and the author and editor lists
// made at load must be those of the display form.
#include "CorpusSupport.h"
#include "core/AlertPresenter.h"
#include "model/BibItem.h"
#include "model/ItemServices.h"
#include "model/MacroList.h"

using namespace Qt::StringLiterals;

namespace {

// The display form of one field as the loader made it for every entry.
QString eagerDisplayForm(const BibItem::ElementList &elements, const MacroSource *macros)
{
    QString text;
    for (const BibElement &element : elements)
        text += ItemServices::texToText(element.stringWithMacro(macros));
    return text;
}

QStringList namesOf(const BibItem::NameList &names)
{
    QStringList texts;
    for (const AuthorName &name : names)
        texts << name.stringValue() + u'|' + name.nameForSearch();
    return texts;
}

} // namespace

TEST(CorpusDisplayForms, formsMadeOnDemandEqualThoseMadeAtLoad)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    ScriptedAlertPresenter alerts({}, 1);
    qsizetype fields = 0;
    QStringList failures;
    for (const QString &path : QfTest::corpusFiles()) {
        auto database = QfTest::openDatabase(path);
        ASSERT_TRUE(database && database->allItems()) << path.toStdString();
        const MacroSource *macros =
            database->macroList() ? database->macroList() : ItemServices::commonMacros();
        for (const BibItemPtr &item : *database->allItems()) {
            // Asked for before the forms exist: the names made at load.
            const QStringList names = namesOf(item->authorList()) + namesOf(item->editorList());
            const BibItem::FieldTexts &display = item->bibFieldsForDisplay();
            const BibItem::FieldElements &elements = item->bibFieldsElements();
            QStringList differ;
            if (display.size() != elements.size())
                differ << u"field count"_s;
            for (auto field = elements.constBegin(); field != elements.constEnd();
                 ++field, ++fields) {
                if (display.value(field.key()) != eagerDisplayForm(*field, macros))
                    differ << field.key();
            }
            if (!item->noAuthor() &&
                names != namesOf(ItemServices::createNamesFrom(display.value(u"author"_s))) +
                             namesOf(ItemServices::createNamesFrom(display.value(u"editor"_s))))
                differ << u"names"_s;
            if (!differ.isEmpty() && failures.size() < 20)
                failures << path + u": "_s + item->bibKey() + u": "_s + differ.join(u", "_s);
        }
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    EXPECT_GT(fields, 100000);
}
