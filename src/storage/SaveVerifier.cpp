#include "storage/SaveVerifier.h"

#include "storage/BibFileWriter.h"

#include "core/Texts.h"

#include <algorithm>


using namespace Qt::StringLiterals;

namespace {

QString normalized(QString text, bool yen)
{
    text.replace(QChar(0x00A0), u' ');
    if (yen)
        text.replace(QChar(0x00A5), u'\\');
    return text.simplified();
}

} // namespace

QString SaveVerifier::expectedValue(const QString &value, quint32 encoding, RoundTrip roundTrip)
{
    const bool yen = BibFileWriter::isYenEncoding(encoding);
    QString text = BibFileWriter::finishText(value, encoding);
    if (roundTrip)
        text = roundTrip(text, encoding);
    return normalized(text, yen);
}

namespace {

bool isPseudoField(QStringView name)
{
    return name == u"database" || name == u"bibkey" || name == u"bibtype";
}

// A field that does not read back as meant: the message names the entry and
// the field and says what the user can do.
QString fieldProblem(const SaveVerifier::Entry &entry, const QString &field)
{
    return Texts::format(u"SaveError_FieldReadsBack", {entry.key, field});
}

} // namespace

bool SaveVerifier::sameEntries(const QList<Entry> &meant, const QList<Entry> &read,
                               quint32 encoding, RoundTrip roundTrip, QString &detail,
                               QList<qsizetype> *differing)
{
    const bool yen = BibFileWriter::isYenEncoding(encoding);
    const auto same = [&](const QString &expected, const QString &got) {
        return expected == got || expectedValue(expected, encoding, roundTrip) == normalized(got, yen);
    };
    const qsizetype common = std::min(meant.size(), read.size());
    // The first difference of one entry, or a null text.
    const auto differenceOf = [&](qsizetype i) -> QString {
        const Entry &m = meant.at(i);
        const Entry &r = read.at(i);
        if (m.type.compare(r.type, Qt::CaseInsensitive) != 0 || !same(m.key, r.key))
            return Texts::format(u"SaveError_EntryReadsBack",
                                 {m.key, QString::number(meant.size()),
                                  QString::number(read.size())});
        for (const auto &field : m.fields.entries()) {
            if (!isPseudoField(field.key) && !same(field.value, r.fields.value(field.key)))
                return fieldProblem(m, field.key);
        }
        for (const auto &field : r.fields.entries()) {
            if (!isPseudoField(field.key) && !m.fields.contains(field.key) &&
                !same(QString(), field.value))
                return fieldProblem(m, field.key);
        }
        return {};
    };
    bool allSame = true;
    for (qsizetype i = 0; i < common; ++i) {
        const QString difference = differenceOf(i);
        if (difference.isNull())
            continue;
        if (allSame)
            detail = difference;
        allSame = false;
        if (!differing)
            return false;
        differing->append(i);
    }
    if (meant.size() != read.size()) {
        // Everything written read back, but more (or fewer) entries besides:
        // text kept from the file, written after the entries, read as entries.
        if (allSame)
            detail = Texts::format(
                read.size() > meant.size() ? u"SaveError_KeptTextReadsBack"
                                           : u"SaveError_EntryReadsBack",
                {read.size() > meant.size() ? read.at(common).key : meant.at(common).key,
                 QString::number(meant.size()), QString::number(read.size())});
        if (differing)
            differing->clear(); // no entry to blame
        return false;
    }
    return allSame;
}
