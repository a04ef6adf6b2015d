// Feeds arbitrary text (read as UTF-16) through the smart paste of author
// lists and titles, whole and as a paste into the middle of a field.
#include "prefs/BibPreferences.h"
#include "tex/SmartPaste.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The built-in word lists; the user's settings are never read.
    static const SmartPaste paste([] {
        BibPreferences preferences(QStringLiteral("/nonexistent/quirefold-fuzz.ini"));
        preferences.setDefaults();
        return TitleSmartPaste::WordLists::fromPreferences(preferences);
    }());
    const QString input(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const QString author = paste.rewrite(input, SmartPaste::Kind::Author);
    const QString title = paste.rewrite(input, SmartPaste::Kind::Title);
    static_cast<void>(author);
    static_cast<void>(title);

    // The first unit picks where the paste landed and how long it was.
    if (!input.isEmpty()) {
        const qsizetype start = input.front().unicode() % (input.size() + 1);
        const qsizetype length = input.size() - start + 3;
        for (const auto kind : {SmartPaste::Kind::Author, SmartPaste::Kind::Title}) {
            const SmartPaste::Outcome outcome = paste.textChanged(input, {start, length}, kind);
            if (outcome.cursor && (*outcome.cursor < 0 || *outcome.cursor > outcome.text.size()))
                __builtin_trap();
        }
    }
    return 0;
}
