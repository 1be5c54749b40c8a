#include "FastConfigWidget.h"

#include "PanelHelpers.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

namespace {

constexpr QSize iconSize(50, 47);
constexpr int buttonPitch = 55;

// Picture names of the four buttons; each has an "_activ" and a "_noactiv" file.
constexpr const char* pictureNames[] = {"edge", "diameter", "gap", "borders"};

QIcon picture(const char* name, const char* state)
{
    return QIcon(QStringLiteral("resources/images/%1_%2.png")
                     .arg(QLatin1String(name), QLatin1String(state)));
}

} // namespace

FastConfigWidget::FastConfigWidget(QWidget* parent)
    : QWidget(parent)
{
    setFont(VelaPanels::panelFont());
    auto* group = new QGroupBox(this);
    group->resize(250, 230);

    const QString texts[buttonCount] = {tr("Kantestelle"), tr("Diametr/Position"), tr("Position"),
                                        tr("Ganzes Objekt")};
    for (int i = 0; i < buttonCount; ++i) {
        m_activeIcons[i] = picture(pictureNames[i], "activ");
        m_inactiveIcons[i] = picture(pictureNames[i], "noactiv");
        auto* button = new QToolButton(group);
        button->setText(texts[i]);
        button->setToolTip(texts[i]);
        button->setIconSize(iconSize);
        button->setGeometry(10 + i * buttonPitch, 20, iconSize.width() + 4, iconSize.height() + 4);
        button->setIcon(m_inactiveIcons[i]);
        m_buttons[i] = button;
    }

    m_firstBorderLabel = new QLabel(tr("Grenzabmass A"), group);
    m_firstBorderLabel->setGeometry(10, 90, 100, 20);
    m_firstBorder = new QComboBox(group);
    m_firstBorder->setGeometry(120, 90, 80, 22);
    VelaPanels::addNumberItems(m_firstBorder, 128);
    m_secondBorderLabel = new QLabel(tr("Grenzabmass B"), group);
    m_secondBorderLabel->setGeometry(10, 120, 100, 20);
    m_secondBorder = new QComboBox(group);
    m_secondBorder->setGeometry(120, 120, 80, 22);
    VelaPanels::addNumberItems(m_secondBorder, 128);

    // The border controls must be disabled before the measurement slot runs: the order
    // of these connections is the order of the calls.
    using F = FastConfigWidget;
    connect(m_buttons[0], &QToolButton::clicked, this, &F::simpleButtonPressed);
    connect(m_buttons[0], &QToolButton::clicked, this, &F::MeasureButton1Pressed);
    connect(m_buttons[1], &QToolButton::clicked, this, &F::simpleButtonPressed);
    connect(m_buttons[1], &QToolButton::clicked, this, &F::MeasureButton2Pressed);
    connect(m_buttons[2], &QToolButton::clicked, this, &F::simpleButtonPressed);
    connect(m_buttons[2], &QToolButton::clicked, this, &F::MeasureButton3Pressed);
    connect(m_buttons[3], &QToolButton::clicked, this, &F::complexButtonPressed);
    connect(m_firstBorder, &QComboBox::activated, this, &F::firstBorderSelected);
    connect(m_secondBorder, &QComboBox::activated, this, &F::secondBorderSelected);

    setBordersEnabled(false);
    setEnabled(false);
}

void FastConfigWidget::setBordersEnabled(bool enabled)
{
    m_firstBorderLabel->setEnabled(enabled);
    m_secondBorderLabel->setEnabled(enabled);
    m_firstBorder->setEnabled(enabled);
    m_secondBorder->setEnabled(enabled);
}

void FastConfigWidget::showActiveButton(int active)
{
    for (int i = 0; i < buttonCount; ++i)
        m_buttons[i]->setIcon(i == active ? m_activeIcons[i] : m_inactiveIcons[i]);
}

void FastConfigWidget::simpleButtonPressed()
{
    setBordersEnabled(false);
}

void FastConfigWidget::complexButtonPressed()
{
    setBordersEnabled(true);
    showActiveButton(3);
    emit Button4Pressed();
}

void FastConfigWidget::MeasureButton1Pressed()
{
    emit Button1Pressed();
    showActiveButton(0);
}

void FastConfigWidget::MeasureButton2Pressed()
{
    emit Button2Pressed();
    showActiveButton(1);
}

void FastConfigWidget::MeasureButton3Pressed()
{
    emit Button3Pressed();
    showActiveButton(2);
}

void FastConfigWidget::runMeasureButton(int button)
{
    switch (button) {
    case 0: MeasureButton1Pressed(); break;
    case 1: MeasureButton2Pressed(); break;
    case 2: MeasureButton3Pressed(); break;
    default: break;
    }
}

void FastConfigWidget::firstBorderSelected(int index)
{
    emit FirstBorderSelected(char(index));
}

void FastConfigWidget::secondBorderSelected(int index)
{
    emit SecondBorderSelected(char(index));
}

void FastConfigWidget::setABorderNumber(char index)
{
    m_firstBorder->setCurrentIndex(index);
}

void FastConfigWidget::setBBorderNumber(char index)
{
    m_secondBorder->setCurrentIndex(index);
}

void FastConfigWidget::initButtonsState(char mode)
{
    if (mode >= 0 && mode <= 2) {
        setBordersEnabled(false);
        runMeasureButton(mode);
    } else if (mode == 3) {
        complexButtonPressed();
    }
}

void FastConfigWidget::switchButtons(char mode)
{
    if (mode >= 0 && mode <= 2) {
        runMeasureButton(mode);
        setBordersEnabled(false);
    } else {
        complexButtonPressed();
    }
}
