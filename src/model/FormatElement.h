#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

class StringInputStream;

// One element of a bracketed format template such as "[| <volume>]": literal
// text with at most one field slot, rendered for an entry in one output kind
// (3 TeX, 4 and 6 HTML, 7 plain text). A plain value; parsing and rendering
// only read shared read-only converters, so any thread may use its own copies.
class FormatElement
{
public:
    enum Style : std::int32_t
    {
        Unparsed = -1,
        Plain = 0,
        Italic = 1,
        Bold = 2,
        Underline = 3
    };

    // An empty element (no text, no slot, not parsed).
    FormatElement() = default;
    // Parses the next element of `stream`; an absent stream gives an empty
    // element. `errorStr` is the empty string, or the text of the error.
    FormatElement(StringInputStream *stream, QString &errorStr);

    // The next element of `stream`; absent at the end of the template, after
    // an empty element, or on an error (then `errorStr` holds its text).
    static std::optional<FormatElement> formatElementFromStream(StringInputStream &stream,
                                                                QString &errorStr);
    // The elements of a template (white-space runs read as one space, the yen
    // sign as a backslash), up to the end, an empty element or an error.
    static QList<FormatElement> elementArrayWithString(const QString &text, QString &errorStr);
    // The template as the settings store it: the elements written back.
    static QString normalizedStringOf(const QString &text, QString &errorStr);

    // This element written back as template text; it parses to the same element.
    QString normalizedString() const;

    // The literal text, the slot standing as placeholder().
    QString elementString() const { return m_elementString; }
    // The slot's alternative field names, lower case; absent without a slot.
    const std::optional<QStringList> &fieldNames() const { return m_fieldNames; }
    std::int32_t style() const { return m_style; }
    static QString placeholder();

    // The value of the slot for `item` (anything with fieldDataForListFormat,
    // an entry above all): the first alternative that is not empty.
    template<typename Item> QString fieldStringWithItem(const Item &item) const
    {
        return fieldString(
            [&item](const QString &name) { return item.fieldDataForListFormat(name); });
    }
    // The element rendered for `item` in output kind `kind`; empty when the
    // slot has no value.
    template<typename Item> QString elementStringOfItem(const Item &item, int kind) const
    {
        return render([&item](const QString &name) { return item.fieldDataForListFormat(name); },
                      kind);
    }

    using FieldLookup = std::function<QString(const QString &fieldName)>;
    QString fieldString(const FieldLookup &lookup) const;
    QString render(const FieldLookup &lookup, int kind) const;

    bool operator==(const FormatElement &) const = default;

private:
    // Why parsing stopped: an element, nothing more, or an error (its key).
    enum class Outcome
    {
        Element,
        Nothing,
        Error
    };
    Outcome parse(StringInputStream &stream, QString &errorKey);

    QString m_elementString;
    std::optional<QStringList> m_fieldNames;
    std::int32_t m_style = Unparsed;
};
