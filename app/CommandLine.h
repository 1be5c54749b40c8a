#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The program's command-line options. The arguments after the program name are kept,
// lower-cased, for the lifetime of the program; options are whole words in any order.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    static void setArguments(int argc, char** argv);
    static void setArguments(const QStringList& argumentsAfterProgramName);
    static const QStringList& arguments();

    static bool wantsUsage();
    static bool wantsSplash();
    static bool wantsAutoSearch();
    // The argument following "/beamcolor", or an empty string when there is none.
    static QString beamColorName();

    static QString usageTitle();
    static QString usageText();

private:
    static QStringList& storage();
};
