// SPDX-License-Identifier: GPL-3.0-or-later
// Twips to pixels at the 96 dots an inch of a plain screen: a size a little
// off a whole pixel lands on the nearest pixel, not the one below.

#include "support/TestEnv.h"
#include "widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class TestTwips : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchY(), 96.0); }

    void toPixels_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("none") << 0.0 << 0;
        QTest::newRow("under half a pixel") << 7.0 << 0;
        QTest::newRow("over half a pixel") << 8.0 << 1;
        QTest::newRow("a twip short of 5") << 74.0 << 5;
        QTest::newRow("a twip over 5") << 76.0 << 5;
        QTest::newRow("an inch") << 1440.0 << 96;
        QTest::newRow("a window's width") << 4815.0 << 321;
    }
    void toPixels()
    {
        QFETCH(double, twips);
        QFETCH(int, pixels);
        QCOMPARE(twipsToPixels(twips), pixels);
    }

    void toTwips()
    {
        QCOMPARE(pixelsToTwips(5), 75.0);
        QCOMPARE(twipsRect(120, 1440, 4815, 7.0), QRect(8, 96, 321, 0));
    }

private:
    TestEnv m_env;
};

QTEST_MAIN(TestTwips)
#include "tst_twips.moc"
