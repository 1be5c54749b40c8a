#include "DeviceTestSupport.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstring>

using namespace DeviceTest;
using VelaDevice::LS71Device;
using VelaDevice::LS74Device;

class tst_Camera : public QObject
{
    Q_OBJECT

private slots:
    void laserLineIsWhereThePixelLineSaysItIs();
    void brightnessFollowsLaserLevel();
    void windowCropsTheFrameOutsideRawImageMode();
    void fpgaGainsShapeTheLine();
    void pixelLinesNeedCalibrationMode();
    void autoExposureSteersTheExposure();
    void noMoreMeasurementsThanTheExposureAllows_data();
    void noMoreMeasurementsThanTheExposureAllows();
};

namespace {

// Row of the brightest pixel in each column.
std::vector<int> brightestRows(const std::vector<uint8_t>& frame)
{
    std::vector<int> rows(640, 0);
    for (int c = 0; c < 640; ++c) {
        for (int r = 1; r < 512; ++r) {
            if (frame[size_t(r * 640 + c)] > frame[size_t(rows[size_t(c)] * 640 + c)])
                rows[size_t(c)] = r;
        }
    }
    return rows;
}

uint8_t peak(const std::vector<uint8_t>& frame)
{
    return *std::max_element(frame.begin(), frame.end());
}

struct Connected {
    std::unique_ptr<Emulator> emulator;
    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    std::unique_ptr<LS74Device> device;
};

Connected connectLS74()
{
    Connected c;
    c.emulator = startEmulator({{Model::LS74, 0}});
    c.block = blockOf(*c.emulator, 0);
    c.device = std::make_unique<LS74Device>(&c.block);
    c.device->Connect();
    c.device->ReadParams();
    return c;
}

} // namespace

void tst_Camera::laserLineIsWhereThePixelLineSaysItIs()
{
    Connected c = connectLS74();
    QCOMPARE(c.device->SetCalibrationMode(1), 1);
    // Pixel lines just before and just after the frame bracket where the moving scene was.
    std::vector<uint32_t> before(640), after(640);
    std::vector<uint8_t> frame(LS74Device::ImageBufferSize);
    QCOMPARE(c.device->GetPixels(before.data()), 1);
    QCOMPARE(c.device->GetImage(frame.data()), 1);
    QCOMPARE(c.device->GetPixels(after.data()), 1);
    const std::vector<int> rows = brightestRows(frame);
    int compared = 0, matching = 0;
    for (int col = 6; col < 639; ++col) {
        if (before[size_t(col)] == 0xFFFFFFFFu || after[size_t(col)] == 0xFFFFFFFFu)
            continue;
        ++compared;
        const double first = before[size_t(col)] / 1e6, second = after[size_t(col)] / 1e6;
        QVERIFY(first >= 0 && first < 512);
        matching += rows[size_t(col)] >= std::min(first, second) - 3 && rows[size_t(col)] <= std::max(first, second) + 3;
    }
    QVERIFY2(compared > 500 && matching > compared * 9 / 10, qPrintable(QString("%1 of %2").arg(matching).arg(compared)));
}

void tst_Camera::brightnessFollowsLaserLevel()
{
    auto emulator = startEmulator({{Model::LS71, 0}});
    const auto block = blockOf(*emulator, 0);
    LS71Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    std::vector<uint8_t> frame(LS71Device::ImageBufferSize);
    QCOMPARE(device.GetImage(frame.data()), 1);
    const uint8_t normal = peak(frame);
    device.SetLaserLevel(5);
    QCOMPARE(device.WriteParams(), 1);
    QCOMPARE(device.GetImage(frame.data()), 1);
    const uint8_t dim = peak(frame);
    device.SetLaserLevel(0);
    device.SetExposureTime(100);
    QCOMPARE(device.WriteParams(), 1);
    QCOMPARE(device.GetImage(frame.data()), 1);
    const uint8_t dark = peak(frame);
    QVERIFY2(normal > 2 * dim && dim > dark && dark < 20,
             qPrintable(QString("%1 %2 %3").arg(normal).arg(dim).arg(dark)));
}

void tst_Camera::windowCropsTheFrameOutsideRawImageMode()
{
    Connected c = connectLS74();
    c.device->SetUpperBoundary(0);
    c.device->SetWindowHeight(127);   // the upper half
    c.device->SetEnableRawImageMode(0);
    QCOMPARE(c.device->WriteParams(), 1);
    std::vector<uint8_t> frame(LS74Device::ImageBufferSize);
    QCOMPARE(c.device->GetImage(frame.data()), 1);
    QVERIFY(std::all_of(frame.begin() + 256 * 640, frame.end(), [](uint8_t v) { return v == 0; }));
    QVERIFY(std::any_of(frame.begin(), frame.begin() + 255 * 640, [](uint8_t v) { return v != 0; }));
    c.device->SetEnableRawImageMode(1);
    QCOMPARE(c.device->WriteParams(), 1);
    QCOMPARE(c.device->GetImage(frame.data()), 1);
    QVERIFY(std::any_of(frame.begin() + 256 * 640, frame.end(), [](uint8_t v) { return v != 0; }));
}

void tst_Camera::fpgaGainsShapeTheLine()
{
    Connected c = connectLS74();
    std::vector<uint8_t> table(LS74Device::FpgaParamsSize);
    QCOMPARE(c.device->ReadFpgaParams(table.data()), 1);
    // Columns 0 to 319 dark, the rest at unity gain.
    std::fill(table.begin(), table.begin() + 320, uint8_t(0));
    QCOMPARE(c.device->WriteFpgaParams(table.data()), 1);
    std::vector<uint8_t> frame(LS74Device::ImageBufferSize);
    QCOMPARE(c.device->GetImage(frame.data()), 1);
    uint8_t left = 0, right = 0;
    for (int r = 0; r < 512; ++r) {
        for (int col = 0; col < 640; ++col)
            (col < 320 ? left : right) = std::max(col < 320 ? left : right, frame[size_t(r * 640 + col)]);
    }
    QVERIFY2(left < 40 && right > 60, qPrintable(QString("%1 %2").arg(left).arg(right)));
}

void tst_Camera::pixelLinesNeedCalibrationMode()
{
    Connected c = connectLS74();
    std::vector<uint32_t> pixels(640);
    QCOMPARE(c.device->GetPixels(pixels.data()), 0);
    QCOMPARE(c.device->SetCalibrationMode(1), 1);
    QCOMPARE(c.device->GetPixels(pixels.data()), 1);
    const uint16_t firstMeas = uint16_t(pixels[0]);
    QTest::qSleep(10);
    QCOMPARE(c.device->GetPixels(pixels.data()), 1);
    QVERIFY(uint16_t(uint16_t(pixels[0]) - firstMeas) >= 1);
    QCOMPARE(pixels[5], 640u);
    QCOMPARE(c.device->SetCalibrationMode(0), 1);
    QCOMPARE(c.device->GetPixels(pixels.data()), 0);
}

void tst_Camera::autoExposureSteersTheExposure()
{
    Connected c = connectLS74();
    c.device->SetExposureTime(3000);   // far too bright: the line saturates
    c.device->SetAutoExposureMode(1);
    QCOMPARE(c.device->WriteParams(), 1);
    std::vector<uint8_t> raw(LS74Device::ProfileBufferSize);
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(c.device->GetResult(raw.data()), 1);
        QTest::qSleep(2);
    }
    unsigned short exposure = 0;
    QCOMPARE(c.device->GetAutoExposure(&exposure), 1);
    QVERIFY2(exposure < 1500 && exposure >= 10, qPrintable(QString::number(exposure)));
    QCOMPARE(c.device->GetAutoExposure(nullptr), 0);
}

void tst_Camera::noMoreMeasurementsThanTheExposureAllows_data()
{
    QTest::addColumn<QString>("demand");
    QTest::newRow("frames back to back") << "frames";
    QTest::newRow("pixel lines back to back") << "pixels";
    QTest::newRow("results pushed at 2000 per second") << "pushed";
    QTest::newRow("results triggered by every request") << "synced";
}

// Whatever is asked of it, the camera takes at most one measurement per exposure time; the
// measurement counter tells how many it took.
void tst_Camera::noMoreMeasurementsThanTheExposureAllows()
{
    QFETCH(QString, demand);
    constexpr int ExposureUs = 5000;
    Connected c = connectLS74();
    c.device->SetExposureTime(ExposureUs);
    c.device->SetAutoExposureMode(0);
    c.device->SetExternalMeasurementSyncEnabled(demand == "synced" ? 1 : 0);
    QCOMPARE(c.device->WriteParams(), 1);
    QCOMPARE(c.device->SetCalibrationMode(demand == "pixels" ? 1 : 0), 1);
    std::vector<uint8_t> raw(LS74Device::ProfileBufferSize);
    std::vector<uint8_t> frame(LS74Device::ImageBufferSize);
    const auto measurementCounter = [&] {
        return c.device->GetResult(raw.data()) == 1 ? uint16_t(raw[0] | raw[1] << 8) : uint16_t(0);
    };
    if (demand == "pushed")
        c.emulator->setResultRate(2000);

    QElapsedTimer clock;
    clock.start();
    const uint16_t first = measurementCounter();
    while (clock.elapsed() < 400) {
        if (demand == "frames")
            QCOMPARE(c.device->GetImage(frame.data()), 1);
        else if (demand == "pixels")
            QCOMPARE(c.device->GetPixels(frame.data()), 1);
        else if (demand == "synced")
            measurementCounter();
        else
            QTest::qSleep(10);
    }
    // Long enough for the camera to be free again, so that the last read is a new measurement.
    QTest::qSleep(3 * ExposureUs / 1000);
    const int taken = uint16_t(measurementCounter() - first);
    const qint64 allowed = clock.elapsed() * 1000 / ExposureUs + 2;
    QVERIFY2(taken > 0 && taken <= allowed, qPrintable(QString("%1 of at most %2").arg(taken).arg(allowed)));
}

QTEST_GUILESS_MAIN(tst_Camera)
#include "tst_camera.moc"
