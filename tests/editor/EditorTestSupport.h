#pragma once

// What the entry editor's tests share: the real window started on a clean
// support folder with one .bib file open, and its entries by key.
#include "app/QFMainController.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class BibFieldDataField;
class BibItem;
class DetailInfoController;
class LocalDatabase;

namespace EditorTest {

struct OpenWindow
{
    std::unique_ptr<QFMainController> controller;
    LocalDatabase *database = nullptr;

    DetailInfoController *editor() const;
    std::shared_ptr<BibItem> item(const QString &key) const;
};

// Starts the window and opens `bib` written to `dir` as "test.bib"; the
// database is null when it could not be read.
OpenWindow openWindowWith(const QTemporaryDir &dir, const QByteArray &bib);
// The window with kEntries and knuth84 in the editor (its current item is
// null when the entry could not be shown), editing on when `editing`.
OpenWindow openKnuth(const QTemporaryDir &dir, bool editing);
// The editor's slot that shows `name` in the current layout, or null.
BibFieldDataField *fieldNamed(DetailInfoController *editor, const QString &name);

extern const QByteArray kEntries;

} // namespace EditorTest
