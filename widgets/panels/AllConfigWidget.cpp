#include "AllConfigWidget.h"

#include "PanelHelpers.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int groupGap = 6;      // between groups side by side
constexpr int stackGap = 5;      // between groups stacked
constexpr int firstRowX = 10;    // also the margin right of the controls
constexpr int firstRowY = 20;
constexpr int rowPitch = 26;
constexpr int rowHeight = 22;
constexpr int labelGap = 3;
constexpr int wideControl = 130;
constexpr int narrowControl = 100;
constexpr int baudrateWidth = 94;

// The controls of a group stand in one column that ends as far from the group's right edge as
// the captions start from its left; the captions take the width left of it.
int controlColumn(const QGroupBox* group, int widestControl)
{
    return group->width() - firstRowX - widestControl;
}

QComboBox* makeCombo(const QStringList& items)
{
    auto* combo = new QComboBox();
    for (int i = 0; i < items.size(); ++i)
        combo->addItem(items.at(i), i);
    return combo;
}

QLineEdit* makeEdit()
{
    auto* edit = new QLineEdit();
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

// Puts a caption into row `row` of a group and its control right of it. The long compound
// captions carry soft hyphens (U+00AD), so they can break where a group is narrow.
void placeRow(QGroupBox* group, int row, const QString& text, QWidget* control,
              int controlX, int controlWidth)
{
    const int y = firstRowY + row * rowPitch;
    VelaPanels::addCaption(group, text, firstRowX, y, controlX - firstRowX - labelGap, rowHeight);
    control->setParent(group);
    control->setGeometry(controlX, y, controlWidth, rowHeight);
}

void placeWide(QGroupBox* group, int row, const QString& text, QWidget* control)
{
    control->setMinimumWidth(wideControl);
    placeRow(group, row, text, control, controlColumn(group, wideControl), wideControl);
}

void placeLimited(QGroupBox* group, int row, const QString& text, QWidget* control)
{
    control->setMaximumWidth(narrowControl);
    placeRow(group, row, text, control, controlColumn(group, narrowControl), narrowControl);
}

QString decimal(qlonglong value)
{
    return QString::number(value);
}

} // namespace

AllConfigWidget::AllConfigWidget(QWidget* parent)
    : QWidget(parent)
{
    setFont(VelaPanels::panelFont());

    auto* synch = new QGroupBox(tr("Synchronisationswerte"), this);
    synch->resize(255, 80);
    auto* serial = new QGroupBox(tr("Serialporteigenschaften"), this);
    serial->setGeometry(synch->x() + synch->width() + groupGap, synch->y(), 223, 110);
    auto* analog = new QGroupBox(tr("Eigenschaften fuer Analogausgang"), this);
    analog->setGeometry(synch->x(), synch->y() + synch->height() + stackGap, 255, 120);
    auto* limit = new QGroupBox(tr("Nennwert vom Limit"), this);
    limit->setGeometry(analog->x() + analog->width() + groupGap,
                       serial->y() + serial->height() + stackGap, 223, 110);
    auto* logic = new QGroupBox(tr("I/O Logik Eigenschaften"), this);
    logic->setGeometry(limit->x(), limit->y() + limit->height() + stackGap, 223, 135);
    auto* measure = new QGroupBox(tr("Messeigenschaften"), this);
    measure->setGeometry(analog->x(), analog->y() + analog->height(), 255, 200);
    auto* ethernet = new QGroupBox(tr("Etherneteigenschaften"), this);
    ethernet->setGeometry(serial->x() + serial->width() + groupGap, synch->y(), 255, 270);

    buildSynchGroup(synch);
    buildSerialGroup(serial);
    buildAnalogGroup(analog);
    buildLimitGroup(limit);
    buildLogicGroup(logic);
    buildMeasureGroup(measure);
    buildEthernetGroup(ethernet);
    buildButtons(logic);
    wireSignals();

    setEnabled(false);
}

void AllConfigWidget::buildSynchGroup(QGroupBox* group)
{
    m_synchType = makeCombo({tr("Schalter aus"), tr("Interner Timer"), tr("Externer Timer")});
    placeWide(group, 0, tr("Synchroni\u00ADsations\u00ADtyp"), m_synchType);
    m_samplePeriod = makeEdit();
    placeWide(group, 1, tr("Auswertung\u00ADzeitraum"), m_samplePeriod);
}

void AllConfigWidget::buildSerialGroup(QGroupBox* group)
{
    const int controlX = controlColumn(group, wideControl);
    m_uartSynchType = makeCombo({tr("Schalter aus"), tr("Asynchronous"), tr("Synchrone")});
    m_uartSynchType->setMinimumWidth(wideControl);
    placeRow(group, 0, tr("Synchroni\u00ADsations\u00ADtyp"), m_uartSynchType, controlX, wideControl);

    m_uartBaudrate = new QComboBox();
    for (const QString& rate : VelaPanels::serialSpeeds())
        m_uartBaudrate->addItem(rate, VelaPanels::speedCode(rate));
    m_uartBaudrate->setMinimumWidth(baudrateWidth);
    placeRow(group, 1, tr("Baudrate"), m_uartBaudrate, controlX, baudrateWidth);

    m_uartNetAddress = makeEdit();
    m_uartNetAddress->setMinimumWidth(wideControl);
    placeRow(group, 2, tr("Netzadresse"), m_uartNetAddress, controlX, wideControl);
}

void AllConfigWidget::buildAnalogGroup(QGroupBox* group)
{
    m_analogSynch = makeCombo({tr("Schalter aus"), tr("Asynchronous"), tr("Synchrone")});
    placeWide(group, 0, tr("Synchroni\u00ADsations\u00ADtyp"), m_analogSynch);
    m_analogOutRangeBegin = makeEdit();
    placeWide(group, 1, tr("Minimalwert"), m_analogOutRangeBegin);
    m_analogOutRangeEnd = makeEdit();
    placeWide(group, 2, tr("Maximalwert"), m_analogOutRangeEnd);
}

void AllConfigWidget::buildLimitGroup(QGroupBox* group)
{
    m_zeroPoint = makeEdit();
    placeLimited(group, 0, tr("Nennwert"), m_zeroPoint);
    m_downLimit = makeEdit();
    placeLimited(group, 1, tr("Untere Begrenzung"), m_downLimit);
    m_upLimit = makeEdit();
    placeLimited(group, 2, tr("Obere Begrenzung"), m_upLimit);
}

void AllConfigWidget::buildLogicGroup(QGroupBox* group)
{
    const QStringList levels = {tr("Low Level aktiv"), tr("High Level aktiv")};
    m_logicControlByte = makeEdit();
    m_logicControlByte->setEnabled(false);
    placeLimited(group, 0, tr("Control Byte"), m_logicControlByte);
    m_passSignal = makeCombo(levels);
    placeLimited(group, 1, tr("PASS Signal"), m_passSignal);
    m_upLimitSignal = makeCombo(levels);
    placeLimited(group, 2, tr("Signallimit nach oben"), m_upLimitSignal);
    m_lowLimitSignal = makeCombo(levels);
    placeLimited(group, 3, tr("Signallimit nach unten"), m_lowLimitSignal);
}

void AllConfigWidget::buildMeasureGroup(QGroupBox* group)
{
    m_laserPowerState = makeCombo({tr("Schalter aus"), tr("Schalter ein")});
    placeWide(group, 0, tr("Laserzustand"), m_laserPowerState);
    m_averagingState = makeCombo({tr("Schalter aus"), tr("Schalter ein")});
    placeWide(group, 1, tr("Mittelungart"), m_averagingState);

    m_averageCount = makeEdit();
    placeRow(group, 2, tr("Mittelungwert"), m_averageCount, controlColumn(group, wideControl), 40);
    m_averageCount->setFixedSize(40, 20);

    m_resultType = makeCombo({tr("Kantestelle"), tr("Diametr/ Position"), tr("Position"),
                              tr("Grenzabmass A"), tr("Grenzabmass B"), tr("Ganzes Objekt")});
    placeWide(group, 3, tr("Ergebnistyp"), m_resultType);
    m_aBorderNumber = new QComboBox();
    VelaPanels::addNumberItems(m_aBorderNumber, 128);
    placeWide(group, 4, tr("Grenzabmass A"), m_aBorderNumber);
    m_bBorderNumber = new QComboBox();
    VelaPanels::addNumberItems(m_bBorderNumber, 128);
    placeWide(group, 5, tr("Grenzabmass B"), m_bBorderNumber);
}

void AllConfigWidget::buildEthernetGroup(QGroupBox* group)
{
    m_ethSynchType = makeCombo({tr("Schalter aus"), tr("Asynchronous"), tr("Synchrone")});
    placeWide(group, 0, tr("Synchroni\u00ADsations\u00ADtyp"), m_ethSynchType);
    m_ethPackType = makeCombo({tr("MAC"), tr("IP/UDP")});
    placeWide(group, 1, tr("Pakettyp"), m_ethPackType);
    m_measureQuantity = makeEdit();
    placeWide(group, 2, tr("Paketbearbeitung"), m_measureQuantity);
    m_destMac = makeEdit();
    placeWide(group, 3, tr("Empfaenger MAC"), m_destMac);
    m_subnetMask = makeEdit();
    placeWide(group, 4, tr("Subnet MASK"), m_subnetMask);
    m_sourceIP = makeEdit();
    placeWide(group, 5, tr("Sender IP"), m_sourceIP);
    m_destIP = makeEdit();
    placeWide(group, 6, tr("Empfaenger IP"), m_destIP);
    m_adapterName = new QComboBox();
    placeWide(group, 7, tr("Adàpter waehlen"), m_adapterName);
}

void AllConfigWidget::buildButtons(const QGroupBox* logicGroup)
{
    m_saveToFlash = new QPushButton(tr("ins Flash speichern"), this);
    m_saveToFlash->setGeometry(logicGroup->x(), logicGroup->y() + logicGroup->height(), 110, 45);
    m_restoreDefaults = new QPushButton(tr("Default widerstellen"), this);
    m_restoreDefaults->setGeometry(m_saveToFlash->x() + m_saveToFlash->width() + 3,
                                   m_saveToFlash->y(), 110, 45);
}

void AllConfigWidget::wireSignals()
{
    using W = AllConfigWidget;
    const auto chosen = &QComboBox::activated;
    const auto edited = &QLineEdit::editingFinished;
    connect(m_synchType, chosen, this, &W::synchTypeSelected);
    connect(m_samplePeriod, edited, this, &W::samplePeriodDefined);
    connect(m_uartSynchType, chosen, this, &W::uartSynchTypeSelected);
    connect(m_uartBaudrate, chosen, this, &W::uartBaundrateSelected);
    connect(m_uartNetAddress, edited, this, &W::uartNetAddressDefined);
    connect(m_analogSynch, chosen, this, &W::analogSynchSelected);
    connect(m_analogOutRangeBegin, edited, this, &W::analogOutRangeBeginDefined);
    connect(m_analogOutRangeEnd, edited, this, &W::analogOutRangeEndDefined);
    connect(m_zeroPoint, edited, this, &W::zeroPointDefined);
    connect(m_downLimit, edited, this, &W::downLimitDefined);
    connect(m_upLimit, edited, this, &W::upLimitDefined);
    connect(m_logicControlByte, edited, this, &W::logicControlByteDefined);
    connect(m_passSignal, chosen, this, &W::ioLogicPassSignalSelected);
    connect(m_upLimitSignal, chosen, this, &W::ioLogicUPLimitSignalSelected);
    connect(m_lowLimitSignal, chosen, this, &W::ioLogicLowLimitSignalSelected);
    connect(m_laserPowerState, chosen, this, &W::laserPowerStateSelected);
    connect(m_averagingState, chosen, this, &W::averagingStateSelected);
    connect(m_averageCount, edited, this, &W::averageCountDefined);
    connect(m_resultType, chosen, this, &W::resultTypeSelected);
    connect(m_aBorderNumber, chosen, this, &W::aBorderNumberDefined);
    connect(m_bBorderNumber, chosen, this, &W::bBorderNumberDefined);
    connect(m_ethSynchType, chosen, this, &W::ethSynchTypeSelected);
    connect(m_ethPackType, chosen, this, &W::ethPackTypeSelected);
    connect(m_measureQuantity, edited, this, &W::measureQuantityDefined);
    connect(m_destMac, edited, this, &W::macDefined);
    connect(m_subnetMask, edited, this, &W::subnetMaskDefined);
    connect(m_sourceIP, edited, this, &W::sourceIPDefined);
    connect(m_destIP, edited, this, &W::destIPDefined);
    connect(m_adapterName, chosen, this, &W::adapterNameSelected);
    connect(m_saveToFlash, &QPushButton::clicked, this, &W::saveToFlashBtnClicked);
    connect(m_restoreDefaults, &QPushButton::clicked, this, &W::restoreFromFlashBtnClicked);
}

// Setters: display only, nothing is emitted (combo boxes report on activated()).

void AllConfigWidget::setSynchType(char index) { m_synchType->setCurrentIndex(index); }
void AllConfigWidget::setUartSynchType(char index) { m_uartSynchType->setCurrentIndex(index); }
void AllConfigWidget::setAnalogSynch(char index) { m_analogSynch->setCurrentIndex(index); }
void AllConfigWidget::setLaserPowerState(char index) { m_laserPowerState->setCurrentIndex(index); }
void AllConfigWidget::setAveragingState(char index) { m_averagingState->setCurrentIndex(index); }
void AllConfigWidget::setResultType(char index) { m_resultType->setCurrentIndex(index); }
void AllConfigWidget::setABorderNumber(char index) { m_aBorderNumber->setCurrentIndex(index); }
void AllConfigWidget::setBBorderNumber(char index) { m_bBorderNumber->setCurrentIndex(index); }
void AllConfigWidget::setEthSynchType(char index) { m_ethSynchType->setCurrentIndex(index); }
void AllConfigWidget::setEthPackType(char index) { m_ethPackType->setCurrentIndex(index); }

void AllConfigWidget::setUartBaundrate(short code)
{
    m_uartBaudrate->setCurrentIndex(VelaPanels::speedIndex(code));
}

void AllConfigWidget::setSamplePeriod(ushort value) { m_samplePeriod->setText(decimal(value)); }
void AllConfigWidget::setUartNetAddress(char value) { m_uartNetAddress->setText(decimal(value)); }
void AllConfigWidget::setAverageCount(short value) { m_averageCount->setText(decimal(value)); }
void AllConfigWidget::setAnalogOutRangeBegin(uint value) { m_analogOutRangeBegin->setText(decimal(value)); }
void AllConfigWidget::setAnalogOutRangeEnd(uint value) { m_analogOutRangeEnd->setText(decimal(value)); }
void AllConfigWidget::setZeroPoint(uint value) { m_zeroPoint->setText(decimal(value)); }
void AllConfigWidget::setDownLimit(long value) { m_downLimit->setText(decimal(value)); }
void AllConfigWidget::setUpLimit(long value) { m_upLimit->setText(decimal(value)); }
void AllConfigWidget::setMeasureQuantity(uchar value) { m_measureQuantity->setText(decimal(value)); }

void AllConfigWidget::setLogicControlByte(char value)
{
    QString bits;
    for (int bit = 7; bit >= 0; --bit)
        bits += (uchar(value) >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    m_logicControlByte->setText(bits);
}

void AllConfigWidget::setDestMAC(const uchar mac[6])
{
    QString text = QStringLiteral("%1-%2-%3-%4-%5-%6");
    for (int i = 0; i < 6; ++i)
        text = text.arg(uint(mac[i]), 2, 16, QLatin1Char('0'));
    m_destMac->setText(text);
}

namespace {

// The four bytes of a 32-bit address, most significant first, filled into `format`.
QString addressText(const QString& format, ulong address)
{
    return format.arg((address >> 24) & 0xFF).arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF).arg(address & 0xFF);
}

} // namespace

void AllConfigWidget::setSubnetMask(ulong mask)
{
    m_subnetMask->setText(addressText(QStringLiteral("%1.%2.%3.%4"), mask));
}

// The sensor keeps its IP addresses with the first octet in the low byte.
void AllConfigWidget::setSourceIP(ulong address)
{
    m_sourceIP->setText(addressText(QStringLiteral("%4.%3.%2.%1"), address));
}

void AllConfigWidget::setDestIP(ulong address)
{
    m_destIP->setText(addressText(QStringLiteral("%4.%3.%2.%1"), address));
}

void AllConfigWidget::addAdapterName(const QString& name)
{
    m_adapterName->addItem(name, name);
}

// User edits: convert and report. A text that is no number counts as 0.

void AllConfigWidget::synchTypeSelected(int index) { emit SynchTypeSelected(char(index)); }
void AllConfigWidget::samplePeriodDefined() { emit SamplePeriodDefined(ushort(m_samplePeriod->text().toInt())); }
void AllConfigWidget::uartSynchTypeSelected(int index) { emit UartSynchTypeSelected(char(index)); }

void AllConfigWidget::uartBaundrateSelected(int index)
{
    emit UartBaundrateSelected(short(m_uartBaudrate->itemData(index).toInt()));
}

void AllConfigWidget::uartNetAddressDefined() { emit UartNetAddressDefined(char(m_uartNetAddress->text().toShort())); }
void AllConfigWidget::laserPowerStateSelected(int index) { emit LaserPowerStateSelected(char(index)); }
void AllConfigWidget::averagingStateSelected(int index) { emit AveragingStateSelected(char(index)); }
void AllConfigWidget::averageCountDefined() { emit AverageCountDefined(m_averageCount->text().toShort()); }
void AllConfigWidget::resultTypeSelected(int index) { emit ResultTypeSelected(char(index)); }
void AllConfigWidget::aBorderNumberDefined(int index) { emit ABorderNumberDefined(char(index)); }
void AllConfigWidget::bBorderNumberDefined(int index) { emit BBorderNumberDefined(char(index)); }
void AllConfigWidget::analogSynchSelected(int index) { emit AnalogSynchSelected(char(index)); }
void AllConfigWidget::analogOutRangeBeginDefined() { emit AnalogOutRangeBeginDefined(m_analogOutRangeBegin->text().toInt()); }
void AllConfigWidget::analogOutRangeEndDefined() { emit AnalogOutRangeEndDefined(m_analogOutRangeEnd->text().toInt()); }
void AllConfigWidget::zeroPointDefined() { emit ZeroPointDefined(m_zeroPoint->text().toInt()); }
void AllConfigWidget::logicControlByteDefined() { emit LogicControlByteDefined(char(m_logicControlByte->text().toShort())); }
void AllConfigWidget::downLimitDefined() { emit DownLimitDefined(m_downLimit->text().toInt()); }
void AllConfigWidget::upLimitDefined() { emit UpLimitDefined(m_upLimit->text().toInt()); }
void AllConfigWidget::saveToFlashBtnClicked() { emit SaveToFlashBtnClicked(); }
void AllConfigWidget::restoreFromFlashBtnClicked() { emit RestoreFromFlashBtnClicked(); }
void AllConfigWidget::ioLogicPassSignalSelected(int index) { emit IoLogicPassSignalSelected(index != 0); }
void AllConfigWidget::ioLogicUPLimitSignalSelected(int index) { emit IoLogicUPLimitSignalSelected(index != 0); }
void AllConfigWidget::ioLogicLowLimitSignalSelected(int index) { emit IoLogicLowLimitSignalSelected(index != 0); }
void AllConfigWidget::ethSynchTypeSelected(int index) { emit EthSynchTypeSelected(char(index)); }
void AllConfigWidget::ethPackTypeSelected(int index) { emit EthPackTypeSelected(char(index)); }
void AllConfigWidget::measureQuantityDefined() { emit MeasureQuantityDefined(uchar(m_measureQuantity->text().toShort())); }
void AllConfigWidget::macDefined() { emit DestinationMacDefined(m_destMac->text()); }
void AllConfigWidget::subnetMaskDefined() { emit SubnetMaskDefined(m_subnetMask->text()); }
void AllConfigWidget::sourceIPDefined() { emit SourceIPDefined(m_sourceIP->text()); }
void AllConfigWidget::destIPDefined() { emit DestIPDefined(m_destIP->text()); }
void AllConfigWidget::adapterNameSelected(int index) { emit AdapterNameSelected(index); }
