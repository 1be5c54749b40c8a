#include "IPEditWidget.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

class tst_IPEditWidget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setTextSplitsAtDots_data();
    void setTextSplitsAtDots();
    void getAddress_data();
    void getAddress();
    void rejectedAddressLeavesBufferUntouched();

    void typingDigitsJumpsAfterThirdDigit();
    void zeroInEmptyFieldIsCompleteOctet();
    void dotMovesOnWithoutBeingInserted();
    void dotInEmptyFieldMovesOn();
    void typedAddresses_data();
    void typedAddresses();
    void arrowAndBackspaceNavigation_data();
    void arrowAndBackspaceNavigation();
    void textChangeSignalOnlyForEditingKeys();

private:
    QLineEdit* field(int i) const { return m_fields.at(i); }
    QWidget* focused() const { return m_window->focusWidget(); }
    void type(const QString& keys);
    void press(Qt::Key key);

    QWidget* m_window = nullptr;
    IPEditWidget* m_edit = nullptr;
    QList<QLineEdit*> m_fields;
};

void tst_IPEditWidget::init()
{
    m_window = new QWidget;
    auto* layout = new QVBoxLayout(m_window);
    m_edit = new IPEditWidget(m_window);
    layout->addWidget(m_edit);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_fields = m_edit->findChildren<QLineEdit*>();
    QCOMPARE(m_fields.size(), 4);
    field(0)->setFocus();
}

void tst_IPEditWidget::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_fields.clear();
}

// Keys go to whichever field has the focus, as they would for a user; the queued jump
// to the next field is let run after each key.
void tst_IPEditWidget::type(const QString& keys)
{
    for (const QChar c : keys) {
        QTest::keyClick(focused(), c.toLatin1());
        QCoreApplication::processEvents();
    }
}

void tst_IPEditWidget::press(Qt::Key key)
{
    QTest::keyClick(focused(), key);
    QCoreApplication::processEvents();
}

void tst_IPEditWidget::setTextSplitsAtDots_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown");

    QTest::newRow("address") << "192.168.1.235" << "192.168.1.235";
    QTest::newRow("too few parts keep the old text") << "10.0.0" << "1.2.3.4";
    QTest::newRow("extra parts ignored") << "10.1.2.3.99" << "10.1.2.3";
    QTest::newRow("empty parts kept") << "10..2." << "10..2.";
    QTest::newRow("unvalidated octet shown as is") << "300.1.2.3" << "300.1.2.3";
}

void tst_IPEditWidget::setTextSplitsAtDots()
{
    QFETCH(QString, input);
    QFETCH(QString, shown);
    m_edit->setText(QStringLiteral("1.2.3.4"));
    m_edit->setText(input);
    QCOMPARE(m_edit->text(), shown);
}

void tst_IPEditWidget::getAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("inOrder");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("reversed for the device") << "192.168.1.10" << false << true
                                             << QByteArray("\x0a\x01\xa8\xc0", 4);
    QTest::newRow("in order") << "192.168.1.10" << true << true << QByteArray("\xc0\xa8\x01\x0a", 4);
    QTest::newRow("mask") << "255.255.255.0" << false << true << QByteArray("\x00\xff\xff\xff", 4);
    QTest::newRow("empty field") << "192.168..10" << false << false << QByteArray();
    QTest::newRow("all empty") << "..." << true << false << QByteArray();
    QTest::newRow("octet above 255") << "192.168.256.10" << false << false << QByteArray();
    QTest::newRow("octet far above 255") << "10.0.0.1000" << true << false << QByteArray();
    QTest::newRow("not a number") << "10.x.0.1" << true << false << QByteArray();
}

void tst_IPEditWidget::getAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, inOrder);
    QFETCH(bool, valid);
    QFETCH(QByteArray, bytes);

    m_edit->setText(text);
    unsigned char address[4] = {0x55, 0x55, 0x55, 0x55};
    QCOMPARE(m_edit->getAddress(address, inOrder), valid);
    if (valid)
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(address), 4), bytes);
}

void tst_IPEditWidget::rejectedAddressLeavesBufferUntouched()
{
    m_edit->setText(QStringLiteral("1.2.3.999"));
    unsigned char address[4] = {9, 8, 7, 6};
    QVERIFY(!m_edit->getAddress(address, false));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(address), 4), QByteArray("\x09\x08\x07\x06", 4));
}

void tst_IPEditWidget::typingDigitsJumpsAfterThirdDigit()
{
    type(QStringLiteral("10"));
    QCOMPARE(field(0)->text(), QStringLiteral("10"));
    QCOMPARE(focused(), field(0));

    type(QStringLiteral("5"));
    QCOMPARE(field(0)->text(), QStringLiteral("105"));
    QCOMPARE(focused(), field(1));
}

void tst_IPEditWidget::zeroInEmptyFieldIsCompleteOctet()
{
    field(1)->setText(QStringLiteral("77"));
    type(QStringLiteral("0"));
    QCOMPARE(field(0)->text(), QStringLiteral("0"));
    QCOMPARE(focused(), field(1));
    // The next field's text is selected, so typing replaces it.
    QCOMPARE(field(1)->selectedText(), QStringLiteral("77"));
    type(QStringLiteral("5"));
    QCOMPARE(field(1)->text(), QStringLiteral("5"));
}

void tst_IPEditWidget::dotMovesOnWithoutBeingInserted()
{
    type(QStringLiteral("12."));
    QCOMPARE(field(0)->text(), QStringLiteral("12"));
    QCOMPARE(focused(), field(1));
    type(QStringLiteral("3,"));
    QCOMPARE(field(1)->text(), QStringLiteral("3"));
    QCOMPARE(focused(), field(2));
}

void tst_IPEditWidget::dotInEmptyFieldMovesOn()
{
    field(2)->setText(QStringLiteral("77"));
    field(1)->setFocus();
    type(QStringLiteral("."));
    QCOMPARE(focused(), field(2));
    QCOMPARE(field(2)->selectedText(), QStringLiteral("77"));
    // After a full octet the focus has moved on already; a dot then moves on once more.
    field(0)->setFocus();
    type(QStringLiteral("192,"));
    QCOMPARE(focused(), field(2));
    QVERIFY(field(1)->text().isEmpty());
}

void tst_IPEditWidget::typedAddresses_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");

    QTest::newRow("dotted") << "10.20.30.40" << "10.20.30.40";
    QTest::newRow("zeros without dots") << "19216801" << "192.168.0.1";
    QTest::newRow("full octets without dots") << "255255255000" << "255.255.255.0";
    QTest::newRow("dot after a full octet") << "192.1" << "192..1.";
    // A zero completes its octet, so the "1" that follows starts the next one.
    QTest::newRow("leading zero impossible") << "10.01.2.3" << "10.0.1.23";
    QTest::newRow("digit making 299 refused") << "299.1.1.1" << "29.1.1.1";
}

void tst_IPEditWidget::typedAddresses()
{
    QFETCH(QString, keys);
    QFETCH(QString, text);
    type(keys);
    QCOMPARE(m_edit->text(), text);
}

void tst_IPEditWidget::arrowAndBackspaceNavigation_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("targetCursor"); // -1: the whole text selected

    // The neighbours of the start field hold "345".
    QTest::newRow("right in empty field") << 1 << "" << 0 << int(Qt::Key_Right) << 2 << -1;
    QTest::newRow("right at end") << 1 << "12" << 2 << int(Qt::Key_Right) << 2 << -1;
    QTest::newRow("right inside text") << 1 << "12" << 1 << int(Qt::Key_Right) << 1 << 2;
    QTest::newRow("right in last field") << 3 << "" << 0 << int(Qt::Key_Right) << 3 << 0;
    QTest::newRow("left at start") << 1 << "12" << 0 << int(Qt::Key_Left) << 0 << 3;
    QTest::newRow("left inside text") << 1 << "12" << 2 << int(Qt::Key_Left) << 1 << 1;
    QTest::newRow("left in first field") << 0 << "12" << 0 << int(Qt::Key_Left) << 0 << 0;
    QTest::newRow("backspace in empty field") << 2 << "" << 0 << int(Qt::Key_Backspace) << 1 << 3;
    QTest::newRow("backspace at start") << 2 << "12" << 0 << int(Qt::Key_Backspace) << 1 << 3;
    QTest::newRow("backspace inside text") << 2 << "12" << 2 << int(Qt::Key_Backspace) << 2 << 1;
}

void tst_IPEditWidget::arrowAndBackspaceNavigation()
{
    QFETCH(int, start);
    QFETCH(QString, content);
    QFETCH(int, cursor);
    QFETCH(int, key);
    QFETCH(int, target);
    QFETCH(int, targetCursor);

    for (int i = 0; i < 4; ++i)
        field(i)->setText(QStringLiteral("345"));
    field(start)->setText(content);
    field(start)->setFocus();
    field(start)->setCursorPosition(cursor);

    press(Qt::Key(key));
    QCOMPARE(focused(), field(target));
    if (target != start) {
        if (targetCursor < 0)
            QCOMPARE(field(target)->selectedText(), field(target)->text());
        else
            QCOMPARE(field(target)->cursorPosition(), targetCursor);
        QCOMPARE(field(start)->text(), content);
    } else if (key != Qt::Key_Backspace) {
        QCOMPARE(field(start)->cursorPosition(), targetCursor);
    }
}

void tst_IPEditWidget::textChangeSignalOnlyForEditingKeys()
{
    QSignalSpy spy(m_edit, &IPEditWidget::signalTextChanged);
    type(QStringLiteral("12"));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).value<QLineEdit*>(), field(0));

    press(Qt::Key_Right); // at the end: moves on, no text change
    press(Qt::Key_Left);  // at the start of field 1: moves back
    type(QStringLiteral("."));
    QCOMPARE(spy.count(), 2);

    type(QStringLiteral("0")); // a lone zero still reports, even though it moves on
    QCOMPARE(spy.count(), 3);
}

QTEST_MAIN(tst_IPEditWidget)
#include "tst_ipeditwidget.moc"
