#pragma once

#include <QString>

// Path services for files the user hands to the program (database files,
// attached files). Stateless; safe from any thread.
class FileUtilities
{
public:
    FileUtilities() = delete;

    // The path with its symbolic links resolved when the path itself is one.
    // A dangling link resolves as far as its chain leads. Linux has no alias
    // files, so nothing beyond symbolic links is followed.
    static QString resolvAliasAndSymlink(const QString &path);
};
