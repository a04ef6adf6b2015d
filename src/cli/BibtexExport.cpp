#include "cli/BibtexExport.h"

#include "core/TextEncodings.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

QString bibtexExportText(const LocalDatabase &database)
{
    const QVariantMap options = DatabaseSaver::defaultSaveOptions(database);
    const std::optional<QByteArray> bytes = DatabaseSaver::makeContentsData(database, options);
    if (!bytes)
        return {};
    const quint32 encoding = options.value(DatabaseSaver::encodingKey()).toUInt();
    return TextEncodings::decode(*bytes, encoding).value_or(QString());
}
