// quirefold-cli names [--tex] TEXT: the parsed names of an author field, one
// JSON object per line.
#include "cli/CliCommand.h"
#include "cli/CliIo.h"
#include "core/Texts.h"
#include "model/AuthorName.h"
#include "tex/TeXtoText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace {

QString jsonString(const QString &text)
{
    // A one-element array is the simplest way to have Qt escape a string.
    const QByteArray array =
        QJsonDocument(QJsonArray{QJsonValue(text)}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString jsonBool(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString nameAsJson(const AuthorName &name)
{
    QString line(u'{');
    const auto field = [&line](const char16_t *key, const QString &value) {
        if (line.size() > 1)
            line += u',';
        line += u'"';
        line += QStringView(key);
        line += QStringLiteral("\":");
        line += value;
    };
    field(u"family", jsonString(name.familyName()));
    field(u"given", jsonString(name.givenName()));
    field(u"search", jsonString(name.nameForSearch()));
    field(u"japanese", jsonBool(name.isJapanese()));
    field(u"others", jsonBool(name.isOthers()));
    field(u"display0", jsonString(name.stringValueWithFormat(0)));
    field(u"display1", jsonString(name.stringValueWithFormat(1)));
    field(u"display2", jsonString(name.stringValueWithFormat(2)));
    line += u'}';
    return line;
}

int runNames(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool tex = CliIo::takeFlag(args, QStringLiteral("--tex"));
    for (const QString &arg : std::as_const(args)) {
        if (arg.startsWith(u"--"))
            return CliIo::usageError(QStringLiteral("names"),
                                     Texts::format(u"Cli_UnknownOption", {arg}));
    }
    if (args.size() > 1)
        return CliIo::usageError(QStringLiteral("names"), Texts::text(u"Cli_TooManyArguments"));
    const QString text = args.isEmpty() ? CliIo::readStandardInputText() : args.first();

    TeXtoText::createGlobalObject();
    const QList<AuthorName> names =
        tex ? AuthorName::createTeXNamesFrom(text) : AuthorName::createNamesFrom(text);
    for (const AuthorName &name : names)
        CliIo::outLine(nameAsJson(name));
    return 0;
}

const CliRegistration registration({QStringLiteral("names"), runNames});

} // namespace
