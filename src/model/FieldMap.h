#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// A small map from field name to value, kept as one array in insertion order
// and searched linearly: an entry has a dozen fields, for which a hash table
// would spend kilobytes of empty buckets per item, and comparing a dozen short
// names for equality is quicker than hashing. Reads like QHash (value,
// contains, constFind, insert, remove, keys; iterators with key() and value(),
// range-for over the values; no order promised) and converts from the
// grammar's field dictionary. A value; copies share their array until one of
// them changes; == ignores the order.
template<typename T> class FieldMap
{
public:
    struct Entry
    {
        QString key;
        T value;
        friend bool operator==(const Entry &, const Entry &) = default;
    };

    class const_iterator
    {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using difference_type = qsizetype;
        using value_type = T;
        using pointer = const T *;
        using reference = const T &;

        const_iterator() = default;
        explicit const_iterator(const Entry *entry) : m_entry(entry) {}
        const QString &key() const { return m_entry->key; }
        const T &value() const { return m_entry->value; }
        const T &operator*() const { return m_entry->value; }
        const T *operator->() const { return &m_entry->value; }
        const_iterator &operator++()
        {
            ++m_entry;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator old = *this;
            ++m_entry;
            return old;
        }
        friend bool operator==(const const_iterator &, const const_iterator &) = default;

    private:
        const Entry *m_entry = nullptr;
    };
    using iterator = const_iterator;

    FieldMap() = default;
    // From a hash (the grammar's field dictionary, say).
    FieldMap(const QHash<QString, T> &hash)
    {
        m_entries.reserve(hash.size());
        for (auto it = hash.constBegin(); it != hash.constEnd(); ++it)
            m_entries.append({it.key(), it.value()});
    }
    FieldMap(std::initializer_list<std::pair<QString, T>> entries)
    {
        for (const auto &entry : entries)
            insert(entry.first, entry.second);
    }

    qsizetype size() const { return m_entries.size(); }
    qsizetype count() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    void clear() { m_entries.clear(); }
    void reserve(qsizetype size) { m_entries.reserve(size); }
    void squeeze() { m_entries.squeeze(); }

    bool contains(QStringView key) const { return indexOf(key) >= 0; }
    T value(QStringView key) const
    {
        const qsizetype i = indexOf(key);
        return i >= 0 ? m_entries.at(i).value : T();
    }
    T value(QStringView key, const T &fallback) const
    {
        const qsizetype i = indexOf(key);
        return i >= 0 ? m_entries.at(i).value : fallback;
    }
    const_iterator constFind(QStringView key) const
    {
        const qsizetype i = indexOf(key);
        return i >= 0 ? const_iterator(m_entries.constData() + i) : constEnd();
    }
    const_iterator find(QStringView key) const { return constFind(key); }
    // The value of `key` to change in place, or null.
    T *valueFor(QStringView key)
    {
        const qsizetype i = indexOf(key);
        return i >= 0 ? &m_entries[i].value : nullptr;
    }

    void insert(const QString &key, const T &value)
    {
        const qsizetype i = indexOf(key);
        if (i >= 0)
            m_entries[i].value = value;
        else
            m_entries.append(Entry{key, value});
    }
    void insert(const QString &key, T &&value)
    {
        const qsizetype i = indexOf(key);
        if (i >= 0)
            m_entries[i].value = std::move(value);
        else
            m_entries.append(Entry{key, std::move(value)});
    }
    // Removes the key; answers how many entries went (0 or 1).
    qsizetype remove(QStringView key)
    {
        const qsizetype i = indexOf(key);
        if (i < 0)
            return 0;
        m_entries.removeAt(i);
        return 1;
    }

    QStringList keys() const
    {
        QStringList names;
        names.reserve(m_entries.size());
        for (const Entry &entry : m_entries)
            names.append(entry.key);
        return names;
    }

    QList<T> values() const
    {
        QList<T> result;
        result.reserve(m_entries.size());
        for (const Entry &entry : m_entries)
            result.append(entry.value);
        return result;
    }

    const_iterator constBegin() const { return const_iterator(m_entries.constData()); }
    const_iterator constEnd() const
    {
        return const_iterator(m_entries.constData() + m_entries.size());
    }
    const_iterator begin() const { return constBegin(); }
    const_iterator end() const { return constEnd(); }
    const_iterator cbegin() const { return constBegin(); }
    const_iterator cend() const { return constEnd(); }

    const QList<Entry> &entries() const { return m_entries; }

    // A hash of the same entries.
    QHash<QString, T> toHash() const
    {
        QHash<QString, T> hash;
        hash.reserve(m_entries.size());
        for (const Entry &entry : m_entries)
            hash.insert(entry.key, entry.value);
        return hash;
    }

    friend bool operator==(const FieldMap &a, const FieldMap &b)
    {
        if (a.size() != b.size())
            return false;
        for (const Entry &entry : a.m_entries) {
            const qsizetype i = b.indexOf(entry.key);
            if (i < 0 || !(b.m_entries.at(i).value == entry.value))
                return false;
        }
        return true;
    }

private:
    qsizetype indexOf(QStringView key) const
    {
        const qsizetype n = m_entries.size();
        const Entry *entries = m_entries.constData();
        for (qsizetype i = 0; i < n; ++i) {
            if (entries[i].key.size() == key.size() && QStringView(entries[i].key) == key)
                return i;
        }
        return -1;
    }

    QList<Entry> m_entries;
};
