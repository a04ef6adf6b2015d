#pragma once

#include <QStringView>

// Measures how unlikely a decoded text is to be what its writer typed: the
// tell-tale signs of bytes read in the wrong encoding (control characters,
// symbols touching letters, runs of accented letters, a small letter before a
// capital, letters of two scripts in one word, rare Han characters,
// half-width katakana, Han characters beside kana that Japanese lacks). Only characters outside
// ASCII and their neighbours count, so that the ASCII markup of a .bib file weighs nothing.
// Stateless; any thread.
class TextPlausibility
{
public:
    // The number of suspicious places in `text`; 0 for plain, well-formed text.
    static qsizetype implausibility(QStringView text);
    // Whether `c` is a Han character of the common sets (the first level of
    // GB 2312 or Big5, or JIS X 0208): a wrong CJK decoding lands on rare ones.
    static bool isCommonHan(char32_t c);
};
