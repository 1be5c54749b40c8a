#pragma once

// What the main-window tests share: sensors of the in-process emulator, a dialog responder,
// and reading the window as a user sees it.

#include "CommandLine.h"
#include "DeviceEntry.h"
#include "UserDialogs.h"
#include "mainwindow.h"

#include <LS7xEmulator.h>
#include <LS71Streamer.h>
#include <LS74Streamer.h>

#include <QComboBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

#include <algorithm>
#include <mutex>
#include <vector>

#include <csignal>
#include <sys/resource.h>

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

// The control requests one emulated sensor takes while the log lives, in order, each with
// whether the streamer of the window's entry for it was paused at that moment. Lives shorter
// than the entry.
class RequestLog
{
public:
    struct Request
    {
        quint16 command;
        bool streamerPaused;
    };

    RequestLog(VelaEmulator::Emulator& emulator, int sensor, const DeviceEntry& entry)
        : m_emulator(emulator)
        , m_sensor(sensor)
    {
        const VelaStreamer::LineStreamerBase* streamer = nullptr;
        entry.forStreamer([&streamer](const auto& s) { streamer = &s; });
        m_emulator.setRequestObserver(m_sensor, [this, streamer](uint16_t command) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.append({ command, streamer && streamer->isPaused() });
        });
    }
    ~RequestLog() { m_emulator.setRequestObserver(m_sensor, nullptr); }

    QList<Request> requests() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    void clear()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.clear();
    }

    static bool isResult(quint16 command)
    {
        return command == VelaProtocol::CmdGetResult || command == VelaProtocol::CmdGetImage
            || command == VelaProtocol::CmdGetPixels;
    }

    // Waits until the running streamer has asked for a result since the last clear().
    bool waitForRunningStream() const
    {
        return QTest::qWaitFor([this] { return runningResults(requests()) > 0; }, 10000);
    }

    // Runs the command while the streamer streams, then answers pausedAround for the requests
    // the command sends once the stream has had time to resume.
    QString runWhileStreaming(const std::function<void()>& command, const QList<quint16>& commands,
                              bool resumedAfter = true)
    {
        clear();
        if (!waitForRunningStream())
            return QStringLiteral("the streamer did not run before the command");
        command();
        (void)QTest::qWaitFor([&] { return pausedAround(commands, resumedAfter).isEmpty(); }, 5000);
        return pausedAround(commands, resumedAfter);
    }

    // Empty when the given commands reached the sensor back to back while the streamer was
    // paused, with results asked for by the running streamer before them and, when
    // resumedAfter, after them; otherwise what went wrong.
    QString pausedAround(const QList<quint16>& commands, bool resumedAfter = true) const
    {
        const QList<Request> log = requests();
        qsizetype first = -1;
        qsizetype last = -1;
        for (qsizetype i = 0; i < log.size(); ++i) {
            if (commands.contains(log[i].command)) {
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        if (first < 0)
            return QStringLiteral("the command did not reach the sensor");
        for (qsizetype i = first; i <= last; ++i) {
            if (isResult(log[i].command))
                return QStringLiteral("a result request came between the command's requests");
            if (!log[i].streamerPaused)
                return QStringLiteral("command %1 came while the streamer ran").arg(log[i].command);
        }
        if (runningResults(log.mid(0, first)) == 0)
            return QStringLiteral("the streamer did not run before the command");
        if (resumedAfter && runningResults(log.mid(last + 1)) == 0)
            return QStringLiteral("the streamer did not run after the command");
        return QString();
    }

private:
    static int runningResults(const QList<Request>& requests)
    {
        return int(std::count_if(requests.begin(), requests.end(), [](const Request& r) {
            return isResult(r.command) && !r.streamerPaused;
        }));
    }

    VelaEmulator::Emulator& m_emulator;
    const int m_sensor;
    mutable std::mutex m_mutex;
    QList<Request> m_requests;
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

// While it lives, no file of this process can grow beyond the given size: a write past it
// fails as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

inline QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

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
