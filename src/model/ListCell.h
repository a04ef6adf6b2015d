#pragma once

#include <QString>

// One cell of the item list: its text and the little styling the model decides
// (colour by ownership, alignment by column). A value; the window maps it to its
// own fonts and colours, and applies the list's font expansion to styled cells.
struct ListCell
{
    enum class Colour
    {
        Black,
        Red
    };
    enum class Alignment
    {
        Left,
        Center,
        Right
    };

    QString text;
    Colour colour = Colour::Black;
    Alignment alignment = Alignment::Left;
    // The mark and attachment cells carry no styling at all.
    bool styled = true;

    // "center" and "right" name their alignments; anything else is left.
    static Alignment alignmentFromName(QStringView name)
    {
        if (name == u"center")
            return Alignment::Center;
        if (name == u"right")
            return Alignment::Right;
        return Alignment::Left;
    }

    friend bool operator==(const ListCell &, const ListCell &) = default;
};
