#pragma once

#include "editor/FieldVerdict.h"

#include <QComboBox>
#include <QString>

#include <memory>

class BibItem;
class DetailInfoController;
class QLabel;

// The type slot of the entry editor: a combo box of the defined types that
// completes what is typed. A finished text is normalised (upper case, blanks
// to "_", empty to "ARTICLE"); a type BibTeX could not read is kept in red
// and never stored. Owned by the panel of its controller.
class BibTypeField : public QComboBox
{
    Q_OBJECT

public:
    BibTypeField(DetailInfoController *controller, QLabel *titleField, QWidget *parent);

    // The normalised form of a typed type.
    static QString normalizedType(const QString &text);
    // Whether `type` (normalised) can stand as an entry type in a file.
    static bool isReadableType(const QString &type);

    void setItem(const std::shared_ptr<BibItem> &item);
    void setEditMode(bool on);
    void setupData();
    bool isEnableEdit() const;
    void undoEdit();
    bool isDirty() const { return m_dataChanged; }
    void setDirty();
    void reloadPreferences();
    FieldVerdict::Kind verdict() const { return m_verdict; }
    // The typed text is finished: checks and stores it.
    void bibTypeChanged();

    void showPopup() override;

private:
    void fillTypes();

    DetailInfoController *m_infoController;
    QLabel *m_titleField;
    std::shared_ptr<BibItem> m_currentItem;
    QString m_undoBuffer;
    FieldVerdict::Kind m_verdict = FieldVerdict::Accepted;
    bool m_inEditMode = false;
    bool m_dataChanged = false;
    bool m_settingUp = false;
};
