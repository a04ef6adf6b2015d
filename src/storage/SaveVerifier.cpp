#include "storage/SaveVerifier.h"

#include "storage/BibFileWriter.h"

#include "core/Texts.h"

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

} // namespace

SaveVerifier::Comparison::Comparison(qsizetype meantCount, Meant meant, quint32 encoding,
                                     RoundTrip roundTrip, bool listDiffering)
    : m_meantCount(meantCount), m_meant(std::move(meant)), m_encoding(encoding),
      m_roundTrip(roundTrip), m_yen(BibFileWriter::isYenEncoding(encoding)),
      m_listDiffering(listDiffering)
{}

bool SaveVerifier::Comparison::same(const QString &expected, const QString &got) const
{
    return expected == got ||
           expectedValue(expected, m_encoding, m_roundTrip) == normalized(got, m_yen);
}

std::optional<SaveVerifier::Comparison::Difference>
SaveVerifier::Comparison::differenceOf(const Entry &m, const Entry &r) const
{
    if (m.type.compare(r.type, Qt::CaseInsensitive) != 0 || !same(m.key, r.key))
        return Difference{m.key, QString()};
    for (const auto &field : m.fields.entries()) {
        if (!isPseudoField(field.key) && !same(field.value, r.fields.value(field.key)))
            return Difference{m.key, field.key};
    }
    for (const auto &field : r.fields.entries()) {
        if (!isPseudoField(field.key) && !m.fields.contains(field.key) &&
            !same(QString(), field.value))
            return Difference{m.key, field.key};
    }
    return std::nullopt;
}

void SaveVerifier::Comparison::take(const Entry &read)
{
    const qsizetype place = m_readCount++;
    if (place >= m_meantCount) {
        if (place == m_meantCount)
            m_firstExtraKey = read.key;
        return;
    }
    // Without a list the first difference decides; the rest is only counted.
    if (m_first && !m_listDiffering)
        return;
    std::optional<Difference> difference = differenceOf(m_meant(place), read);
    if (!difference)
        return;
    if (!m_first)
        m_first = std::move(difference);
    if (m_listDiffering)
        m_differing.append(place);
}

bool SaveVerifier::Comparison::finish(QString &detail, QList<qsizetype> *differing) const
{
    const QString written = QString::number(m_meantCount);
    const QString read = QString::number(m_readCount);
    if (m_first) {
        detail = m_first->field.isNull()
                     ? Texts::format(u"SaveError_EntryReadsBack", {m_first->key, written, read})
                     : Texts::format(u"SaveError_FieldReadsBack", {m_first->key, m_first->field});
    } else if (m_readCount > m_meantCount) {
        // Everything written read back, and more entries besides: text kept
        // from the file, written after the entries, read as entries.
        detail = Texts::format(u"SaveError_KeptTextReadsBack", {m_firstExtraKey, written, read});
    } else if (m_readCount < m_meantCount) {
        detail =
            Texts::format(u"SaveError_EntryReadsBack", {m_meant(m_readCount).key, written, read});
    } else {
        return true;
    }
    // When the counts differ there is no entry to blame.
    if (differing && m_readCount == m_meantCount)
        *differing = m_differing;
    return false;
}

bool SaveVerifier::sameEntries(const QList<Entry> &meant, const QList<Entry> &read,
                               quint32 encoding, RoundTrip roundTrip, QString &detail,
                               QList<qsizetype> *differing)
{
    Comparison comparison(
        meant.size(), [&meant](qsizetype place) { return meant.at(place); }, encoding, roundTrip,
        differing != nullptr);
    for (const Entry &entry : read)
        comparison.take(entry);
    if (differing)
        differing->clear();
    return comparison.finish(detail, differing);
}
