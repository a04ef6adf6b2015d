// quirefold-cli attach FILE KEY PATH... [--mode 0-3] [--append] [--yes|--no]:
// attaches files to an entry as a drop on the editor does and saves the file.
// Questions (overwrite, append or replace) are answered by --yes / --no and
// refused when neither is given.
#include "cli/CliCommand.h"
#include "cli/CliDatabaseLoader.h"
#include "cli/CliIo.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

using namespace Qt::StringLiterals;

namespace {

const QString kName = u"attach"_s;

// Answers the attachment questions from the command line's flags.
class FlagPresenter final : public AlertPresenter
{
public:
    FlagPresenter(bool yes, bool no, bool append) : m_yes(yes), m_no(no), m_append(append) {}

    int run(const AlertRequest &request) override
    {
        if (request.defaultButton == Texts::text(u"Append")) {
            // Append (1), Replace (0) or Cancel (-1).
            if (m_no || (!m_yes && !m_append))
                return refuse(request, -1);
            return m_append ? 1 : 0;
        }
        if (request.alternateButton == Texts::text(u"Overwrite")) {
            // Cancel (1) or Overwrite (0).
            return m_yes ? 0 : refuse(request, 1);
        }
        CliIo::errLine(request.message);
        return 1;
    }

    bool refused = false;

private:
    int refuse(const AlertRequest &request, int answer)
    {
        refused = true;
        CliIo::errLine(Texts::format(u"Cli_Attach_Refused", {request.message}));
        return answer;
    }

    bool m_yes;
    bool m_no;
    bool m_append;
};

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    bool missing = false;
    const std::optional<QString> modeText = CliIo::takeOption(args, u"--mode"_s, missing);
    if (missing)
        return CliIo::usageError(kName, Texts::format(u"Cli_MissingValue", {u"--mode"_s}));
    std::optional<int> mode;
    if (modeText) {
        bool ok = false;
        mode = modeText->toInt(&ok);
        if (!ok || *mode < 0 || *mode > 3)
            return CliIo::usageError(kName, Texts::text(u"Cli_Attach_BadMode"));
    }
    const bool append = CliIo::takeFlag(args, u"--append"_s);
    const bool yes = CliIo::takeFlag(args, u"--yes"_s);
    const bool no = CliIo::takeFlag(args, u"--no"_s);
    if (yes && no)
        return CliIo::usageError(kName, Texts::text(u"Cli_Attach_YesAndNo"));
    for (const QString &arg : args) {
        if (arg.startsWith(u"--"))
            return CliIo::usageError(kName, Texts::format(u"Cli_UnknownOption", {arg}));
    }
    if (args.isEmpty())
        return CliIo::usageError(kName, Texts::text(u"Cli_MissingFile"));
    if (args.size() < 3)
        return CliIo::usageError(kName, Texts::text(u"Cli_Attach_MissingPaths"));
    const QString file = args.takeFirst();
    const QString key = args.takeFirst();

    CliDatabaseLoader loader;
    const CliDatabaseLoader::LoadedEntry entry = loader.loadEntry(file, key);
    if (!entry.item)
        return entry.exitCode;
    LocalDatabase &database = *entry.database;
    const BibItemPtr &item = entry.item;

    FlagPresenter presenter(yes, no, append);
    AlertPresenter *previous = &AlertPresenter::current();
    AlertPresenter::install(&presenter);
    const int savedMode = database.fileAttachmentMode();
    if (mode)
        database.localProperties().setFileAttachmentMode(*mode);
    const std::optional<QString> stored = item->appendAttachments(args, true);
    if (mode)
        database.localProperties().setFileAttachmentMode(savedMode);
    bool saved = false;
    if (stored) {
        item->setAttachment(*stored);
        item->setModified();
        database.setDirty(true);
        saved = database.saveDatabase();
    }
    AlertPresenter::install(previous == &presenter ? nullptr : previous);
    if (!stored)
        return 1;
    if (!saved) {
        CliIo::errLine(
            Texts::format(u"Cli_Save_Failed", {file, DatabaseSaver::lastFailureDetail()}));
        return 1;
    }
    CliIo::outLine(*stored);
    return 0;
}

const CliRegistration registration({kName, run});

} // namespace
