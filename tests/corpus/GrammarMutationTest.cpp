// Feeds truncated and mutated pieces of the real-world corpus through the
// streams and the value grammar: nothing may crash or hang, the results must
// keep their invariants, and a truncated entry must never read as complete.
#include "CorpusSupport.h"

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxPiecesPerFile = 25;
constexpr qsizetype MaxPieceLength = 6000;

// The text from each '@' to the next one, as a reader meets the blocks.
QStringList blockPieces(const QString &text)
{
    QStringList pieces;
    qsizetype at = text.indexOf(u'@');
    while (at >= 0 && pieces.size() < MaxPiecesPerFile) {
        const qsizetype next = text.indexOf(u'@', at + 1);
        const qsizetype end = next < 0 ? text.size() : next;
        pieces << text.mid(at, std::min(end - at, MaxPieceLength));
        at = next;
    }
    return pieces;
}

struct Outcome
{
    QList<BibElement> elements;
    QString error;
    qsizetype endPosition = 0;
};

// The block's body read as a reader does, after '@' and the block name.
Outcome tokenizeBlock(const QString &piece)
{
    StringInputStream stream = QfTest::readerStream(piece);
    stream.getChar();
    static const QString stops = u" \t\n\r{}\\#$%&@"_s;
    for (QChar c = stream.getChar(); !c.isNull(); c = stream.getChar()) {
        if (stops.contains(c)) {
            stream.ungetChar();
            break;
        }
    }
    Outcome outcome;
    outcome.elements = BibElement::getElementsFromStream(stream, outcome.error, true);
    outcome.endPosition = stream.position();
    return outcome;
}

// Invariants of one run of the whole grammar over `text`; answers a failure
// description or null.
QString checkGrammar(const QString &text)
{
    const Outcome outcome = tokenizeBlock(text);
    if (outcome.endPosition < 0 || outcome.endPosition > text.size())
        return u"stream position out of range"_s;
    for (const BibElement &element : outcome.elements) {
        if (element.elementType() < BibElement::Equal &&
            BibElement::bibElementWithString(element.stringValue()) != element)
            return u"token classified inconsistently: "_s + element.stringValue();
    }
    for (const bool needsBibkey : {true, false}) {
        QString error;
        const auto fields = BibElement::analyzeElements(outcome.elements, error, needsBibkey);
        if (fields.has_value() == !error.isNull())
            return u"grouping result and error disagree"_s;
        if (fields) {
            for (auto it = fields->cbegin(); it != fields->cend(); ++it) {
                if (it.value().isEmpty())
                    return u"empty field "_s + it.key();
                for (const BibElement &value : it.value()) {
                    if (!value.isValue() && value.elementType() != BibElement::Special)
                        return u"separator kept in field "_s + it.key();
                }
            }
        }
    }
    if (const auto nested = BibElement::checkNesting(text);
        nested && nested->size() > 2 * text.size())
        return u"checkNesting grew the text too much"_s;
    QString normalised, error;
    const auto values = BibElement::checkValidity(text, normalised, &error);
    if (values.has_value() == !error.isNull() || !normalised.startsWith(u'@'))
        return u"checkValidity result and error disagree"_s;
    return QString();
}

QString mutate(const QString &piece, std::mt19937 &random)
{
    static const char16_t inserts[] = {u'{',   u'}',   u'"',   u'$',   u'\\',  u'#',
                                       u',',   u'=',   u'@',   u'\n',  0x0000, 0xD800,
                                       0xDC00, 0x00A5, 0x3000, 0x00A0, u'%'};
    QString text = piece;
    const int edits = 1 + int(random() % 3);
    for (int e = 0; e < edits; ++e) {
        const qsizetype at = text.isEmpty() ? 0 : qsizetype(random() % quint32(text.size()));
        const quint32 kind = random() % 4;
        if (kind < 2)
            text.insert(at, QChar(inserts[random() % std::size(inserts)]));
        else if (kind == 2)
            text.remove(at, text.isEmpty() ? 0 : 1 + qsizetype(random() % 8));
        else
            text.insert(at, text.mid(at, 1 + qsizetype(random() % 40)));
    }
    return text;
}

} // namespace

TEST(GrammarCorpusMutation, truncatedAndMutatedPiecesKeepTheInvariants)
{
    const QStringList files = QfTest::corpusFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "no corpus";

    std::mt19937 random(20261206);
    qsizetype pieces = 0, completeEntries = 0;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.read(4 * MaxPiecesPerFile * MaxPieceLength));
        for (const QString &piece : blockPieces(text)) {
            ++pieces;
            QStringList variants = {piece};
            // A cut anywhere before the closing brace must be reported.
            const Outcome whole = tokenizeBlock(piece);
            const bool complete = whole.error.isNull() && !whole.elements.isEmpty();
            completeEntries += complete;
            for (int cut = 0; cut < 3; ++cut) {
                const qsizetype length = qsizetype(random() % quint32(piece.size()));
                variants << piece.left(length);
                ASSERT_TRUE(!complete || length >= whole.endPosition ||
                            !tokenizeBlock(variants.last()).error.isNull())
                    << path.toStdString() << ": cut at " << length << " of "
                    << piece.left(200).toStdString();
            }
            for (int m = 0; m < 2; ++m) {
                variants << mutate(piece, random);
                const Outcome first = tokenizeBlock(variants.last());
                const Outcome again = tokenizeBlock(variants.last());
                ASSERT_TRUE(first.elements == again.elements && first.error == again.error)
                    << path.toStdString();
            }
            for (const QString &variant : variants)
                ASSERT_EQ(checkGrammar(variant).toStdString(), "") << path.toStdString();
        }
    }
    RecordProperty("pieces", int(pieces));
    EXPECT_GT(pieces, 1000);
    EXPECT_GT(completeEntries, pieces / 2);
}
