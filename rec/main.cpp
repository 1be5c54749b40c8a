// ls7x-rec: looks into recordings (dumps, profile sets, point-cloud files), exports them to
// the point-cloud files of 3-D tools, splits and joins them.
#include "PointExport.h"
#include "RecordCopy.h"
#include "RecordingInfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

enum ExitCode { Done = 0, BadInput = 1, Usage = 2 };

class Tool
{
    Q_DECLARE_TR_FUNCTIONS(Ls7xRec)

public:
    explicit Tool(QStringList args) : m_args(std::move(args)) {}
    int run();

private:
    int info();
    int exportCloud();
    int split();
    int join();

    int usage(const QString& problem);
    int badInput(const QString& file, const QString& reason);
    bool openInput(const QString& path, QFile& file);
    // The value after option `name`, taken out of the arguments; false when it is missing.
    bool takeValue(const QString& name, QString* value, bool* given);
    bool takeFlag(const QString& name);
    std::function<void(qint64)> progressFor(const QString& path, const QString& action);

    QStringList m_args;
    QElapsedTimer m_sinceProgress;
};

void print(FILE* to, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

const char* const usageText = QT_TRANSLATE_NOOP("Ls7xRec", R"(Usage: ls7x-rec COMMAND ...

Looks into recordings of LS7x-SU and the Vela libraries (dumps, profile sets, point-cloud
files) and turns them into the point clouds of 3-D tools.

  info FILE... [--json]
      kind, records, points per record, x/y/z ranges, undefined points and, for dumps,
      the measurement-counter gaps (lost profiles) and duplicates
  export FILE --to OUT.ply|OUT.pcd|OUT.csv|OUT.xyz [--pitch MM] [--range A:B] [--every N]
         [--ascii]
      one point cloud: x and y from the profile, z from the record, or record index x pitch
      where a record has no position (dumps; pitch 1 mm by default); records A to B
      (0-based, either may be left out), every N-th of them; undefined points are left out.
      PLY and PCD are binary little-endian unless --ascii
  split FILE --every N
      FILE-0001.bin, FILE-0002.bin, ... of N records each (dumps and profile sets)
  cat A B... --to C
      the records of A, B, ... one after another into C

Exit codes: 0 done, 1 bad input (or an output that cannot be written), 2 usage.
)");

} // namespace

int Tool::usage(const QString& problem)
{
    print(stderr, tr("ls7x-rec: %1\n(see ls7x-rec --help)\n").arg(problem));
    return Usage;
}

int Tool::badInput(const QString& file, const QString& reason)
{
    print(stderr, tr("ls7x-rec: %1: %2\n").arg(file, reason));
    return BadInput;
}

bool Tool::openInput(const QString& path, QFile& file)
{
    file.setFileName(path);
    if (QFileInfo(path).isDir()) {
        badInput(path, tr("is a folder"));
        return false;
    }
    // Records are read in pieces of their own size: Qt's buffer would only add a copy.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        badInput(path, file.errorString());
        return false;
    }
    return true;
}

bool Tool::takeFlag(const QString& name)
{
    return m_args.removeAll(name) > 0;
}

bool Tool::takeValue(const QString& name, QString* value, bool* given)
{
    const qsizetype at = m_args.indexOf(name);
    *given = at >= 0;
    if (at < 0)
        return true;
    if (at + 1 >= m_args.size())
        return false;
    *value = m_args.takeAt(at + 1);
    m_args.removeAt(at);
    return true;
}

std::function<void(qint64)> Tool::progressFor(const QString& path, const QString& action)
{
    const qint64 size = QFileInfo(path).size();
    if (size < (qint64(64) << 20))
        return {};
    m_sinceProgress.start();
    return [this, size, path, action](qint64 done) {
        if (m_sinceProgress.elapsed() < 1000)
            return;
        m_sinceProgress.restart();
        print(stderr, tr("ls7x-rec: %1 %2: %3 %\n").arg(action, path).arg(done * 100 / size));
    };
}

int Tool::info()
{
    const bool json = takeFlag(QStringLiteral("--json"));
    if (m_args.isEmpty())
        return usage(tr("info needs at least one file"));
    for (const QString& arg : m_args) {
        if (arg.startsWith(QLatin1String("--")))
            return usage(tr("unknown option %1").arg(arg));
    }
    int result = Done;
    QStringList objects;
    for (const QString& path : m_args) {
        QFile file;
        if (!openInput(path, file)) {
            result = BadInput;
            continue;
        }
        const RecordingSummary summary = summarizeRecording(file, progressFor(path, tr("reading")));
        if (json)
            objects << recordingJson(path, summary);
        else
            print(stdout, describeRecording(path, summary));
        if (!summary.error.isEmpty()) {
            badInput(path, summary.error);
            result = BadInput;
        }
    }
    if (json)
        print(stdout, QLatin1Char('[') + objects.join(QLatin1Char(',')) + QLatin1String("]\n"));
    return result;
}

int Tool::exportCloud()
{
    ExportOptions options;
    options.ascii = takeFlag(QStringLiteral("--ascii"));
    QString to, pitch, range, every;
    bool hasTo, hasPitch, hasRange, hasEvery;
    if (!takeValue(QStringLiteral("--to"), &to, &hasTo) || !takeValue(QStringLiteral("--pitch"), &pitch, &hasPitch)
        || !takeValue(QStringLiteral("--range"), &range, &hasRange)
        || !takeValue(QStringLiteral("--every"), &every, &hasEvery))
        return usage(tr("an option lacks its value"));
    if (m_args.size() != 1 || m_args[0].startsWith(QLatin1String("--")))
        return usage(tr("export takes one recording"));
    if (!hasTo || !pointFormatOf(to, &options.format))
        return usage(tr("export needs --to OUT.ply, OUT.pcd, OUT.csv or OUT.xyz"));
    bool ok = true;
    if (hasPitch) {
        options.pitch = pitch.toDouble(&ok);
        if (!ok || !std::isfinite(options.pitch) || options.pitch <= 0)
            return usage(tr("--pitch takes a positive number of millimetres"));
    }
    if (hasEvery) {
        options.every = every.toLongLong(&ok);
        if (!ok || options.every < 1)
            return usage(tr("--every takes a positive count"));
    }
    if (hasRange) {
        const QStringList bounds = range.split(QLatin1Char(':'));
        bool firstOk = true, lastOk = true;
        if (bounds.size() == 2) {
            options.first = bounds[0].isEmpty() ? 0 : bounds[0].toLongLong(&firstOk);
            options.last = bounds[1].isEmpty() ? -1 : bounds[1].toLongLong(&lastOk);
        }
        if (bounds.size() != 2 || !firstOk || !lastOk || options.first < 0
            || (options.last >= 0 && options.last < options.first) || options.last < -1)
            return usage(tr("--range takes A:B, record indices from 0 with A <= B (either may be left out)"));
    }
    QFile input;
    if (!openInput(m_args[0], input))
        return BadInput;
    QSaveFile output(to);
    if (!output.open(QIODevice::WriteOnly))
        return badInput(to, output.errorString());
    const ExportResult result = PointExport::run(input, output, options, progressFor(m_args[0], tr("exporting")));
    if (!result.error.isEmpty())
        return badInput(m_args[0], result.error);
    if (!output.commit())
        return badInput(to, output.errorString());
    print(stdout, tr("%1: %2 points of %3 records\n").arg(to).arg(result.points).arg(result.records));
    return Done;
}

int Tool::split()
{
    QString every;
    bool hasEvery;
    if (!takeValue(QStringLiteral("--every"), &every, &hasEvery))
        return usage(tr("an option lacks its value"));
    bool ok = false;
    const qint64 n = every.toLongLong(&ok);
    if (!hasEvery || !ok || n < 1)
        return usage(tr("split needs --every N, a positive count of records"));
    if (m_args.size() != 1 || m_args[0].startsWith(QLatin1String("--")))
        return usage(tr("split takes one recording"));
    const QString path = m_args[0];
    QFile input;
    if (!openInput(path, input))
        return BadInput;
    const QFileInfo info(path);
    const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('-');
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral(".bin") : QLatin1Char('.') + info.suffix();
    for (int part = 1; !input.atEnd(); ++part) {
        const QString name = stem + QStringLiteral("%1").arg(part, 4, 10, QLatin1Char('0')) + suffix;
        QSaveFile output(name);
        if (!output.open(QIODevice::WriteOnly))
            return badInput(name, output.errorString());
        QString error;
        const qint64 copied = RecordCopy::copy(input, output, n, &error);
        if (copied < 0)
            return badInput(path, error);
        if (!output.commit())
            return badInput(name, output.errorString());
        print(stdout, tr("%1: %2 records\n").arg(name).arg(copied));
    }
    return Done;
}

int Tool::join()
{
    QString to;
    bool hasTo;
    if (!takeValue(QStringLiteral("--to"), &to, &hasTo) || !hasTo)
        return usage(tr("cat needs --to FILE"));
    if (m_args.isEmpty())
        return usage(tr("cat needs the recordings to join"));
    QSaveFile output(to);
    if (!output.open(QIODevice::WriteOnly))
        return badInput(to, output.errorString());
    qint64 records = 0;
    for (const QString& path : std::as_const(m_args)) {
        if (QFileInfo(path).absoluteFilePath() == QFileInfo(to).absoluteFilePath())
            return usage(tr("cat cannot write into one of its inputs"));
        QFile input;
        if (!openInput(path, input))
            return BadInput;
        QString error;
        const qint64 copied = RecordCopy::copy(input, output, -1, &error);
        if (copied < 0)
            return badInput(path, error);
        records += copied;
    }
    if (!output.commit())
        return badInput(to, output.errorString());
    print(stdout, tr("%1: %2 records\n").arg(to).arg(records));
    return Done;
}

int Tool::run()
{
    if (m_args.isEmpty())
        return usage(tr("no command"));
    const QString command = m_args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        print(stdout, tr(usageText));
        return Done;
    }
    if (command == QLatin1String("info"))
        return info();
    if (command == QLatin1String("export"))
        return exportCloud();
    if (command == QLatin1String("split"))
        return split();
    if (command == QLatin1String("cat"))
        return join();
    return usage(tr("unknown command %1").arg(command));
}

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return Tool(args).run();
}
