// SPDX-License-Identifier: GPL-3.0-or-later
// What every window shares: the file filters of the design's
// "Name|pattern|Name|pattern" form as the Qt file dialogs take them (names
// matched as a Linux user expects) and where they start, Enter on a focused
// button, plain-text message boxes; twips to pixels at the 96 dots an inch
// of a plain screen (a size a little off a whole pixel lands on the nearest
// pixel); the date-picking window, where only a click on a day changes
// DateVal and closes it.

#include "support/TestEnv.h"
#include "widgets/Calendar.h"
#include "widgets/EnterKey.h"
#include "widgets/QtPrompts.h"
#include "widgets/Twips.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

class TestSharedWidgets : public QObject
{
    Q_OBJECT
    TestEnv m_env;

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchY(), 96.0); }

    void fileFilter_data()
    {
        QTest::addColumn<QString>("design");
        QTest::addColumn<QString>("qt");
        auto row = [](const char *name, const char *design, const char *qt) {
            QTest::newRow(name) << QString(design) << QString(qt);
        };
        row("database dialog", "Access Databases(*.mdb)|*.mdb|All Files (*.*)|*.*",
            "Access Databases (*.mdb *.MDB);;All Files (*)");
        row("several patterns in one entry", "Pictures|*.bmp;*.JPG;*.gif",
            "Pictures (*.bmp *.BMP *.JPG *.gif *.GIF)");
        row("a name without its pattern is dropped", "Text|*.txt|Orphan", "Text (*.txt *.TXT)");
    }

    void fileFilter()
    {
        QFETCH(QString, design);
        QFETCH(QString, qt);
        QCOMPARE(qtFileFilter(design), qt);
    }

    void dialogStart_data()
    {
        QTest::addColumn<QString>("initialDir");
        QTest::addColumn<QString>("lastFolder");
        QTest::addColumn<QString>("start");
        auto row = [](const char *name, const char *initialDir, const char *lastFolder,
                      const char *start) {
            QTest::newRow(name) << QString(initialDir) << QString(lastFolder) << QString(start);
        };
        row("first dialog", "", "", "Almarik.Txt");
        row("keeps the last folder", "", "/data/one", "/data/one/Almarik.Txt");
        row("a given folder wins", "/opt/x", "/data/one", "/opt/x/Almarik.Txt");
    }

    void dialogStart()
    {
        QFETCH(QString, initialDir);
        QFETCH(QString, lastFolder);
        QTEST(fileDialogStart(initialDir, "Almarik.Txt", lastFolder), "start");
    }

    void enterOnFocusedButton()
    {
        QDialog dialog;
        auto *edit = new QLineEdit(&dialog);
        auto *button = new QPushButton("Import", &dialog);
        button->setAutoDefault(false);
        enterPressesButton(button);
        int pressed = 0;
        QObject::connect(button, &QPushButton::clicked, [&] { ++pressed; });
        QTest::keyClick(edit, Qt::Key_Return); // a text box presses no default
        QCOMPARE(pressed, 0);
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(pressed, 2);
    }

    void messageBoxPlainText()
    {
        // A description or path that looks like markup is shown as typed.
        QMessageBox box;
        setUpMessageBox(box, QStringLiteral("OK to delete <b>Tom</b> & <i>Jerry</i> ?"),
                        MsgButtons::OkCancel, MsgIcon::Question, QStringLiteral("Delete"));
        QCOMPARE(box.textFormat(), Qt::PlainText);
        QCOMPARE(box.text(), QStringLiteral("OK to delete <b>Tom</b> & <i>Jerry</i> ?"));
        QCOMPARE(box.windowTitle(), QStringLiteral("Delete"));
        setUpMessageBox(box, QStringLiteral("x"), MsgButtons::OkOnly, MsgIcon::Critical, {});
        QCOMPARE(box.windowTitle(), QStringLiteral("Almarik"));
    }

    void twipsToPixels_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("under half a pixel") << 7.0 << 0;
        QTest::newRow("over half a pixel") << 8.0 << 1;
        QTest::newRow("a twip short of 5") << 74.0 << 5;
        QTest::newRow("an inch") << 1440.0 << 96;
        QTest::newRow("a window's width") << 4815.0 << 321;
    }

    void twipsToPixels()
    {
        QFETCH(double, twips);
        QTEST(::twipsToPixels(twips), "pixels");
    }

    void toTwips()
    {
        QCOMPARE(pixelsToTwips(5), 75.0);
        QCOMPARE(twipsRect(120, 1440, 4815, 7.0), QRect(8, 96, 321, 0));
    }

    void calendarOnlyAClickChooses()
    {
        Calendar window;
        window.DateVal = QDate(2026, 7, 4);
        window.Calendar1->setSelectedDate(window.DateVal);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.Calendar1->showNextMonth();
        window.Calendar1->setSelectedDate(QDate(2026, 8, 4));
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.DateVal, QDate(2026, 7, 4));
        QCOMPARE(window.result(), int(QDialog::Rejected));

        window.show();
        // The month view reports the click as the user would cause it.
        emit window.Calendar1->clicked(QDate(2024, 2, 29));
        QVERIFY(!window.isVisible());
        QCOMPARE(window.DateVal, QDate(2024, 2, 29));
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestSharedWidgets)
#include "tst_shared.moc"
