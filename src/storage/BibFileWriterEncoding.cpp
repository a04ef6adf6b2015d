#include "storage/BibFileWriter.h"

#include "core/TextEncodings.h"

std::optional<QByteArray> BibFileWriter::encodeText(const QString &text, quint32 encoding)
{
    if (!TextEncodings::isKnown(encoding))
        return std::nullopt;
    return TextEncodings::encode(text, encoding);
}
