#include "editor/InputPaletteDock.h"

#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <QGridLayout>
#include <QTabWidget>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// The letters the accent palette offers besides the accents.
const char16_t *const kLetters[] = {u"{\\AA}", u"{\\aa}", u"{\\AE}", u"{\\ae}", u"{\\O}", u"{\\o}",
                                    u"{\\OE}", u"{\\oe}", u"{\\ss}", u"{\\L}",  u"{\\l}"};

const char16_t *const kGreeks[] = {
    u"alpha", u"beta",  u"gamma",      u"delta",   u"epsilon", u"zeta",  u"eta",
    u"theta", u"iota",  u"kappa",      u"lambda",  u"mu",      u"nu",    u"xi",
    u"pi",    u"rho",   u"sigma",      u"tau",     u"upsilon", u"phi",   u"chi",
    u"psi",   u"omega", u"varepsilon", u"Gamma",   u"Delta",   u"Theta", u"Lambda",
    u"Xi",    u"Pi",    u"Sigma",      u"Upsilon", u"Phi",     u"Psi",   u"Omega"};

constexpr int kGreekColumns = 8;

} // namespace

InputPaletteDock::InputPaletteDock(QWidget *parent)
    : QDockWidget(Texts::text(u"Editor_InputPalettes"), parent),
      m_tabInputButtons(new QTabWidget(this))
{
    setObjectName(u"drawerInputSupport"_s);
    setWidget(m_tabInputButtons);

    // Accents: fourteen accent buttons, then eleven letters.
    auto *accents = new QWidget;
    accents->setObjectName(u"accents"_s);
    auto *accentGrid = new QGridLayout(accents);
    m_accents = InputAccentTemplate::standardAccents();
    for (const char16_t *letter : kLetters) {
        InputAccentTemplate button;
        button.setTeXString(QString::fromUtf16(letter), u' ');
        m_accents.push_back(button);
    }
    for (int i = 0; i < int(m_accents.size()); ++i) {
        const QString title =
            TeXtoText::convertString(m_accents[size_t(i)].getTeXString(std::nullopt));
        addButton(Accents, i, title, accentGrid, i / 7, i % 7);
    }
    m_tabInputButtons->addTab(accents, Texts::text(u"Editor_Palette_Accents"));

    auto *greeks = new QWidget;
    greeks->setObjectName(u"greeks"_s);
    auto *greekGrid = new QGridLayout(greeks);
    for (const char16_t *name : kGreeks) {
        InputSupportTemplate button;
        button.setTeXString(u"\\"_s + QString::fromUtf16(name), QString(),
                            InputSupportTemplate::MathModeNeeded);
        const QString title = TeXtoText::convertString(u"$\\"_s + QString::fromUtf16(name) + u'$');
        button.setTitle(title);
        m_greeks.push_back(button);
        const int i = int(m_greeks.size()) - 1;
        addButton(Greeks, i, title, greekGrid, i / kGreekColumns, i % kGreekColumns);
    }
    m_tabInputButtons->addTab(greeks, Texts::text(u"Editor_Palette_Greek"));

    auto *others = new QWidget;
    others->setObjectName(u"others"_s);
    auto *otherGrid = new QGridLayout(others);
    for (int i = 0; i < 30; ++i)
        addButton(Others, i, QString(), otherGrid, i / 10, i % 10);
    m_tabInputButtons->addTab(others, Texts::text(u"Editor_Palette_Others"));
    setInputButtons();

    const QString lastTab = BibPreferences::globalPreferences()->lastInputTab();
    for (int i = 0; i < m_tabInputButtons->count(); ++i) {
        if (m_tabInputButtons->widget(i)->objectName() == lastTab)
            m_tabInputButtons->setCurrentIndex(i);
    }
    connect(m_tabInputButtons, &QTabWidget::currentChanged, this, [this] {
        BibPreferences::globalPreferences()->setLastInputTab(
            m_tabInputButtons->currentWidget()->objectName());
    });
    enableSupportButtons(false);
}

QAbstractButton *InputPaletteDock::addButton(Palette palette, int index, const QString &title,
                                             QGridLayout *grid, int row, int column)
{
    auto *button = new QToolButton(grid->parentWidget());
    button->setText(title);
    button->setProperty("qfPalette", int(palette));
    button->setProperty("qfIndex", index);
    button->setFocusPolicy(Qt::NoFocus); // the field being edited keeps the focus
    grid->addWidget(button, row, column);
    m_buttons[palette].append(button);
    connect(button, &QToolButton::clicked, this, [this, button] { Q_EMIT buttonPressed(button); });
    return button;
}

void InputPaletteDock::setInputButtons()
{
    const QVariantList rows = BibPreferences::globalPreferences()->inputButtonDefinitions();
    m_others.assign(30, InputSupportTemplate());
    for (int i = 0; i < 30; ++i) {
        const QVariantList row = rows.value(i).toList();
        InputSupportTemplate &cell = m_others[size_t(i)];
        cell.setTeXString(row.value(0).toString(), row.value(1).toString(),
                          row.value(2, int(InputSupportTemplate::EitherMode)).toInt());
        cell.setTitle(row.value(3).toString());
        m_buttons[Others].at(i)->setText(cell.title());
        m_buttons[Others].at(i)->setToolTip(cell.texString());
    }
    enableSupportButtons(m_enabled);
}

void InputPaletteDock::enableSupportButtons(bool enabled)
{
    m_enabled = enabled;
    for (const QList<QAbstractButton *> &list : m_buttons) {
        for (QAbstractButton *button : list)
            button->setEnabled(enabled);
    }
    // A user button without a title stays off.
    for (int i = 0; i < int(m_others.size()); ++i)
        m_buttons[Others].at(i)->setEnabled(enabled && m_others[size_t(i)].isEnabled());
}

std::optional<QString> InputPaletteDock::textForButton(const QAbstractButton *button,
                                                       const std::optional<QString> &selection,
                                                       bool inMath) const
{
    const int palette = button->property("qfPalette").toInt();
    const size_t index = size_t(button->property("qfIndex").toInt());
    switch (palette) {
    case Accents:
        return index < m_accents.size() ? std::optional(m_accents[index].getTeXString(selection))
                                        : std::nullopt;
    case Greeks:
        return index < m_greeks.size() ? m_greeks[index].getTeXString(selection, inMath)
                                       : std::nullopt;
    default:
        return index < m_others.size() ? m_others[index].getTeXString(selection, inMath)
                                       : std::nullopt;
    }
}

QList<QAbstractButton *> InputPaletteDock::buttons(Palette palette) const
{
    return m_buttons[palette];
}
