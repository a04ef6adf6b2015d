#pragma once

#include <QByteArray>
#include <QString>

// Writes the HTML of the copied reference lists as RTF: paragraphs (p),
// bulleted and numbered lists (ul, ol, li), bold, italic (also for
// variables), underline, typewriter type, subscript and superscript, line breaks and character entities; other tags
// are dropped, their text kept. A style nested in itself stays on until its
// outermost span ends. Every character outside ASCII is written as
// a \uN escape, so any script survives. Stateless.
class RtfWriter
{
public:
    static QByteArray fromHtml(const QString &html);
};
