#include "CommandLine.h"
#include "Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    CommandLine::setArguments(argc, argv);
    return runProgram(app);
}
