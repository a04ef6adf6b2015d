#include "storage/BibFileWriter.h"

#include "core/TextEncodings.h"

#include <algorithm>

std::optional<QByteArray> BibFileWriter::encodeText(const QString &text, quint32 encoding)
{
    if (!TextEncodings::isKnown(encoding))
        return std::nullopt;
    // Well-formed text (no surrogate at all, as nearly every file) has one
    // UTF-8 form, which Qt makes several times faster than the converter.
    if (encoding == TextEncodings::UTF8 &&
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); }))
        return text.toUtf8();
    return TextEncodings::encode(text, encoding);
}
