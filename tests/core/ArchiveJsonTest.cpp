#include "core/ArchiveJson.h"

#include <QDateTime>
#include <QFile>
#include <QSize>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

QVariant roundTrip(const QVariant &value)
{
    QString errorKey;
    const std::optional<QByteArray> bytes = ArchiveJson::encodeDocument(value, u"test"_s, errorKey);
    EXPECT_TRUE(bytes.has_value()) << qPrintable(errorKey);
    if (!bytes)
        return {};
    const std::optional<QVariant> back = ArchiveJson::decodeDocument(*bytes, u"test"_s, errorKey);
    EXPECT_TRUE(back.has_value()) << qPrintable(errorKey);
    return back.value_or(QVariant());
}

} // namespace

TEST(ArchiveJson, valuesComeBackWithTheirTypes)
{
    const QDateTime date = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
    // Keys that look like the markers of dates and data stay keys.
    const QVariantMap local{{u"$date"_s, u"a key that looks like a marker"_s}, {u"$$x"_s, 1.5}};
    const QVariantMap tree{{u"Database Tree Children"_s, QVariantList{local, local}}};
    const std::tuple<const char *, QVariant, int> rows[] = {
        {"text", QVariant(u"日本語 \\cite{x}"_s), QMetaType::QString},
        {"true", QVariant(true), QMetaType::Bool},
        {"integer", QVariant(5), QMetaType::Int},
        {"large integer", QVariant(qlonglong(1) << 40), QMetaType::LongLong},
        {"integer beyond 2^53", QVariant(qlonglong(0x7fffffffffffff01LL)), QMetaType::LongLong},
        {"real with integral value", QVariant(158.0), QMetaType::Double},
        {"date", QVariant(date), QMetaType::QDateTime},
        {"data", QVariant(QByteArray("\x00\xff\x5c", 3)), QMetaType::QByteArray},
        {"null", QVariant(), QMetaType::UnknownType},
        {"nested tree", QVariant(tree), QMetaType::QVariantMap},
    };
    for (const auto &[label, value, expectedType] : rows) {
        const QVariant back = roundTrip(value);
        EXPECT_EQ(back.typeId(), expectedType) << label;
        EXPECT_EQ(back, value) << label;
    }
    EXPECT_TRUE(std::isnan(roundTrip(std::numeric_limits<double>::quiet_NaN()).toDouble()));
    EXPECT_EQ(roundTrip(std::numeric_limits<double>::infinity()).toDouble(),
              std::numeric_limits<double>::infinity());
    // String lists come back as arrays of text.
    const QVariant list = roundTrip(QStringList{u"a"_s, u"b"_s});
    EXPECT_EQ(list.typeId(), QMetaType::QVariantList);
    EXPECT_EQ(list.toStringList(), (QStringList{u"a"_s, u"b"_s}));
}

TEST(ArchiveJson, documentsThatAreNotArchivesAndUnsupportedValuesAreRefused)
{
    const auto archive = [](const char *kind, int version, const char *root) {
        return QByteArray(R"({"format":"Quirefold archive","kind":")") + kind + R"(","version":)" +
               QByteArray::number(version) + R"(,"root":)" + root + '}';
    };
    const std::tuple<const char *, QByteArray, const char16_t *> rows[] = {
        {"truncated", archive("test", 1, "").chopped(6), u"ArchiveError_NotArchive"},
        {"plain JSON", QByteArray(R"({"root": 1})"), u"ArchiveError_NotArchive"},
        {"other kind", archive("x", 1, "1"), u"ArchiveError_WrongKind"},
        {"newer version", archive("test", 9, "1"), u"ArchiveError_Version"},
        {"bad date", archive("test", 1, R"({"$date":"soon"})"), u"ArchiveError_NotArchive"},
        {"bad data", archive("test", 1, R"([{"$data":"**"}])"), u"ArchiveError_NotArchive"},
    };
    for (const auto &[label, bytes, expectedKey] : rows) {
        QString errorKey;
        EXPECT_FALSE(ArchiveJson::decodeDocument(bytes, u"test"_s, errorKey).has_value()) << label;
        EXPECT_EQ(errorKey, QString::fromUtf16(expectedKey)) << label;
    }
    // The same text with a valid root is an archive.
    QString errorKey;
    EXPECT_EQ(ArchiveJson::decodeDocument(archive("test", 1, "[1]"), u"test"_s, errorKey),
              std::optional<QVariant>(QVariantList{1}));
    // A value the format has no form for is refused when writing.
    const QVariantList unsupported{1, QVariant::fromValue(QSize(1, 2))};
    EXPECT_FALSE(ArchiveJson::encodeDocument(unsupported, u"test"_s, errorKey).has_value());
    EXPECT_EQ(errorKey, u"ArchiveError_UnsupportedValue"_s);
}

TEST(ArchiveJson, filesAreWrittenWholeAndDamagedOnesKeptAside)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"tree.biblib"_s);
    QString errorKey;
    QString systemError;
    const QVariantMap value{{u"a"_s, 1}};
    ASSERT_TRUE(ArchiveJson::writeFile(path, value, u"tree"_s, errorKey, systemError));
    EXPECT_EQ(ArchiveJson::readFile(path, u"tree"_s, errorKey, systemError),
              std::optional<QVariant>(value));

    // A folder that does not exist: the write fails and says so.
    EXPECT_FALSE(ArchiveJson::writeFile(dir.filePath(u"no/such/tree"_s), value, u"tree"_s, errorKey,
                                        systemError));
    EXPECT_EQ(errorKey, u"ArchiveError_Write"_s);
    EXPECT_FALSE(systemError.isEmpty());

    const QString first = ArchiveJson::keepDamagedFile(path);
    EXPECT_EQ(first, path + u".damaged"_s);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(ArchiveJson::writeFile(path, value, u"tree"_s, errorKey, systemError));
    const QString second = ArchiveJson::keepDamagedFile(path);
    EXPECT_EQ(second, path + u".damaged.2"_s);
    EXPECT_TRUE(QFile::exists(first));
}

TEST(ArchiveJson, damagedDocumentsNeverCrashAndNeverHalfDecode)
{
    const QVariantMap tree{{u"Database Tree Property"_s,
                            QVariantMap{{u"kind"_s, 0},
                                        {u"when"_s, QDateTime::fromMSecsSinceEpoch(0, Qt::UTC)},
                                        {u"blob"_s, QByteArray("abc")},
                                        {u"width"_s, 1.5},
                                        {u"children"_s, QVariantList{1, u"x"_s, false}}}}};
    QString errorKey;
    const QByteArray original = *ArchiveJson::encodeDocument(tree, u"tree"_s, errorKey);
    std::mt19937 random(7);
    std::uniform_int_distribution<qsizetype> position(0, original.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    int decoded = 0;
    for (int round = 0; round < 2000; ++round) {
        QByteArray damaged = original;
        const int edits = 1 + round % 3;
        for (int i = 0; i < edits; ++i) {
            const qsizetype at = position(random);
            if (round % 2)
                damaged[at] = char(byte(random));
            else
                damaged.remove(at, 1 + at % 4);
        }
        const std::optional<QVariant> value =
            ArchiveJson::decodeDocument(damaged, u"tree"_s, errorKey);
        decoded += value ? 1 : 0;
        EXPECT_TRUE(value || !errorKey.isEmpty()) << round;
    }
    EXPECT_LT(decoded, 2000);

    // Deep nesting is refused, not recursed into without end.
    QByteArray deep = R"({"format":"Quirefold archive","kind":"tree","version":1,"root":)";
    deep += QByteArray(100000, '[') + QByteArray(100000, ']') + '}';
    EXPECT_FALSE(ArchiveJson::decodeDocument(deep, u"tree"_s, errorKey).has_value());
}
