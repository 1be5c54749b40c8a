#include <QtTest>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AllConfigWidget.h"

#include <memory>
#include <vector>

namespace {

QGroupBox* group(AllConfigWidget& panel, const QString& title)
{
    for (QGroupBox* box : panel.findChildren<QGroupBox*>()) {
        if (box->title() == title)
            return box;
    }
    return nullptr;
}

// A caption as it reads: without the soft hyphens that let it break.
QString shown(QString caption)
{
    return caption.remove(QChar(0x00AD));
}

// The control standing right of the label `label` in group `title`.
template <typename Control>
Control* control(AllConfigWidget& panel, const QString& title, const QString& label)
{
    QGroupBox* box = group(panel, title);
    if (!box)
        return nullptr;
    for (QLabel* text : box->findChildren<QLabel*>()) {
        if (shown(text->text()) != shown(label))
            continue;
        for (Control* candidate : box->findChildren<Control*>()) {
            if (candidate->y() == text->y() && candidate->x() >= text->geometry().right())
                return candidate;
        }
    }
    return nullptr;
}

QPushButton* button(AllConfigWidget& panel, const QString& text)
{
    for (QPushButton* candidate : panel.findChildren<QPushButton*>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

QStringList itemTexts(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// A user picks item `index` from the keyboard, starting at its neighbour.
void pickByKeyboard(QComboBox* combo, int index)
{
    const bool fromAbove = index > 0;
    combo->setCurrentIndex(fromAbove ? index - 1 : index + 1);
    QTest::keyClick(combo, fromAbove ? Qt::Key_Down : Qt::Key_Up);
}

void typeAndConfirm(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// One spy on every signal the panel declares.
std::vector<std::unique_ptr<QSignalSpy>> spyOnAllSignals(AllConfigWidget& panel)
{
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    const QMetaObject& meta = AllConfigWidget::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            spies.push_back(std::make_unique<QSignalSpy>(&panel, meta.method(i)));
    }
    return spies;
}

} // namespace

class TestAllConfig : public QObject
{
    Q_OBJECT
private slots:
    void startsDisabledWithPanelFont();
    void groupsArePlaced_data();
    void groupsArePlaced();
    void buttonsBelowLogicGroup();
    void comboItems_data();
    void comboItems();
    void editsEmitConvertedText_data();
    void editsEmitConvertedText();
    void combosEmitOnUserChoice_data();
    void combosEmitOnUserChoice();
    void sameChoiceAgainEmitsAgain();
    void baudRateCodes_data();
    void baudRateCodes();
    void settersShowFormattedValues();
    void settersEmitNothing();
    void buttonsAndAdapterEmit();
};

void TestAllConfig::startsDisabledWithPanelFont()
{
    AllConfigWidget panel;
    QVERIFY(!panel.isEnabled());
    QCOMPARE(panel.font().family(), QStringLiteral("MS Shell Dlg 2"));
    QCOMPARE(panel.font().pointSize(), 8);
    QVERIFY(!control<QLineEdit>(panel, "I/O Logik Eigenschaften", "Control Byte")->isEnabled());
    for (QLineEdit* edit : panel.findChildren<QLineEdit*>())
        QCOMPARE(edit->alignment(), Qt::AlignCenter);
}

void TestAllConfig::groupsArePlaced_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("rows");

    QTest::newRow("synch") << "Synchronisationswerte" << QRect(0, 0, 255, 80) << 2;
    QTest::newRow("serial") << "Serialporteigenschaften" << QRect(261, 0, 223, 110) << 3;
    QTest::newRow("analog") << "Eigenschaften fuer Analogausgang" << QRect(0, 85, 255, 120) << 3;
    QTest::newRow("limit") << "Nennwert vom Limit" << QRect(261, 115, 223, 110) << 3;
    QTest::newRow("logic") << "I/O Logik Eigenschaften" << QRect(261, 230, 223, 135) << 4;
    QTest::newRow("measure") << "Messeigenschaften" << QRect(0, 205, 255, 200) << 6;
    QTest::newRow("ethernet") << "Etherneteigenschaften" << QRect(490, 0, 255, 270) << 8;
}

void TestAllConfig::groupsArePlaced()
{
    QFETCH(QString, title);
    QFETCH(QRect, geometry);
    QFETCH(int, rows);

    AllConfigWidget panel;
    QGroupBox* box = group(panel, title);
    QVERIFY(box);
    QCOMPARE(box->geometry(), geometry);

    QList<QLabel*> labels = box->findChildren<QLabel*>();
    QCOMPARE(labels.size(), rows);
    std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) { return a->y() < b->y(); });
    QCOMPARE(labels.first()->pos(), QPoint(10, 20));
    for (QLabel* label : labels) {
        QCOMPARE(label->x(), 10);
        QVERIFY(label->geometry().bottom() < box->height());
        const bool hasControl = control<QComboBox>(panel, title, label->text())
            || control<QLineEdit>(panel, title, label->text());
        QVERIFY2(hasControl, qPrintable(label->text()));
    }
    for (int i = 1; i < labels.size(); ++i)
        QVERIFY(labels.at(i)->y() >= labels.at(i - 1)->geometry().bottom());
}

void TestAllConfig::buttonsBelowLogicGroup()
{
    AllConfigWidget panel;
    QPushButton* save = button(panel, "ins Flash speichern");
    QPushButton* restore = button(panel, "Default widerstellen");
    QVERIFY(save && restore);
    QCOMPARE(save->geometry(), QRect(261, 365, 110, 45));
    QCOMPARE(restore->geometry(), QRect(374, 365, 110, 45));
    QCOMPARE(control<QLineEdit>(panel, "Messeigenschaften", "Mittelungwert")->size(), QSize(40, 20));
    QCOMPARE(control<QComboBox>(panel, "Serialporteigenschaften", "Baudrate")->width(), 94);
    QVERIFY(control<QLineEdit>(panel, "Nennwert vom Limit", "Nennwert")->width() <= 100);
    QVERIFY(control<QComboBox>(panel, "Etherneteigenschaften", "Pakettyp")->minimumWidth() >= 130);
}

void TestAllConfig::comboItems_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("items");

    const QStringList off3 = {"Schalter aus", "Asynchronous", "Synchrone"};
    const QStringList levels = {"Low Level aktiv", "High Level aktiv"};
    const QStringList onOff = {"Schalter aus", "Schalter ein"};
    QTest::newRow("synch") << "Synchronisationswerte" << "Synchronisationstyp"
                           << QStringList{"Schalter aus", "Interner Timer", "Externer Timer"};
    QTest::newRow("uart") << "Serialporteigenschaften" << "Synchronisationstyp" << off3;
    QTest::newRow("analog") << "Eigenschaften fuer Analogausgang" << "Synchronisationstyp" << off3;
    QTest::newRow("ethernet") << "Etherneteigenschaften" << "Synchronisationstyp" << off3;
    QTest::newRow("pass") << "I/O Logik Eigenschaften" << "PASS Signal" << levels;
    QTest::newRow("up") << "I/O Logik Eigenschaften" << "Signallimit nach oben" << levels;
    QTest::newRow("low") << "I/O Logik Eigenschaften" << "Signallimit nach unten" << levels;
    QTest::newRow("laser") << "Messeigenschaften" << "Laserzustand" << onOff;
    QTest::newRow("averaging") << "Messeigenschaften" << "Mittelungart" << onOff;
    QTest::newRow("result") << "Messeigenschaften" << "Ergebnistyp"
        << QStringList{"Kantestelle", "Diametr/ Position", "Position", "Grenzabmass A",
                       "Grenzabmass B", "Ganzes Objekt"};
    QTest::newRow("packet") << "Etherneteigenschaften" << "Pakettyp" << QStringList{"MAC", "IP/UDP"};
}

void TestAllConfig::comboItems()
{
    QFETCH(QString, title);
    QFETCH(QString, label);
    QFETCH(QStringList, items);

    AllConfigWidget panel;
    QComboBox* combo = control<QComboBox>(panel, title, label);
    QVERIFY(combo);
    QCOMPARE(itemTexts(combo), items);
    for (int i = 0; i < combo->count(); ++i)
        QCOMPARE(combo->itemData(i).toInt(), i);
}

void TestAllConfig::editsEmitConvertedText_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("address keeps low byte") << "Serialporteigenschaften" << "Netzadresse" << "300"
        << QByteArray(SIGNAL(UartNetAddressDefined(char))) << QVariant::fromValue(char(44));
    QTest::newRow("period") << "Synchronisationswerte" << "Auswertungzeitraum" << "65000"
        << QByteArray(SIGNAL(SamplePeriodDefined(unsigned short))) << QVariant::fromValue(ushort(65000));
    QTest::newRow("not a number") << "Synchronisationswerte" << "Auswertungzeitraum" << "abc"
        << QByteArray(SIGNAL(SamplePeriodDefined(unsigned short))) << QVariant::fromValue(ushort(0));
    QTest::newRow("range begin") << "Eigenschaften fuer Analogausgang" << "Minimalwert" << "-20"
        << QByteArray(SIGNAL(AnalogOutRangeBeginDefined(int))) << QVariant(-20);
    QTest::newRow("range end") << "Eigenschaften fuer Analogausgang" << "Maximalwert" << "100000"
        << QByteArray(SIGNAL(AnalogOutRangeEndDefined(int))) << QVariant(100000);
    QTest::newRow("zero point") << "Nennwert vom Limit" << "Nennwert" << "5000"
        << QByteArray(SIGNAL(ZeroPointDefined(int))) << QVariant(5000);
    QTest::newRow("down limit") << "Nennwert vom Limit" << "Untere Begrenzung" << "12"
        << QByteArray(SIGNAL(DownLimitDefined(int))) << QVariant(12);
    QTest::newRow("up limit") << "Nennwert vom Limit" << "Obere Begrenzung" << "13"
        << QByteArray(SIGNAL(UpLimitDefined(int))) << QVariant(13);
    QTest::newRow("average count") << "Messeigenschaften" << "Mittelungwert" << "-5"
        << QByteArray(SIGNAL(AverageCountDefined(short))) << QVariant::fromValue(short(-5));
    QTest::newRow("quantity keeps low byte") << "Etherneteigenschaften" << "Paketbearbeitung" << "511"
        << QByteArray(SIGNAL(MeasureQuantityDefined(unsigned char))) << QVariant::fromValue(uchar(255));
    QTest::newRow("mac as typed") << "Etherneteigenschaften" << "Empfaenger MAC" << "00-1b-21-0a-bc-01"
        << QByteArray(SIGNAL(DestinationMacDefined(QString))) << QVariant("00-1b-21-0a-bc-01");
    QTest::newRow("mask as typed") << "Etherneteigenschaften" << "Subnet MASK" << "255.255.0.0"
        << QByteArray(SIGNAL(SubnetMaskDefined(QString))) << QVariant("255.255.0.0");
    QTest::newRow("source ip") << "Etherneteigenschaften" << "Sender IP" << "10.0.0.1"
        << QByteArray(SIGNAL(SourceIPDefined(QString))) << QVariant("10.0.0.1");
    QTest::newRow("dest ip") << "Etherneteigenschaften" << "Empfaenger IP" << "10.0.0.2"
        << QByteArray(SIGNAL(DestIPDefined(QString))) << QVariant("10.0.0.2");
}

void TestAllConfig::editsEmitConvertedText()
{
    QFETCH(QString, title);
    QFETCH(QString, label);
    QFETCH(QString, typed);
    QFETCH(QByteArray, signal);
    QFETCH(QVariant, expected);

    AllConfigWidget panel;
    panel.setEnabled(true);
    QLineEdit* edit = control<QLineEdit>(panel, title, label);
    QVERIFY(edit);
    QSignalSpy spy(&panel, signal.constData());
    typeAndConfirm(edit, typed);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first(), expected);
}

void TestAllConfig::combosEmitOnUserChoice_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("synch") << "Synchronisationswerte" << "Synchronisationstyp" << 2
        << QByteArray(SIGNAL(SynchTypeSelected(char))) << QVariant::fromValue(char(2));
    QTest::newRow("uart synch") << "Serialporteigenschaften" << "Synchronisationstyp" << 1
        << QByteArray(SIGNAL(UartSynchTypeSelected(char))) << QVariant::fromValue(char(1));
    QTest::newRow("analog synch") << "Eigenschaften fuer Analogausgang" << "Synchronisationstyp" << 0
        << QByteArray(SIGNAL(AnalogSynchSelected(char))) << QVariant::fromValue(char(0));
    QTest::newRow("pass high") << "I/O Logik Eigenschaften" << "PASS Signal" << 1
        << QByteArray(SIGNAL(IoLogicPassSignalSelected(bool))) << QVariant(true);
    QTest::newRow("up low") << "I/O Logik Eigenschaften" << "Signallimit nach oben" << 0
        << QByteArray(SIGNAL(IoLogicUPLimitSignalSelected(bool))) << QVariant(false);
    QTest::newRow("down high") << "I/O Logik Eigenschaften" << "Signallimit nach unten" << 1
        << QByteArray(SIGNAL(IoLogicLowLimitSignalSelected(bool))) << QVariant(true);
    QTest::newRow("laser") << "Messeigenschaften" << "Laserzustand" << 1
        << QByteArray(SIGNAL(LaserPowerStateSelected(char))) << QVariant::fromValue(char(1));
    QTest::newRow("averaging") << "Messeigenschaften" << "Mittelungart" << 1
        << QByteArray(SIGNAL(AveragingStateSelected(char))) << QVariant::fromValue(char(1));
    QTest::newRow("result") << "Messeigenschaften" << "Ergebnistyp" << 5
        << QByteArray(SIGNAL(ResultTypeSelected(char))) << QVariant::fromValue(char(5));
    QTest::newRow("border a") << "Messeigenschaften" << "Grenzabmass A" << 127
        << QByteArray(SIGNAL(ABorderNumberDefined(char))) << QVariant::fromValue(char(127));
    QTest::newRow("border b") << "Messeigenschaften" << "Grenzabmass B" << 64
        << QByteArray(SIGNAL(BBorderNumberDefined(char))) << QVariant::fromValue(char(64));
    QTest::newRow("eth synch") << "Etherneteigenschaften" << "Synchronisationstyp" << 2
        << QByteArray(SIGNAL(EthSynchTypeSelected(char))) << QVariant::fromValue(char(2));
    QTest::newRow("packet") << "Etherneteigenschaften" << "Pakettyp" << 1
        << QByteArray(SIGNAL(EthPackTypeSelected(char))) << QVariant::fromValue(char(1));
}

void TestAllConfig::combosEmitOnUserChoice()
{
    QFETCH(QString, title);
    QFETCH(QString, label);
    QFETCH(int, index);
    QFETCH(QByteArray, signal);
    QFETCH(QVariant, expected);

    AllConfigWidget panel;
    panel.setEnabled(true);
    QComboBox* combo = control<QComboBox>(panel, title, label);
    QVERIFY(combo);
    QSignalSpy spy(&panel, signal.constData());
    pickByKeyboard(combo, index);
    QCOMPARE(combo->currentIndex(), index);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first(), expected);
}

void TestAllConfig::sameChoiceAgainEmitsAgain()
{
    AllConfigWidget panel;
    panel.setEnabled(true);
    QComboBox* combo = control<QComboBox>(panel, "Messeigenschaften", "Ergebnistyp");
    QSignalSpy spy(&panel, &AllConfigWidget::ResultTypeSelected);
    panel.setResultType(3);
    QCOMPARE(spy.size(), 0);
    // The popup reports a choice even when it is the current item.
    emit combo->activated(3);
    emit combo->activated(3);
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).first().value<char>(), char(3));
}

void TestAllConfig::baudRateCodes_data()
{
    QTest::addColumn<short>("code");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<short>("emitted"); // when the user picks the shown item

    QTest::newRow("9600") << short(4) << "9600" << short(4);
    QTest::newRow("115200") << short(48) << "115200" << short(48);
    QTest::newRow("230400") << short(96) << "230400" << short(96);
    QTest::newRow("460800") << short(192) << "460800" << short(192);
    QTest::newRow("921600") << short(384) << "921600" << short(384);
    QTest::newRow("unknown code taken as index") << short(2) << "230400" << short(96);
}

void TestAllConfig::baudRateCodes()
{
    QFETCH(short, code);
    QFETCH(QString, shown);
    QFETCH(short, emitted);

    AllConfigWidget panel;
    panel.setEnabled(true);
    QComboBox* combo = control<QComboBox>(panel, "Serialporteigenschaften", "Baudrate");
    QSignalSpy spy(&panel, &AllConfigWidget::UartBaundrateSelected);
    panel.setUartBaundrate(code);
    QCOMPARE(combo->currentText(), shown);
    QCOMPARE(spy.size(), 0);
    pickByKeyboard(combo, combo->currentIndex());
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first().value<short>(), emitted);
}

void TestAllConfig::settersShowFormattedValues()
{
    AllConfigWidget panel;
    auto edit = [&](const char* title, const char* label) {
        return control<QLineEdit>(panel, title, label)->text();
    };

    panel.setLogicControlByte(char(0x81));
    QCOMPARE(edit("I/O Logik Eigenschaften", "Control Byte"), QStringLiteral("10000001"));
    panel.setLogicControlByte(char(0x06));
    QCOMPARE(edit("I/O Logik Eigenschaften", "Control Byte"), QStringLiteral("00000110"));

    const uchar mac[6] = {0x00, 0x1b, 0x0a, 0xff, 0x10, 0x02};
    panel.setDestMAC(mac);
    QCOMPARE(edit("Etherneteigenschaften", "Empfaenger MAC"), QStringLiteral("00-1b-0a-ff-10-02"));

    panel.setSubnetMask(0xFFFFFF00);
    QCOMPARE(edit("Etherneteigenschaften", "Subnet MASK"), QStringLiteral("255.255.255.0"));
    panel.setSourceIP(0x0302010A);
    QCOMPARE(edit("Etherneteigenschaften", "Sender IP"), QStringLiteral("10.1.2.3"));
    panel.setDestIP(0xC801A8C0);
    QCOMPARE(edit("Etherneteigenschaften", "Empfaenger IP"), QStringLiteral("192.168.1.200"));

    panel.setDownLimit(-1200);
    QCOMPARE(edit("Nennwert vom Limit", "Untere Begrenzung"), QStringLiteral("-1200"));
    panel.setAnalogOutRangeEnd(4000000000u);
    QCOMPARE(edit("Eigenschaften fuer Analogausgang", "Maximalwert"), QStringLiteral("4000000000"));

    panel.setABorderNumber(100);
    QCOMPARE(control<QComboBox>(panel, "Messeigenschaften", "Grenzabmass A")->currentText(),
             QStringLiteral("100"));
    panel.setEthPackType(1);
    QCOMPARE(control<QComboBox>(panel, "Etherneteigenschaften", "Pakettyp")->currentText(),
             QStringLiteral("IP/UDP"));
}

void TestAllConfig::settersEmitNothing()
{
    AllConfigWidget panel;
    panel.setEnabled(true);
    const auto spies = spyOnAllSignals(panel);
    QCOMPARE(int(spies.size()), 31);

    const uchar mac[6] = {1, 2, 3, 4, 5, 6};
    panel.setSynchType(1);
    panel.setUartSynchType(2);
    panel.setAnalogSynch(1);
    panel.setLaserPowerState(1);
    panel.setAveragingState(1);
    panel.setResultType(4);
    panel.setABorderNumber(5);
    panel.setBBorderNumber(6);
    panel.setEthSynchType(2);
    panel.setEthPackType(1);
    panel.setUartBaundrate(192);
    panel.setSamplePeriod(10);
    panel.setUartNetAddress(7);
    panel.setAverageCount(8);
    panel.setAnalogOutRangeBegin(1);
    panel.setAnalogOutRangeEnd(2);
    panel.setZeroPoint(3);
    panel.setDownLimit(4);
    panel.setUpLimit(5);
    panel.setMeasureQuantity(6);
    panel.setLogicControlByte(7);
    panel.setDestMAC(mac);
    panel.setSubnetMask(0xFFFF0000);
    panel.setSourceIP(1);
    panel.setDestIP(2);
    panel.addAdapterName(QStringLiteral("eth0"));

    for (const auto& spy : spies)
        QVERIFY2(spy->isEmpty(), spy->signal().constData());
}

void TestAllConfig::buttonsAndAdapterEmit()
{
    AllConfigWidget panel;
    panel.setEnabled(true);
    QSignalSpy save(&panel, &AllConfigWidget::SaveToFlashBtnClicked);
    QSignalSpy restore(&panel, &AllConfigWidget::RestoreFromFlashBtnClicked);
    QSignalSpy adapter(&panel, &AllConfigWidget::AdapterNameSelected);

    QTest::mouseClick(button(panel, "ins Flash speichern"), Qt::LeftButton);
    QCOMPARE(save.size(), 1);
    QCOMPARE(restore.size(), 0);
    QTest::mouseClick(button(panel, "Default widerstellen"), Qt::LeftButton);
    QCOMPARE(restore.size(), 1);

    panel.addAdapterName(QStringLiteral("eth0"));
    panel.addAdapterName(QStringLiteral("wlan0"));
    QComboBox* combo = control<QComboBox>(panel, "Etherneteigenschaften", QString::fromUtf8("Adàpter waehlen"));
    QVERIFY(combo);
    QCOMPARE(combo->itemData(1).toString(), QStringLiteral("wlan0"));
    pickByKeyboard(combo, 1);
    QCOMPARE(adapter.size(), 1);
    QCOMPARE(adapter.first().first().toInt(), 1);
}

QTEST_MAIN(TestAllConfig)
#include "tst_allconfig.moc"
