#include <QtTest>

#include "VelaWidgetsVersion.h"

class TestWidgetsVersion : public QObject
{
    Q_OBJECT
private slots:
    void answersLibraryVersion() { QCOMPARE(QString(VelaWidgets_lib_ver()), QString("2.0.10")); }
};

QTEST_APPLESS_MAIN(TestWidgetsVersion)
#include "tst_widgetsversion.moc"
