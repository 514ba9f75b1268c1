// The file filters of the design's "Name|pattern|Name|pattern" form as the
// Qt file dialogs take them, matching names as a Linux user expects.

#include "platform/QtPrompts.h"

#include <QTest>

class TestQtPrompts : public QObject
{
    Q_OBJECT
private slots:
    void fileFilter_data();
    void fileFilter();
};

void TestQtPrompts::fileFilter_data()
{
    QTest::addColumn<QString>("design");
    QTest::addColumn<QString>("qt");
    QTest::newRow("database dialog")
        << "Access Databases(*.mdb)|*.mdb|All Files (*.*)|*.*"
        << "Access Databases(*.mdb) (*.mdb *.MDB);;All Files (*.*) (*)";
    QTest::newRow("several patterns in one entry")
        << "Pictures|*.bmp;*.JPG;*.gif" << "Pictures (*.bmp *.BMP *.JPG *.gif *.GIF)";
    QTest::newRow("a name without its pattern is dropped") << "Text|*.txt|Orphan"
                                                           << "Text (*.txt *.TXT)";
    QTest::newRow("empty") << "" << "";
}

void TestQtPrompts::fileFilter()
{
    QFETCH(QString, design);
    QFETCH(QString, qt);
    QCOMPARE(qtFileFilter(design), qt);
}

QTEST_MAIN(TestQtPrompts)
#include "tst_qtprompts.moc"
