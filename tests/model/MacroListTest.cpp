#include "model/MacroList.h"

#include "core/StringInputStream.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <QDir>

#include <gtest/gtest.h>

#include <tuple>

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

class MacroListTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        TeXtoText::createGlobalObject();
        BibPreferences::createGlobalObject();
    }
};

// One @STRING block as the file reader hands it over.
BibFieldDictionary block(const char *text)
{
    StringInputStream stream(u8(text));
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    QString error;
    const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
    EXPECT_TRUE(error.isNull()) << text;
    const auto fields = BibElement::analyzeElements(elements, error, false);
    EXPECT_TRUE(fields.has_value()) << text;
    return fields.value_or(BibFieldDictionary());
}

// The macros of a list's @STRING block, read back as the file reader reads them.
MacroList reread(const MacroList &list)
{
    MacroList result;
    for (const QString &line :
         list.databaseMacroStringWithLF(u8("\n")).split(u'\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.startsWith(u8("@STRING "))) << qPrintable(line);
        QString errors;
        const std::string body = line.mid(8).toStdString();
        EXPECT_TRUE(result.appendMacroWithDictionary(block(body.c_str()), errors))
            << qPrintable(line);
    }
    return result;
}

MacroDefinition definition(const QList<std::pair<QString, QString>> &nameValuePairs)
{
    MacroDefinition result;
    for (const auto &[name, value] : nameValuePairs) {
        result.names << name;
        result.dataForEdit.insert(name, value);
    }
    return result;
}

} // namespace

// The preferences keep the predefined macros as a stored definition; the list
// rebuilt from it is the list of the built-in table.
TEST_F(MacroListTest, predefinedListComesFromThePreferences)
{
    const MacroList list = MacroList::predefinedMacroList();
    EXPECT_TRUE(list.common());
    // The common list answers an unknown name with the name itself.
    EXPECT_EQ(list.expandMacro(u8("NOPE"), true), u8("NOPE"));
    const MacroList fromDefinition =
        MacroList::macroListWithMacroDefs(BibPreferences::predefinedMacroDefinition(), true);
    EXPECT_EQ(fromDefinition, list);
    EXPECT_EQ(fromDefinition.macroDefinition(), BibPreferences::predefinedMacroDefinition());
}

TEST_F(MacroListTest, databaseListFallsBackToTheCommonList)
{
    MacroList list;
    list.setMacroWithName(u8("mine"), u8("Mine"));
    EXPECT_EQ(list.expandMacro(u8("MINE"), true), u8("Mine"));
    EXPECT_EQ(list.expandMacro(u8("JAN"), true), u8("January"));
    EXPECT_EQ(list.expandMacroInTeX(u8("JAN"), false), u8("January"));
    // A database list's own definition wins over the common one.
    list.setMacroWithName(u8("jan"), u8("Jan."));
    EXPECT_EQ(list.expandMacro(u8("JAN"), true), u8("Jan."));
}

TEST_F(MacroListTest, laterOrSelfReferencesStayUnexpanded)
{
    // Two @STRING blocks, the macro asked for and its TeX form.
    const std::tuple<const char *, const char *, const char *, const char *, const char *> rows[] =
        {
            {"reference to a later macro", "{b = a # \" y\"}", "{a = \"x\"}", "B", "A y"},
            {"reference to itself", "{a = a # \"x\"}", "{b = \"z\"}", "A", "Ax"},
            {"common macro", "{a = jan # \" 1\"}", "{b = \"z\"}", "A", "January 1"},
            {"quoted hash is text", "{a = \"#\"}", "{b = a # \"#\"}", "B", "##"},
        };
    for (const auto &[label, first, second, name, tex] : rows) {
        SCOPED_TRACE(label);
        MacroList list;
        QString errors;
        EXPECT_TRUE(list.appendMacroWithDictionary(block(first), errors));
        EXPECT_TRUE(list.appendMacroWithDictionary(block(second), errors));
        EXPECT_TRUE(errors.isEmpty());
        EXPECT_EQ(list.expandMacroInTeX(u8(name), true), u8(tex));
    }
}

TEST_F(MacroListTest, expressionsSeeOnlyEarlierMacrosAndFollowTheirChanges)
{
    MacroList list;
    list.setMacroWithName(u8("a"), u8("x"));
    list.setMacroWithName(u8("b"), u8("@a # { and } # b # c"));
    list.setMacroWithName(u8("c"), u8("z"));
    EXPECT_EQ(list.expandMacroInTeX(u8("B"), true), u8("x and BC"));
    // A change reaches the macros that use it.
    list.setMacroWithName(u8("A"), u8("new"));
    EXPECT_EQ(list.expandMacroInTeX(u8("B"), true), u8("new and BC"));
    EXPECT_EQ(list.macroNameList(), QStringList({u8("A"), u8("B"), u8("C")}));
    EXPECT_TRUE(list.removeMacro(u8("a")));
    EXPECT_EQ(list.expandMacroInTeX(u8("B"), true), u8("A and BC"));
}

TEST_F(MacroListTest, appendOptionsForAnExistingName)
{
    const std::tuple<const char *, int, QStringList, const char *> rows[] = {
        {"0 adds a unique name", 0, {u8("JAN"), u8("X"), u8("JAN_1")}, "Jan."},
        {"1 skips", 1, {u8("JAN"), u8("X")}, "Jan."},
        {"2 replaces in place", 2, {u8("JAN"), u8("X")}, "Janvier"},
    };
    for (const auto &[label, option, names, janValue] : rows) {
        SCOPED_TRACE(label);
        MacroList list;
        list.setMacroWithName(u8("jan"), u8("Jan."));
        list.setMacroWithName(u8("x"), u8("@jan"));
        list.appendMacroWithDefs(definition({{u8("jan"), u8("Janvier")}}), option);
        EXPECT_EQ(list.macroNameList(), names);
        EXPECT_EQ(list.expandMacro(u8("JAN"), true), u8(janValue));
        EXPECT_EQ(list.expandMacro(u8("X"), true), u8(janValue)); // X follows JAN
    }
}

TEST_F(MacroListTest, duplicatesInAFileAreRenamedAndReported)
{
    MacroList list;
    QString errors;
    EXPECT_TRUE(list.appendMacroWithDictionary(block("{jan = \"one\"}"), errors));
    EXPECT_FALSE(list.appendMacroWithDictionary(block("{JAN = \"two\"}"), errors));
    EXPECT_EQ(errors, u8("JAN -> JAN_1"));
    EXPECT_FALSE(list.appendMacroWithDictionary(block("{Jan = \"three\"}"), errors));
    EXPECT_EQ(errors, u8("JAN -> JAN_1, JAN -> JAN_2"));
    EXPECT_EQ(list.expandMacro(u8("JAN"), true), u8("one"));
    EXPECT_EQ(list.expandMacro(u8("JAN_2"), true), u8("three"));
}

TEST_F(MacroListTest, editFormOfParsedElements)
{
    const std::pair<const char *, const char *> rows[] = {
        {"{a = {Text {B}}}", "Text {B}"},
        {"{a = jan}", "@JAN"},
        {"{a = jan # \" 1\" # {x}}", "@JAN # \" 1\" # {x}"},
        {"{a = \"@home\"}", "@\"@home\""}, // a plain value beginning with an at sign
    };
    for (const auto &[blockText, edit] : rows)
        EXPECT_EQ(MacroList::dataForEditWithElements(block(blockText).value(u8("a"))), u8(edit))
            << blockText;
}

TEST_F(MacroListTest, validateMacroNameAndData)
{
    // Input, normalised result, error.
    using Rows = std::initializer_list<std::tuple<const char *, const char *, bool>>;
    const Rows names = {
        {"   ab c", "AB", true}, {"1abc", "", true},    {"a-b", "A-B", false},
        {"", "", false},         {"ok\n", "OK", false}, {"a,b", "A", true},
        {"a=b", "A", true},      {"a\tb", "A", true},   {"#x", "", true},
    };
    const Rows data = {
        {"@jan # {x}", "@JAN # {x}", false},
        {"@{x}", "x", false},
        {"@a = b", "", true},
        {"@a, b = c", "@A", true},
        {"@{x", "", true},
        {"@", "", false},
        {"say \"hi\"", "say \"hi\"", false},
        {"{a", "", true},
        {"}{", "}{", false},
        {"} {", "", true},
        {"@a\\", "@A\\ ", false},
    };
    for (const auto &[rows, validate] : {std::pair(names, &MacroList::validateMacroName),
                                         std::pair(data, &MacroList::validateMacroData)}) {
        for (const auto &[input, result, expectedError] : rows) {
            bool error = !expectedError;
            EXPECT_EQ(validate(u8(input), error), u8(result)) << input;
            EXPECT_EQ(error, expectedError) << input;
        }
    }
}

TEST_F(MacroListTest, sortPutsMonthsFirstInCalendarOrder)
{
    MacroList list;
    for (const char *name : {"zeta", "dec", "alpha", "feb", "beta", "mar"})
        list.setMacroWithName(u8(name), u8("v"));
    list.sortByName();
    EXPECT_EQ(list.macroNameList(),
              QStringList({u8("FEB"), u8("MAR"), u8("DEC"), u8("ALPHA"), u8("BETA"), u8("ZETA")}));
}

TEST_F(MacroListTest, stringBlockReadsBackToTheSameValues)
{
    const char *values[] = {
        "plain", "G{\\\"o}del", "G\\\"odel", "{\\APACmonth{01}}", "50\\%", "", "a # b",
    };
    MacroList list;
    list.setMacroWithName(u8("x"), u8("x"));
    list.setMacroWithName(u8("y"), u8("@A # \"b\""));
    EXPECT_EQ(list.databaseMacroStringWithLF(u8("\n")),
              u8("@STRING { X = \"x\" }\n@STRING { Y = A # \"b\" }\n\n"));
    // A trailing backslash would escape the closing quote: a control space follows it.
    MacroList tail;
    tail.setMacroWithName(u8("jan"), u8("Jan.\\"));
    EXPECT_EQ(tail.databaseMacroStringWithLF(u8("\n")), u8("@STRING { JAN = \"Jan.\\ \" }\n\n"));
    int n = 0;
    for (const char *value : values)
        list.setMacroWithName(u8("m") + QString::number(n++), u8(value));
    list.setMacroWithName(u8("at"), u8("@\"@home\""));

    const MacroList read = reread(list);
    EXPECT_EQ(read.macroNameList(), list.macroNameList());
    for (const QString &name : list.macroNameList()) {
        EXPECT_EQ(read.macroForEdit(name), list.macroForEdit(name)) << qPrintable(name);
        EXPECT_EQ(read.expandMacro(name, true), list.expandMacro(name, true)) << qPrintable(name);
    }
}

TEST_F(MacroListTest, definitionRoundTripsAndReplacesTheList)
{
    MacroList list;
    list.setMacroWithName(u8("a"), u8("x"));
    list.setMacroWithName(u8("b"), u8("@a # {y}"));
    const MacroDefinition defs = list.definition();
    const std::optional<MacroDefinition> restored =
        MacroDefinition::fromVariant(QVariant(list.macroDefinition()));
    ASSERT_TRUE(restored.has_value());
    EXPECT_EQ(*restored, defs);
    EXPECT_EQ(MacroList::macroListWithMacroDefs(list.macroDefinition(), false), list);
    EXPECT_FALSE(MacroDefinition::fromVariant(QVariant(QVariantList{1})).has_value());

    list.replaceMacrosWithDefs(definition({{u8("n1"), u8("1")}, {u8("n2"), u8("@n1 # n1")}}));
    EXPECT_EQ(list.macroNameList(), QStringList({u8("N1"), u8("N2")}));
    EXPECT_EQ(list.expandMacro(u8("N2"), true), u8("11"));
}

TEST_F(MacroListTest, styleFileTextImport)
{
    const QString text = u8("% MACRO {commented} {\"no\"}\n"
                            "FUNCTION {macro.like} { \"MACRO {instring} {x}\" }\n"
                            "MACRO {jan} {\"January\"}\n"
                            "macro { feb }\n   {  \"February\"  }\n"
                            "MACRO {jan2} {\"{\\APACmonth{01}}\"}\n"
                            "MACRO {ref} {jan}\n"
                            "MACRO {bad name} {\"x\"}\n"
                            "MACRO {} {\"x\"}\n"
                            "MACRO {tail} {\"Jan.\\\"}\n"
                            "MACRO {open} {\"never closed\"\n");
    const MacroList list = MacroList::macroListFromBstText(text);
    EXPECT_EQ(list.macroNameList(),
              QStringList({u8("JAN"), u8("FEB"), u8("JAN2"), u8("REF"), u8("TAIL")}));
    EXPECT_EQ(list.macroForEdit(u8("JAN2")), u8("{\\APACmonth{01}}"));
    EXPECT_EQ(list.macroForEdit(u8("REF")), u8("@jan"));
    EXPECT_EQ(list.expandMacro(u8("REF"), true), u8("January"));
    EXPECT_EQ(list.macroForEdit(u8("TAIL")), u8("Jan.\\"));
    EXPECT_FALSE(list.common());
}

// Journal styles name macros as .bib files do ("nt/f"): every name the file
// reader accepts in @STRING is imported; the others are named.
TEST_F(MacroListTest, styleFileImportKeepsEveryNameABibFileCanHold)
{
    const std::tuple<const char *, bool> rows[] = {
        {"nt/f", true},      {"x:y", true},  {"c'est", false},
        {"bad name", false}, {"1st", false}, {"\u00a5yen", false},
    };
    QString text;
    QStringList expectedKept, expectedSkipped;
    for (const auto &[spelling, kept] : rows) {
        const QString name = QString::fromUtf8(spelling);
        text += u8("MACRO {") + name + u8("} {\"value of ") + name + u8("\"}\n");
        (kept ? expectedKept : expectedSkipped) << name.toUpper();
        EXPECT_EQ(MacroList::isReadableName(name.toUpper()), kept) << spelling;
    }
    // Names a style file cannot even spell.
    for (const char *name : {"A{B}", ""})
        EXPECT_FALSE(MacroList::isReadableName(QString::fromUtf8(name))) << name;
    QStringList skipped;
    const MacroList list = MacroList::macroListFromBstText(text, &skipped);
    EXPECT_EQ(list.macroNameList(), expectedKept);
    EXPECT_EQ(skipped, expectedSkipped);

    // What is kept reads back from the @STRING block unchanged.
    EXPECT_EQ(reread(list).macroNameList(), expectedKept);
}

TEST_F(MacroListTest, unreadableStyleFileIsAnError)
{
    for (const QString &path : {u8("/nonexistent/folder/none.bst"), QDir::tempPath()}) {
        QString error;
        EXPECT_FALSE(MacroList::macroListFromBstFile(path, error).has_value());
        EXPECT_TRUE(error.contains(path)) << qPrintable(error);
    }
}

// Text made of the characters the parsers care about, in every mix: no input
// may crash, hang or leave a macro that writes an unreadable @STRING line.
TEST_F(MacroListTest, scrambledInputIsHandledSafely)
{
    const QString alphabet = u8("ab Z1@#%{}\"\\$,=.-_~'`()\n\t¥　");
    quint32 seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    const auto scrambled = [&](quint32 length) {
        QString text;
        while (length-- > 0)
            text += alphabet.at(next() % alphabet.size());
        return text;
    };
    MacroList list;
    for (int round = 0; round < 4000; ++round) {
        const QString text = scrambled(next() % 24);
        bool nameError = false, dataError = false, expressionError = false;
        const QString name = MacroList::validateMacroName(scrambled(next() % 4 + 1), nameError);
        const QString data = MacroList::validateMacroData(text, dataError);
        const QString normalized = MacroList::validateMacroData(u8("@") + text, expressionError);
        if (!name.isEmpty() && !nameError) {
            list.setMacroWithName(name, dataError ? QString() : data);
            if (!expressionError && !normalized.isEmpty())
                list.setMacroWithName(name + u8("X"), normalized);
        }
        MacroList::macroListFromBstText(u8("MACRO {m} {") + text + u8("}\nMACRO {") + text +
                                        u8("} {\"v\"}"));
    }
    ASSERT_GT(list.count(), 0);
    // Everything validated writes a block that reads back to the same list.
    const MacroList read = reread(list);
    EXPECT_EQ(read.macroNameList(), list.macroNameList());
    for (const QString &name : list.macroNameList())
        EXPECT_EQ(read.expandMacroInTeX(name, true), list.expandMacroInTeX(name, true))
            << qPrintable(name) << " " << qPrintable(list.macroForEdit(name));
}
