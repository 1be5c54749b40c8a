#include "DeviceBlockView.h"

DeviceBlockView::DeviceBlockView(const void* block)
    : m_bytes(static_cast<const uchar*>(block))
{
}

quint8 DeviceBlockView::u8(int offset) const
{
    return m_bytes[offset];
}

quint16 DeviceBlockView::u16(int offset) const
{
    return static_cast<quint16>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
}

quint32 DeviceBlockView::u32(int offset) const
{
    return quint32(m_bytes[offset]) | (quint32(m_bytes[offset + 1]) << 8)
        | (quint32(m_bytes[offset + 2]) << 16) | (quint32(m_bytes[offset + 3]) << 24);
}

QString DeviceBlockView::ipText() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(u8(2)).arg(u8(3)).arg(u8(4)).arg(u8(5));
}

QString DeviceBlockView::macText() const
{
    QString text;
    for (int i = 6; i < 12; ++i) {
        if (i > 6)
            text += QLatin1Char('-');
        text += QStringLiteral("%1").arg(u8(i), 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

quint32 DeviceBlockView::serialNumber() const
{
    return quint32(u8(13)) | (quint32(u8(14)) << 8) | (quint32(u8(15)) << 16);
}
