// The filter dialog's answer and the editor's Apply Filter / Remove Filter:
// the filter text to the character, the rows it leaves, and a cancelled or
// empty dialog keeping the filter in force.

#include "EditorFixture.h"
#include "editor/Editor.h"
#include "editor/EventTableModel.h"
#include "editor/frmFilter.h"
#include "platform/Modal.h"
#include "support/ScriptedPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

namespace {

// What the user does in the filter dialog.
struct Answer
{
    int typeIndex = -1; // the item picked from Combo1's list, -1 for none
    QString typedType;  // text typed over Combo1 afterwards ("" leaves it)
    QString descr;
    bool once = false;
    int button = 0; // 0 Apply, 1 Cancel, -1 the close box
};

void answerFilterDialog(const Answer &a, int *shown = nullptr)
{
    setModalHandler([a, shown](QDialog &d) {
        auto &dlg = dynamic_cast<frmFilter &>(d);
        if (shown)
            ++*shown;
        if (a.typeIndex >= 0)
            dlg.Combo1->setCurrentIndex(a.typeIndex);
        if (!a.typedType.isEmpty())
            dlg.Combo1->setEditText(a.typedType);
        dlg.txt->setText(a.descr);
        dlg.Check1->setChecked(a.once);
        if (a.button >= 0)
            dlg.cmd_Click(a.button);
        else
            dlg.close();
        return dlg.result();
    });
}

// The descriptions the grid shows, top to bottom, without the add-new row.
QStringList gridDescriptions(const Editor &editor)
{
    QStringList rows;
    const EventTableModel *m = editor.model();
    for (int r = 0; r < m->addNewRow(); ++r)
        rows << m->cellText(r, EventTableModel::DescriptionColumn);
    return rows;
}

const QStringList kAll = {QStringLiteral("Ann"), QStringLiteral("Christmas"),
                          QStringLiteral("Dentist"), QStringLiteral("Rob o'boyle"),
                          QStringLiteral("O'Brien party")};

} // namespace

Q_DECLARE_METATYPE(Answer)

class TestFilter : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dialogTexts();
    void dialogAnswers_data();
    void dialogAnswers();
    void typesListedForTheDialog();
    void applyFilter_data();
    void applyFilter();
    void noNewFilterKeepsTheOld_data();
    void noNewFilterKeepsTheOld();
    void removeFilterShowsAll();
    void refreshKeepsFilter();

private:
    std::unique_ptr<EditorFixture> m_db;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

void TestFilter::init()
{
    m_db = std::make_unique<EditorFixture>();
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void TestFilter::cleanup()
{
    setModalHandler({});
    m_prompts.reset();
    m_db.reset();
}

void TestFilter::dialogTexts()
{
    frmFilter dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Filter"));
    QCOMPARE(
        dlg.Label3->text(),
        QStringLiteral("Select an Event Type and/or any part of the description to filter by:"));
    QCOMPARE(dlg.Label1->text(), QStringLiteral("Event Type"));
    QCOMPARE(dlg.Label2->text(), QStringLiteral("Description"));
    QCOMPARE(dlg.Check1->text(), QStringLiteral("Only Show Once events"));
    QCOMPARE(dlg.cmd[0]->text(), QStringLiteral("Apply"));
    QCOMPARE(dlg.cmd[1]->text(), QStringLiteral("Cancel"));
}

void TestFilter::dialogAnswers_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("descr");
    QTest::addColumn<bool>("once");
    QTest::newRow("apply all three") << Answer{2, {}, QStringLiteral("x'y"), true, 0} << "car_race"
                                     << "x'y" << true;
    QTest::newRow("apply with nothing chosen") << Answer{} << ""
                                               << "" << false;
    QTest::newRow("typed type is not taken")
        << Answer{-1, QStringLiteral("holiday"), QStringLiteral("d"), false, 0} << ""
        << "d" << false;
    QTest::newRow("picked then typed over is not taken")
        << Answer{0, QStringLiteral("birth"), {}, true, 0} << ""
        << "" << true;
    QTest::newRow("cancel forgets everything")
        << Answer{1, {}, QStringLiteral("Ann"), true, 1} << ""
        << "" << false;
    QTest::newRow("close box counts as cancel")
        << Answer{1, {}, QStringLiteral("Ann"), true, -1} << ""
        << "" << false;
}

void TestFilter::dialogAnswers()
{
    QFETCH(Answer, answer);
    QFETCH(QString, type);
    QFETCH(QString, descr);
    QFETCH(bool, once);
    frmFilter dlg;
    for (const char *key : {"birthday", "anniversary", "car_race"})
        dlg.Combo1->addItem(QLatin1String(key));
    // Left over from an earlier use: showing the dialog starts it afresh.
    dlg.filtertype = QStringLiteral("old");
    dlg.filterdescr = QStringLiteral("old");
    dlg.filterOnce = true;
    answerFilterDialog(answer);
    showModal(dlg);
    QCOMPARE(dlg.filtertype, type);
    QCOMPARE(dlg.filterdescr, descr);
    QCOMPARE(dlg.filterOnce, once);
}

void TestFilter::typesListedForTheDialog()
{
    Editor editor;
    editor.refresh_Data();
    QStringList keys;
    QList<int> data;
    int selected = -2;
    setModalHandler([&](QDialog &d) {
        auto &dlg = dynamic_cast<frmFilter &>(d);
        for (int i = 0; i < dlg.Combo1->count(); ++i) {
            keys << dlg.Combo1->itemText(i);
            data << dlg.Combo1->itemData(i).toInt();
        }
        selected = dlg.Combo1->currentIndex();
        dlg.cmd_Click(1);
        return 0;
    });
    editor.mnuEdit_Click(0);
    QCOMPARE(keys, (QStringList{"birthday", "anniversary", "car_race", "bike_race", "unknown",
                                "reminder", "memorial", "holiday", "doctor"}));
    QCOMPARE(data, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(selected, -1);
}

void TestFilter::applyFilter_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("all three")
        << Answer{0, {}, QStringLiteral("o'b"), true, 0}
        << "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True"
        << QStringList{"O'Brien party"};
    QTest::newRow("description part, any case")
        << Answer{-1, {}, QStringLiteral("o'b"), false, 0} << "Description like '*o''b*'"
        << QStringList{"Rob o'boyle", "O'Brien party"};
    QTest::newRow("type only") << Answer{7, {}, {}, false, 0} << "icon = 'holiday'"
                               << QStringList{"Christmas"};
    QTest::newRow("show once alone") << Answer{-1, {}, {}, true, 0} << "ShowOnce = True"
                                     << QStringList{"Dentist", "O'Brien party"};
    QTest::newRow("typed type ignored")
        << Answer{-1, QStringLiteral("doctor"), {}, true, 0} << "ShowOnce = True"
        << QStringList{"Dentist", "O'Brien party"};
    QTest::newRow("wild cards typed act as wild cards")
        << Answer{-1, {}, QStringLiteral("C*s"), false, 0} << "Description like '*C*s*'"
        << QStringList{"Christmas"};
    QTest::newRow("nothing matches")
        << Answer{3, {}, {}, false, 0} << "icon = 'bike_race'" << QStringList{};
}

void TestFilter::applyFilter()
{
    QFETCH(Answer, answer);
    QFETCH(QString, filter);
    QFETCH(QStringList, rows);
    Editor editor;
    editor.refresh_Data();
    QCOMPARE(editor.currentFilterText(), QString());
    answerFilterDialog(answer);
    editor.mnuEdit_Click(0);
    QCOMPARE(editor.currentFilterText(), filter);
    QCOMPARE(rsEditor.Filter(), filter);
    QCOMPARE(gridDescriptions(editor), rows);
    QCOMPARE(editor.model()->rowCount(), rows.size() + 1);
    QCOMPARE(m_prompts->boxes.size(), 0);
}

void TestFilter::noNewFilterKeepsTheOld_data()
{
    QTest::addColumn<Answer>("second");
    QTest::newRow("cancel") << Answer{2, {}, QStringLiteral("x"), true, 1};
    QTest::newRow("close box") << Answer{2, {}, QStringLiteral("x"), true, -1};
    QTest::newRow("apply with nothing chosen") << Answer{};
}

void TestFilter::noNewFilterKeepsTheOld()
{
    QFETCH(Answer, second);
    Editor editor;
    editor.refresh_Data();
    answerFilterDialog(Answer{0, {}, {}, false, 0});
    editor.mnuEdit_Click(0);
    QCOMPARE(gridDescriptions(editor), (QStringList{"Ann", "O'Brien party"}));
    // A birthday added meanwhile shows after the kept filter's refresh.
    EditorFixture::addEvent(QStringLiteral("#06/01/2025#,'birthday','Cleo',Null,False"));
    int shown = 0;
    answerFilterDialog(second, &shown);
    editor.mnuEdit_Click(0);
    QCOMPARE(shown, 1);
    QCOMPARE(editor.currentFilterText(), QStringLiteral("icon = 'birthday'"));
    QCOMPARE(rsEditor.Filter(), QStringLiteral("icon = 'birthday'"));
    QCOMPARE(gridDescriptions(editor), (QStringList{"Ann", "Cleo", "O'Brien party"}));
}

void TestFilter::removeFilterShowsAll()
{
    Editor editor;
    editor.refresh_Data();
    answerFilterDialog(Answer{-1, {}, {}, true, 0});
    editor.mnuEdit_Click(0);
    QCOMPARE(gridDescriptions(editor).size(), 2);
    int shown = 0;
    setModalHandler([&](QDialog &) { return ++shown; });
    editor.mnuEdit_Click(1);
    QCOMPARE(shown, 0);
    QCOMPARE(editor.currentFilterText(), QString());
    QCOMPARE(rsEditor.Filter(), QString());
    QCOMPARE(gridDescriptions(editor), kAll);
    QCOMPARE(editor.mnuEdits->title(), QStringLiteral("Filter"));
    QCOMPARE(editor.mnuEdit[0]->text(), QStringLiteral("Apply Filter"));
    QCOMPARE(editor.mnuEdit[1]->text(), QStringLiteral("Remove Filter"));
}

void TestFilter::refreshKeepsFilter()
{
    Editor editor;
    editor.refresh_Data();
    answerFilterDialog(Answer{-1, {}, QStringLiteral("an"), false, 0});
    editor.mnuEdit_Click(0);
    QCOMPARE(gridDescriptions(editor), (QStringList{"Ann"}));
    EditorFixture::addEvent(QStringLiteral("#06/01/1999#,Null,'Hannah',Null,False"));
    EditorFixture::addEvent(QStringLiteral("#06/01/1998#,Null,'Zed',Null,False"));
    editor.refreshData_Click();
    QCOMPARE(gridDescriptions(editor), (QStringList{"Ann", "Hannah"}));
    QCOMPARE(editor.currentFilterText(), QStringLiteral("Description like '*an*'"));
}

QTEST_MAIN(TestFilter)
#include "tst_filter.moc"
