#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

#include "FastConfigWidget.h"

namespace {

const char* const pictureNames[] = {"edge", "diameter", "gap", "borders"};

// Every picture gets its own colour so a test can tell which one a button shows.
QRgb pictureColor(int button, bool active)
{
    return qRgb(40 + 50 * button, active ? 220 : 20, active ? 30 : 200);
}

QList<QToolButton*> buttons(FastConfigWidget& panel)
{
    QList<QToolButton*> list = panel.findChildren<QToolButton*>();
    std::sort(list.begin(), list.end(), [](QToolButton* a, QToolButton* b) { return a->x() < b->x(); });
    return list;
}

QRgb shownColor(QToolButton* button)
{
    const QImage image = button->icon().pixmap(QSize(50, 47)).toImage();
    return image.isNull() ? 0 : image.pixel(25, 23) & 0xFFFFFF;
}

// Index of the button showing its active picture, -1 for none; fails on a wrong picture.
int activeButton(FastConfigWidget& panel)
{
    int active = -1;
    const QList<QToolButton*> list = buttons(panel);
    for (int i = 0; i < list.size(); ++i) {
        const QRgb color = shownColor(list.at(i));
        if (color == (pictureColor(i, true) & 0xFFFFFF))
            active = active == -1 ? i : -2;
        else if (color != (pictureColor(i, false) & 0xFFFFFF))
            return -3;
    }
    return active;
}

// How many of the two border labels and combo boxes are enabled within the panel.
int enabledBorderControls(FastConfigWidget& panel)
{
    int enabled = 0;
    for (QLabel* label : panel.findChildren<QLabel*>())
        enabled += label->isEnabledTo(&panel);
    for (QComboBox* combo : panel.findChildren<QComboBox*>())
        enabled += combo->isEnabledTo(&panel);
    return enabled;
}

struct ButtonSpies
{
    explicit ButtonSpies(FastConfigWidget& panel)
        : spies{{&panel, &FastConfigWidget::Button1Pressed}, {&panel, &FastConfigWidget::Button2Pressed},
                {&panel, &FastConfigWidget::Button3Pressed}, {&panel, &FastConfigWidget::Button4Pressed}}
    {
    }
    // Which single button signal was emitted once, -1 for none, -2 for anything else.
    int emitted() const
    {
        int which = -1;
        for (int i = 0; i < 4; ++i) {
            if (spies[i].size() == 1 && which == -1)
                which = i;
            else if (!spies[i].isEmpty())
                return -2;
        }
        return which;
    }
    QSignalSpy spies[4];
};

} // namespace

class TestFastConfig : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void startsInactiveAndDisabled();
    void buttonPress_data();
    void buttonPress();
    void bordersAreOffBeforeSimpleTypeIsReported();
    void initButtonsState_data();
    void initButtonsState();
    void unknownInitModeChangesNothing();
    void switchButtons_data();
    void switchButtons();
    void borderChoices();

private:
    QTemporaryDir m_pictures;
    QString m_oldDir;
};

void TestFastConfig::initTestCase()
{
    QVERIFY(m_pictures.isValid());
    QVERIFY(QDir(m_pictures.path()).mkpath(QStringLiteral("resources/images")));
    for (int i = 0; i < 4; ++i) {
        for (bool active : {true, false}) {
            QImage image(50, 47, QImage::Format_RGB32);
            image.fill(pictureColor(i, active));
            const QString name = QStringLiteral("resources/images/%1_%2.png")
                                     .arg(QLatin1String(pictureNames[i]),
                                          active ? QStringLiteral("activ") : QStringLiteral("noactiv"));
            QVERIFY(image.save(m_pictures.filePath(name)));
        }
    }
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_pictures.path()));
}

void TestFastConfig::cleanupTestCase()
{
    QDir::setCurrent(m_oldDir);
}

void TestFastConfig::startsInactiveAndDisabled()
{
    FastConfigWidget panel;
    QVERIFY(!panel.isEnabled());
    QCOMPARE(enabledBorderControls(panel), 0);
    QCOMPARE(activeButton(panel), -1);

    const QList<QToolButton*> list = buttons(panel);
    QCOMPARE(list.size(), 4);
    const QStringList tips = {"Kantestelle", "Diametr/Position", "Position", "Ganzes Objekt"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(list.at(i)->toolTip(), tips.at(i));
        QCOMPARE(list.at(i)->x(), 10 + 55 * i);
        QCOMPARE(list.at(i)->iconSize(), QSize(50, 47));
    }
    for (QComboBox* combo : panel.findChildren<QComboBox*>()) {
        QCOMPARE(combo->count(), 128);
        QCOMPARE(combo->itemText(127), QStringLiteral("127"));
        QCOMPARE(combo->itemData(127).toInt(), 127);
    }
}

void TestFastConfig::buttonPress_data()
{
    QTest::addColumn<int>("button");
    for (int i = 0; i < 4; ++i)
        QTest::addRow("button %d", i + 1) << i;
}

void TestFastConfig::buttonPress()
{
    QFETCH(int, button);

    FastConfigWidget panel;
    panel.setEnabled(true);
    panel.initButtonsState(button == 3 ? 0 : 3); // start from another type
    ButtonSpies spies(panel);
    QTest::mouseClick(buttons(panel).at(button), Qt::LeftButton);

    QCOMPARE(spies.emitted(), button);
    QCOMPARE(activeButton(panel), button);
    QCOMPARE(enabledBorderControls(panel), button == 3 ? 4 : 0);
}

void TestFastConfig::bordersAreOffBeforeSimpleTypeIsReported()
{
    FastConfigWidget panel;
    panel.setEnabled(true);
    panel.initButtonsState(3);
    bool disabledWhenReported = false;
    connect(&panel, &FastConfigWidget::Button2Pressed, this,
            [&] { disabledWhenReported = enabledBorderControls(panel) == 0; });
    QTest::mouseClick(buttons(panel).at(1), Qt::LeftButton);
    QVERIFY(disabledWhenReported);
}

void TestFastConfig::initButtonsState_data()
{
    QTest::addColumn<int>("mode");
    for (int mode = 0; mode < 4; ++mode)
        QTest::addRow("mode %d", mode) << mode;
}

void TestFastConfig::initButtonsState()
{
    QFETCH(int, mode);

    FastConfigWidget panel;
    panel.switchButtons(mode == 3 ? 0 : 3);
    ButtonSpies spies(panel);
    panel.initButtonsState(char(mode));
    QCOMPARE(spies.emitted(), mode);
    QCOMPARE(activeButton(panel), mode);
    QCOMPARE(enabledBorderControls(panel), mode == 3 ? 4 : 0);
}

void TestFastConfig::unknownInitModeChangesNothing()
{
    FastConfigWidget panel;
    panel.initButtonsState(3);
    ButtonSpies spies(panel);
    panel.initButtonsState(7);
    panel.initButtonsState(-1);
    QCOMPARE(spies.emitted(), -1);
    QCOMPARE(activeButton(panel), 3);
    QCOMPARE(enabledBorderControls(panel), 4);
}

void TestFastConfig::switchButtons_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("button");
    QTest::newRow("edge") << 0 << 0;
    QTest::newRow("gap") << 2 << 2;
    QTest::newRow("combined") << 3 << 3;
    QTest::newRow("other modes are combined") << 9 << 3;
}

void TestFastConfig::switchButtons()
{
    QFETCH(int, mode);
    QFETCH(int, button);

    FastConfigWidget panel;
    panel.initButtonsState(button == 1 ? 0 : 1);
    ButtonSpies spies(panel);
    panel.switchButtons(char(mode));
    QCOMPARE(spies.emitted(), button);
    QCOMPARE(activeButton(panel), button);
    QCOMPARE(enabledBorderControls(panel), button == 3 ? 4 : 0);
}

void TestFastConfig::borderChoices()
{
    FastConfigWidget panel;
    panel.setEnabled(true);
    panel.initButtonsState(3);
    QSignalSpy first(&panel, &FastConfigWidget::FirstBorderSelected);
    QSignalSpy second(&panel, &FastConfigWidget::SecondBorderSelected);
    QList<QComboBox*> combos = panel.findChildren<QComboBox*>();
    std::sort(combos.begin(), combos.end(), [](QComboBox* a, QComboBox* b) { return a->y() < b->y(); });

    panel.setABorderNumber(41);
    panel.setBBorderNumber(99);
    QCOMPARE(combos.at(0)->currentIndex(), 41);
    QCOMPARE(combos.at(1)->currentIndex(), 99);
    QVERIFY(first.isEmpty() && second.isEmpty());

    QTest::keyClick(combos.at(0), Qt::Key_Down);
    QTest::keyClick(combos.at(1), Qt::Key_Up);
    QCOMPARE(first.size(), 1);
    QCOMPARE(first.first().first().value<char>(), char(42));
    QCOMPARE(second.size(), 1);
    QCOMPARE(second.first().first().value<char>(), char(98));
}

QTEST_MAIN(TestFastConfig)
#include "tst_fastconfig.moc"
