// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/frmSingle.h"

#include "editing/EditRules.h"
#include "editing/EventTypes.h"
#include "editing/ui/TextBox.h"
#include "platform/ErrorStyles.h"
#include "platform/Prompts.h"
#include "store/DateRules.h"
#include "store/RecordSet.h"
#include "store/SharedDb.h"
#include "widgets/EnterKey.h"
#include "widgets/ImageList.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <cmath>
#include <exception>

namespace {

const QString unknownKey = QStringLiteral("unknown");

// The short date of the user's locale, always with four-digit years.
QString pickerFormat()
{
    return shortDateFormat();
}

QDateTime asDateTime(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    return value.toDateTime();
}

QDate asDay(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return value.toDate();
}

} // namespace

frmSingle::frmSingle(QWidget *parent)
    : frmSingle(sharedDb().dbConnection, appPrompts(), appClock(), parent)
{
}

frmSingle::frmSingle(Connection &db, Prompts &prompts, Clock clock, QWidget *parent)
    : QDialog(parent), m_db(db), m_prompts(prompts), m_clock(std::move(clock))
{
    setWindowTitle(QStringLiteral("Single Event Editor"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildControls();
    // The design's sizes assume a narrower font than most desktops use: the
    // check box may grow to the right (nothing lies there) and the window
    // with it; every position stays as designed.
    QRect check = Check1->geometry();
    check.setWidth(std::max(check.width(), Check1->sizeHint().width()));
    Check1->setGeometry(check);
    setFixedSize(std::max(twipsToPixels(5460), check.right() + 1 + twipsToPixels(90)),
                 twipsToPixels(4620));
    // A caption wider than the room before its box is set a little tighter
    // rather than hidden under the box.
    const int room = twipsToPixels(1080) - twipsToPixels(90) - 1;
    for (QLabel *label : Label1) {
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        if (needed > room) {
            QFont tighter = label->font();
            tighter.setLetterSpacing(QFont::PercentageSpacing,
                                     std::max(85.0, std::floor(100.0 * room / needed)));
            label->setFont(tighter);
        }
    }
}

void frmSingle::buildControls()
{
    const auto label = [this](int index, const QString &caption, QRect rect) {
        Label1[index] = new QLabel(caption, this);
        Label1[index]->setGeometry(rect);
    };
    label(0, QStringLiteral("Description"), twipsRect(90, 240, 1095, 255));
    label(2, QStringLiteral("Date"), twipsRect(90, 675, 1095, 255));
    label(3, QStringLiteral("Type"), twipsRect(90, 1170, 1095, 255));
    label(1, QStringLiteral("Details"), twipsRect(90, 1620, 1095, 255));

    txt[0] = new TextBox(false, kDescriptionLength, this);
    txt[0]->setGeometry(twipsRect(1080, 120, 4215, 375));

    DPick = new QDateEdit(this);
    DPick->setGeometry(twipsRect(1080, 660, 1530, 300));
    DPick->setCalendarPopup(true);
    DPick->setDisplayFormat(pickerFormat());
    DPick->setMinimumDate(QDate(100, 1, 1));

    txt[2] = new TextBox(false, 50, this);
    txt[2]->setGeometry(twipsRect(1080, 1125, 1290, 300));
    txt[2]->setReadOnly(true);

    cmdList = new QPushButton(QStringLiteral("..."), this);
    cmdList->setGeometry(twipsRect(2340, 1125, 285, 300));
    // Not the dialog's default: Enter anywhere must not open the type list.
    cmdList->setAutoDefault(false);
    enterPressesButton(cmdList);

    Picture1 = new QLabel(this);
    Picture1->setGeometry(twipsRect(3825, 945, 555, 555));
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->installEventFilter(this);

    txt[1] = new TextBox(true, kDetailsLength, this);
    txt[1]->setGeometry(twipsRect(1080, 1620, 4215, 1935));

    Check1 = new QCheckBox(QStringLiteral("Show only once, then delete after date expires"), this);
    Check1->setGeometry(twipsRect(1080, 3690, 3855, 255));

    const auto button = [this](int index, const QString &caption, QRect rect) {
        cmd[index] = new QPushButton(caption, this);
        cmd[index]->setGeometry(rect);
        // No default: Enter in a text box presses nothing, Enter on a
        // focused button presses it.
        cmd[index]->setAutoDefault(false);
        enterPressesButton(cmd[index]);
        connect(cmd[index], &QPushButton::clicked, this, [this, index] { cmd_Click(index); });
    };
    button(2, QStringLiteral("Delete"), twipsRect(1980, 4140, 1005, 330));
    button(1, QStringLiteral("Save"), twipsRect(3150, 4140, 1005, 330));
    button(0, QStringLiteral("Cancel"), twipsRect(4320, 4140, 1005, 330));
    cmd[1]->setEnabled(false);

    // Created last so that, when shown, it hangs over the details box.
    ListView1 = new QListWidget(this);
    ListView1->setGeometry(twipsRect(2385, 1170, 1335, 2565));
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView1->installEventFilter(this);
    setListShown(false);

    for (int i = 0; i < int(txt.size()); ++i) {
        connect(txt[i], &TextBox::textChanged, this, [this, i] { txt_Change(i); });
        connect(txt[i], &TextBox::keyDown, this, [this, i] { txt_KeyDown(i); });
        connect(txt[i], &TextBox::mouseDown, this, [this, i] { txt_MouseDown(i); });
    }
    connect(DPick, &QDateEdit::dateChanged, this, [this] { DPick_Change(); });
    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    connect(cmdList, &QPushButton::clicked, this, [this] { cmdList_Click(); });
    connect(ListView1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (!ListView1->isHidden())
            ListView1_ItemClick(item);
    });
    connect(ListView1, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        if (!ListView1->isHidden())
            ListView1_ItemClick(item);
    });

    setTabOrder(txt[0], DPick);
    setTabOrder(DPick, cmdList);
    setTabOrder(cmdList, txt[1]);
    setTabOrder(txt[1], Check1);
    setTabOrder(Check1, cmd[2]);
    setTabOrder(cmd[2], cmd[1]);
    setTabOrder(cmd[1], cmd[0]);
}

void frmSingle::clearForm()
{
    for (TextBox *box : txt)
        box->setText(QString());
    Check1->setChecked(false);
    Picture1->clear();
    m_pictureKey.clear();
    setListShown(false);
    cmd[1]->setEnabled(false);
    cmd[2]->setVisible(true);
}

void frmSingle::Form_Load()
{
    // The dialog may be shown more than once: every load starts from a
    // clean form and a fresh oriEvent.
    m_loading = true;
    clearForm();
    DPick->setDateTime(m_clock());

    ListView1->clear();
    for (const QString &key : typeKeys()) {
        auto *item = new QListWidgetItem(typeIcon(key), key, ListView1);
        item->setData(Qt::UserRole, key);
    }
    // Wide enough for the longest key; it may reach further right than
    // designed, over the details box it already covers.
    QRect list = twipsRect(2385, 1170, 1335, 2565);
    list.setWidth(std::max(list.width(), ListView1->sizeHintForColumn(0) +
                                             2 * ListView1->frameWidth() +
                                             ListView1->verticalScrollBar()->sizeHint().width()));
    ListView1->setGeometry(list);

    oriEvent = EventRecord{};
    LoadEvent();
    m_loading = false;
    txt[0]->setFocus();
}

bool frmSingle::LoadEvent()
{
    const QString description = oriDescription.toString();
    if (description.isEmpty()) {
        cmd[2]->setVisible(false);
        return true;
    }
    const QDate day = asDay(oriDates);
    if (!day.isValid())
        return false; // names no row: the dialog stays empty

    // Each failing step is skipped and the next one runs.
    bool ok = true;
    const auto step = [&ok](auto &&action) { ok = ignoringErrors(action) && ok; };
    RecordSet rs;
    step([&] {
        rs.Open(selectEventStatement(day, description), m_db, adOpenStatic, adLockReadOnly);
        // A date stored with a time of day is still that day's event.
        if (rs.isEOF()) {
            rs.Close();
            rs.Open(selectEventStatement(day, description, DayMatch::WholeDay), m_db, adOpenStatic,
                    adLockReadOnly);
        }
    });
    if (!rs.isOpen())
        return false;
    if (!rs.isEOF()) {
        step([&] { oriEvent.Description = rs.Fields(QStringLiteral("Description")).toString(); });
        txt[0]->setText(oriEvent.Description);
        step([&] {
            oriEvent.Dates = asDateTime(rs.Fields(QStringLiteral("Dates")));
            DPick->setDate(oriEvent.Dates.date());
        });
        step([&] {
            // A null type reads as the empty text.
            const QString icon = rs.Fields(QStringLiteral("icon")).toString();
            oriEvent.icon = icon;
            txt[2]->setText(icon);
            if (IconInList(icon))
                showPicture(icon);
        });
        step([&] { oriEvent.Details = rs.Fields(QStringLiteral("Details")).toString(); });
        txt[1]->setText(oriEvent.Details);
        step([&] { oriEvent.ShowOnce = rs.Fields(QStringLiteral("ShowOnce")).toBool(); });
        Check1->setChecked(oriEvent.ShowOnce);
    }
    step([&] { rs.Close(); });
    return ok;
}

bool frmSingle::CheckForChanges()
{
    const bool changed = eventDiffers(oriEvent, ReadForm());
    cmd[1]->setEnabled(changed);
    return changed;
}

EventRecord frmSingle::ReadForm() const
{
    EventRecord rec;
    rec.Description = txt[0]->text();
    rec.Dates = DPick->dateTime();
    rec.icon = txt[2]->text();
    rec.Details = txt[1]->text();
    rec.ShowOnce = Check1->isChecked();
    return rec;
}

void frmSingle::cmd_Click(int index)
{
    switch (index) {
    case 0:
        reject();
        break;
    case 1: {
        if (!CheckForChanges())
            return;
        const EventRecord edited = ReadForm();
        if (!ValidateEvent(edited, m_prompts, m_clock()))
            return;
        if (!SaveEvent(oriEvent, edited, m_db, m_prompts))
            return;
        accept();
        break;
    }
    case 2:
        if (DeleteEvent(oriEvent, m_db, m_prompts))
            accept();
        break;
    default:
        break;
    }
}

void frmSingle::cmdList_Click()
{
    setListShown(true);
}

void frmSingle::ListView1_ItemClick(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString key = item->data(Qt::UserRole).toString();
    // "unknown" stands for no type, though its picture is still shown.
    txt[2]->setText(key == unknownKey ? QString() : key);
    if (IconInList(key))
        showPicture(key);
    setListShown(false);
    CheckForChanges();
}

void frmSingle::Form_Click()
{
    if (!ListView1->isHidden())
        setListShown(false);
}

void frmSingle::Picture1_Click()
{
    Form_Click();
}

void frmSingle::txt_MouseDown(int)
{
    Form_Click();
}

void frmSingle::txt_Change(int)
{
    if (!m_loading)
        CheckForChanges();
}

void frmSingle::txt_KeyDown(int)
{
    if (!m_loading)
        CheckForChanges();
}

void frmSingle::Check1_Click()
{
    if (!m_loading)
        CheckForChanges();
}

void frmSingle::DPick_Change()
{
    if (!m_loading)
        CheckForChanges();
}

void frmSingle::setListShown(bool shown)
{
    ListView1->setVisible(shown);
    // Reachable by Tab only while it is shown.
    ListView1->setFocusPolicy(shown ? Qt::StrongFocus : Qt::NoFocus);
    if (shown) {
        // The keyboard starts on the type in the box (the first one when none).
        const auto found = ListView1->findItems(txt[2]->text(), Qt::MatchExactly);
        ListView1->setCurrentItem(found.isEmpty() ? ListView1->item(0) : found.first());
        ListView1->raise();
        ListView1->setFocus();
    } else if (ListView1->hasFocus()) {
        cmdList->setFocus();
    }
}

void frmSingle::showPicture(const QString &key)
{
    m_pictureKey = key;
    const int side = Picture1->contentsRect().width();
    Picture1->setPixmap(typePixmap(key, std::max(16, side - 4)));
}

void frmSingle::mousePressEvent(QMouseEvent *event)
{
    Form_Click();
    QDialog::mousePressEvent(event);
}

bool frmSingle::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && event->type() == QEvent::MouseButtonPress)
        Picture1_Click();
    // While the list is open, Enter picks its current type and Esc closes
    // the list alone, not the dialog.
    if (watched == ListView1 && event->type() == QEvent::KeyPress && !ListView1->isHidden()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ListView1_ItemClick(ListView1->currentItem());
            return true;
        }
        if (key == Qt::Key_Escape) {
            setListShown(false);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
