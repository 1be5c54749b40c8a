#include "deviceListWidget.h"

#include "PanelHelpers.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int labelX = 10;
constexpr int controlX = labelX + 150;
constexpr int rowPitch = 30;

QLabel* addRow(QGroupBox* group, int row, const QString& text, QWidget* control, int width)
{
    const int y = 20 + row * rowPitch;
    QLabel* label = VelaPanels::addCaption(group, text, labelX, y, controlX - labelX - 2, 20);
    control->setParent(group);
    control->setGeometry(controlX, y, width, 20);
    return label;
}

} // namespace

deviceListWidget::deviceListWidget(QWidget* parent)
    : QWidget(parent)
{
    setFont(VelaPanels::panelFont());
    auto* group = new QGroupBox(this);
    group->resize(250, 150);

    m_port = new QComboBox();
    m_portLabel = addRow(group, 0, tr("COMPORT waehlen"), m_port, 80);
    m_speed = new QComboBox();
    m_speed->addItems(VelaPanels::serialSpeeds());
    m_speedLabel = addRow(group, 1, tr("Verbindungs\u00ADgeschwindichkeit waehlen"), m_speed, 80);
    m_address = new QLineEdit(QStringLiteral("1"));
    m_address->setAlignment(Qt::AlignCenter);
    m_addressLabel = addRow(group, 2, tr("Netzadresse eingeben"), m_address, 64);

    m_connect = new QPushButton(tr("Verbinden"), group);
    m_connect->setGeometry(labelX, 115, 105, 23);
    m_listener = new QPushButton(tr("Serial Listner starten"), group);
    m_listener->setGeometry(labelX + 115, 115, 105, 23);

    connect(m_connect, &QPushButton::clicked, this, &deviceListWidget::connectButtonClicked);
    connect(this, &deviceListWidget::Reconnect, this, &deviceListWidget::connectButtonClicked);
    connect(m_listener, &QPushButton::clicked, this, &deviceListWidget::onStartListnerButtonClicked);
}

int deviceListWidget::speedCode() const
{
    return VelaPanels::speedCode(m_speed->currentText());
}

char deviceListWidget::port() const
{
    return char(m_port->currentData().toInt());
}

short deviceListWidget::address() const
{
    return short(m_address->text().toInt());
}

void deviceListWidget::connectButtonClicked()
{
    if (m_connected)
        emit DisconnectButtonClicked();
    else
        emit ConnectButtonClicked(speedCode(), port(), address());
}

void deviceListWidget::onStartListnerButtonClicked()
{
    if (!m_listenerMayStart)
        emit StopListnerButtonClicked();
    else
        emit StartListnerButtonClicked(speedCode(), port(), address());
}

void deviceListWidget::setConnectButtonText(const char* text)
{
    m_connect->setText(QString::fromUtf8(text));
}

void deviceListWidget::setControlsEnabled(bool enabled)
{
    m_port->setEnabled(enabled);
    m_speed->setEnabled(enabled);
    m_address->setEnabled(enabled);
}

void deviceListWidget::setConnectionState(bool connected)
{
    m_connected = connected;
    m_connect->setText(connected ? tr("Trennen") : tr("Verbinden"));
    setControlsEnabled(!connected);
}

void deviceListWidget::setListenerLock(bool locked)
{
    m_portLabel->setEnabled(!locked);
    m_speedLabel->setEnabled(!locked);
    m_addressLabel->setEnabled(!locked);
    setControlsEnabled(!locked);
    m_connect->setEnabled(!locked);
    m_listenerMayStart = !locked;
    m_listener->setText(locked ? tr("Serial Listner stoppen") : tr("Serial Listner starten"));
}

void deviceListWidget::lockWidgetForListner()
{
    setListenerLock(true);
}

void deviceListWidget::unlockWidgetForListner()
{
    setListenerLock(false);
}

void deviceListWidget::setConnectionSpeed(int code)
{
    m_speed->setCurrentIndex(VelaPanels::speedIndex(code));
}

void deviceListWidget::setNetAddress(int address)
{
    m_address->setText(QString::number(address));
}

void deviceListWidget::addCOMPort(const QString& name, int number)
{
    m_port->addItem(name, number);
}
