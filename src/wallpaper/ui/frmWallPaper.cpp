// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/ui/frmWallPaper.h"

#include "platform/AppError.h"
#include "platform/Files.h"
#include "platform/Prompts.h"
#include "registry/ErrorText.h"
#include "store/SharedDb.h"
#include "wallpaper/Pictures.h"
#include "wallpaper/WallpaperGrid.h"
#include "wallpaper/WallpaperTable.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStorageInfo>
#include <QTableView>
#include <QThreadPool>
#include <QTreeView>

#include <utility>

namespace {

// The drives of this machine: home, then the mounted file systems.
QStringList machineDrives()
{
    QStringList points, types;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        points << volume.rootPath();
        types << QString::fromUtf8(volume.fileSystemType());
    }
    return BrowsableDrives(QDir::homePath(), points, types);
}

} // namespace

frmWallPaper::frmWallPaper(QWidget *parent)
    : frmWallPaper(parent, sharedDb().dbConnection, appPrompts())
{
}

frmWallPaper::frmWallPaper(QWidget *parent, Connection &db, Prompts &prompts)
    : QDialog(parent), m_db(db), m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Wallpapers"));

    Label1 = new QLabel(QStringLiteral("Select a Bitmap and double-click to add to list"), this);
    Label2 = new QLabel(QStringLiteral("Wallpapers  (dbl-clk to remove)"), this);
    Label3 = new QLabel(QStringLiteral("Preview"), this);

    Drive1 = new QComboBox(this);
    Drive1->addItems(machineDrives());
    connect(Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });

    m_dirs = new QFileSystemModel(this);
    m_dirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    Dir1 = new QTreeView(this);
    Dir1->setModel(m_dirs);
    Dir1->setHeaderHidden(true);
    for (int col = 1; col < m_dirs->columnCount(); ++col)
        Dir1->hideColumn(col);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && m_dirs->filePath(current) != m_folder) {
                    m_folder = m_dirs->filePath(current);
                    Dir1_Change();
                }
            });

    File1 = new QListWidget(this);
    File1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(File1, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    connect(File1, &QListWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });

    Picture1 = new QLabel(this);
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setMinimumSize(twipsToPixels(3600), twipsToPixels(2700));
    Image1 = new QLabel(this);
    Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/nopicture.svg")));
    Image1->hide();

    grid = new WallpaperGrid(this);
    Grid1 = new QTableView(this);
    Grid1->setModel(grid);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid1->verticalHeader()->hide();
    Grid1->verticalHeader()->setDefaultSectionSize(Grid1->fontMetrics().height() + 6);
    connect(Grid1, &QTableView::clicked, this, [this] { Grid1_Click(); });
    connect(Grid1, &QTableView::doubleClicked, this, [this] { Grid1_DblClick(); });

    cmd[0] = new QPushButton(QStringLiteral("Save"), this);
    cmd[1] = new QPushButton(QStringLiteral("Cancel"), this);
    cmd[2] = new QPushButton(this);
    cmd[2]->setIcon(QIcon(QStringLiteral(":/pictures/addpicture.svg")));
    cmd[2]->setIconSize(QSize(32, 32));
    for (int i = 0; i < 3; ++i) {
        cmd[size_t(i)]->setAutoDefault(false);
        connect(cmd[size_t(i)], &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    }

    auto *layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(Drive1, 1, 0);
    layout->addWidget(Dir1, 2, 0);
    layout->addWidget(File1, 3, 0);
    layout->addWidget(cmd[2], 3, 1, Qt::AlignCenter);
    layout->addWidget(Label3, 0, 2);
    layout->addWidget(Picture1, 1, 2, 3, 1);
    layout->addWidget(Label2, 4, 0, 1, 3);
    layout->addWidget(Grid1, 5, 0, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd[0]);
    buttons->addWidget(cmd[1]);
    layout->addLayout(buttons, 6, 0, 1, 3);
    layout->setRowStretch(2, 1);
    layout->setRowStretch(3, 1);
    layout->setRowStretch(5, 1);
    resize(twipsToPixels(9600), twipsToPixels(8400));
}

frmWallPaper::~frmWallPaper() = default;

void frmWallPaper::Form_Load()
{
    Grid1->setColumnWidth(0, twipsToPixels(1800));
    Grid1->setColumnWidth(1, twipsToPixels(2800));
    try {
        FillWallpaperGrid(m_db, *grid);
    } catch (...) {
        const AppError e = currentAppError();
        m_prompts.MsgBox(QStringLiteral("ERROR #") + signedNumberText(e.number()) +
                             QStringLiteral(" : ") + e.description(),
                         MsgButtons::OkOnly);
    }
    if (Drive1->count() > 0)
        Drive1_Change();
}

void frmWallPaper::Drive1_Change()
{
    const QString drive = Drive1->currentText();
    m_dirs->setRootPath(drive);
    Dir1->setRootIndex(m_dirs->index(drive));
    setFolder(drive);
}

void frmWallPaper::setFolder(const QString &folder)
{
    m_folder = folder;
    const QModelIndex at = m_dirs->index(folder);
    if (at.isValid() && Dir1->currentIndex() != at)
        Dir1->setCurrentIndex(at);
    Dir1_Change();
}

void frmWallPaper::Dir1_Change()
{
    File1->clear();
    File1->addItems(PictureFiles(m_folder));
}

void frmWallPaper::File1_Click()
{
    if (QListWidgetItem *item = File1->currentItem())
        showPreview(QDir(m_folder).filePath(item->text()));
}

void frmWallPaper::File1_DblClick()
{
    if (QListWidgetItem *item = File1->currentItem())
        addFile(item->text());
}

void frmWallPaper::addFile(const QString &name)
{
    // AddItem keeps the fixed-row rule.
    grid->AddItem(name, StripTrailingSlash(m_folder), QStringLiteral("0"));
}

int frmWallPaper::selectedRow() const
{
    const QModelIndex current = Grid1->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void frmWallPaper::Grid1_Click()
{
    const int row = selectedRow();
    if (row == 0)
        return;
    const QString path = grid->TextMatrix(row, 1);
    const QString name = grid->TextMatrix(row, 0);
    if (FileExists(path + QLatin1Char('/') + name)) {
        showPreview(path + QLatin1Char('/') + name);
        return;
    }
    ++m_previewTicket; // a preview still loading is no longer wanted
    m_nextPreview.clear();
    unsetCursor();
    m_preview = Image1->pixmap().toImage();
    Picture1->setPixmap(Image1->pixmap());
    grid->markMissing(row);
}

void frmWallPaper::Grid1_DblClick()
{
    const int row = selectedRow();
    if (row == 0)
        return;
    try {
        RemoveWallpaper(m_db, *grid, row);
    } catch (...) {
        const AppError e = currentAppError();
        m_prompts.MsgBox(QStringLiteral("ERROR #") + signedNumberText(e.number()) +
                             QStringLiteral(" : ") + e.description() +
                             QStringLiteral("\r\nThe entry was not removed."),
                         MsgButtons::OkOnly);
    }
}

void frmWallPaper::cmd_Click(int index)
{
    switch (index) {
    case 0: // Save
        try {
            SaveNewWallpapers(m_db, *grid);
        } catch (...) {
            // Nothing was stored: the window stays open with the new rows.
            const AppError e = currentAppError();
            m_prompts.MsgBox(QStringLiteral("ERROR #") + signedNumberText(e.number()) +
                                 QStringLiteral(" : ") + e.description() +
                                 QStringLiteral("\r\nThe new entries were not saved."),
                             MsgButtons::OkOnly);
            return;
        }
        accept();
        break;
    case 1: // Cancel: the additions go, removals already made stay made
        reject();
        break;
    case 2: // every selected file, first to last
        for (int i = 0; i < File1->count(); ++i) {
            if (File1->item(i)->isSelected())
                addFile(File1->item(i)->text());
        }
        break;
    default:
        break;
    }
}

void frmWallPaper::showPreview(const QString &file)
{
    ++m_previewTicket;
    setCursor(Qt::BusyCursor);
    m_nextPreview = file;
    m_nextBound = Picture1->contentsRect().size().expandedTo(QSize(64, 48));
    if (!m_previewRunning)
        startPreview();
}

void frmWallPaper::startPreview()
{
    m_previewRunning = true;
    const QString file = std::exchange(m_nextPreview, QString());
    const QSize bound = m_nextBound;
    const int ticket = m_previewTicket;
    // The pool is the application's: the window neither owns nor waits for
    // the load, and is looked up again on the main thread when it is done.
    QThreadPool::globalInstance()->start([window = QPointer(this), file, bound, ticket] {
        const QImage image = LoadPreview(file, bound);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [window, ticket, image] {
                if (window)
                    window->previewLoaded(ticket, image);
            },
            Qt::QueuedConnection);
    });
}

void frmWallPaper::previewLoaded(int ticket, const QImage &image)
{
    m_previewRunning = false;
    if (!m_nextPreview.isEmpty()) {
        startPreview();
        return;
    }
    if (ticket != m_previewTicket)
        return;
    unsetCursor();
    // A file that cannot be read shows nothing new.
    if (image.isNull())
        return;
    m_preview = image;
    Picture1->setPixmap(QPixmap::fromImage(image));
}

QImage frmWallPaper::previewImage() const
{
    return m_preview;
}

void frmWallPaper::finishPreview()
{
    while (m_previewRunning)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ShowWallpaperSelector(QWidget *parent)
{
    frmWallPaper selector(parent);
    showModal(selector);
}
