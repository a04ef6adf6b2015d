#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Marks a literal as a text key where it is stored before it is looked up
// (an error key handed back through an out-argument, say), so that the key
// check finds it.
#define QF_KEY(key) QStringLiteral(key)

// The keyed text table: every text a user sees, and the character tables the
// converters read, are fetched here by key. The table is a set of JSON objects
// compiled in under ":/texts". Loaded once, read-only afterwards; safe to use
// from any thread.
class Texts
{
public:
    // The text of `key`; the key itself when the table lacks it.
    static QString text(QStringView key);
    // The text of `key` with its placeholders filled in order (see substitute()).
    static QString format(QStringView key, const QStringList &args);
    static bool contains(QStringView key);
    static QStringList keys();

    // Replaces the printf-style placeholders of `pattern` ("%@", "%d", "%ld",
    // "%u", "%lu", "%i", "%s"; positional "%1$@" too) by `args` in order; "%%"
    // stands for a percent sign.
    static QString substitute(const QString &pattern, const QStringList &args);
};
