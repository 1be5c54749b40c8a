#include <QtTest>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "deviceListWidget.h"

namespace {

struct Controls
{
    explicit Controls(deviceListWidget& panel)
    {
        QList<QComboBox*> combos = panel.findChildren<QComboBox*>();
        std::sort(combos.begin(), combos.end(), [](QComboBox* a, QComboBox* b) { return a->y() < b->y(); });
        port = combos.value(0);
        speed = combos.value(1);
        address = panel.findChild<QLineEdit*>();
        for (QPushButton* button : panel.findChildren<QPushButton*>())
            (button->x() < 100 ? connect : listener) = button;
        labels = panel.findChildren<QLabel*>();
    }
    QComboBox* port = nullptr;
    QComboBox* speed = nullptr;
    QLineEdit* address = nullptr;
    QPushButton* connect = nullptr;
    QPushButton* listener = nullptr;
    QList<QLabel*> labels;
};

} // namespace

class TestDeviceList : public QObject
{
    Q_OBJECT
private slots:
    void layoutAndStart();
    void connectSendsChoice_data();
    void connectSendsChoice();
    void connectedButtonDisconnects();
    void reconnectActsLikeTheButton();
    void listenerLock();
    void setConnectionSpeed_data();
    void setConnectionSpeed();
};

void TestDeviceList::layoutAndStart()
{
    deviceListWidget panel;
    Controls c(panel);
    QCOMPARE(panel.findChild<QGroupBox*>()->size(), QSize(250, 150));
    QCOMPARE(panel.font().family(), QStringLiteral("MS Shell Dlg 2"));
    QCOMPARE(c.labels.size(), 3);
    for (QWidget* control : {static_cast<QWidget*>(c.port), static_cast<QWidget*>(c.speed),
                             static_cast<QWidget*>(c.address)}) {
        auto label = std::find_if(c.labels.begin(), c.labels.end(),
                                  [&](QLabel* l) { return l->y() == control->y(); });
        QVERIFY(label != c.labels.end());
        QCOMPARE(control->x() - (*label)->x(), 150);
    }
    QStringList speeds;
    for (int i = 0; i < c.speed->count(); ++i)
        speeds << c.speed->itemText(i);
    QCOMPARE(speeds, QStringList({"9600", "115200", "230400", "460800", "921600"}));
    QCOMPARE(c.address->text(), QStringLiteral("1"));
    QCOMPARE(c.address->size(), QSize(64, 20));
    QCOMPARE(c.address->alignment(), Qt::AlignCenter);
    QCOMPARE(c.connect->text(), QStringLiteral("Verbinden"));
    QCOMPARE(c.listener->text(), QStringLiteral("Serial Listner starten"));
    QCOMPARE(c.listener->size(), QSize(105, 23));
}

void TestDeviceList::connectSendsChoice_data()
{
    QTest::addColumn<int>("speedIndex");
    QTest::addColumn<int>("portNumber"); // -1: no port listed
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("sentAddress");

    QTest::newRow("115200 on port 3") << 1 << 3 << "12" << 48 << 3 << 12;
    QTest::newRow("9600") << 0 << 1 << "1" << 4 << 1 << 1;
    QTest::newRow("921600") << 4 << 7 << "247" << 384 << 7 << 247;
    QTest::newRow("address not a number") << 2 << 5 << "x1" << 96 << 5 << 0;
    QTest::newRow("no port") << 3 << -1 << "2" << 192 << 0 << 2;
}

void TestDeviceList::connectSendsChoice()
{
    QFETCH(int, speedIndex);
    QFETCH(int, portNumber);
    QFETCH(QString, address);
    QFETCH(int, code);
    QFETCH(int, port);
    QFETCH(int, sentAddress);

    deviceListWidget panel;
    Controls c(panel);
    panel.addCOMPort(QStringLiteral("COM1"), 1);
    if (portNumber >= 0) {
        panel.addCOMPort(QStringLiteral("COM%1").arg(portNumber), portNumber);
        c.port->setCurrentIndex(1);
    } else {
        c.port->clear();
    }
    c.speed->setCurrentIndex(speedIndex);
    c.address->setText(address);

    QSignalSpy connectSpy(&panel, &deviceListWidget::ConnectButtonClicked);
    QSignalSpy listenSpy(&panel, &deviceListWidget::StartListnerButtonClicked);
    QTest::mouseClick(c.connect, Qt::LeftButton);
    QTest::mouseClick(c.listener, Qt::LeftButton);
    for (QSignalSpy* spy : {&connectSpy, &listenSpy}) {
        QCOMPARE(spy->size(), 1);
        const QList<QVariant> args = spy->first();
        QCOMPARE(args.at(0).toInt(), code);
        QCOMPARE(int(args.at(1).value<char>()), port);
        QCOMPARE(int(args.at(2).value<short>()), sentAddress);
    }
}

void TestDeviceList::connectedButtonDisconnects()
{
    deviceListWidget panel;
    Controls c(panel);
    QSignalSpy connectSpy(&panel, &deviceListWidget::ConnectButtonClicked);
    QSignalSpy disconnectSpy(&panel, &deviceListWidget::DisconnectButtonClicked);

    panel.setConnectionState(true);
    QCOMPARE(c.connect->text(), QStringLiteral("Trennen"));
    QVERIFY(!c.port->isEnabled() && !c.speed->isEnabled() && !c.address->isEnabled());
    QTest::mouseClick(c.connect, Qt::LeftButton);
    QCOMPARE(disconnectSpy.size(), 1);
    QCOMPARE(connectSpy.size(), 0);

    panel.setConnectionState(false);
    QCOMPARE(c.connect->text(), QStringLiteral("Verbinden"));
    QVERIFY(c.port->isEnabled() && c.speed->isEnabled() && c.address->isEnabled());
    QTest::mouseClick(c.connect, Qt::LeftButton);
    QCOMPARE(connectSpy.size(), 1);
    QCOMPARE(disconnectSpy.size(), 1);

    panel.setConnectButtonText("Neu verbinden");
    QCOMPARE(c.connect->text(), QStringLiteral("Neu verbinden"));
}

void TestDeviceList::reconnectActsLikeTheButton()
{
    deviceListWidget panel;
    QSignalSpy connectSpy(&panel, &deviceListWidget::ConnectButtonClicked);
    panel.setNetAddress(33);
    emit panel.Reconnect();
    QCOMPARE(connectSpy.size(), 1);
    QCOMPARE(connectSpy.first().at(2).value<short>(), short(33));
}

void TestDeviceList::listenerLock()
{
    deviceListWidget panel;
    Controls c(panel);
    QSignalSpy startSpy(&panel, &deviceListWidget::StartListnerButtonClicked);
    QSignalSpy stopSpy(&panel, &deviceListWidget::StopListnerButtonClicked);

    panel.lockWidgetForListner();
    QCOMPARE(c.listener->text(), QStringLiteral("Serial Listner stoppen"));
    for (QWidget* w : {static_cast<QWidget*>(c.port), static_cast<QWidget*>(c.speed),
                       static_cast<QWidget*>(c.address), static_cast<QWidget*>(c.connect)})
        QVERIFY(!w->isEnabled());
    for (QLabel* label : c.labels)
        QVERIFY(!label->isEnabled());
    QVERIFY(c.listener->isEnabled());
    QTest::mouseClick(c.listener, Qt::LeftButton);
    QCOMPARE(stopSpy.size(), 1);
    QCOMPARE(startSpy.size(), 0);

    panel.unlockWidgetForListner();
    QCOMPARE(c.listener->text(), QStringLiteral("Serial Listner starten"));
    QVERIFY(c.connect->isEnabled() && c.address->isEnabled() && c.labels.first()->isEnabled());
    QTest::mouseClick(c.listener, Qt::LeftButton);
    QCOMPARE(startSpy.size(), 1);
    QCOMPARE(stopSpy.size(), 1);
}

void TestDeviceList::setConnectionSpeed_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("shown");
    QTest::newRow("4") << 4 << "9600";
    QTest::newRow("48") << 48 << "115200";
    QTest::newRow("96") << 96 << "230400";
    QTest::newRow("192") << 192 << "460800";
    QTest::newRow("384") << 384 << "921600";
    QTest::newRow("unknown code taken as index") << 3 << "460800";
}

void TestDeviceList::setConnectionSpeed()
{
    QFETCH(int, code);
    QFETCH(QString, shown);

    deviceListWidget panel;
    Controls c(panel);
    QSignalSpy connectSpy(&panel, &deviceListWidget::ConnectButtonClicked);
    panel.setConnectionSpeed(code);
    QCOMPARE(c.speed->currentText(), shown);
    QCOMPARE(connectSpy.size(), 0);
    QTest::mouseClick(c.connect, Qt::LeftButton);
    QCOMPARE(connectSpy.first().first().toInt(), shown.toInt() / 2400);
}

QTEST_MAIN(TestDeviceList)
#include "tst_devicelist.moc"
