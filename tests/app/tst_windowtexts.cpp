// SPDX-License-Identifier: GPL-3.0-or-later
// Every text a window shows, compared whole (blanks included) for each
// dialog: captions, labels, buttons, check and option boxes, frames, menus
// and grid headings. Sorted, so that only a text, never the order widgets
// are made in, decides.

#include "editing/ui/frmSQL.h"
#include "editing/ui/frmSingle.h"
#include "editor/ui/Editor.h"
#include "editor/ui/frmFilter.h"
#include "editor/ui/frmImport.h"
#include "store/RecordSet.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <functional>
#include <memory>

using MakeWindow = std::function<std::unique_ptr<QWidget>(Connection &, RecordSet &, Prompts &)>;
Q_DECLARE_METATYPE(MakeWindow)

namespace {

void addMenu(QStringList &out, const QString &path, const QList<QAction *> &actions)
{
    for (const QAction *a : actions) {
        const QString text = a->isSeparator() ? QStringLiteral("-") : a->text();
        out << QStringLiteral("Menu: ") + path + text;
        if (a->menu())
            addMenu(out, path + text + QStringLiteral(" > "), a->menu()->actions());
    }
}

QStringList textsOf(QWidget &w)
{
    QStringList out{QStringLiteral("Title: ") + w.windowTitle()};
    for (const QLabel *l : w.findChildren<QLabel *>())
        if (!l->text().isEmpty())
            out << QStringLiteral("Label: ") + l->text();
    for (const QAbstractButton *b : w.findChildren<QAbstractButton *>()) {
        const char *kind = qobject_cast<const QCheckBox *>(b)      ? "Check: "
                           : qobject_cast<const QRadioButton *>(b) ? "Option: "
                           : qobject_cast<const QPushButton *>(b)  ? "Button: "
                                                                   : nullptr;
        // A caption wrapped onto lines reads as its words.
        if (kind && !b->text().isEmpty())
            out << QLatin1String(kind) + QString(b->text()).replace(QLatin1Char('\n'), ' ');
    }
    for (const QGroupBox *g : w.findChildren<QGroupBox *>())
        out << QStringLiteral("Frame: ") + g->title();
    if (const QMenuBar *bar = w.findChild<QMenuBar *>())
        addMenu(out, QString(), bar->actions());
    for (const QTableView *t : w.findChildren<QTableView *>())
        for (int c = 0; t->model() && c < t->model()->columnCount(); ++c)
            out << QStringLiteral("Column: ") +
                       t->model()->headerData(c, Qt::Horizontal).toString();
    out.sort();
    return out;
}

} // namespace

class TestWindowTexts : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
};

void TestWindowTexts::texts_data()
{
    QTest::addColumn<MakeWindow>("make");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("import selection")
        << MakeWindow(
               [](Connection &, RecordSet &, Prompts &) { return std::make_unique<frmImport>(); })
        << QStringList{"Button: Cancel",
                       "Button: Import",
                       "Button: Select All",
                       "Button: Select None",
                       "Check: OverWrite existing Events",
                       "Label: Select Events to be Imported.  Those not selected already exist.",
                       "Title: Import Events"};
    QTest::newRow("filter")
        << MakeWindow(
               [](Connection &, RecordSet &, Prompts &) { return std::make_unique<frmFilter>(); })
        << QStringList{"Button: Apply",
                       "Button: Cancel",
                       "Check: Only Show Once events",
                       "Label: Description",
                       "Label: Event Type",
                       "Label: Select an Event Type and/or any part of the description to filter "
                       "by:",
                       "Title: Filter"};
    QTest::newRow("single event") << MakeWindow([](Connection &db, RecordSet &, Prompts &prompts) {
        return std::make_unique<frmSingle>(db, prompts, appClock());
    })
                                  << QStringList{
                                         "Button: ...",
                                         "Button: Cancel",
                                         "Button: Delete",
                                         "Button: Save",
                                         "Check: Show only once, then delete after date expires",
                                         "Label: Date",
                                         "Label: Description",
                                         "Label: Details",
                                         "Label: Type",
                                         "Title: Single Event Editor"};
    QTest::newRow("SQL builder") << MakeWindow([](Connection &db, RecordSet &, Prompts &prompts) {
        return std::make_unique<frmSQL>(db, prompts);
    }) << QStringList{"Button: Clear",         "Button: Close",  "Button: Run",
                      "Frame: Calendar Table", "Label: =",       "Label: =",
                      "Label: SQL Output",     "Label: Set",     "Label: Where",
                      "Option: Delete",        "Option: Update", "Title: SQL Builder"};
    QTest::newRow("event table editor")
        << MakeWindow([](Connection &db, RecordSet &rs, Prompts &prompts) {
               return std::make_unique<Editor>(db, rs, prompts, appClock());
           })
        << QStringList{"Column: Dates",
                       "Column: Description",
                       "Column: Details",
                       "Column: Type",
                       "Menu: &Refresh",
                       "Menu: Advanced",
                       "Menu: Advanced > SQL",
                       "Menu: File",
                       "Menu: File > Exit",
                       "Menu: File > New Event",
                       "Menu: Filter",
                       "Menu: Filter > Apply Filter",
                       "Menu: Filter > Remove Filter",
                       "Menu: Tools",
                       "Menu: Tools > -",
                       "Menu: Tools > -",
                       "Menu: Tools > Export Almarik Share File",
                       "Menu: Tools > Export Outlook File (Office 2000, XP)",
                       "Menu: Tools > Export Outlook File (Office 97)",
                       "Menu: Tools > Export iCalendar File",
                       "Menu: Tools > Import Almarik Share File",
                       "Menu: Tools > Import Birthdays from vCard File",
                       "Menu: Tools > Import Events from Access Database",
                       "Menu: Tools > Import iCalendar File",
                       "Title: Almarik Editor"};
}

void TestWindowTexts::texts()
{
    QFETCH(MakeWindow, make);
    QFETCH(QStringList, expected);
    TestEnv env;
    Connection db;
    newDatabase(env.path("Almarik.MDB"), db);
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    rs.Open("SELECT * FROM Calendar ORDER BY Dates", db, adOpenDynamic, adLockOptimistic);
    ScriptedPrompts prompts;
    std::unique_ptr<QWidget> window = make(db, rs, prompts);
    QCOMPARE(textsOf(*window), expected);
}

QTEST_MAIN(TestWindowTexts)
#include "tst_windowtexts.moc"
