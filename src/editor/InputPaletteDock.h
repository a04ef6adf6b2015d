#pragma once

#include "tex/InputAccentTemplate.h"
#include "tex/InputSupportTemplate.h"

#include <QDockWidget>
#include <QList>

#include <optional>
#include <vector>

class QAbstractButton;
class QTabWidget;

// The TeX input palettes beside the entry editor: the fourteen accent buttons
// and eleven letter buttons, the Greek letters, and the 3 × 10 user buttons of
// the preferences ("Input Support Buttons (others)"). A button only says it
// was pressed; the editor asks for its text with the selection and mode of
// the field being edited. Owns its templates; created by the editor's
// controller and docked by the window. Main thread only.
class InputPaletteDock : public QDockWidget
{
    Q_OBJECT

public:
    enum Palette
    {
        Accents,
        Greeks,
        Others
    };

    explicit InputPaletteDock(QWidget *parent = nullptr);

    // Takes the user buttons from the preferences again.
    void setInputButtons();
    void enableSupportButtons(bool enabled);
    // The text `button` inserts for `selection` with the insertion point in
    // math or not; absent for a button without a template.
    std::optional<QString> textForButton(const QAbstractButton *button,
                                         const std::optional<QString> &selection,
                                         bool inMath) const;
    QList<QAbstractButton *> buttons(Palette palette) const;
    QTabWidget *tabInputButtons() const { return m_tabInputButtons; }

Q_SIGNALS:
    void buttonPressed(QAbstractButton *button);

private:
    QAbstractButton *addButton(Palette palette, int index, const QString &title,
                               class QGridLayout *grid, int row, int column);

    QTabWidget *m_tabInputButtons;
    std::vector<InputAccentTemplate> m_accents;
    std::vector<InputSupportTemplate> m_greeks;
    std::vector<InputSupportTemplate> m_others;
    QList<QAbstractButton *> m_buttons[3];
    bool m_enabled = false;
};
