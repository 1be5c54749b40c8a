#include "FuzzInput.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

const QString& scratchFolder()
{
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/vela-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/vela-fuzz-XXXXXX"));
    static const QString path = folder.path();
    if (!folder.isValid())
        std::abort();   // no fuzzing without a place for the files
    return path;
}

void enterScratchFolder()
{
    if (!QDir::setCurrent(scratchFolder()))
        std::abort();
}

QString writeScratchFile(const QString& name, const QByteArray& content)
{
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        std::abort();
    return path;
}

void takeSetting(QSettings& settings, const QString& key, FuzzInput& input)
{
    const uint8_t kind = input.take<uint8_t>() % 4;
    const QByteArray raw = input.bytes(4);
    uint32_t bits = 0;
    std::memcpy(&bits, raw.constData(), size_t(raw.size()));
    float number;
    std::memcpy(&number, &bits, sizeof number);
    switch (kind) {
    case 0:
        settings.remove(key);
        break;
    case 1:
        settings.setValue(key, QString::number(int32_t(bits)));
        break;
    case 2:
        settings.setValue(key, QString::number(number, 'g', 9));
        break;
    default:
        settings.setValue(key, QString::fromLatin1(raw));
        break;
    }
}

PipeFile::PipeFile(const QByteArray& content)
{
    int ends[2];
    if (content.size() > 65536 || ::pipe(ends) != 0)
        std::abort();
    ::fcntl(ends[1], F_SETPIPE_SZ, 65536);
    if (!content.isEmpty() && ::write(ends[1], content.constData(), size_t(content.size())) != content.size())
        std::abort();
    ::close(ends[1]);
    m_fd = ends[0];
    if (!m_file.open(m_fd, QIODevice::ReadOnly))
        std::abort();
}

PipeFile::~PipeFile()
{
    m_file.close();
    ::close(m_fd);
}

QString readAsFiles(const QString& name, const QByteArray& content, const std::function<void(QFile&)>& read)
{
    const QString path = writeScratchFile(name, content);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    read(file);
    PipeFile pipe(content);
    read(pipe.file());
    return path;
}
