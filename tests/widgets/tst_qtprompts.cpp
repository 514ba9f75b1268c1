// SPDX-License-Identifier: GPL-3.0-or-later
// The file filters of the design's "Name|pattern|Name|pattern" form as the
// Qt file dialogs take them, matching names as a Linux user expects.

#include "widgets/QtPrompts.h"

#include "widgets/EnterKey.h"

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestQtPrompts : public QObject
{
    Q_OBJECT
private slots:
    void fileFilter_data();
    void fileFilter();
    void dialogStart_data();
    void dialogStart();
    void enterOnFocusedButton();
    void messageBoxPlainText();
};

void TestQtPrompts::fileFilter_data()
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

void TestQtPrompts::fileFilter()
{
    QFETCH(QString, design);
    QFETCH(QString, qt);
    QCOMPARE(qtFileFilter(design), qt);
}

void TestQtPrompts::dialogStart_data()
{
    QTest::addColumn<QString>("initialDir");
    QTest::addColumn<QString>("lastFolder");
    QTest::addColumn<QString>("start");
    QTest::newRow("first dialog") << ""
                                  << ""
                                  << "Almarik.Txt";
    QTest::newRow("keeps the last folder") << ""
                                           << "/data/one"
                                           << "/data/one/Almarik.Txt";
    QTest::newRow("a given folder wins") << "/opt/x"
                                         << "/data/one"
                                         << "/opt/x/Almarik.Txt";
}

void TestQtPrompts::dialogStart()
{
    QFETCH(QString, initialDir);
    QFETCH(QString, lastFolder);
    QFETCH(QString, start);
    QCOMPARE(fileDialogStart(initialDir, "Almarik.Txt", lastFolder), start);
}

void TestQtPrompts::enterOnFocusedButton()
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

void TestQtPrompts::messageBoxPlainText()
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

QTEST_MAIN(TestQtPrompts)
#include "tst_qtprompts.moc"
