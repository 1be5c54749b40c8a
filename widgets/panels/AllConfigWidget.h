#pragma once

#include "velawidgets_global.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// The complete parameter set of an LP8x point sensor in one fixed-layout panel. The owner
// fills it through the set... operations (which emit nothing) and turns the typed signals,
// sent for user edits only, into device commands. Created disabled.
class VELAWIDGETS_EXPORT AllConfigWidget : public QWidget
{
    Q_OBJECT
public:
    explicit AllConfigWidget(QWidget* parent = nullptr);

    void setSynchType(char index);
    void setUartSynchType(char index);
    void setAnalogSynch(char index);
    void setLaserPowerState(char index);
    void setAveragingState(char index);
    void setResultType(char index);
    void setABorderNumber(char index);
    void setBBorderNumber(char index);
    void setEthSynchType(char index);
    void setEthPackType(char index);
    void setUartBaundrate(short code);

    void setSamplePeriod(ushort value);
    void setUartNetAddress(char value);
    void setAverageCount(short value);
    void setAnalogOutRangeBegin(uint value);
    void setAnalogOutRangeEnd(uint value);
    void setZeroPoint(uint value);
    void setDownLimit(long value);
    void setUpLimit(long value);
    void setMeasureQuantity(uchar value);
    void setLogicControlByte(char value);
    void setDestMAC(const uchar mac[6]);
    void setSubnetMask(ulong mask);
    void setSourceIP(ulong address);
    void setDestIP(ulong address);
    void addAdapterName(const QString& name);

signals:
    void SynchTypeSelected(char);
    void SamplePeriodDefined(unsigned short);
    void UartSynchTypeSelected(char);
    void UartBaundrateSelected(short);
    void UartNetAddressDefined(char);
    void LaserPowerStateSelected(char);
    void AveragingStateSelected(char);
    void AverageCountDefined(short);
    void ResultTypeSelected(char);
    void ABorderNumberDefined(char);
    void BBorderNumberDefined(char);
    void AnalogSynchSelected(char);
    void AnalogOutRangeBeginDefined(int);
    void AnalogOutRangeEndDefined(int);
    void ZeroPointDefined(int);
    void LogicControlByteDefined(char);
    void DownLimitDefined(int);
    void UpLimitDefined(int);
    void SaveToFlashBtnClicked();
    void RestoreFromFlashBtnClicked();
    void IoLogicPassSignalSelected(bool);
    void IoLogicUPLimitSignalSelected(bool);
    void IoLogicLowLimitSignalSelected(bool);
    void EthSynchTypeSelected(char);
    void EthPackTypeSelected(char);
    void MeasureQuantityDefined(unsigned char);
    void DestinationMacDefined(QString);
    void SubnetMaskDefined(QString);
    void SourceIPDefined(QString);
    void DestIPDefined(QString);
    void AdapterNameSelected(int);

private slots:
    void synchTypeSelected(int index);
    void samplePeriodDefined();
    void uartSynchTypeSelected(int index);
    void uartBaundrateSelected(int index);
    void uartNetAddressDefined();
    void laserPowerStateSelected(int index);
    void averagingStateSelected(int index);
    void averageCountDefined();
    void resultTypeSelected(int index);
    void aBorderNumberDefined(int index);
    void bBorderNumberDefined(int index);
    void analogSynchSelected(int index);
    void analogOutRangeBeginDefined();
    void analogOutRangeEndDefined();
    void zeroPointDefined();
    void logicControlByteDefined();
    void downLimitDefined();
    void upLimitDefined();
    void saveToFlashBtnClicked();
    void restoreFromFlashBtnClicked();
    void ioLogicPassSignalSelected(int index);
    void ioLogicUPLimitSignalSelected(int index);
    void ioLogicLowLimitSignalSelected(int index);
    void ethSynchTypeSelected(int index);
    void ethPackTypeSelected(int index);
    void measureQuantityDefined();
    void macDefined();
    void subnetMaskDefined();
    void sourceIPDefined();
    void destIPDefined();
    void adapterNameSelected(int index);

private:
    void buildSynchGroup(QGroupBox* group);
    void buildSerialGroup(QGroupBox* group);
    void buildAnalogGroup(QGroupBox* group);
    void buildLimitGroup(QGroupBox* group);
    void buildLogicGroup(QGroupBox* group);
    void buildMeasureGroup(QGroupBox* group);
    void buildEthernetGroup(QGroupBox* group);
    void buildButtons(const QGroupBox* logicGroup);
    void wireSignals();

    QComboBox* m_synchType = nullptr;
    QLineEdit* m_samplePeriod = nullptr;
    QComboBox* m_uartSynchType = nullptr;
    QComboBox* m_uartBaudrate = nullptr;
    QLineEdit* m_uartNetAddress = nullptr;
    QComboBox* m_analogSynch = nullptr;
    QLineEdit* m_analogOutRangeBegin = nullptr;
    QLineEdit* m_analogOutRangeEnd = nullptr;
    QLineEdit* m_zeroPoint = nullptr;
    QLineEdit* m_downLimit = nullptr;
    QLineEdit* m_upLimit = nullptr;
    QLineEdit* m_logicControlByte = nullptr;
    QComboBox* m_passSignal = nullptr;
    QComboBox* m_upLimitSignal = nullptr;
    QComboBox* m_lowLimitSignal = nullptr;
    QComboBox* m_laserPowerState = nullptr;
    QComboBox* m_averagingState = nullptr;
    QLineEdit* m_averageCount = nullptr;
    QComboBox* m_resultType = nullptr;
    QComboBox* m_aBorderNumber = nullptr;
    QComboBox* m_bBorderNumber = nullptr;
    QComboBox* m_ethSynchType = nullptr;
    QComboBox* m_ethPackType = nullptr;
    QLineEdit* m_measureQuantity = nullptr;
    QLineEdit* m_destMac = nullptr;
    QLineEdit* m_subnetMask = nullptr;
    QLineEdit* m_sourceIP = nullptr;
    QLineEdit* m_destIP = nullptr;
    QComboBox* m_adapterName = nullptr;
    QPushButton* m_saveToFlash = nullptr;
    QPushButton* m_restoreDefaults = nullptr;
};
