// Feeds truncated and mutated pieces of the real-world corpus through the
// streams and the value grammar: nothing may crash or hang, the results must
// keep their invariants, and a truncated entry must never read as complete.
#include "CorpusSupport.h"
#include "core/StringInputStream.h"
#include "model/BibElement.h"

#include <gtest/gtest.h>

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

StringInputStream readerStream(const QString &text)
{
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    return stream;
}

// Skips '@' and the block name the way a reader does; the stream then stands
// before the block's opening brace.
void skipBlockName(StringInputStream &stream)
{
    stream.getChar();
    static const QString stops = u" \t\n\r{}\\#$%&@"_s;
    for (QChar c = stream.getChar(); !c.isNull(); c = stream.getChar()) {
        if (stops.contains(c)) {
            stream.ungetChar();
            return;
        }
    }
}

struct Outcome
{
    QList<BibElement> elements;
    QString error;
    qsizetype endPosition = 0;
};

Outcome tokenizeBlock(const QString &piece)
{
    StringInputStream stream = readerStream(piece);
    skipBlockName(stream);
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
    QString normalised;
    QString error;
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
        switch (random() % 4) {
        case 0:
        case 1:
            text.insert(at, QChar(inserts[random() % std::size(inserts)]));
            break;
        case 2:
            if (!text.isEmpty())
                text.remove(at, 1 + qsizetype(random() % 8));
            break;
        default:
            text.insert(at, text.mid(at, 1 + qsizetype(random() % 40)));
            break;
        }
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
    qsizetype pieces = 0;
    qsizetype completeEntries = 0;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.read(4 * MaxPiecesPerFile * MaxPieceLength));
        const auto expectSound = [&path](const QString &piece) {
            const QString problem = checkGrammar(piece);
            ASSERT_TRUE(problem.isNull()) << path.toStdString() << ": " << problem.toStdString();
        };
        for (const QString &piece : blockPieces(text)) {
            ++pieces;
            ASSERT_NO_FATAL_FAILURE(expectSound(piece));

            // A cut anywhere before the closing brace must be reported.
            const Outcome whole = tokenizeBlock(piece);
            const bool complete = whole.error.isNull() && !whole.elements.isEmpty();
            completeEntries += complete;
            for (int cut = 0; cut < 3; ++cut) {
                const qsizetype length = qsizetype(random() % quint32(piece.size()));
                const QString prefix = piece.left(length);
                const Outcome truncated = tokenizeBlock(prefix);
                if (complete && length < whole.endPosition) {
                    ASSERT_FALSE(truncated.error.isNull())
                        << path.toStdString() << ": cut at " << length << " of "
                        << piece.left(200).toStdString();
                }
                ASSERT_NO_FATAL_FAILURE(expectSound(prefix));
            }

            for (int m = 0; m < 2; ++m) {
                const QString mutated = mutate(piece, random);
                ASSERT_NO_FATAL_FAILURE(expectSound(mutated));
                const Outcome first = tokenizeBlock(mutated);
                const Outcome again = tokenizeBlock(mutated);
                ASSERT_EQ(first.elements, again.elements);
                ASSERT_EQ(first.error, again.error);
            }
        }
    }
    RecordProperty("pieces", int(pieces));
    EXPECT_GT(pieces, 1000);
    EXPECT_GT(completeEntries, pieces / 2);
}
