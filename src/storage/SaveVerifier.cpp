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
                               quint32 encoding, RoundTrip roundTrip, QString &detail)
{
    const bool yen = BibFileWriter::isYenEncoding(encoding);
    const auto same = [&](const QString &expected, const QString &got) {
        return expected == got || expectedValue(expected, encoding, roundTrip) == normalized(got, yen);
    };
    if (meant.size() != read.size()) {
        detail = u"%1 entries written, %2 read back"_s.arg(meant.size()).arg(read.size());
        return false;
    }
    for (qsizetype i = 0; i < meant.size(); ++i) {
        const Entry &m = meant.at(i);
        const Entry &r = read.at(i);
        if (m.type.compare(r.type, Qt::CaseInsensitive) != 0) {
            detail = placeOf(i, m) + u": type "_s + r.type;
            return false;
        }
        if (!same(m.key, r.key)) {
            detail = placeOf(i, m) + u": key "_s + r.key;
            return false;
        }
        for (const auto &field : m.fields.entries()) {
            if (!isPseudoField(field.key) && !same(field.value, r.fields.value(field.key))) {
                detail = placeOf(i, m) + u": field "_s + field.key;
                return false;
            }
        }
        for (const auto &field : r.fields.entries()) {
            if (isPseudoField(field.key) || m.fields.contains(field.key))
                continue;
            if (!same(QString(), field.value)) {
                detail = placeOf(i, m) + u": field "_s + field.key;
                return false;
            }
        }
    }
    return true;
}
