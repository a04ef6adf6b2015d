#pragma once

#include "tex/ConvertFromTeX.h"

// The converter from TeX markup to plain Unicode text, used for display,
// sorting and searching. Its characters come from the keyed text table. One
// shared instance, created once and read-only afterwards; safe to use from
// several threads at once.
class TeXtoText final : public ConvertFromTeX
{
public:
    TeXtoText();
    ~TeXtoText() override;

    // The shared instance. createGlobalObject is idempotent and thread-safe;
    // globalConverter creates the instance when it does not exist yet.
    // releaseGlobal frees it (only when no other thread is converting).
    static void createGlobalObject();
    static TeXtoText *globalConverter();
    static void releaseGlobal();
    static QString convertString(const QString &string);

    QString convertAccent(const QString &command, StringInputStream &stream) const override;
    QString convertSubScript(StringInputStream &stream) const override;
    QString convertSuperScript(StringInputStream &stream) const override;
    QString unknownCommand(const QString &command) const override;

    QString openDoubleQuotes() const override { return m_openDoubleQuotes; }
    QString openSingleQuote() const override { return m_openSingleQuote; }
    QString closeDoubleQuotes() const override { return m_closeDoubleQuotes; }
    QString closeSingleQuote() const override { return m_closeSingleQuote; }
    QString primeLetter() const override { return m_primeLetter; }
    QString minusLetter() const override { return m_minusLetter; }
    QString enDash() const override { return m_enDash; }
    QString emDash() const override { return m_emDash; }
    QString inverseQuestion() const override { return m_inverseQuestion; }
    QString inverseExclamation() const override { return m_inverseExclamation; }

private:
    // Raises or lowers `parameter` character by character; empty when a
    // character has no raised or lowered form.
    std::optional<QString> shiftedForm(const QString &parameter, const AsciiSet &set,
                                       const QString &digits,
                                       const QHash<QChar, QChar> &others) const;

    AsciiSet m_superScriptSet;
    AsciiSet m_subScriptSet;
    QString m_superExpNum;
    QString m_subExpNum;
    QHash<QChar, QChar> m_superDic;
    QHash<QChar, QChar> m_subDic;
    QString m_openDoubleQuotes;
    QString m_openSingleQuote;
    QString m_closeDoubleQuotes;
    QString m_closeSingleQuote;
    QString m_primeLetter;
    QString m_minusLetter;
    QString m_enDash;
    QString m_emDash;
    QString m_inverseQuestion;
    QString m_inverseExclamation;
};
