// Twips to pixels and back: a size a little off a whole pixel lands on the
// nearest pixel, not the one below.

#include "support/TestEnv.h"
#include "widgets/Twips.h"

#include <QTest>

class TestTwips : public QObject
{
    Q_OBJECT
private slots:
    void nearestPixel_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<double>("offByTwips");
        QTest::newRow("a twip short") << 5 << -1.0;
        QTest::newRow("a twip over") << 5 << 1.0;
    }
    void nearestPixel()
    {
        QFETCH(int, pixels);
        QFETCH(double, offByTwips);
        QCOMPARE(twipsToPixels(pixelsToTwips(pixels) + offByTwips), pixels);
    }

private:
    TestEnv m_env;
};

QTEST_MAIN(TestTwips)
#include "tst_twips.moc"
