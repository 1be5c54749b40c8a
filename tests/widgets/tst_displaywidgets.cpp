#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "LedWidget.h"
#include "MarqueeWidget.h"
#include "columnWidget.h"
#include "measureStatisticWidget.h"

namespace {

QImage render(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int countPixels(const QImage& image, QRgb color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == color;
    }
    return count;
}

// The shift s for which `later` shows `first` rotated left by s pixels, -1 for none.
int rotation(const QImage& first, const QImage& later)
{
    for (int s = 0; s < first.width(); ++s) {
        bool same = true;
        for (int y = 0; y < first.height() && same; y += 3) {
            for (int x = 0; x < first.width() && same; ++x)
                same = later.pixel(x, y) == first.pixel((x + s) % first.width(), y);
        }
        if (same)
            return s;
    }
    return -1;
}

QPushButton* buttonWithText(QWidget& widget, const QString& text)
{
    for (QPushButton* button : widget.findChildren<QPushButton*>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

class TestDisplayWidgets : public QObject
{
    Q_OBJECT
private slots:
    void columnShowsMillimetres_data();
    void columnShowsMillimetres();
    void columnLimits();
    void ledPaintsItsColour();
    void marqueeRefusesEmptyText();
    void marqueeScrollsAndWraps();
    void marqueeLogoAndLateSettings();
    void statisticTexts();
    void statisticStreamFlag();
    void statisticRequestsAndOptions();
};

void TestDisplayWidgets::columnShowsMillimetres_data()
{
    QTest::addColumn<bool>("asFloat");
    QTest::addColumn<int>("base");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");

    QTest::newRow("int 12345") << false << 0 << 12345.0 << "Ergebnis: 12.345" << 12;
    QTest::newRow("float 2500.5") << true << 0 << 2500.5 << "Ergebnis: 2.5005" << 2;
    QTest::newRow("negative truncates to zero") << false << -5000 << -1500.0 << "Ergebnis: -1.5" << -1;
    QTest::newRow("six digits") << false << 0 << 1234567.0 << "Ergebnis: 1234.57" << 99;
}

void TestDisplayWidgets::columnShowsMillimetres()
{
    QFETCH(bool, asFloat);
    QFETCH(int, base);
    QFETCH(double, value);
    QFETCH(QString, text);
    QFETCH(int, position);

    columnWidget column;
    column.setBaseValue(base);
    if (asFloat)
        column.setMeasureValue(float(value));
    else
        column.setMeasureValue(int(value));
    QCOMPARE(column.findChild<QLabel*>(QStringLiteral("measureLabel"))->text(), text);
    QCOMPARE(column.findChild<QSlider*>()->value(), position);
}

void TestDisplayWidgets::columnLimits()
{
    columnWidget column;
    auto* slider = column.findChild<QSlider*>();
    QCOMPARE(column.findChild<QLabel*>(QStringLiteral("measureLabel"))->text(), QStringLiteral("Ergebnis: 0"));
    QVERIFY(!slider->isEnabled());
    QCOMPARE(slider->orientation(), Qt::Vertical);
    QCOMPARE(slider->size(), QSize(50, 450));
    QCOMPARE(slider->tickPosition(), QSlider::TicksBothSides);

    column.setBaseValue(20000);
    column.setRangeValue(70900);
    QCOMPARE(slider->minimum(), 20);
    QCOMPARE(slider->maximum(), 70);
    QCOMPARE(column.findChild<QLabel*>(QStringLiteral("rangeLabel"))->text(), QStringLiteral("70.9"));
    QCOMPARE(column.getBaseValue(), 20);
    column.setRangeValue(80000);
    QCOMPARE(column.getRangeValue(), 80u);
}

void TestDisplayWidgets::ledPaintsItsColour()
{
    LedWidget led;
    led.resize(40, 40);
    const QRgb initial = 0xFFCCCCCC;
    QCOMPARE(render(led).pixel(27, 27), initial);

    led.changeColor(0xFFFF0000u);
    QImage image = render(led);
    QCOMPARE(image.pixel(27, 27), qRgb(255, 0, 0));
    QVERIFY(image.pixel(2, 2) != qRgb(255, 0, 0));

    led.changeColor(QColor(Qt::green));
    QCOMPARE(render(led).pixel(27, 27), qRgb(0, 255, 0));
    led.setColor(0xFF0000FFu);
    QCOMPARE(render(led).pixel(27, 27), qRgb(0, 0, 255));
}

void TestDisplayWidgets::marqueeRefusesEmptyText()
{
    MarqueeWidget marquee;
    marquee.resize(200, 40);
    marquee.setBgColor(Qt::black);
    marquee.setText(QString());
    QVERIFY(!marquee.start());
    QVERIFY(!marquee.isRunning());
    QCOMPARE(countPixels(render(marquee), qRgb(0, 0, 0)), 0);
}

void TestDisplayWidgets::marqueeScrollsAndWraps()
{
    MarqueeWidget marquee;
    marquee.resize(300, 40); // wider than the text: the strip is the widget's width
    marquee.setText(QStringLiteral("ABC"));
    marquee.setStep(7);
    marquee.setDelay(5);
    QVERIFY(marquee.start());
    QVERIFY(marquee.isRunning());

    const QImage first = render(marquee);
    QCOMPARE(first.pixel(299, 20), qRgb(0, 0, 0));
    QVERIFY(countPixels(first, qRgb(255, 255, 255)) > 20);

    QImage later;
    QTRY_VERIFY((later = render(marquee)) != first);
    const int shift = rotation(first, later);
    QVERIFY2(shift > 0 && shift % 7 == 0, qPrintable(QString::number(shift)));

    // A start while running changes nothing.
    QVERIFY(marquee.start());
    QVERIFY(rotation(first, render(marquee)) >= shift);

    marquee.stop();
    QVERIFY(!marquee.isRunning());
    const QImage stopped = render(marquee);
    QCOMPARE(countPixels(stopped, qRgb(255, 255, 255)) + countPixels(stopped, qRgb(0, 0, 0)), 0);
}

void TestDisplayWidgets::marqueeLogoAndLateSettings()
{
    MarqueeWidget marquee;
    marquee.resize(300, 40);
    QImage logo(10, 10, QImage::Format_RGB32);
    logo.fill(Qt::red);
    marquee.setLogo(logo);
    logo.fill(Qt::blue); // the widget keeps its own copy
    marquee.setDelay(100000);
    QVERIFY(marquee.start());

    QImage image = render(marquee);
    // Centred vertically: rows 15 ... 24.
    QCOMPARE(image.pixel(5, 15), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(5, 24), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(5, 14), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(5, 25), qRgb(0, 0, 0));
    QCOMPARE(countPixels(image, qRgb(255, 0, 0)), 100);

    // Changes wait for the next start.
    marquee.setBgColor(Qt::darkBlue);
    marquee.setLogo(QImage());
    QCOMPARE(render(marquee).pixel(5, 20), qRgb(255, 0, 0));
    marquee.stop();
    QVERIFY(marquee.start());
    image = render(marquee);
    QCOMPARE(countPixels(image, qRgb(255, 0, 0)), 0);
    QCOMPARE(image.pixel(299, 39), QColor(Qt::darkBlue).rgb());
}

void TestDisplayWidgets::statisticTexts()
{
    measureStatisticWidget panel;
    QVERIFY(!panel.isEnabled());
    panel.setHelloLabel(12, 81, 60, 50, 10234);
    const auto label = [&](const char* name) { return panel.findChild<QLabel*>(QLatin1String(name)); };
    QCOMPARE(label("softwareLabel")->text(), QStringLiteral("Softwareversion: 12"));
    QCOMPARE(label("softwareLabel")->geometry(), QRect(10, 5, 130, 20));
    QCOMPARE(label("typeLabel")->text(), QStringLiteral("Typ: 81x"));
    QCOMPARE(label("baseLabel")->text(), QStringLiteral("Empfaenger - Sender, mm: 60"));
    QCOMPARE(label("rangeLabel")->text(), QStringLiteral("Messbereich, mm: 50"));
    QCOMPARE(label("serialLabel")->text(), QStringLiteral("Serialnummer: 10234"));

    panel.setMeasureSpeed(1000);
    QCOMPARE(label("measureSpeedLabel")->text(), QStringLiteral("Messgeschwindichkeit: 1000 Hz"));
    panel.setDataSpeed(1234567.0);
    QCOMPARE(label("dataSpeedLabel")->text(), QStringLiteral("Datengeschwindichkeit: 1.23457e+06 Hz"));
}

void TestDisplayWidgets::statisticStreamFlag()
{
    measureStatisticWidget panel;
    panel.setEnabled(true);
    QSignalSpy spy(&panel, &measureStatisticWidget::StreamAskButtonClicked);
    QPushButton* stream = buttonWithText(panel, QStringLiteral("Starten Bach"));
    QVERIFY(stream);

    QTest::mouseClick(stream, Qt::LeftButton);
    QCOMPARE(spy.last().first().toBool(), true);
    QCOMPARE(stream->text(), QStringLiteral("Datenfluss beenden"));
    QTest::mouseClick(stream, Qt::LeftButton);
    QCOMPARE(spy.last().first().toBool(), false);
    QCOMPARE(stream->text(), QStringLiteral("Datenfluss starten"));

    panel.setFalseFlags();
    QTest::mouseClick(stream, Qt::LeftButton);
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.last().first().toBool(), false);
    QCOMPARE(stream->text(), QStringLiteral("Datenfluss starten"));
}

void TestDisplayWidgets::statisticRequestsAndOptions()
{
    measureStatisticWidget panel;
    panel.setEnabled(true);
    QSignalSpy single(&panel, &measureStatisticWidget::SingleAskButtonClicked);
    QSignalSpy file(&panel, &measureStatisticWidget::FileCheckBoxClicked);
    QSignalSpy eth(&panel, &measureStatisticWidget::EthCheckBoxClicked);

    QPushButton* singleButton = buttonWithText(panel, QStringLiteral("Einzel Anfordern"));
    QTest::mouseClick(singleButton, Qt::LeftButton);
    QCOMPARE(single.size(), 1);
    panel.setSingleButtonText(QStringLiteral("Anfordern"));
    QCOMPARE(singleButton->text(), QStringLiteral("Anfordern"));

    auto* fileBox = panel.findChild<QCheckBox*>(QStringLiteral("fileCheckBox"));
    QCOMPARE(fileBox->text(), QStringLiteral("In Datei Schreiben"));
    fileBox->click();
    fileBox->click();
    QCOMPARE(file.size(), 2);
    QCOMPARE(file.at(0).first().toBool(), true);
    QCOMPARE(file.at(1).first().toBool(), false);
    panel.findChild<QCheckBox*>(QStringLiteral("ethCheckBox"))->click();
    QCOMPARE(eth.size(), 1);
    QCOMPARE(eth.first().first().toBool(), true);

    auto* sampling = panel.findChild<QLineEdit*>(QStringLiteral("samplingEdit"));
    sampling->setText(QStringLiteral("25"));
    QCOMPARE(panel.getSamplingValue(), 25);
    sampling->setText(QStringLiteral("x"));
    QCOMPARE(panel.getSamplingValue(), 0);
}

QTEST_MAIN(TestDisplayWidgets)
#include "tst_displaywidgets.moc"
