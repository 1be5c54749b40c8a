#pragma once

#include <VelaDeviceTypes.h>

#include <QString>
#include <QStringList>

// The Modbus TCP client record of an LS74 as the parameter page shows it: Delay as a number,
// every other field as upper-case hexadecimal text with as many digits as the field has
// (two per byte). Two-byte fields other than Delay are big-endian in the record, as on a
// Modbus TCP wire; Delay is in host order.
namespace ModbusRecord {

// The number of hexadecimal fields, in record order: ProtoID, UnitID, TransID1, Length1,
// Funct1, StAddr1, RegCnt1, TransID2, Length2, Funct2, StAddr2, RegCnt2, ByteCnt2.
constexpr int TextFieldCount = 13;

quint16 delay(const VelaDevice::_LS71HS_MODBUS_INFO& record);
QStringList texts(const VelaDevice::_LS71HS_MODBUS_INFO& record);

// Builds a record from Delay and the texts of the hexadecimal fields in record order. A text
// that is not a hexadecimal number gives 0; a field keeps the low bytes of a larger number.
// Missing texts count as empty.
VelaDevice::_LS71HS_MODBUS_INFO fromTexts(quint16 delay, const QStringList& texts);

} // namespace ModbusRecord
