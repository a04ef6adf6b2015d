#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The words of a field value that a spelling checker should look at: runs of
// letters, with TeX accents ("{\"u}", "\'e", "\ss") taken as the letters they
// make and braces inside a word ignored. Left out: TeX commands and their
// names, math ("$...$", "\(...\)", "\[...\]"), single letters, words with a
// capital after their first letter (acronyms, "BibTeX"), and words joined to
// digits or to the punctuation of addresses ("/", "@", "_", ":", a dot before
// a letter). A value type; stateless.
class SpellingWords
{
public:
    struct Word
    {
        qsizetype start = 0;  // in the text, UTF-16 units
        qsizetype length = 0; // in the text
        QString text;         // the word as Unicode letters
        bool operator==(const Word &) const = default;
    };

    static std::vector<Word> find(QStringView text);
};
