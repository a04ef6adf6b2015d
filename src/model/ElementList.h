#pragma once

#include "model/BibElement.h"

#include <QList>

#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>

// The value elements of one field: a value. Nearly every field is one
// element (a braced string, a number, a macro name), which is held inline;
// only a value of several elements ("jan # {~1}") keeps a list. Either way
// the elements lie in one array, so begin() and end() are pointers. Reads
// like QList<BibElement> (size, at, first, range-for, append, ==) and
// converts from and to it where the grammar builds token lists. 32 bytes:
// an entry's field map holds it beside each field name.
class ElementList
{
public:
    using value_type = BibElement;
    using const_iterator = const BibElement *;
    using iterator = BibElement *;
    using size_type = qsizetype;

    ElementList() noexcept { makeSeveral(); }
    ElementList(const BibElement &element) { new (m_storage) BibElement(element); }
    ElementList(BibElement &&element) noexcept { new (m_storage) BibElement(std::move(element)); }
    ElementList(const QList<BibElement> &elements);
    ElementList(QList<BibElement> &&elements);
    ElementList(std::initializer_list<BibElement> elements);
    ElementList(const ElementList &other);
    ElementList(ElementList &&other) noexcept;
    ElementList &operator=(const ElementList &other);
    ElementList &operator=(ElementList &&other) noexcept;
    ~ElementList() { destroy(); }

    qsizetype size() const { return isOne() ? 1 : several().size(); }
    qsizetype count() const { return size(); }
    qsizetype length() const { return size(); }
    bool isEmpty() const { return !isOne() && several().isEmpty(); }
    bool empty() const { return isEmpty(); }

    const BibElement *constData() const { return isOne() ? &one() : several().constData(); }
    const BibElement *data() const { return constData(); }
    // The elements to change in place (a shared list is copied first).
    BibElement *data() { return isOne() ? &one() : several().data(); }

    const BibElement &at(qsizetype i) const { return constData()[i]; }
    const BibElement &operator[](qsizetype i) const { return at(i); }
    BibElement &operator[](qsizetype i) { return data()[i]; }
    const BibElement &first() const { return at(0); }
    const BibElement &constFirst() const { return at(0); }
    const BibElement &front() const { return at(0); }
    const BibElement &last() const { return at(size() - 1); }
    const BibElement &constLast() const { return at(size() - 1); }
    const BibElement &back() const { return last(); }
    // Element i, or a default element when there is none.
    BibElement value(qsizetype i) const { return i >= 0 && i < size() ? at(i) : BibElement(); }

    const_iterator constBegin() const { return constData(); }
    const_iterator constEnd() const { return constData() + size(); }
    const_iterator begin() const { return constBegin(); }
    const_iterator end() const { return constEnd(); }
    const_iterator cbegin() const { return constBegin(); }
    const_iterator cend() const { return constEnd(); }
    iterator begin() { return data(); }
    iterator end() { return data() + size(); }

    void append(const BibElement &element);
    void append(BibElement &&element);
    void append(const ElementList &elements);
    ElementList &operator<<(const BibElement &element)
    {
        append(element);
        return *this;
    }
    void clear() { *this = ElementList(); }

    // The elements as a list (shared, not copied, when there are several).
    QList<BibElement> toList() const;
    operator QList<BibElement>() const { return toList(); }

    friend bool operator==(const ElementList &a, const ElementList &b);
    friend bool operator==(const ElementList &a, const QList<BibElement> &b);

private:
    // The byte offset of the element type: a held element's type is a code of
    // zero or more; a held list leaves these bytes to the marker below.
    static constexpr std::size_t kTypeOffset = BibElement::typeOffset();
    static constexpr qint16 kSeveral = -1;
    static_assert(std::is_standard_layout_v<BibElement>);
    // A held list must leave the type bytes free for the marker.
    static_assert(sizeof(QList<BibElement>) <= kTypeOffset);
    static_assert(alignof(QList<BibElement>) <= alignof(BibElement));

    bool isOne() const
    {
        qint16 type;
        std::memcpy(&type, m_storage + kTypeOffset, sizeof type);
        return type != kSeveral;
    }
    BibElement &one() { return *std::launder(reinterpret_cast<BibElement *>(m_storage)); }
    const BibElement &one() const
    {
        return *std::launder(reinterpret_cast<const BibElement *>(m_storage));
    }
    QList<BibElement> &several()
    {
        return *std::launder(reinterpret_cast<QList<BibElement> *>(m_storage));
    }
    const QList<BibElement> &several() const
    {
        return *std::launder(reinterpret_cast<const QList<BibElement> *>(m_storage));
    }
    // Starts a list in the storage (after the old content is destroyed).
    QList<BibElement> &makeSeveral(QList<BibElement> &&elements = {}) noexcept;
    void destroy() noexcept;

    alignas(BibElement) unsigned char m_storage[sizeof(BibElement)];
};
Q_DECLARE_TYPEINFO(ElementList, Q_RELOCATABLE_TYPE);

static_assert(sizeof(ElementList) == sizeof(BibElement));
