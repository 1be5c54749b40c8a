#pragma once

#include <QString>
#include <QtGlobal>

// Read-only view of a 272-byte device-information block as the sensors send it
// (little-endian, packed). Reads go byte by byte, so the block needs no alignment and the
// view does not depend on how a compiler lays out the device library's struct.
class DeviceBlockView
{
public:
    static constexpr int Size = 272;

    explicit DeviceBlockView(const void* block);

    quint16 typeCode() const { return u16(0); }
    QString ipText() const;
    QString macText() const;
    quint8 modification() const { return u8(12); }
    quint32 serialNumber() const;
    quint8 laserColor() const { return u8(32); }

    quint8 u8(int offset) const;
    quint16 u16(int offset) const;
    qint16 i16(int offset) const { return static_cast<qint16>(u16(offset)); }
    quint32 u32(int offset) const;

private:
    const uchar* m_bytes;
};
