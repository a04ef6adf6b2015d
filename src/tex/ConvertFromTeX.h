#pragma once

#include <QChar>
#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <optional>

class StringInputStream;
class StringOutputStream;

// The common engine that turns TeX markup in field values into another
// notation in one left-to-right pass; the concrete converters (TeXtoText,
// TeXtoHTML) fill its target tables and override its hooks. A converter is
// built fully in its constructor and read-only afterwards: all conversion
// state lives in the call, so one instance may serve several threads at once.
class ConvertFromTeX
{
public:
    virtual ~ConvertFromTeX();
    ConvertFromTeX(const ConvertFromTeX &) = delete;
    ConvertFromTeX &operator=(const ConvertFromTeX &) = delete;

    // Converts a whole string in text mode. NUL characters are dropped first
    // so that they do not end the text early.
    QString convert(const QString &string) const;
    // Converts from the stream's cursor to the end of the current group (a
    // closing brace, a closing dollar in math mode, or the end of the text).
    QString convertStream(StringInputStream &stream, bool mathMode) const;
    // Reads one command (the cursor just after its backslash) and answers
    // its replacement.
    QString convertTeXCommand(StringInputStream &stream, bool mathMode) const;

    // Hooks: the text emitted for one construct.
    virtual QString convertAccent(const QString &command, StringInputStream &stream) const;
    virtual QString convertSubScript(StringInputStream &stream) const;
    virtual QString convertSuperScript(StringInputStream &stream) const;
    virtual QString unknownCommand(const QString &command) const;

    // Reading primitives, also used by name parsing.
    // The name of a command, the cursor just after its backslash; absent at
    // the end of the text. One space after a multi-letter name is consumed.
    std::optional<QString> readTeXCommandFromStream(StringInputStream &stream) const;
    // One TeX argument: a braced group without its braces, a command with
    // its backslash, or one character. '\i' and '\j' read as 'i' and 'j'.
    std::optional<QString> readParameterFromStream(StringInputStream &stream) const;
    // The rest of the enclosing group; its closing brace is left unread.
    QString readBlockParameterFromStream(StringInputStream &stream) const;
    bool commandIsAccent(const QString &command) const;
    // The base letter of a letter command ("ae" -> 'a', "ss" -> 's'); a null
    // character for any other name.
    QChar commandIsLetter(const QString &command) const;

    // Adds the commands of CommonTeXCommands that the tables do not define yet,
    // in their text or their HTML form.
    void addCommonCommands(bool html);

    virtual QString openDoubleQuotes() const;
    virtual QString openSingleQuote() const;
    virtual QString closeDoubleQuotes() const;
    virtual QString closeSingleQuote() const;
    virtual QString primeLetter() const;
    virtual QString minusLetter() const;
    virtual QString enDash() const;
    virtual QString emDash() const;
    virtual QString inverseQuestion() const;
    virtual QString inverseExclamation() const;
    virtual QString lessThanLetter() const;
    virtual QString greaterThanLetter() const;
    virtual void putVariable(QChar letter, StringOutputStream &output) const;

    // Conversions nested deeper than this (commands inside command arguments)
    // keep their argument as TeX source instead of recursing further.
    static constexpr int kMaxNesting = 64;

protected:
    ConvertFromTeX();

    // A set of ASCII characters with a constant-time membership test.
    class AsciiSet
    {
    public:
        AsciiSet() = default;
        explicit AsciiSet(QStringView members);
        void add(char16_t c);
        bool contains(QChar c) const
        {
            const char16_t u = c.unicode();
            return u < 128 && (m_bits[u >> 6] >> (u & 63) & 1u) != 0;
        }

    private:
        std::uint64_t m_bits[2] = {0, 0};
    };

    // What an accent command stands for; each converter uses its own part.
    struct AccentData
    {
        QHash<QChar, QChar> letters; // base letter -> precomposed letter
        QString entitySuffix;        // named-reference suffix, such as "acute;"
        QString spacingForm;         // the accent on its own
        QString combiningForm;       // the accent after a letter that has no precomposed form
    };

    // Converts `text` as a group of its own in the given mode, guarding the
    // nesting depth.
    QString convertInMode(const QString &text, bool mathMode) const;

    AsciiSet m_alphabetSet;
    AsciiSet m_cmdDelimtterSet;
    QHash<QString, QString> m_textStyleCommands;
    QSet<QString> m_bothModeIgnoreCommands;
    QSet<QString> m_mathModeIgnoreCommands;
    QHash<QString, QString> m_bothModeCommands0;
    QHash<QString, QString> m_mathModeCommands0;
    QHash<QString, QString> m_bothModeCommands1;
    QHash<QString, QString> m_mathModeEscapeCommands;
    QHash<QString, AccentData> m_accentDic;

private:
    bool readCaretTail(StringInputStream &stream) const;
};
