#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class BibPreferences;

// What the text-encoding pop-up menu shows and selects, without widgets: the
// active encodings from the preferences (with the default selection made and
// stored on first use), an item that opens the encoding-list editor, and an
// extra item for an encoding in use that is not active. Owned by the pop-up
// that shows it; main thread.
class EncodingMenuModel
{
public:
    static constexpr int kEditEncodingsTag = 9150;

    struct Item
    {
        QString title;
        int tag = 0;
        bool separator = false;
        bool operator==(const Item &) const = default;
    };

    explicit EncodingMenuModel(BibPreferences &preferences);

    // Rebuilds the items from the active encodings; when none are stored yet,
    // stores the default selection first.
    void setEncodingMenu();
    QList<Item> items() const;
    // Codes and names of the active encodings, sorted by name.
    QList<quint32> activeEncoding() const { return m_activeEncoding; }
    QStringList activeNames() const { return m_activeNames; }

    // Selects the item of `code`, adding it at the end when it is not active
    // (the active list itself is not changed).
    void selectEncodeing(quint32 code);
    // The code of the selected item; 0 when nothing is selected.
    quint32 selectedEncodeing() const;
    QString selectedTitle() const { return m_selectedTitle; }

private:
    BibPreferences &m_preferences;
    QList<quint32> m_activeEncoding;
    QStringList m_activeNames;
    QStringList m_extraNames;
    QString m_selectedTitle;
};
