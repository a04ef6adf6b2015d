#pragma once

#include "prefs/EncodingMenuModel.h"

#include <QComboBox>
#include <QPointer>

class EncodingListEditor;

// The text-encoding pop-up: the active encodings of the preferences, sorted by
// name, after an item that opens the encoding-list editor (tag 9150) and a
// separator; an encoding in use that is not active shows as an extra item at
// the end. Choosing the editor item keeps the previous encoding selected, opens
// the editor window-modally, and after it closes rebuilds the items and
// reselects that encoding, so encoding() never answers 0. Main thread only.
class EncodingPopup : public QComboBox
{
    Q_OBJECT

public:
    explicit EncodingPopup(QWidget *parent = nullptr);

    // Refills the items from the active encodings, keeping the selection.
    void rebuild();
    void setEncoding(int code);
    // The code of the selected encoding; never 0 once an encoding was set or
    // the items were built.
    int encoding() const;

    // The encoding-list editor while it is open (for tests and the caller's
    // own dialogs); null otherwise.
    EncodingListEditor *openEditor() const;

Q_SIGNALS:
    void encodingChanged(int code);

private:
    void fillItems();
    void selectCode(quint32 code);
    void itemActivated(int index);
    void editEncodings();
    void editorFinished(int result);

    EncodingMenuModel m_menu;
    quint32 m_lastEncoding = 0;
    QPointer<EncodingListEditor> m_editor;
};
