#pragma once

#include <QCoreApplication>
#include <QString>

class DeviceBlockView;

// The "Information" page of a sensor: HTML built from its device-information block, and
// the display colour that follows from the block's laser colour.
class DeviceInfoPage
{
    Q_DECLARE_TR_FUNCTIONS(DeviceInfoPage)

public:
    enum class Model { LS71, LS74, None };

    static DeviceInfoPage build(const DeviceBlockView& block, Model model);

    QString html;
    QString colorName;

private:
    void appendInterface(quint8 modification);
    void appendLS71Options(quint8 modification);
    void appendLaserColor(quint8 laserColor);
    void appendSerialNumber(quint32 serialNumber);
    void appendMeasuringRange(const DeviceBlockView& block);
    void appendDiscreteTransformation(const DeviceBlockView& block);
    void appendFirmware(const DeviceBlockView& block, Model model);
};
