// The network group of the parameter page: the sensor's own address, where its results go,
// its TCP data port and, on an LS74, its Modbus TCP client settings and record.
#include "mainwindow.h"

#include "IPEditWidget.h"
#include "ModbusRecord.h"
#include "ui_mainwindow.h"

#include <LS74Device.h>

#include <array>

namespace {
// Heights of the network group and its tab widget, without and with the Modbus record fields.
constexpr int NetworkGroupHeight = 148;
constexpr int NetworkTabsHeight = 121;
constexpr int NetworkGroupMoreHeight = 243;
constexpr int NetworkTabsMoreHeight = 216;
constexpr int TcpIpTab = 0;
constexpr int UdpTab = 1;

// The record's hexadecimal fields, in record order.
std::array<QLineEdit*, ModbusRecord::TextFieldCount> modbusTextFields(const Ui::MainWindowClass& ui)
{
    return { ui.lineEdit_ProtoID, ui.lineEdit_UnitID, ui.lineEdit_TransID1, ui.lineEdit_Length1,
             ui.lineEdit_Funct1, ui.lineEdit_StAddr1, ui.lineEdit_RegCnt1, ui.lineEdit_TransID2,
             ui.lineEdit_Length2, ui.lineEdit_Funct2, ui.lineEdit_StAddr2, ui.lineEdit_RegCnt2,
             ui.lineEdit_ByteCnt2 };
}

// An address reaches the device only when its editor holds a complete, valid address.
template <class Device, class Setter>
void sendAddress(const IPEditWidget* editor, Device& device, Setter setter)
{
    unsigned char address[4];
    if (editor->getAddress(address, false))
        (device.*setter)(address);
}
}

void MainWindow::readNetworkToControls(const VelaDevice::LS7xDevice& device)
{
    ui->ipctrlNetworkAddr->setText(QString::fromStdString(device.GetHumanReadableDeviceIPAddress()));
    ui->ipctrlNetworkMask->setText(QString::fromStdString(device.GetHumanReadableNetworkMask()));
    ui->ipctrlUDPAddr->setText(QString::fromStdString(device.GetHumanReadableHostIPAddress()));
    ui->spinPort->setValue(device.GetHostPortNumber());
}

void MainWindow::readLS74NetworkToControls(const VelaDevice::LS74Device& device)
{
    ui->checkProfibus->setChecked(device.GetEnabledModbusTcp() != 0);
    ui->checkProfibus->setEnabled(true);
    ui->ipctrlModbusAddr->setText(QString::fromStdString(device.GetHumanReadableModbusTcpAddress()));
    ui->ipctrlModbusAddr->setEnabled(true);
    ui->spinModbusPort->setValue(device.GetModbusTcpPort());
    ui->spinModbusPort->setEnabled(true);
    ui->spinTcpDataPort->setValue(device.GetTcpDataPort());
    ui->spinTcpDataPort->setEnabled(true);

    VelaDevice::_LS71HS_MODBUS_INFO record {};
    device.GetModbusInfo(&record);
    ui->spinBox_Delay->setValue(ModbusRecord::delay(record));
    const QStringList texts = ModbusRecord::texts(record);
    const auto fields = modbusTextFields(*ui);
    for (int i = 0; i < ModbusRecord::TextFieldCount; ++i)
        fields[i]->setText(texts.at(i));
}

void MainWindow::writeNetworkToDevice(VelaDevice::LS7xDevice& device)
{
    using Device = VelaDevice::LS7xDevice;
    sendAddress(ui->ipctrlNetworkAddr, device, &Device::SetDeviceIPAddress);
    sendAddress(ui->ipctrlNetworkMask, device, &Device::SetNetworkMask);
    sendAddress(ui->ipctrlUDPAddr, device, &Device::SetHostIPAddress);
    device.SetHostPortNumber(static_cast<unsigned short>(ui->spinPort->value()));
}

void MainWindow::writeModbusServerToDevice(VelaDevice::LS74Device& device)
{
    device.SetEnableModbusTcp(ui->checkProfibus->isChecked() ? 1 : 0);
    sendAddress(ui->ipctrlModbusAddr, device, &VelaDevice::LS74Device::SetModbusTcpAddress);
    device.SetModbusTcpPort(static_cast<unsigned short>(ui->spinModbusPort->value()));
}

void MainWindow::writeModbusRecordToDevice(VelaDevice::LS74Device& device)
{
    QStringList texts;
    for (const QLineEdit* field : modbusTextFields(*ui))
        texts.append(field->text());
    const VelaDevice::_LS71HS_MODBUS_INFO record =
        ModbusRecord::fromTexts(static_cast<quint16>(ui->spinBox_Delay->value()), texts);
    device.SetModbusInfo(&record);
}

void MainWindow::setNetworkHeights(int groupHeight, int tabsHeight)
{
    ui->groupBox_Network->setFixedHeight(groupHeight);
    ui->tabNetworkConfig_2->setFixedHeight(tabsHeight);
}

void MainWindow::onClickedMoreSettings(const QString& /*link*/)
{
    setNetworkHeights(NetworkGroupMoreHeight, NetworkTabsMoreHeight);
    ui->label_ModbusMore->hide();
}

void MainWindow::onChangedTabNetworkConfig(int index)
{
    if (index != TcpIpTab && index != UdpTab)
        return;
    setNetworkHeights(NetworkGroupHeight, NetworkTabsHeight);
    ui->label_ModbusMore->show();
}
