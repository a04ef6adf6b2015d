#include "model/ElementList.h"

#include <algorithm>
#include <utility>

ElementList::ElementList(const QList<BibElement> &elements)
{
    if (elements.size() == 1)
        new (m_storage) BibElement(elements.front());
    else
        makeSeveral(QList<BibElement>(elements));
}

ElementList::ElementList(QList<BibElement> &&elements)
{
    if (elements.size() == 1)
        new (m_storage)
            BibElement(elements.isDetached() ? std::move(elements.first()) : elements.front());
    else
        makeSeveral(std::move(elements));
}

ElementList::ElementList(std::initializer_list<BibElement> elements)
{
    if (elements.size() == 1)
        new (m_storage) BibElement(*elements.begin());
    else
        makeSeveral(QList<BibElement>(elements));
}

ElementList::ElementList(const ElementList &other)
{
    if (other.isOne())
        new (m_storage) BibElement(other.one());
    else
        makeSeveral(QList<BibElement>(other.several()));
}

ElementList::ElementList(ElementList &&other) noexcept
{
    if (other.isOne())
        new (m_storage) BibElement(std::move(other.one()));
    else
        makeSeveral(std::move(other.several()));
}

ElementList &ElementList::operator=(const ElementList &other)
{
    if (this != &other) {
        ElementList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ElementList &ElementList::operator=(ElementList &&other) noexcept
{
    if (this == &other)
        return *this;
    if (isOne() && other.isOne()) {
        one() = std::move(other.one());
    } else if (!isOne() && !other.isOne()) {
        several() = std::move(other.several());
    } else {
        destroy();
        if (other.isOne())
            new (m_storage) BibElement(std::move(other.one()));
        else
            makeSeveral(std::move(other.several()));
    }
    return *this;
}

QList<BibElement> &ElementList::makeSeveral(QList<BibElement> &&elements) noexcept
{
    auto *list = new (m_storage) QList<BibElement>(std::move(elements));
    std::memcpy(m_storage + kTypeOffset, &kSeveral, sizeof kSeveral);
    return *list;
}

void ElementList::destroy() noexcept
{
    if (isOne())
        one().~BibElement();
    else
        several().~QList<BibElement>();
}

void ElementList::append(const BibElement &element)
{
    append(BibElement(element));
}

void ElementList::append(BibElement &&element)
{
    if (isOne()) {
        QList<BibElement> list;
        list.reserve(2);
        list.append(std::move(one()));
        list.append(std::move(element));
        destroy();
        makeSeveral(std::move(list));
    } else if (several().isEmpty()) {
        destroy();
        new (m_storage) BibElement(std::move(element));
    } else {
        several().append(std::move(element));
    }
}

void ElementList::append(const ElementList &elements)
{
    const ElementList added(elements); // may be this list itself
    for (const BibElement &element : added)
        append(element);
}

QList<BibElement> ElementList::toList() const
{
    if (isOne())
        return {one()};
    return several();
}

bool operator==(const ElementList &a, const ElementList &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

bool operator==(const ElementList &a, const QList<BibElement> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}
