// Feeds arbitrary text (read as UTF-16) through the three Unicode-to-TeX
// conversions and the format-template parser and renderer.
#include "model/FormatElement.h"
#include "tex/UnicodeToTeX.h"

#include <QHash>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

struct Item
{
    QString fieldDataForListFormat(const QString &name) const
    {
        return name.size() % 2 ? name : QString();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
    QString text = input;
    converter->convertSymbols(text);
    converter->convertLetter(text);
    converter->convertMath(text);

    QString error;
    const Item item;
    const QList<FormatElement> elements = FormatElement::elementArrayWithString(input, error);
    for (const FormatElement &element : elements) {
        for (int kind : {3, 4, 7}) {
            const QString rendered = element.elementStringOfItem(item, kind);
            static_cast<void>(rendered);
        }
    }
    // The stored form of a template must read back to the same elements.
    const QString normalized = FormatElement::normalizedStringOf(input, error);
    QString again;
    if (FormatElement::elementArrayWithString(normalized, again) != elements || !again.isEmpty())
        __builtin_trap();
    return 0;
}
