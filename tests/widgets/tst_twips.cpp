// Twips to pixels and back: a size a little off a whole pixel lands on the
// nearest pixel, not the one below.

#include "support/TestEnv.h"
#include "widgets/Twips.h"

#include <QTest>

class TestTwips : public QObject
{
    Q_OBJECT
private slots:
    void nearestPixel()
    {
        QCOMPARE(twipsToPixels(pixelsToTwips(5) - 1.0), 5); // a twip short
        QCOMPARE(twipsToPixels(pixelsToTwips(5) + 1.0), 5); // a twip over
    }

private:
    TestEnv m_env;
};

QTEST_MAIN(TestTwips)
#include "tst_twips.moc"
