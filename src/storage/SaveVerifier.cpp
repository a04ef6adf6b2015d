#include "storage/SaveVerifier.h"

#include "storage/BibFileWriter.h"


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

QString placeOf(qsizetype index, const SaveVerifier::Entry &entry)
{
    return u"entry %1 (%2)"_s.arg(index + 1).arg(entry.key);
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
    if (meant.size() != read.size()) {
        detail = u"%1 entries written, %2 read back"_s.arg(meant.size()).arg(read.size());
        return false;
    }
    // The first difference of one entry, or a null text.
    const auto differenceOf = [&](qsizetype i) -> QString {
        const Entry &m = meant.at(i);
        const Entry &r = read.at(i);
        if (m.type.compare(r.type, Qt::CaseInsensitive) != 0)
            return placeOf(i, m) + u": type "_s + r.type;
        if (!same(m.key, r.key))
            return placeOf(i, m) + u": key "_s + r.key;
        for (const auto &field : m.fields.entries()) {
            if (!isPseudoField(field.key) && !same(field.value, r.fields.value(field.key)))
                return placeOf(i, m) + u": field "_s + field.key;
        }
        for (const auto &field : r.fields.entries()) {
            if (!isPseudoField(field.key) && !m.fields.contains(field.key) &&
                !same(QString(), field.value))
                return placeOf(i, m) + u": field "_s + field.key;
        }
        return {};
    };
    bool allSame = true;
    for (qsizetype i = 0; i < meant.size(); ++i) {
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
    return allSame;
}
