#pragma once

#include "storage/SaveVerifier.h"

#include <QByteArray>

#include <functional>

class LocalDatabase;

// Reads the entries of a written .bib file back for the save's check: the
// reader runs on a thread of its own and hands each entry, in file order, to a
// function on the calling thread, a batch at a time. Neither side holds more
// than a few batches of entries, and each read item goes as soon as its
// fields are taken. Stateless; one reading per call.
class WrittenEntryReader
{
public:
    WrittenEntryReader() = delete;

    using Take = std::function<void(const SaveVerifier::Entry &read)>;
    // Hands every entry of `bytes`, read as in `encoding`, to `take`; false
    // (after handing over what was read) when the bytes do not read in
    // `encoding`. `scratch` is an empty database the items read belong to
    // while they live (made and dropped on the main thread: a database
    // leaves the loading coordinator when it goes).
    static bool read(const QByteArray &bytes, quint32 encoding, LocalDatabase &scratch,
                     const Take &take);
};
