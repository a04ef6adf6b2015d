#pragma once

#include <QString>

class LocalDatabase;

// The "bibtex" format of `quirefold-cli export`: the text an ordinary save of
// the database would write, as it reads back (the file's encoding applied).
QString bibtexExportText(const LocalDatabase &database);
