#pragma once

// What the fuzzers share: taking typed values from the front of an input, and scratch files
// for readers that only take a path or a file.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <functional>

// Reads values from the front of the input; past its end every value is 0 and every span empty.
class FuzzInput
{
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t left() const { return m_size - m_at; }
    bool empty() const { return left() == 0; }

    template<class T> T take()
    {
        T value{};
        const size_t n = std::min(sizeof value, left());
        std::memcpy(&value, m_data + m_at, n);
        m_at += n;
        return value;
    }
    // Up to n bytes.
    QByteArray bytes(size_t n)
    {
        n = std::min(n, left());
        const QByteArray span(reinterpret_cast<const char*>(m_data + m_at), qsizetype(n));
        m_at += n;
        return span;
    }
    // A span whose length comes first as 16 bits.
    QByteArray chunk() { return bytes(take<uint16_t>()); }
    QByteArray rest() { return bytes(left()); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

class QSettings;

// A settings value as a settings file holds it (text), taken from five bytes of the input:
// absent, an integer, a float (NaN and the infinities included) or four characters.
void takeSetting(QSettings& settings, const QString& key, FuzzInput& input);

// A read-only file on a pipe that holds the bytes (at most a pipe's capacity, 64 KiB): a
// sequential file, whose size a reader cannot know in advance.
class PipeFile
{
public:
    explicit PipeFile(const QByteArray& content);
    ~PipeFile();
    QFile& file() { return m_file; }

private:
    int m_fd = -1;
    QFile m_file;
};

// Hands the bytes to `read` twice: as a scratch file on disk and as a file on a pipe. Answers
// the scratch file's path.
QString readAsFiles(const QString& name, const QByteArray& content, const std::function<void(QFile&)>& read);

// A folder of this process for scratch files: in memory (/dev/shm) where it can be.
const QString& scratchFolder();
// Makes the scratch folder the working folder (for readers that use relative paths).
void enterScratchFolder();
// Writes a scratch file and answers its path.
QString writeScratchFile(const QString& name, const QByteArray& content);
