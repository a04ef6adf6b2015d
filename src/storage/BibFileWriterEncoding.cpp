#include "storage/BibFileWriter.h"

#include <QStringEncoder>

// Provisional: UTF-8 and UTF-16 until the encoding table is merged in.
std::optional<QByteArray> BibFileWriter::encodeText(const QString &text, quint32 encoding)
{
    if (encoding == 4)
        return text.toUtf8();
    if (encoding == 10) {
        QStringEncoder encoder(QStringConverter::Utf16, QStringConverter::Flag::WriteBom);
        return QByteArray(encoder(text));
    }
    return std::nullopt;
}
