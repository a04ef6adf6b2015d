#include "app/QtAlertPresenter.h"

#include "core/Texts.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr qsizetype kShownLines = 12;

} // namespace

QtAlertPresenter::QtAlertPresenter(QWidget *window) : m_window(window) {}

void QtAlertPresenter::setWindow(QWidget *window)
{
    m_window = window;
}

int QtAlertPresenter::run(const AlertRequest &request)
{
    QMessageBox box(m_window);
    box.setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    box.setIcon(request.alternateButton.isEmpty() ? QMessageBox::Information
                                                  : QMessageBox::Question);
    box.setText(request.title);
    // A long list (the reading problems of a large file) stays a readable
    // size: the first lines are shown, the whole text behind "Show Details".
    const QStringList lines = request.message.split(u'\n');
    if (lines.size() > kShownLines) {
        box.setInformativeText(lines.mid(0, kShownLines).join(u'\n') + QStringLiteral("\n…"));
        box.setDetailedText(request.message);
    } else {
        box.setInformativeText(request.message);
    }
    QPushButton *defaultButton =
        box.addButton(request.defaultButton.isEmpty() ? Texts::text(u"OK") : request.defaultButton,
                      QMessageBox::AcceptRole);
    QPushButton *alternateButton =
        request.alternateButton.isEmpty()
            ? nullptr
            : box.addButton(request.alternateButton, QMessageBox::RejectRole);
    QPushButton *otherButton =
        request.otherButton.isEmpty()
            ? nullptr
            : box.addButton(request.otherButton, QMessageBox::DestructiveRole);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(alternateButton ? alternateButton : defaultButton);
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    if (clicked == alternateButton && alternateButton)
        return 0;
    if (clicked == otherButton && otherButton)
        return -1;
    return 1;
}
