// Captions and values of the point-sensor panels are shown whole wherever the panel's own layout
// gives them their width; the sizes the panels must keep are left out. The panels ask for
// "MS Shell Dlg 2", which fontconfig on a Debian desktop draws with DejaVu Sans.
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionComboBox>

#include "AllConfigWidget.h"
#include "columnWidget.h"
#include "deviceListWidget.h"
#include "measureStatisticWidget.h"

namespace {

QString cut(const QWidget* widget, const QString& text, int needed, int has)
{
    return QStringLiteral("%1 %2: needs %3, has %4")
        .arg(QLatin1String(widget->metaObject()->className()), text)
        .arg(needed)
        .arg(has);
}

// Every caption, value and item of `panel` that is cut, apart from the widgets in `kept`.
QStringList cutTexts(QWidget& panel, const QList<const QWidget*>& kept = {})
{
    panel.show(); // the style polishes the widgets
    QStringList cuts;
    for (const QLabel* label : panel.findChildren<QLabel*>()) {
        if (kept.contains(label))
            continue;
        const QRect area = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = label->fontMetrics().boundingRect(area, flags, label->text());
        if (!area.contains(needed))
            cuts << cut(label, label->text(), needed.width(), area.width());
        if (!label->parentWidget()->rect().contains(label->geometry()))
            cuts << cut(label, label->text() + QStringLiteral(" (outside its parent)"), 0, 0);
    }
    for (const QAbstractButton* button : panel.findChildren<QAbstractButton*>()) {
        const bool captioned = qobject_cast<const QPushButton*>(button) || qobject_cast<const QCheckBox*>(button);
        if (captioned && !kept.contains(button) && button->sizeHint().width() > button->width())
            cuts << cut(button, button->text(), button->sizeHint().width(), button->width());
    }
    for (const QComboBox* combo : panel.findChildren<QComboBox*>()) {
        if (kept.contains(combo))
            continue;
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.frame = combo->hasFrame();
        option.subControls = QStyle::SC_All;
        const int field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, combo).width() - 2;
        for (int i = 0; i < combo->count(); ++i) {
            const int needed = combo->fontMetrics().horizontalAdvance(combo->itemText(i));
            if (needed > field)
                cuts << cut(combo, combo->itemText(i), needed, field);
        }
    }
    return cuts;
}

template <typename W>
QList<const QWidget*> named(const QWidget& panel, std::initializer_list<const char*> names)
{
    QList<const QWidget*> found;
    for (W* widget : panel.findChildren<W*>()) {
        for (const char* name : names) {
            if (widget->objectName() == QLatin1String(name) || widget->property("text").toString() == name)
                found << widget;
        }
    }
    return found;
}

} // namespace

class TestPanelCaptions : public QObject
{
    Q_OBJECT
private slots:
    void captionsAndValuesAreWhole();
};

void TestPanelCaptions::captionsAndValuesAreWhole()
{
    QCOMPARE(QFontInfo(QFont(QStringLiteral("MS Shell Dlg 2"), 8)).family(), QStringLiteral("DejaVu Sans"));

    AllConfigWidget config;
    // Sizes the panel must keep: its buttons and the I/O logic combo boxes, at most 100 wide.
    QList<const QWidget*> kept = named<QPushButton>(config, {"ins Flash speichern", "Default widerstellen"});
    for (const QComboBox* combo : config.findChildren<QComboBox*>()) {
        if (combo->parentWidget()->property("title").toString() == QLatin1String("I/O Logik Eigenschaften"))
            kept << combo;
    }
    QCOMPARE(kept.size(), 5);
    QStringList cuts = cutTexts(config, kept);

    deviceListWidget devices;
    devices.addCOMPort(QStringLiteral("COM256"), 0);
    devices.addCOMPort(QStringLiteral("ttyUSB0"), 1);
    devices.setConnectButtonText("Neu verbinden");
    cuts << cutTexts(devices, named<QPushButton>(devices, {"Serial Listner starten"}));

    measureStatisticWidget statistic;
    statistic.setMeasureSpeed(-1.23457e+06);
    statistic.setDataSpeed(-1.23457e+06);
    const QList<const QWidget*> fixedLabels = named<QLabel>(
        statistic, {"softwareLabel", "typeLabel", "baseLabel", "rangeLabel", "serialLabel"});
    cuts << cutTexts(statistic, fixedLabels + named<QPushButton>(statistic, {"streamButton", "singleButton"}));

    columnWidget column;
    column.setMeasureValue(-2147483647);
    column.setBaseValue(-2147483647);
    column.setRangeValue(4294967295u);
    cuts << cutTexts(column);
    QVERIFY2(cuts.isEmpty(), qPrintable(cuts.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestPanelCaptions)
#include "tst_panelcaptions.moc"
