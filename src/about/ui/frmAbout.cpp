// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/ui/frmAbout.h"

#include "about/AboutTexts.h"
#include "about/SysInfo.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "widgets/Twips.h"

#include <QDesktopServices>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

const QString kLogo = QStringLiteral(":/pictures/almarik.svg");

QLabel *placedLabel(QWidget *parent, double left, double top, double width, double height)
{
    auto *label = new QLabel(parent);
    label->setGeometry(twipsRect(left, top, width, height));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// One line of the etched separator.
QFrame *placedLine(QWidget *parent, double left, double right, double top, const QColor &colour)
{
    auto *line = new QFrame(parent);
    line->setGeometry(
        QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(right - left), 1));
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget *parent, const QString &databasename)
    : frmAbout(parent, databasename, appPrompts(), registryStore(), startProgram,
               [](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
}

frmAbout::frmAbout(QWidget *parent, const QString &databasename, Prompts &prompts,
                   RegistryStore &registry, ProgramStarter start, UrlOpener openUrl)
    : QDialog(parent), m_databasename(databasename), m_prompts(prompts), m_registry(registry),
      m_start(std::move(start)), m_openUrl(std::move(openUrl))
{
    setWindowIcon(QIcon(kLogo));
    setFixedSize(twipsToPixels(5730), twipsToPixels(3555));

    picIcon = placedLabel(this, 240, 240, 540, 540);
    picIcon->setPixmap(QIcon(kLogo).pixmap(picIcon->size()));
    lblTitle = placedLabel(this, 1035, 270, 3885, 255);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = placedLabel(this, 1035, 540, 3885, 225);
    lblVark = placedLabel(this, 1035, 765, 3885, 225);
    lblDescription = placedLabel(this, 1035, 990, 3885, 390);
    lblDescription->setWordWrap(true);
    for (int i = 0; i < 2; ++i) {
        QLabel *link = placedLabel(this, 1035, i == 0 ? 1530 : 1800, 3255, 285);
        QFont font = link->font();
        font.setPointSizeF(8.25);
        font.setUnderline(true);
        link->setFont(font);
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        lblLink[size_t(i)] = link;
    }
    Line1[1] = placedLine(this, 90, 5654, 2445, QColor(128, 128, 128));
    Line1[0] = placedLine(this, 105, 5654, 2460, Qt::white);
    lblDisclaimer = placedLabel(this, 270, 2625, 3870, 825);
    lblDisclaimer->setWordWrap(true);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(twipsRect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setGeometry(twipsRect(4260, 3075, 1245, 345));
    cmdSysInfo->setAutoDefault(false);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + Prompts::applicationTitle());
    lblVersion->setText(VersionText(programVersion()));
    lblTitle->setText(Prompts::applicationTitle());
    lblDescription->setText(FileDescription());
    lblDisclaimer->setText(DisclaimerText(m_databasename));
    lblVark->setText(VarkText());
    lblLink[0]->setText(ProductPageAddress());
    lblLink[1]->setText(MailAddress());
    // An address longer than the design's label is widened, up to the
    // window's edge, rather than cut off.
    for (QLabel *link : lblLink)
        link->resize(qBound(link->width(), link->sizeHint().width(), width() - link->x()),
                     link->height());
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo(m_registry, m_prompts, m_start);
}

void frmAbout::lblLink_Click(int index)
{
    // The desktop's answer is not reported.
    m_openUrl(QUrl(lblLink[size_t(index)]->text()));
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < 2; ++i) {
            if (watched == lblLink[size_t(i)]) {
                lblLink_Click(i);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
