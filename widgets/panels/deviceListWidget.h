#pragma once

#include "velawidgets_global.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Chooses the serial port, speed and address of a point sensor and starts or ends a
// connection or a passive serial listener. The speed travels as the sensor's code, the
// rate divided by 2400.
class VELAWIDGETS_EXPORT deviceListWidget : public QWidget
{
    Q_OBJECT
public:
    explicit deviceListWidget(QWidget* parent = nullptr);

public slots:
    void connectButtonClicked();
    void setConnectButtonText(const char* text);
    void setConnectionState(bool connected);
    void setConnectionSpeed(int code);
    void setNetAddress(int address);
    void addCOMPort(const QString& name, int number);
    void onStartListnerButtonClicked();
    void lockWidgetForListner();
    void unlockWidgetForListner();

signals:
    void ConnectButtonClicked(int code, char port, short address);
    void DisconnectButtonClicked();
    void Reconnect();
    void StartListnerButtonClicked(int code, char port, short address);
    void StopListnerButtonClicked();

private:
    int speedCode() const;
    char port() const;
    short address() const;
    void setControlsEnabled(bool enabled);
    void setListenerLock(bool locked);

    QLabel* m_portLabel = nullptr;
    QLabel* m_speedLabel = nullptr;
    QLabel* m_addressLabel = nullptr;
    QComboBox* m_port = nullptr;
    QComboBox* m_speed = nullptr;
    QLineEdit* m_address = nullptr;
    QPushButton* m_connect = nullptr;
    QPushButton* m_listener = nullptr;
    bool m_connected = false;
    bool m_listenerMayStart = true;
};
