#pragma once

#include <QChar>
#include <QHash>
#include <QString>

#include <array>

// Rewrites Unicode text in place as BibTeX-safe TeX: accented and special
// letters, typographic symbols and math symbols. The Unicode side of every
// table comes from the keyed texts, the TeX side is fixed here. One shared
// instance (createGlobalObject) serves the whole program; it is read-only
// after construction, so any number of threads may convert at once.
class UnicodeToTeX
{
public:
    UnicodeToTeX();
    UnicodeToTeX(const UnicodeToTeX &) = delete;
    UnicodeToTeX &operator=(const UnicodeToTeX &) = delete;

    // The shared instance. globalConverter() creates it on first use when
    // createGlobalObject() was not called; releaseGlobal() must not race
    // with a conversion in progress.
    static void createGlobalObject();
    static const UnicodeToTeX *globalConverter();
    static void releaseGlobal();

    // The three conversions on the shared instance.
    static void convertStringLetter(QString &text);
    static void convertStringSymbols(QString &text);
    static void convertStringMath(QString &text);

    // The same conversions on this instance.
    // Accented and special letters, precomposed or followed by a combining mark.
    void convertLetter(QString &text) const;
    // Typographic symbols: TeX specials, quotes, dashes, inverted marks.
    void convertSymbols(QString &text) const;
    // Math symbols, the square root with its argument first.
    void convertMath(QString &text) const;

    // Replaces every key character of `dictionary` by its TeX string, then
    // deletes every "$$" so that adjacent math spans merge. A math span that
    // lands inside an open span of the text goes in without its dollars; an
    // ASCII key escaped by a backslash stays as it is.
    static void convert(QString &text, const QHash<QChar, QString> &dictionary);
    // Replaces each key (an operator such as the square root) together with
    // its argument by the key's open math span, the argument and "$".
    void convertWithParam(QString &text, const QHash<QChar, QString> &dictionary) const;
    // Turns a letter followed by the combining `accent` into `format` with the
    // letter in place of "%C"; answers whether anything changed.
    bool convert(QString &text, QChar accent, const QString &format) const;
    // All fourteen combining marks, in the order of the accent table.
    void convertCombinedAccent(QString &text) const;

    const QHash<QChar, QString> &letterDictionary() const { return m_letterDic; }
    const QHash<QChar, QString> &symbolDictionary() const { return m_symbolDic; }
    const QHash<QChar, QString> &mathDictionary() const { return m_mathDic; }
    const QHash<QChar, QString> &mathParamDictionary() const { return m_mathDic1; }

    // One accent: the resource of its precomposed letters, their base
    // letters, the resource of its combining mark and its TeX format.
    struct Accent
    {
        const char16_t *lettersKey;
        const char16_t *baseLetters;
        const char16_t *markKey;
        const char16_t *format;
    };
    static const std::array<Accent, 14> &accents();

private:
    void fillLetters();
    void fillSymbols();
    void fillMath();
    void fillAccentMarks();

    QHash<QChar, QString> m_letterDic;
    QHash<QChar, QString> m_symbolDic;
    QHash<QChar, QString> m_mathDic;
    QHash<QChar, QString> m_mathDic1;
    QString m_numberCharSet;
    // The combining marks in the order of accents(); a null QChar when the
    // resource is missing.
    std::array<QChar, 14> m_accentOnly{};
    QChar m_iForAccent;
};
