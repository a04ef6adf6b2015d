// quirefold-cli macros --bst FILE.bst [--encoding CODE]: the MACROs of a
// BibTeX style file, written as the @STRING block of a .bib file.
#include "cli/CliCommand.h"
#include "cli/CliIo.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <QFileInfo>

namespace {

// An encoding given as a decimal or 0x-hex code, or as its display name.
std::optional<quint32> parseEncoding(const QString &text)
{
    bool ok = false;
    const quint32 code = text.startsWith(u"0x", Qt::CaseInsensitive) ? text.mid(2).toUInt(&ok, 16)
                                                                     : text.toUInt(&ok, 10);
    if (ok)
        return code;
    const quint32 named = TextEncodings::encodingOfName(text);
    if (named != 0)
        return named;
    return std::nullopt;
}

int runMacros(const QStringList &arguments)
{
    static const QString command = QStringLiteral("macros");
    QStringList args = arguments;
    bool missingValue = false;
    const std::optional<QString> bst =
        CliIo::takeOption(args, QStringLiteral("--bst"), missingValue);
    if (missingValue)
        return CliIo::usageError(command,
                                 Texts::format(u"Cli_MissingValue", {QStringLiteral("--bst")}));
    const std::optional<QString> encodingText =
        CliIo::takeOption(args, QStringLiteral("--encoding"), missingValue);
    if (missingValue)
        return CliIo::usageError(
            command, Texts::format(u"Cli_MissingValue", {QStringLiteral("--encoding")}));
    if (!args.isEmpty()) {
        if (args.first().startsWith(u"--"))
            return CliIo::usageError(command, Texts::format(u"Cli_UnknownOption", {args.first()}));
        return CliIo::usageError(command, Texts::text(u"Cli_TooManyArguments"));
    }
    if (!bst)
        return CliIo::usageError(command, Texts::text(u"Cli_MissingFile"));

    TeXtoText::createGlobalObject();
    BibPreferences::createGlobalObject();
    std::optional<quint32> encoding;
    if (encodingText) {
        encoding = parseEncoding(*encodingText);
        if (!encoding)
            return CliIo::usageError(command,
                                     Texts::format(u"Cli_Macros_UnknownEncoding", {*encodingText}));
    }

    QString error;
    QStringList skipped;
    const std::optional<MacroList> list =
        encoding ? MacroList::macroListFromBstFile(*bst, *encoding, error, &skipped)
                 : MacroList::macroListFromBstFile(*bst, error, &skipped);
    if (!list) {
        CliIo::errLine(error);
        const QFileInfo info(*bst);
        const bool opened = info.isFile() && info.isReadable();
        return opened ? 1 : 2; // 2: the file itself cannot be opened
    }
    if (!skipped.isEmpty())
        CliIo::errLine(Texts::format(u"MacroImport_Skipped", {skipped.join(u", ")}));
    CliIo::out(list->databaseMacroStringWithLF(QStringLiteral("\n")));
    return 0;
}

const CliRegistration registration({QStringLiteral("macros"), runMacros});

} // namespace
