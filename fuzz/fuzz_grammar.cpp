// libFuzzer target for the string streams and the value grammar: the first
// byte chooses how the rest is decoded (raw UTF-16, so NULs and unpaired
// surrogates appear, or UTF-8) and which flags the reading uses; the text then
// goes through the tokenizer, the grouping and both value checks. Any crash,
// sanitizer report or broken invariant (abort) is a finding.
#include "core/StringInputStream.h"
#include "model/BibElement.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

QString decode(const std::uint8_t *data, std::size_t size, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    return text;
}

void checkTokens(const QList<BibElement> &elements)
{
    for (const BibElement &element : elements) {
        switch (element.elementType()) {
        case BibElement::Equal:
            require(element.stringValue() == u"=");
            break;
        case BibElement::Sharp:
            require(element.stringValue() == u"#");
            break;
        case BibElement::Comma:
            require(element.stringValue() == u",");
            break;
        default:
            require(!element.stringValue().isEmpty());
            require(BibElement::bibElementWithString(element.stringValue()) == element);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t mode = data[0];
    const QString text = decode(data + 1, size - 1, mode & 1);

    StringInputStream stream(text);
    stream.setSpacesToASpace(mode & 2);
    stream.setYenToBackslash(mode & 4);
    const bool needsBraket = mode & 8;
    const bool needsBibkey = mode & 16;

    QString error;
    QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, needsBraket);
    require(stream.position() >= 0 && stream.position() <= stream.length());
    checkTokens(elements);
    if (needsBraket && error.isNull())
        require(stream.position() > 0);

    QString groupError;
    const auto fields = BibElement::analyzeElements(elements, groupError, needsBibkey);
    require(fields.has_value() == groupError.isNull());
    if (fields) {
        for (auto it = fields->cbegin(); it != fields->cend(); ++it) {
            require(!it.value().isEmpty());
            require(it.key() == it.key().toLower() || it.key() == u"bibkey");
        }
        QString movedError;
        const auto moved =
            BibElement::analyzeElements(std::move(elements), movedError, needsBibkey);
        require(moved == fields);
    }

    const auto nested = BibElement::checkNesting(text);
    if (nested)
        require(nested->size() <= 2 * text.size());
    QString normalised;
    QString validityError;
    const auto values = BibElement::checkValidity(text, normalised, &validityError);
    require(values.has_value() == validityError.isNull());
    require(normalised.startsWith(u'@'));

    // The stream primitives on their own.
    StringInputStream words(text);
    words.setSpacesToASpace(mode & 32);
    words.setYenToBackslash(mode & 64);
    while (words.getWord()) {
    }
    words.rewind();
    while (words.getWordNonSpace()) {
    }
    words.setPosition(text.size() / 2);
    words.ungetChar();
    words.skipToEndOfLine();
    while (words.getWordBeginsWith(u'a')) {
    }
    return 0;
}
