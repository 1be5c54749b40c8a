// A configuration file (*.ls71) picked for import: read over the values the controls show, then
// put into the controls the import sets (sliders, address editors, port, frequency) and into a
// device object's parameter copy, as far as the values go before a write to the sensor.

#include "ConfigFile.h"
#include "FuzzInput.h"
#include "IPEditWidget.h"
#include "LS71Device.h"
#include "MeasurementWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QRect>
#include <QSlider>
#include <QSpinBox>

#include <vector>


namespace {

struct Controls
{
    QSlider laserLevel;
    QSlider exposure;
    QSlider threshold;
    IPEditWidget address;
    IPEditWidget mask;
    IPEditWidget host;
    QSpinBox port;
    QComboBox frequency;

    Controls()
    {
        laserLevel.setRange(0, 31);
        exposure.setRange(1, 3600);
        threshold.setRange(0, 255);
        port.setRange(1024, 65535);
        frequency.addItem(QStringLiteral("disable"));
        for (int hz = 1; hz <= 250; ++hz)
            frequency.addItem(QStringLiteral("%1 Hz").arg(hz));
    }
};

Controls& controls()
{
    static int argc = 1;
    static char name[] = "fuzz_config_import";
    static char* argv[] = {name, nullptr};
    // Made once and never destroyed: a QApplication must not outlive Qt's own statics at exit.
    static Controls* made = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
        return new Controls;
    }();
    return *made;
}

void sendAddress(const IPEditWidget& edit, VelaDevice::LS71Device& device,
                 int (VelaDevice::LS7xDevice::*set)(const unsigned char*))
{
    unsigned char address[4];
    if (edit.getAddress(address, false))
        (device.*set)(address);
}

} // namespace

// QSettings keeps the files it read in a cache of its own, so every input ends with memory that
// it took and did not give back; leak checks after every input would halve the rate and more.
// libFuzzer reads its flags after this call.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<char*> arguments(*argv, *argv + *argc);
    static char noLeakChecks[] = "-detect_leaks=0";
    arguments.push_back(noLeakChecks);
    arguments.push_back(nullptr);
    *argc = int(arguments.size()) - 1;
    *argv = arguments.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Controls& c = controls();
    const QString path = writeScratchFile(QStringLiteral("import.ls71"),
                                          QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    SensorConfig config;
    config.laserLevel = 20;
    config.integrationTime = 400;
    config.pixelBrightnessThreshold = 30;
    config.networkAddress = QStringLiteral("127.0.0.11");
    config.networkMask = QStringLiteral("255.0.0.0");
    config.udpAddress = QStringLiteral("127.0.0.1");
    config.udpPortNumber = 6003;
    config.udpFrequency = 100;
    if (!ConfigFile::read(path, &config))
        return 0;

    c.laserLevel.setValue(config.laserLevel);
    c.exposure.setValue(config.integrationTime);
    c.threshold.setValue(config.pixelBrightnessThreshold);
    c.address.setText(config.networkAddress);
    c.mask.setText(config.networkMask);
    c.host.setText(config.udpAddress);
    c.port.setValue(config.udpPortNumber);
    c.frequency.setCurrentIndex(config.udpFrequency);

    const QRect selection(QPoint(config.window.imageLeft(), config.window.imageTop()),
                          QPoint(config.window.imageRight(), config.window.imageBottom()));
    const MeasurementWindow back = MeasurementWindow::fromCorners(selection.topLeft(), selection.bottomRight());
    (void)back;

    VelaDevice::_UDP_DEVINFOBLOCK_PC block{};
    block.DeviceType = VelaDevice::DeviceTypeLS71;
    VelaDevice::LS71Device device(&block);
    config.window.applyTo(device);
    device.SetLaserLevel(static_cast<unsigned char>(c.laserLevel.value()));
    device.SetExposureTime(static_cast<unsigned short>(c.exposure.value()));
    sendAddress(c.address, device, &VelaDevice::LS7xDevice::SetDeviceIPAddress);
    sendAddress(c.mask, device, &VelaDevice::LS7xDevice::SetNetworkMask);
    sendAddress(c.host, device, &VelaDevice::LS7xDevice::SetHostIPAddress);
    device.SetHostPortNumber(static_cast<unsigned short>(c.port.value()));
    device.SetUDPFrequency(static_cast<unsigned char>(c.frequency.currentIndex()));
    return 0;
}
