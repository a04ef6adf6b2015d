#pragma once

#include "tex/ConvertFromTeX.h"

// The converter from TeX markup to an HTML fragment (character references,
// inline tags, sub and sup elements), used when entries are rendered as HTML.
// One shared instance, created once and read-only afterwards; safe to use
// from several threads at once.
class TeXtoHTML final : public ConvertFromTeX
{
public:
    TeXtoHTML();
    ~TeXtoHTML() override;

    // The shared instance. createGlobalObject is idempotent and thread-safe;
    // globalConverter creates the instance when it does not exist yet.
    // releaseGlobal frees it (only when no other thread is converting).
    static void createGlobalObject();
    static TeXtoHTML *globalConverter();
    static void releaseGlobal();
    static QString convertString(const QString &string);

    QString convertAccent(const QString &command, StringInputStream &stream) const override;
    QString convertSubScript(StringInputStream &stream) const override;
    QString convertSuperScript(StringInputStream &stream) const override;
    QString unknownCommand(const QString &command) const override;

    QString openDoubleQuotes() const override;
    QString openSingleQuote() const override;
    QString closeDoubleQuotes() const override;
    QString closeSingleQuote() const override;
    QString primeLetter() const override;
    QString minusLetter() const override;
    QString enDash() const override;
    QString emDash() const override;
    QString inverseQuestion() const override;
    QString inverseExclamation() const override;
    QString lessThanLetter() const override;
    QString greaterThanLetter() const override;
    void putVariable(QChar letter, StringOutputStream &output) const override;
};
