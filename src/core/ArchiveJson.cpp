#include "core/ArchiveJson.h"

#include "core/Texts.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr int kVersion = 1;
const QString kFormatName = u"Quirefold archive"_s;
const QString kRealMark = u"$real"_s;
const QString kIntMark = u"$int"_s;
const QString kDataMark = u"$data"_s;
const QString kDateMark = u"$date"_s;

// Integers beyond this magnitude do not survive a trip through a JSON number.
constexpr qint64 kExactLimit = qint64(1) << 53;

QJsonObject marked(const QString &mark, const QJsonValue &payload)
{
    QJsonObject object;
    object.insert(mark, payload);
    return object;
}

QString escapedKey(const QString &key)
{
    return key.startsWith(u'$') ? u'$' + key : key;
}

QString unescapedKey(const QString &key)
{
    return key.startsWith(u"$$") ? key.mid(1) : key;
}

QJsonValue integerJson(qint64 value)
{
    if (value > -kExactLimit && value < kExactLimit)
        return QJsonValue(value);
    return marked(kIntMark, QString::number(value));
}

QJsonValue realJson(double value)
{
    if (std::isnan(value))
        return marked(kRealMark, u"nan"_s);
    if (std::isinf(value))
        return marked(kRealMark, value > 0 ? u"inf"_s : u"-inf"_s);
    return marked(kRealMark, value);
}

std::optional<QJsonValue> convert(const QVariant &value, QString &errorKey)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        return QJsonValue(QJsonValue::Null);
    case QMetaType::Bool:
        return QJsonValue(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
        return integerJson(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::UChar:
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue < qulonglong(kExactLimit))
            return QJsonValue(qint64(unsignedValue));
        return marked(kIntMark, QString::number(unsignedValue));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return realJson(value.toDouble());
    case QMetaType::QString:
        return QJsonValue(value.toString());
    case QMetaType::QChar:
        return QJsonValue(QString(value.toChar()));
    case QMetaType::QByteArray:
        return marked(kDataMark, QString::fromLatin1(value.toByteArray().toBase64()));
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid())
            break;
        return marked(kDateMark, date.toUTC().toString(Qt::ISODateWithMs));
    }
    case QMetaType::QStringList: {
        QJsonArray array;
        for (const QString &text : value.toStringList())
            array.append(text);
        return array;
    }
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant &element : value.toList()) {
            std::optional<QJsonValue> json = convert(element, errorKey);
            if (!json)
                return std::nullopt;
            array.append(*json);
        }
        return array;
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            std::optional<QJsonValue> json = convert(it.value(), errorKey);
            if (!json)
                return std::nullopt;
            object.insert(escapedKey(it.key()), *json);
        }
        return object;
    }
    default:
        break;
    }
    errorKey = QF_KEY("ArchiveError_UnsupportedValue");
    return std::nullopt;
}

std::optional<QVariant> markedValue(const QString &mark, const QJsonValue &payload)
{
    if (mark == kRealMark) {
        if (payload.isDouble())
            return QVariant(payload.toDouble());
        const QString text = payload.toString();
        if (text == u"nan")
            return QVariant(std::numeric_limits<double>::quiet_NaN());
        if (text == u"inf")
            return QVariant(std::numeric_limits<double>::infinity());
        if (text == u"-inf")
            return QVariant(-std::numeric_limits<double>::infinity());
        return std::nullopt;
    }
    if (mark == kIntMark) {
        bool ok = false;
        const QString text = payload.toString();
        const qlonglong signedValue = text.toLongLong(&ok);
        if (ok)
            return QVariant(signedValue);
        const qulonglong unsignedValue = text.toULongLong(&ok);
        if (ok)
            return QVariant(unsignedValue);
        return std::nullopt;
    }
    if (mark == kDataMark) {
        if (!payload.isString())
            return std::nullopt;
        auto decoded = QByteArray::fromBase64Encoding(payload.toString().toLatin1(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        return QVariant(*decoded);
    }
    if (mark == kDateMark) {
        const QDateTime date = QDateTime::fromString(payload.toString(), Qt::ISODateWithMs);
        if (!date.isValid())
            return std::nullopt;
        return QVariant(date);
    }
    return std::nullopt;
}

bool isMark(const QString &key)
{
    return key == kRealMark || key == kIntMark || key == kDataMark || key == kDateMark;
}

std::optional<QVariant> restore(const QJsonValue &json)
{
    switch (json.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QVariant();
    case QJsonValue::Bool:
        return QVariant(json.toBool());
    case QJsonValue::Double: {
        const QVariant number = json.toVariant();
        if (number.typeId() == QMetaType::LongLong) {
            const qlonglong integer = number.toLongLong();
            if (integer >= std::numeric_limits<int>::min() &&
                integer <= std::numeric_limits<int>::max())
                return QVariant(int(integer));
            return QVariant(integer);
        }
        return QVariant(json.toDouble());
    }
    case QJsonValue::String:
        return QVariant(json.toString());
    case QJsonValue::Array: {
        QVariantList list;
        const QJsonArray array = json.toArray();
        list.reserve(array.size());
        for (const QJsonValue &element : array) {
            std::optional<QVariant> value = restore(element);
            if (!value)
                return std::nullopt;
            list.append(*value);
        }
        return QVariant(list);
    }
    case QJsonValue::Object: {
        const QJsonObject object = json.toObject();
        if (object.size() == 1 && isMark(object.begin().key()))
            return markedValue(object.begin().key(), object.begin().value());
        QVariantMap map;
        for (auto it = object.begin(); it != object.end(); ++it) {
            std::optional<QVariant> value = restore(it.value());
            if (!value)
                return std::nullopt;
            map.insert(unescapedKey(it.key()), *value);
        }
        return QVariant(map);
    }
    }
    return std::nullopt;
}

} // namespace

std::optional<QJsonValue> ArchiveJson::toJson(const QVariant &value, QString &errorKey)
{
    return convert(value, errorKey);
}

QVariant ArchiveJson::fromJson(const QJsonValue &json)
{
    return restore(json).value_or(QVariant());
}

std::optional<QByteArray> ArchiveJson::encodeDocument(const QVariant &root, const QString &kind,
                                                      QString &errorKey)
{
    std::optional<QJsonValue> json = convert(root, errorKey);
    if (!json)
        return std::nullopt;
    QJsonObject document;
    document.insert(u"format"_s, kFormatName);
    document.insert(u"kind"_s, kind);
    document.insert(u"version"_s, kVersion);
    document.insert(u"root"_s, *json);
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

std::optional<QVariant> ArchiveJson::decodeDocument(const QByteArray &bytes, const QString &kind,
                                                    QString &errorKey)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        errorKey = QF_KEY("ArchiveError_NotArchive");
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    if (object.value(u"format"_s).toString() != kFormatName || !object.contains(u"root"_s)) {
        errorKey = QF_KEY("ArchiveError_NotArchive");
        return std::nullopt;
    }
    if (object.value(u"kind"_s).toString() != kind) {
        errorKey = QF_KEY("ArchiveError_WrongKind");
        return std::nullopt;
    }
    if (object.value(u"version"_s).toInt(0) != kVersion) {
        errorKey = QF_KEY("ArchiveError_Version");
        return std::nullopt;
    }
    std::optional<QVariant> root = restore(object.value(u"root"_s));
    if (!root) {
        errorKey = QF_KEY("ArchiveError_NotArchive");
        return std::nullopt;
    }
    return root;
}

bool ArchiveJson::writeFile(const QString &path, const QVariant &root, const QString &kind,
                            QString &errorKey, QString &systemError)
{
    std::optional<QByteArray> bytes = encodeDocument(root, kind, errorKey);
    if (!bytes)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        errorKey = QF_KEY("ArchiveError_Write");
        systemError = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

std::optional<QVariant> ArchiveJson::readFile(const QString &path, const QString &kind,
                                              QString &errorKey, QString &systemError)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errorKey = QF_KEY("ArchiveError_Read");
        systemError = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        errorKey = QF_KEY("ArchiveError_Read");
        systemError = file.errorString();
        return std::nullopt;
    }
    return decodeDocument(bytes, kind, errorKey);
}

QString ArchiveJson::keepDamagedFile(const QString &path)
{
    QString target = path + u".damaged"_s;
    for (int n = 2; QFile::exists(target) && n < 1000; ++n)
        target = path + u".damaged."_s + QString::number(n);
    if (QFile::exists(target) || !QFile::rename(path, target))
        return {};
    return target;
}
