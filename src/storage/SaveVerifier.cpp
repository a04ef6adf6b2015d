#include "storage/SaveVerifier.h"

#include "storage/BibFileWriter.h"

#include <QSet>

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

bool SaveVerifier::sameEntries(const QList<Entry> &meant, const QList<Entry> &read,
                               quint32 encoding, RoundTrip roundTrip, QString &detail)
{
    const bool yen = BibFileWriter::isYenEncoding(encoding);
    if (meant.size() != read.size()) {
        detail = u"%1 entries written, %2 read back"_s.arg(meant.size()).arg(read.size());
        return false;
    }
    for (qsizetype i = 0; i < meant.size(); ++i) {
        const Entry &m = meant.at(i);
        const Entry &r = read.at(i);
        const QString where = u"entry %1 (%2)"_s.arg(i + 1).arg(m.key);
        if (m.type.compare(r.type, Qt::CaseInsensitive) != 0) {
            detail = where + u": type "_s + r.type;
            return false;
        }
        if (expectedValue(m.key, encoding, roundTrip) != normalized(r.key, yen)) {
            detail = where + u": key "_s + r.key;
            return false;
        }
        QSet<QString> names;
        for (auto it = m.fields.begin(); it != m.fields.end(); ++it)
            names.insert(it.key());
        for (auto it = r.fields.begin(); it != r.fields.end(); ++it)
            names.insert(it.key());
        for (const QString &name : names) {
            const QString expected = expectedValue(m.fields.value(name), encoding, roundTrip);
            const QString got = normalized(r.fields.value(name), yen);
            if (expected != got) {
                detail = where + u": field "_s + name;
                return false;
            }
        }
    }
    return true;
}
