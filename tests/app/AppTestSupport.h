#pragma once

// What the main-window tests share: sensors of the in-process emulator, a dialog responder,
// and reading the window as a user sees it.

#include "CommandLine.h"
#include "UserDialogs.h"
#include "mainwindow.h"

#include <LS7xEmulator.h>

#include <QComboBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

#include <vector>

// Emulated scanners on 127.0.0.1 with ports of their own; searches of this process find them.
class EmulatedSensors
{
public:
    explicit EmulatedSensors(std::vector<VelaEmulator::SensorSpec> sensors)
        : m_emulator(configFor(std::move(sensors)))
    {
    }

    bool start()
    {
        std::string error;
        if (!m_emulator.start(&error)) {
            qWarning("emulator: %s", error.c_str());
            return false;
        }
        qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(m_emulator.searchEndpoint()));
        return true;
    }

    VelaEmulator::Emulator& emulator() { return m_emulator; }

private:
    static VelaEmulator::EmulatorConfig configFor(std::vector<VelaEmulator::SensorSpec> sensors)
    {
        VelaEmulator::EmulatorConfig config = VelaEmulator::EmulatorConfig::forTests();
        config.sensors = std::move(sensors);
        return config;
    }

    VelaEmulator::Emulator m_emulator;
};

// Answers every modal dialog while it lives and keeps what was asked.
class DialogRecorder : public UserDialogs::Responder
{
public:
    DialogRecorder() { UserDialogs::setResponder(this); }
    ~DialogRecorder() override { UserDialogs::setResponder(nullptr); }

    QMessageBox::StandardButton answerMessage(const UserDialogs::Message& message) override
    {
        messages.append(message);
        if (onMessage)
            onMessage(message);
        return messageAnswer;
    }

    QString answerFile(const UserDialogs::FileRequest& request) override
    {
        fileRequests.append(request);
        return fileAnswer;
    }

    QList<UserDialogs::Message> messages;
    QList<UserDialogs::FileRequest> fileRequests;
    std::function<void(const UserDialogs::Message&)> onMessage;
    QMessageBox::StandardButton messageAnswer = QMessageBox::Ok;
    QString fileAnswer;
};

// Every message the status bar shows while it lives, in order: later steps may replace a
// message before a test gets to read it.
class StatusLog
{
public:
    explicit StatusLog(MainWindow& window)
    {
        m_connection = QObject::connect(window.statusBar(), &QStatusBar::messageChanged,
                                        [this](const QString& message) {
                                            if (!message.isEmpty())
                                                messages.append(message);
                                        });
    }
    ~StatusLog() { QObject::disconnect(m_connection); }

    QStringList messages;

private:
    QMetaObject::Connection m_connection;
};

template <class Widget>
Widget* widget(const QWidget& window, const char* name)
{
    Widget* found = window.findChild<Widget*>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s in the window", name);
    return found;
}

inline QString statusText(MainWindow& window)
{
    return window.statusBar()->currentMessage();
}

inline QString cellText(const MainWindow& window, int row, int column)
{
    const QTableWidgetItem* item = widget<QTableWidget>(window, "tableDeviceList")->item(row, column);
    return item ? item->text() : QString();
}

// The table row of the sensor with this serial number, -1 when it is not listed.
inline int rowOfSerial(const MainWindow& window, quint32 serial)
{
    const QTableWidget* table = widget<QTableWidget>(window, "tableDeviceList");
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 1)->text() == QString::number(serial))
            return row;
    }
    return -1;
}

inline QStringList comboItems(const MainWindow& window, const char* name)
{
    const QComboBox* combo = widget<QComboBox>(window, name);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// Clicks Search and waits until the search has reported its result.
inline bool searchAndWait(MainWindow& window)
{
    QPushButton* search = widget<QPushButton>(window, "buttonSearch");
    search->click();
    return QTest::qWaitFor([&] { return search->isEnabled() && statusText(window) != "Searching..."; },
                           15000);
}

inline bool waitForCell(const MainWindow& window, int row, int column, const QString& text)
{
    return QTest::qWaitFor([&] { return cellText(window, row, column) == text; }, 15000);
}
