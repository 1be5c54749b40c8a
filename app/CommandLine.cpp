#include "CommandLine.h"

QStringList& CommandLine::storage()
{
    static QStringList args;
    return args;
}

void CommandLine::setArguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLatin1(argv[i]));
    setArguments(args);
}

void CommandLine::setArguments(const QStringList& argumentsAfterProgramName)
{
    QStringList& args = storage();
    args.clear();
    for (const QString& arg : argumentsAfterProgramName)
        args.append(arg.toLower());
}

const QStringList& CommandLine::arguments()
{
    return storage();
}

bool CommandLine::wantsUsage()
{
    return arguments().contains(QStringLiteral("/?"));
}

bool CommandLine::wantsSplash()
{
    return !arguments().contains(QStringLiteral("/nologo"));
}

bool CommandLine::wantsAutoSearch()
{
    return arguments().contains(QStringLiteral("/autosearch"));
}

QString CommandLine::beamColorName()
{
    const QStringList& args = arguments();
    const int at = args.indexOf(QStringLiteral("/beamcolor"));
    if (at < 0 || at + 1 >= args.size())
        return QString();
    return args.at(at + 1);
}

QString CommandLine::usageTitle()
{
    return tr("LS71-SU");
}

QString CommandLine::usageText()
{
    return tr("Usage:\n\nLS71-SU [options]\n\n/Options are:\n\n/nologo\tDisable start logo\n"
              "/autosearch\tExecute search on start\n/beamcolor <color>\tSet default beam color");
}
