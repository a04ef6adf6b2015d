#pragma once

#include "prefs/BibPreferences.h"
#include "tex/TitleSmartPaste.h"

#include <QString>

// The built-in word lists of the smart title paste (the user's settings are
// never read).
inline TitleSmartPaste::WordLists defaultWordLists()
{
    BibPreferences preferences(QStringLiteral("/nonexistent/quirefold-test.ini"));
    preferences.setDefaults();
    return TitleSmartPaste::WordLists::fromPreferences(preferences);
}
