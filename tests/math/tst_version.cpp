#include <QtTest>

#include "VelaMathVersion.h"

class TestVersion : public QObject
{
    Q_OBJECT
private slots:
    void answersLibraryVersion() { QCOMPARE(QString(VelaMath_GetVersionString()), QString("2.0.10")); }
};

QTEST_APPLESS_MAIN(TestVersion)
#include "tst_version.moc"
