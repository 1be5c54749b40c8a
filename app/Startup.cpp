#include "Startup.h"

#include "CommandLine.h"
#include "Platform.h"
#include "UserDialogs.h"
#include "mainwindow.h"

#include <QApplication>
#include <QPixmap>
#include <QSplashScreen>

void initAppResources()
{
    Q_INIT_RESOURCE(resources);
}

static void showSplash(QApplication& app)
{
    QSplashScreen splash(QPixmap(QStringLiteral(":MainWindow/Resources/splash.png")));
    splash.show();
    Sleep(1000);
    splash.close();
    app.processEvents();
}

int runProgram(QApplication& app)
{
    initAppResources();
    if (CommandLine::wantsUsage()) {
        UserDialogs::information(nullptr, CommandLine::usageTitle(), CommandLine::usageText(),
                                 QMessageBox::Ok);
        return 0;
    }
    if (CommandLine::wantsSplash())
        showSplash(app);

    MainWindow window(nullptr, Qt::WindowFlags());
    window.show();
    return app.exec();
}
