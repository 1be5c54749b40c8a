#include "PointWriters.h"

#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace {

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "binary bodies are the host's floats as they are");

// The body of an output file, gathered into large blocks: a write per record would cost a
// system call and its page-cache work per 15 kB. Points go in as the host's floats or as text
// lines of three numbers, each the shortest text that reads back as the same float.
class Body
{
public:
    explicit Body(char separator) : m_separator(separator), m_buffer(1 << 20) {}

    bool writeBinary(QIODevice& out, const float* xyz, int n)
    {
        const char* bytes = reinterpret_cast<const char*>(xyz);
        for (size_t left = size_t(n) * 12; left > 0;) {
            if (m_used == m_buffer.size() && !flush(out))
                return false;
            const size_t take = std::min(left, m_buffer.size() - m_used);
            std::memcpy(m_buffer.data() + m_used, bytes, take);
            m_used += take;
            bytes += take;
            left -= take;
        }
        return true;
    }

    bool writeText(QIODevice& out, const float* xyz, int n)
    {
        constexpr int lineRoom = 3 * 16 + 3;
        for (int i = 0; i < n; ++i) {
            if (m_used + lineRoom > m_buffer.size() && !flush(out))
                return false;
            char* p = m_buffer.data() + m_used;
            char* const end = m_buffer.data() + m_buffer.size();
            for (int k = 0; k < 3; ++k) {
                p = std::to_chars(p, end, xyz[3 * i + k]).ptr;
                *p++ = k < 2 ? m_separator : '\n';
            }
            m_used = size_t(p - m_buffer.data());
        }
        return true;
    }

    bool flush(QIODevice& out)
    {
        const qint64 bytes = qint64(m_used);
        m_used = 0;
        return out.write(m_buffer.data(), bytes) == bytes;
    }

private:
    char m_separator;
    std::vector<char> m_buffer;
    size_t m_used = 0;
};

// PLY and PCD name the point count in their header, which is written first: it is written
// with room to spare (a padded comment line) and rewritten in place at the end.
class CountedHeaderWriter : public PointWriter
{
public:
    explicit CountedHeaderWriter(bool ascii) : m_ascii(ascii), m_body(' ') {}

    bool begin(QIODevice& out) override
    {
        m_reserved = header(999999999999999LL, 0).size();
        const QByteArray first = header(0, m_reserved);
        return out.write(first) == first.size();
    }

    bool write(QIODevice& out, const float* xyz, int n) override
    {
        return m_ascii ? m_body.writeText(out, xyz, n) : m_body.writeBinary(out, xyz, n);
    }

    bool finish(QIODevice& out, qint64 points) override
    {
        if (!m_body.flush(out))
            return false;
        const QByteArray final = header(points, m_reserved);
        return final.size() == m_reserved && out.seek(0) && out.write(final) == final.size();
    }

protected:
    // The header for this count, padded to `length` bytes (0: unpadded).
    virtual QByteArray header(qint64 points, qsizetype length) const = 0;
    // Lines before the pad, the pad line's opening, lines after it.
    static QByteArray padded(const QByteArray& before, const char* padOpening, const QByteArray& after, qsizetype length)
    {
        QByteArray pad(padOpening);
        const qsizetype room = length - before.size() - after.size() - pad.size() - 1;
        if (room > 0)
            pad.append(QByteArray(room, ' '));
        return before + pad + '\n' + after;
    }

    bool m_ascii;

private:
    Body m_body;
    qsizetype m_reserved = 0;
};

class PlyWriter : public CountedHeaderWriter
{
public:
    using CountedHeaderWriter::CountedHeaderWriter;

protected:
    QByteArray header(qint64 points, qsizetype length) const override
    {
        const QByteArray before = QByteArray("ply\nformat ") + (m_ascii ? "ascii" : "binary_little_endian")
            + " 1.0\ncomment written by ls7x-rec\nelement vertex " + QByteArray::number(points) + '\n';
        return padded(before, "comment", "property float x\nproperty float y\nproperty float z\nend_header\n", length);
    }
};

class PcdWriter : public CountedHeaderWriter
{
public:
    using CountedHeaderWriter::CountedHeaderWriter;

protected:
    QByteArray header(qint64 points, qsizetype length) const override
    {
        const QByteArray count = QByteArray::number(points);
        const QByteArray before = "# .PCD v0.7 - Point Cloud Data file format\nVERSION 0.7\nFIELDS x y z\n"
                                  "SIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\nWIDTH "
            + count + "\nHEIGHT 1\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS " + count + '\n';
        return padded(before, "#", QByteArray("DATA ") + (m_ascii ? "ascii" : "binary") + '\n', length);
    }
};

class TextWriter : public PointWriter
{
public:
    TextWriter(char separator, QByteArray header) : m_body(separator), m_header(std::move(header)) {}

    bool begin(QIODevice& out) override { return out.write(m_header) == m_header.size(); }
    bool write(QIODevice& out, const float* xyz, int n) override { return m_body.writeText(out, xyz, n); }
    bool finish(QIODevice& out, qint64) override { return m_body.flush(out); }

private:
    Body m_body;
    QByteArray m_header;
};

} // namespace

bool pointFormatOf(const QString& path, PointFormat* format)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const struct {
        const char* suffix;
        PointFormat format;
    } known[] = {{"ply", PointFormat::Ply}, {"pcd", PointFormat::Pcd}, {"csv", PointFormat::Csv}, {"xyz", PointFormat::Xyz}};
    for (const auto& k : known) {
        if (suffix == QLatin1String(k.suffix)) {
            *format = k.format;
            return true;
        }
    }
    return false;
}

std::unique_ptr<PointWriter> makePointWriter(PointFormat format, bool ascii)
{
    switch (format) {
    case PointFormat::Ply: return std::make_unique<PlyWriter>(ascii);
    case PointFormat::Pcd: return std::make_unique<PcdWriter>(ascii);
    case PointFormat::Csv: return std::make_unique<TextWriter>(',', "x,y,z\n");
    case PointFormat::Xyz: return std::make_unique<TextWriter>(' ', QByteArray());
    }
    return nullptr;
}
