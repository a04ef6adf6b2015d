// Both TeX converters on arbitrary text: neither may crash, hang or read
// out of bounds, whatever the braces, dollars and backslashes.
#include "core/StringInputStream.h"
#include "tex/TeXtoHTML.h"
#include "tex/TeXtoText.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 65536)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString plain = TeXtoText::convertString(text);
    const QString html = TeXtoHTML::convertString(text);
    (void)plain;
    (void)html;

    // The reading primitives that name parsing calls on arbitrary names.
    const TeXtoText *converter = TeXtoText::globalConverter();
    StringInputStream stream(text);
    while (!stream.atEnd()) {
        const std::optional<QString> name = converter->readTeXCommandFromStream(stream);
        if (name) {
            (void)converter->commandIsLetter(*name);
            (void)converter->commandIsAccent(*name);
        }
        (void)converter->readParameterFromStream(stream);
        (void)converter->readBlockParameterFromStream(stream);
        if (!stream.atEnd())
            stream.getChar();
    }
    return 0;
}
