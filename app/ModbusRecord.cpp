#include "ModbusRecord.h"

#include <cstring>

namespace ModbusRecord {
namespace {

struct Field
{
    int offset;
    int size;
};

// Offsets and sizes of the hexadecimal fields, in record order.
constexpr Field Fields[TextFieldCount] = {
    { 2, 2 }, { 4, 1 }, { 5, 2 }, { 7, 2 }, { 9, 1 }, { 10, 2 }, { 12, 2 },
    { 14, 2 }, { 16, 2 }, { 18, 1 }, { 19, 2 }, { 21, 2 }, { 23, 1 },
};

const unsigned char* bytesOf(const VelaDevice::_LS71HS_MODBUS_INFO& record)
{
    return reinterpret_cast<const unsigned char*>(&record);
}

} // namespace

quint16 delay(const VelaDevice::_LS71HS_MODBUS_INFO& record)
{
    quint16 value = 0;
    std::memcpy(&value, bytesOf(record), sizeof value);
    return value;
}

QStringList texts(const VelaDevice::_LS71HS_MODBUS_INFO& record)
{
    const unsigned char* bytes = bytesOf(record);
    QStringList result;
    for (const Field& field : Fields) {
        uint value = 0;
        for (int i = 0; i < field.size; ++i)
            value = (value << 8) | bytes[field.offset + i];
        result.append(QStringLiteral("%1").arg(value, field.size * 2, 16, QLatin1Char('0')).toUpper());
    }
    return result;
}

VelaDevice::_LS71HS_MODBUS_INFO fromTexts(quint16 delay, const QStringList& texts)
{
    VelaDevice::_LS71HS_MODBUS_INFO record {};
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    std::memcpy(bytes, &delay, sizeof delay);
    for (int f = 0; f < TextFieldCount; ++f) {
        const Field& field = Fields[f];
        bool ok = false;
        quint64 value = texts.value(f).toULongLong(&ok, 16);
        if (!ok)
            value = 0;
        for (int i = field.size - 1; i >= 0; --i) {
            bytes[field.offset + i] = static_cast<unsigned char>(value & 0xFF);
            value >>= 8;
        }
    }
    return record;
}

} // namespace ModbusRecord
