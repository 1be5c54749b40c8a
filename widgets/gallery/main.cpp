// Renders each widget of the library with sample content to a PNG in the given folder.
// Run it from a folder that holds resources/images (the build folder does) so the quick
// configuration panel finds its pictures.

#include "AllConfigWidget.h"
#include "BarWidget.h"
#include "FastConfigWidget.h"
#include "LedWidget.h"
#include "MarqueeWidget.h"
#include "VelaHistogram.h"
#include "columnWidget.h"
#include "deviceListWidget.h"
#include "measureStatisticWidget.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cmath>
#include <cstdio>

namespace {

bool render(QWidget& widget, const QDir& folder, const char* name)
{
    widget.show();
    QApplication::processEvents();
    const QString path = folder.filePath(QLatin1String(name) + QStringLiteral(".png"));
    const bool saved = widget.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

void fillConfig(AllConfigWidget& config)
{
    config.setEnabled(true);
    config.setSynchType(1);
    config.setSamplePeriod(500);
    config.setUartBaundrate(48);
    config.setUartNetAddress(1);
    config.setAnalogOutRangeBegin(0);
    config.setAnalogOutRangeEnd(10000);
    config.setZeroPoint(5000);
    config.setDownLimit(4000);
    config.setUpLimit(6000);
    config.setLogicControlByte(char(0x81));
    config.setAverageCount(8);
    config.setResultType(1);
    config.setEthPackType(1);
    config.setMeasureQuantity(10);
    const uchar mac[6] = {0x00, 0x1b, 0x21, 0x0a, 0xbc, 0x01};
    config.setDestMAC(mac);
    config.setSubnetMask(0xFFFFFF00);
    config.setSourceIP(0x0B00007F);
    config.setDestIP(0x0100007F);
    config.addAdapterName(QStringLiteral("eth0"));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;
    bool ok = true;

    VelaHistogram histogram;
    for (int i = 0; i < 400; ++i)
        histogram.addData(8.5 + 3.0 * std::sin(i * 0.37) * std::cos(i * 0.11));
    histogram.resize(350, 420);
    histogram.show();
    histogram.refresh();
    ok &= render(histogram, folder, "histogram");

    AllConfigWidget config;
    fillConfig(config);
    ok &= render(config, folder, "allconfig");

    FastConfigWidget fast;
    fast.setEnabled(true);
    fast.initButtonsState(3);
    ok &= render(fast, folder, "fastconfig");

    deviceListWidget devices;
    devices.addCOMPort(QStringLiteral("ttyUSB0"), 0);
    ok &= render(devices, folder, "devicelist");

    BarWidget bar;
    bar.resize(300, 60);
    for (int i = 0; i < 400; ++i)
        bar.appendMark(10.0 + std::sin(i * 0.1), i % 50 == 0 ? 0xFFFF4040 : 0xFF40C040);
    ok &= render(bar, folder, "bar");

    columnWidget column;
    column.resize(220, 470);
    column.setBaseValue(20000);
    column.setRangeValue(70000);
    column.setMeasureValue(45250);
    ok &= render(column, folder, "column");

    LedWidget led;
    led.resize(40, 40);
    led.changeColor(0xFF20C020u);
    ok &= render(led, folder, "led");

    MarqueeWidget marquee;
    marquee.resize(400, 50);
    marquee.show();
    marquee.start();
    ok &= render(marquee, folder, "marquee");

    measureStatisticWidget statistic;
    statistic.setEnabled(true);
    statistic.setHelloLabel(12, 81, 60, 50, 10234);
    statistic.setMeasureSpeed(1000);
    statistic.setDataSpeed(998.5);
    ok &= render(statistic, folder, "statistic");

    return ok ? 0 : 1;
}
