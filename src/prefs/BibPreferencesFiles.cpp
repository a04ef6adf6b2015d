#include "prefs/BibPreferences.h"

#include "core/ArchiveJson.h"
#include "core/Texts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

// The support folder and the database tree file of BibPreferences.

namespace {
const QString kTreeArchiveKind = u"tree"_s;
}

std::optional<QString> BibPreferences::quirefoldFolder(QString &error)
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (path.isEmpty()) {
        error = Texts::format(u"FileError_CreateFolder", {path});
        return std::nullopt;
    }
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (info.isDir())
            return path;
        error = Texts::format(u"FileError_FileExists", {path});
        return std::nullopt;
    }
    if (!QDir().mkpath(path)) {
        error = Texts::format(u"FileError_CreateFolder", {path});
        return std::nullopt;
    }
    return path;
}

std::optional<QString> BibPreferences::quirefoldFolder()
{
    QString error;
    return quirefoldFolder(error);
}

QString BibPreferences::dbTreeFilePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder + u"/QuirefoldLibraries.biblib"_s;
}

std::optional<QVariantMap> BibPreferences::dbTreeDictionary(QString &error) const
{
    const std::optional<QString> folder = quirefoldFolder(error);
    if (!folder)
        return std::nullopt;
    const QString path = dbTreeFilePath();
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QString errorKey;
    QString systemError;
    std::optional<QVariant> root =
        ArchiveJson::readFile(path, kTreeArchiveKind, errorKey, systemError);
    if (root && root->typeId() != QMetaType::QVariantMap) {
        root.reset();
        errorKey = QF_KEY("ArchiveError_NotArchive");
    }
    if (root)
        return root->toMap();
    if (errorKey == u"ArchiveError_Read") {
        // Not readable now (permissions, a device error): leave it as it is.
        error = Texts::format(u"PrefsError_TreeUnreadable", {path, systemError});
        return std::nullopt;
    }
    // Damaged: keep it aside so that the next save cannot overwrite it.
    const QString aside = ArchiveJson::keepDamagedFile(path);
    error = aside.isEmpty()
                ? Texts::format(u"PrefsError_TreeDamagedKept", {path, Texts::text(errorKey)})
                : Texts::format(u"PrefsError_TreeDamaged", {path, Texts::text(errorKey), aside});
    return std::nullopt;
}

std::optional<QVariantMap> BibPreferences::dbTreeDictionary() const
{
    QString error;
    return dbTreeDictionary(error);
}

bool BibPreferences::setDbTreeDictionary(const QVariantMap &tree, QString &error)
{
    const std::optional<QString> folder = quirefoldFolder(error);
    if (!folder)
        return false;
    const QString path = dbTreeFilePath();
    QString errorKey;
    QString systemError;
    if (!ArchiveJson::writeFile(path, tree, kTreeArchiveKind, errorKey, systemError)) {
        error = Texts::format(u"BackupError_Save", {path});
        if (!systemError.isEmpty())
            error += u" ("_s + systemError + u')';
        else
            error += u" ("_s + Texts::text(errorKey) + u')';
        return false;
    }
    return true;
}

bool BibPreferences::setDbTreeDictionary(const QVariantMap &tree)
{
    QString error;
    return setDbTreeDictionary(tree, error);
}
