#include "core/Texts.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QHash<QString, QString> loadTable()
{
    QHash<QString, QString> table;
    const QDir dir(QStringLiteral(":/texts"));
    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        for (auto it = object.begin(); it != object.end(); ++it)
            table.insert(it.key(), it.value().toString());
    }
    return table;
}

const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> instance = loadTable();
    return instance;
}

} // namespace

QString Texts::text(QStringView key)
{
    const auto &t = table();
    const auto it = t.constFind(key.toString());
    return it == t.constEnd() ? key.toString() : it.value();
}

QString Texts::format(QStringView key, const QStringList &args)
{
    return substitute(text(key), args);
}

bool Texts::contains(QStringView key)
{
    return table().contains(key.toString());
}

QStringList Texts::keys()
{
    return table().keys();
}

QString Texts::substitute(const QString &pattern, const QStringList &args)
{
    QString result;
    result.reserve(pattern.size() + 16);
    qsizetype next = 0;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern.at(i);
        if (c != u'%' || i + 1 >= n) {
            result.append(c);
            continue;
        }
        if (pattern.at(i + 1) == u'%') {
            result.append(u'%');
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        qsizetype index = -1;
        qsizetype digits = j;
        while (digits < n && pattern.at(digits).isDigit())
            ++digits;
        if (digits > j && digits < n && pattern.at(digits) == u'$') {
            index = pattern.mid(j, digits - j).toInt() - 1;
            j = digits + 1;
        }
        while (j < n && (pattern.at(j) == u'l' || pattern.at(j) == u'q'))
            ++j;
        if (j < n && QStringView(u"@dDiuUsS").contains(pattern.at(j))) {
            const qsizetype which = index >= 0 ? index : next++;
            if (which < args.size())
                result.append(args.at(which));
            i = j;
            continue;
        }
        result.append(c);
    }
    return result;
}
