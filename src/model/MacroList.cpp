#include "model/MacroList.h"

#include "core/StringInputStream.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

const QString &kAt()
{
    static const QString at = QStringLiteral("@");
    return at;
}

// Forbidden in a macro name: what BibTeX or the @STRING block cannot carry.
// The yen sign reads back as a backslash.
bool isForbiddenInName(QChar c)
{
    static const QString forbidden = QStringLiteral("!@#$%^&*()[]{}<>?/;:'`|~\\\",=\u00A5");
    return c.isSpace() || forbidden.contains(c);
}

int monthIndex(const QString &name)
{
    static const QStringList months = {
        QStringLiteral("JAN"), QStringLiteral("FEB"), QStringLiteral("MAR"), QStringLiteral("APR"),
        QStringLiteral("MAY"), QStringLiteral("JUN"), QStringLiteral("JUL"), QStringLiteral("AUG"),
        QStringLiteral("SEP"), QStringLiteral("OCT"), QStringLiteral("NOV"), QStringLiteral("DEC")};
    if (name.size() != 3)
        return -1;
    return int(months.indexOf(name.toUpper()));
}

// A plain value written as a quoted string: in braces instead when it holds a
// double quote outside braces (BibTeX would end the string there, backslash or
// not), and with a space after a final lone backslash, which would otherwise
// escape the closing delimiter for our own reader.
QString writtenPlainValue(const QString &value)
{
    bool quoteAtTop = false;
    bool trailingBackslash = false;
    bool closesEarly = false; // "a}b{c", as read from the braced value {a}b{c}
    int depth = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'"' && depth <= 0)
            quoteAtTop = true;
        if (c == u'\\') {
            if (i + 1 >= value.size())
                trailingBackslash = true;
            else if (value.at(i + 1) == u'"' && depth <= 0)
                quoteAtTop = true;
            ++i;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            if (--depth < 0)
                closesEarly = true;
        }
    }
    QString text = value;
    if (trailingBackslash)
        text += u' ';
    if (quoteAtTop || closesEarly)
        return u'{' + text + u'}';
    return u'"' + text + u'"';
}

QList<BibElement> tokenize(const QString &text, QString &error)
{
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    return BibElement::getElementsFromStream(stream, error, false);
}

// The value elements of "{name = TEXT }" read as a block, or none on any
// syntax error.
std::optional<QList<BibElement>> valueOfAssignment(const QString &text, bool &extraFields)
{
    QString error;
    StringInputStream stream(QStringLiteral("{name = ") + text + QStringLiteral(" }"));
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
    if (!error.isEmpty())
        return std::nullopt;
    const auto fields = BibElement::analyzeElements(elements, error, false);
    if (!fields)
        return std::nullopt;
    extraFields = fields->size() > 1;
    return fields->value(QStringLiteral("name"));
}

} // namespace

// --- creation ---

MacroList MacroList::macroListWithList(const MacroList &other)
{
    MacroList list(other.m_common);
    list.appendMacroWithDefs(other.definition(), ReplaceExisting);
    return list;
}

MacroList
MacroList::macroListWithStringList(const QList<std::pair<QString, QString>> &valueNamePairs,
                                   bool common)
{
    MacroList list(common);
    for (const auto &[value, name] : valueNamePairs) {
        if (value.isEmpty())
            break;
        const QString upper = name.toUpper();
        if (upper.isEmpty())
            continue;
        list.storeMacro(upper, value, value);
    }
    return list;
}

MacroList MacroList::macroListWithMacroDefs(const MacroDefinition &definition, bool common)
{
    MacroList list(common);
    list.appendMacroWithDefs(definition, AppendUnderUniqueName);
    return list;
}

MacroList MacroList::macroListWithMacroDefs(const QVariantList &definition, bool common)
{
    return macroListWithMacroDefs(
        MacroDefinition::fromVariant(QVariant(definition)).value_or(MacroDefinition()), common);
}

const QList<std::pair<QString, QString>> &MacroList::predefinedMacroPairs()
{
    static const QList<std::pair<QString, QString>> pairs = {
        {QStringLiteral("January"), QStringLiteral("jan")},
        {QStringLiteral("February"), QStringLiteral("feb")},
        {QStringLiteral("March"), QStringLiteral("mar")},
        {QStringLiteral("April"), QStringLiteral("apr")},
        {QStringLiteral("May"), QStringLiteral("may")},
        {QStringLiteral("June"), QStringLiteral("jun")},
        {QStringLiteral("July"), QStringLiteral("jul")},
        {QStringLiteral("August"), QStringLiteral("aug")},
        {QStringLiteral("September"), QStringLiteral("sep")},
        {QStringLiteral("October"), QStringLiteral("oct")},
        {QStringLiteral("November"), QStringLiteral("nov")},
        {QStringLiteral("December"), QStringLiteral("dec")},
        {QStringLiteral("ACM Computing Surveys"), QStringLiteral("acmcs")},
        {QStringLiteral("Acta Informatica"), QStringLiteral("acta")},
        {QStringLiteral("Communications of the ACM"), QStringLiteral("cacm")},
        {QStringLiteral("IBM Journal of Research and Development"), QStringLiteral("ibmjrd")},
        {QStringLiteral("IBM Systems Journal"), QStringLiteral("ibmsj")},
        {QStringLiteral("IEEE Transactions on Software Engineering"), QStringLiteral("ieeese")},
        {QStringLiteral("IEEE Transactions on Computers"), QStringLiteral("ieeetc")},
        {QStringLiteral("Information Processing Letters"), QStringLiteral("ipl")},
        {QStringLiteral("Journal of the ACM"), QStringLiteral("jacm")},
        {QStringLiteral("Journal of Computer and System Sciences"), QStringLiteral("jcss")},
        {QStringLiteral("Science of Computer Programming"), QStringLiteral("scp")},
        {QStringLiteral("SIAM Journal on Computing"), QStringLiteral("sicomp")},
        {QStringLiteral("ACM Transactions on Computer Systems"), QStringLiteral("tocs")},
        {QStringLiteral("ACM Transactions on Database Systems"), QStringLiteral("tods")},
        {QStringLiteral("ACM Transactions on Graphics"), QStringLiteral("tog")},
        {QStringLiteral("ACM Transactions on Mathematical Software"), QStringLiteral("toms")},
        {QStringLiteral("ACM Transactions on Office Information Systems"), QStringLiteral("toois")},
        {QStringLiteral("ACM Transactions on Programming Languages and Systems"),
         QStringLiteral("toplas")},
        {QStringLiteral("Theoretical Computer Science"), QStringLiteral("tcs")},
    };
    return pairs;
}

MacroList MacroList::predefinedMacroList()
{
    return macroListWithStringList(predefinedMacroPairs(), true);
}

// --- queries ---

QVariantList MacroList::macroDefinition() const
{
    return definition().toVariant();
}

QString MacroList::macroForEdit(const QString &name) const
{
    const auto it = m_macroDataForEdit.constFind(name);
    if (it != m_macroDataForEdit.constEnd())
        return it.value();
    return kAt() + name;
}

const MacroList *MacroList::commonList()
{
    BibPreferences *preferences = BibPreferences::globalPreferences();
    return preferences ? preferences->macroList() : nullptr;
}

QString MacroList::expandMacro(const QString &name, bool searchCommon) const
{
    const auto it = m_macroData.constFind(name);
    if (it != m_macroData.constEnd())
        return it.value();
    if (m_common)
        return name;
    const MacroList *common = commonList();
    if (!common || common == this)
        return name;
    return common->expandMacro(name, searchCommon);
}

QString MacroList::expandMacroInTeX(const QString &name, bool searchCommon) const
{
    const auto it = m_macroDataInTeX.constFind(name);
    if (it != m_macroDataInTeX.constEnd())
        return it.value();
    if (m_common)
        return name;
    const MacroList *common = commonList();
    if (!common || common == this)
        return name;
    return common->expandMacroInTeX(name, searchCommon);
}

QString MacroList::uniqueMacroName(const QString &name) const
{
    if (!m_macroDataForEdit.contains(name))
        return name;
    for (int n = 1;; ++n) {
        QString candidate = name + u'_' + QString::number(n);
        if (!m_macroDataForEdit.contains(candidate))
            return candidate;
    }
}

// --- changes ---

void MacroList::storeMacro(const QString &name, const QString &dataForEdit,
                           const QString &dataInTeX)
{
    if (!m_macroDataForEdit.contains(name))
        m_macroNames.append(name);
    m_macroDataForEdit.insert(name, dataForEdit);
    m_macroDataInTeX.insert(name, dataInTeX);
    m_macroData.insert(name, TeXtoText::convertString(dataInTeX));
}

void MacroList::reexpandFrom(qsizetype index)
{
    for (qsizetype i = std::max<qsizetype>(index, 0); i < m_macroNames.size(); ++i) {
        const QString &name = m_macroNames.at(i);
        const QString edit = m_macroDataForEdit.value(name);
        if (!edit.startsWith(u'@'))
            continue;
        const QString tex = expandMacroData(edit, name);
        if (tex == m_macroDataInTeX.value(name))
            continue;
        m_macroDataInTeX.insert(name, tex);
        m_macroData.insert(name, TeXtoText::convertString(tex));
    }
}

bool MacroList::setMacroWithName(const QString &name, const QString &data)
{
    const QString upper = name.toUpper();
    if (upper.isEmpty())
        return false;
    const qsizetype position = m_macroNames.indexOf(upper);
    if (position < 0)
        m_macroNames.append(upper);
    m_macroDataForEdit.insert(upper, data);
    const QString tex = expandMacroData(data, upper);
    m_macroDataInTeX.insert(upper, tex);
    m_macroData.insert(upper, TeXtoText::convertString(tex));
    if (position >= 0)
        reexpandFrom(position + 1);
    return true;
}

void MacroList::replaceMacrosWithDefs(const MacroDefinition &definition)
{
    removeAllMacros();
    appendMacroWithDefs(definition, AppendUnderUniqueName);
}

void MacroList::replaceMacrosWithDefs(const QVariantList &definition)
{
    replaceMacrosWithDefs(
        MacroDefinition::fromVariant(QVariant(definition)).value_or(MacroDefinition()));
}

void MacroList::appendMacroWithDefs(const QVariantList &definition, int option)
{
    appendMacroWithDefs(
        MacroDefinition::fromVariant(QVariant(definition)).value_or(MacroDefinition()), option);
}

void MacroList::appendMacroWithDefs(const MacroDefinition &definition, int option)
{
    qsizetype firstReplaced = -1;
    for (const QString &given : definition.names) {
        auto found = definition.dataForEdit.constFind(given);
        if (found == definition.dataForEdit.constEnd())
            found = definition.dataForEdit.constFind(given.toUpper());
        if (found == definition.dataForEdit.constEnd())
            continue;
        const QString &data = found.value();
        const QString name = given.toUpper();
        if (name.isEmpty())
            continue;
        if (!m_macroDataForEdit.contains(name)) {
            storeMacro(name, data, expandMacroData(data, name));
            continue;
        }
        switch (option) {
        case SkipExisting:
            break;
        case ReplaceExisting: {
            const qsizetype position = m_macroNames.indexOf(name);
            storeMacro(name, data, expandMacroData(data, name));
            if (firstReplaced < 0 || position < firstReplaced)
                firstReplaced = position;
            break;
        }
        default: {
            const QString unique = uniqueMacroName(name);
            storeMacro(unique, data, expandMacroData(data, unique));
            break;
        }
        }
    }
    if (firstReplaced >= 0)
        reexpandFrom(firstReplaced + 1);
}

bool MacroList::appendMacroWithDictionary(const BibFieldDictionary &dictionary,
                                          QString &errorStr)
{
    // The names in the order the block gives them.
    bool noneRenamed = true;
    for (const QString &key : dictionary.keys()) {
        const QString name = key.toUpper();
        if (name.isEmpty())
            continue;
        const QString unique = uniqueMacroName(name);
        if (unique != name) {
            if (!errorStr.isEmpty())
                errorStr += QStringLiteral(", ");
            errorStr += name + QStringLiteral(" -> ") + unique;
            noneRenamed = false;
        }
        const QList<BibElement> &elements = dictionary.value(key);
        const QString tex = expandMacroElements(elements, m_macroNames.size());
        storeMacro(unique, dataForEditWithElements(elements), tex);
    }
    return noneRenamed;
}

bool MacroList::removeMacro(const QString &name)
{
    const QString upper = name.toUpper();
    const qsizetype position = m_macroNames.indexOf(upper);
    if (position < 0)
        return false;
    m_macroNames.removeAt(position);
    m_macroDataForEdit.remove(upper);
    m_macroDataInTeX.remove(upper);
    m_macroData.remove(upper);
    reexpandFrom(position);
    return true;
}

void MacroList::removeAllMacros()
{
    m_macroNames.clear();
    m_macroDataForEdit.clear();
    m_macroDataInTeX.clear();
    m_macroData.clear();
}

int MacroList::compareMacroName(const QString &a, const QString &b)
{
    const int monthA = monthIndex(a);
    const int monthB = monthIndex(b);
    if (monthA >= 0 && monthB >= 0)
        return monthA - monthB;
    if (monthA >= 0)
        return -1;
    if (monthB >= 0)
        return 1;
    return QString::localeAwareCompare(a, b);
}

void MacroList::sortListByName(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(),
                     [](const QString &a, const QString &b) { return compareMacroName(a, b) < 0; });
}

void MacroList::sortByName()
{
    sortListByName(m_macroNames);
}

// --- validation ---

QString MacroList::validateMacroName(const QString &name, bool &error)
{
    error = false;
    const QString upper = name.trimmed().toUpper();
    if (upper.isEmpty())
        return upper;
    if (upper.front().isDigit()) {
        error = true;
        return QString();
    }
    for (qsizetype i = 0; i < upper.size(); ++i) {
        if (isForbiddenInName(upper.at(i))) {
            error = true;
            return upper.left(i);
        }
    }
    return upper;
}

QString MacroList::validateMacroData(const QString &data, bool &error)
{
    error = false;
    if (data.isEmpty())
        return QString();
    if (!data.startsWith(u'@')) {
        const std::optional<QString> checked = BibElement::checkNesting(data);
        // Also refused: a value the @STRING block cannot carry ("} {").
        if (!checked || !readsBackAs(*checked, *checked)) {
            error = true;
            return QString();
        }
        return *checked;
    }
    bool extraFields = false;
    const std::optional<QList<BibElement>> elements = valueOfAssignment(data.mid(1), extraFields);
    if (!elements) {
        error = true;
        return QString();
    }
    if (elements->isEmpty())
        return QString();
    // Anything beside the one value ("@a, b = c") is a typing fault.
    if (extraFields)
        error = true;
    const QString normalized = dataForEditWithElements(*elements);
    if (!readsBackAs(normalized, normalized)) {
        error = true;
        return QString();
    }
    return normalized;
}

QString MacroList::writtenValue(const QString &dataForEdit)
{
    if (!dataForEdit.startsWith(u'@'))
        return writtenPlainValue(dataForEdit);
    const QString expression = dataForEdit.mid(1).trimmed();
    return expression.isEmpty() ? QStringLiteral("\"\"") : expression;
}

bool MacroList::readsBackAs(const QString &dataForEdit, const QString &expected)
{
    bool extraFields = false;
    const std::optional<QList<BibElement>> elements =
        valueOfAssignment(writtenValue(dataForEdit), extraFields);
    return elements && !extraFields && dataForEditWithElements(*elements) == expected;
}

// --- output ---

QString MacroList::databaseMacroStringWithLF(const QString &lf) const
{
    QString text;
    for (const QString &name : m_macroNames) {
        const QString value = writtenValue(m_macroDataForEdit.value(name));
        text += QStringLiteral("@STRING { ") + name + QStringLiteral(" = ") + value +
                QStringLiteral(" }") + lf;
    }
    text += lf;
    return text;
}

// --- expansion ---

QString MacroList::expandMacroData(const QString &data, const QString &name) const
{
    if (!data.startsWith(u'@'))
        return data;
    QString error;
    const QList<BibElement> elements = tokenize(data.mid(1), error);
    return expandMacroElements(elements, m_macroNames.indexOf(name));
}

QString MacroList::expandMacroElements(const QList<BibElement> &elements, qsizetype maxIndex) const
{
    if (maxIndex < 0)
        maxIndex = m_macroNames.size();
    const MacroList *common = m_common ? nullptr : commonList();
    if (common == this)
        common = nullptr;
    QString result;
    for (const BibElement &element : elements) {
        if (element.elementType() == BibElement::Sharp)
            continue; // the concatenation operator; a quoted "#" is text
        if (element.elementType() != BibElement::Word) {
            result += element.stringContents();
            continue;
        }
        const QString name = element.stringValue().toUpper();
        const qsizetype position = m_macroNames.indexOf(name);
        if (position >= 0)
            result += position < maxIndex ? m_macroDataInTeX.value(name) : name;
        else if (common)
            result += common->expandMacroInTeX(name, true);
        else
            result += name;
    }
    return result;
}

QString MacroList::dataForEditWithElements(const QList<BibElement> &elements)
{
    if (elements.size() == 1) {
        const BibElement &element = elements.first();
        if (element.elementType() == 0)
            return kAt() + element.stringValue().toUpper();
        const QString contents = element.stringContents();
        // A plain value that begins with "@" would read as an expression:
        // keep it as one, delimiters and all.
        if (!contents.startsWith(u'@'))
            return contents;
    }
    QString data = kAt();
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const BibElement &element = elements.at(i);
        if (i > 0)
            data += QStringLiteral(" # ");
        data +=
            element.elementType() == 0 ? element.stringValue().toUpper() : element.stringValue();
    }
    return data;
}

bool MacroList::operator==(const MacroList &other) const
{
    return m_common == other.m_common && m_macroNames == other.m_macroNames &&
           m_macroDataForEdit == other.m_macroDataForEdit &&
           m_macroDataInTeX == other.m_macroDataInTeX && m_macroData == other.m_macroData;
}

// --- import from a BibTeX style file ---

namespace {

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'.' || c == u'_' || c == u'$';
}

qsizetype skipWhiteSpace(const QString &text, qsizetype i)
{
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    return i;
}

// The position of the brace that closes the group opened just before `i`;
// braces inside a quoted string do not count. -1 when it is missing.
qsizetype matchingBrace(const QString &text, qsizetype i)
{
    int depth = 1;
    bool inString = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'"') {
            inString = !inString;
        } else if (!inString && c == u'{') {
            ++depth;
        } else if (!inString && c == u'}') {
            if (--depth == 0)
                return i;
        }
    }
    return -1;
}

} // namespace

bool MacroList::isReadableName(const QString &name)
{
    // BibTeX itself reads a leading digit as a number and refuses these
    // characters in a name; the yen sign reads back as a backslash.
    static const QString notInBibTeXNames = QStringLiteral("\"#%'(),={}\u00A5");
    if (name.isEmpty() || name.front().isDigit())
        return false;
    for (QChar c : name) {
        if (c.isSpace() || notInBibTeXNames.contains(c))
            return false;
    }
    // Defined: "@STRING { NAME = "x" }" must give exactly that name.
    QString error;
    StringInputStream definition(u'{' + name + QStringLiteral(" = \"x\" }"));
    definition.setSpacesToASpace(true);
    const QList<BibElement> elements = BibElement::getElementsFromStream(definition, error, true);
    if (!error.isEmpty())
        return false;
    const auto fields = BibElement::analyzeElements(elements, error, false);
    if (!fields || fields->size() != 1 || fields->cbegin().key().toUpper() != name)
        return false;
    // Used: the name alone in a value reads as that one macro name.
    bool extraFields = false;
    const std::optional<QList<BibElement>> value = valueOfAssignment(name, extraFields);
    return value && !extraFields && value->size() == 1 &&
           value->front().elementType() == BibElement::Word &&
           value->front().stringValue().toUpper() == name;
}

MacroList MacroList::macroListFromBstText(const QString &text, QStringList *skippedNames)
{
    static const QString kMacro = QStringLiteral("MACRO");
    MacroList list;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'%') { // a comment runs to the end of its line
            while (i < n && text.at(i) != u'\n' && text.at(i) != u'\r')
                ++i;
            continue;
        }
        if (c == u'"') { // a string literal never spans lines
            ++i;
            while (i < n && text.at(i) != u'"' && text.at(i) != u'\n' && text.at(i) != u'\r')
                ++i;
            ++i;
            continue;
        }
        const bool atWordStart = i == 0 || !isNameCharacter(text.at(i - 1));
        if (!atWordStart ||
            QStringView(text).mid(i, kMacro.size()).compare(kMacro, Qt::CaseInsensitive) != 0) {
            ++i;
            continue;
        }
        qsizetype j = skipWhiteSpace(text, i + kMacro.size());
        if (j >= n || text.at(j) != u'{') {
            i = j;
            continue;
        }
        const qsizetype nameEnd = text.indexOf(u'}', j + 1);
        if (nameEnd < 0)
            break;
        const QString name = text.mid(j + 1, nameEnd - j - 1).trimmed().toUpper();
        j = skipWhiteSpace(text, nameEnd + 1);
        if (j >= n || text.at(j) != u'{') {
            i = j;
            continue;
        }
        const qsizetype valueEnd = matchingBrace(text, j + 1);
        if (valueEnd < 0)
            break;
        const QString value = text.mid(j + 1, valueEnd - j - 1).trimmed();
        i = valueEnd + 1;
        // A name the @STRING block could not carry is left out, and said so.
        if (!isReadableName(name)) {
            if (skippedNames)
                skippedNames->append(name);
            continue;
        }
        if (value.startsWith(u'"'))
            list.setMacroWithName(name,
                                  value.size() >= 2 ? value.mid(1, value.size() - 2) : QString());
        else
            list.setMacroWithName(name, kAt() + value);
    }
    return list;
}

std::optional<MacroList> MacroList::macroListFromBstFile(const QString &path, QString &error,
                                                         QStringList *skippedNames)
{
    const BibPreferences *preferences = BibPreferences::globalPreferences();
    const quint32 encoding = preferences ? preferences->databaseEncoding() : TextEncodings::UTF8;
    return macroListFromBstFile(path, encoding, error, skippedNames);
}

std::optional<MacroList> MacroList::macroListFromBstFile(const QString &path, quint32 encoding,
                                                         QString &error, QStringList *skippedNames)
{
    error.clear();
    const QFileInfo info(path);
    QFile file(path);
    if (info.isDir()) {
        error =
            Texts::format(u"MacroImport_CannotRead", {path, Texts::text(u"MacroImport_IsFolder")});
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = Texts::format(u"MacroImport_CannotRead", {path, file.errorString()});
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = Texts::format(u"MacroImport_CannotRead", {path, file.errorString()});
        return std::nullopt;
    }

    QString text;
    const bool utf16 = bytes.size() >= 2 && ((uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF) ||
                                             (uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE));
    if (utf16) {
        QStringDecoder decoder(QStringConverter::Utf16);
        text = decoder.decode(bytes);
        if (decoder.hasError()) {
            error = Texts::format(u"MacroImport_CannotDecode",
                                  {path, TextEncodings::nameOfEncoding(TextEncodings::UTF16)});
            return std::nullopt;
        }
    } else {
        std::optional<QString> decoded = TextEncodings::decode(bytes, encoding);
        if (!decoded) {
            error = Texts::format(u"MacroImport_CannotDecode",
                                  {path, TextEncodings::nameOfEncoding(encoding)});
            return std::nullopt;
        }
        text = std::move(*decoded);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return macroListFromBstText(text, skippedNames);
}
