// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/ui/frmWeb.h"

#include "about/AboutTexts.h"
#include "about/UpdatePage.h"
#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "widgets/Twips.h"

#include <QDesktopServices>
#include <QIcon>
#include <QLabel>

namespace {

constexpr int kLabelHeight = 570;
constexpr int kWebTop = 600;

} // namespace

frmWeb::frmWeb(QWidget *parent)
    : frmWeb(parent, appPrompts(), QUrl(UpdatePageAddress()),
             [](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
}

frmWeb::frmWeb(QWidget *parent, Prompts &prompts, const QUrl &address, UrlOpener openUrl)
    : QWidget(parent, Qt::Window), m_prompts(prompts), m_address(address)
{
    setWindowTitle(QStringLiteral("Almarik Update"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/almarik.svg")));
    lblVersion = new QLabel(this);
    lblVersion->setTextFormat(Qt::PlainText);
    lblVersion->setWordWrap(true);
    // The label's three lines fit its design height at the design's 8.25 points.
    QFont small = lblVersion->font();
    small.setPointSizeF(8.25);
    lblVersion->setFont(small);
    lblVersion->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblVersion->setGeometry(twipsRect(0, 0, 4650, kLabelHeight));
    Web = new PageView(this, std::move(openUrl));
    Web->setGeometry(twipsRect(0, kWebTop, 4650, 2760));
    connect(Web, &PageView::linkRefused, this, [this](const QString &reason) {
        m_prompts.MsgBox(reason, MsgButtons::OkOnly, MsgIcon::Information);
    });
    resize(twipsToPixels(4650), twipsToPixels(3360));
}

void frmWeb::Form_Load()
{
    // Each step runs whatever the one before did; a failure is reported
    // once, at the end, and the window stays open.
    QString failure;
    lblVersion->setText(UpdateLabelText(programVersion()));
    try {
        Web->Navigate(m_address);
    } catch (const AppError &e) {
        failure = e.description();
    }
    if (!failure.isNull())
        m_prompts.MsgBox(QStringLiteral("Error :") + failure, MsgButtons::OkOnly);
}

void frmWeb::Form_Resize()
{
    const int innerWidth = width();
    const int innerHeight = qRound(pixelsToTwips(height()));
    Web->setGeometry(0, twipsToPixels(kWebTop), innerWidth,
                     twipsToPixels(WebHeight(innerHeight, kLabelHeight)));
    lblVersion->resize(innerWidth, lblVersion->height());
}

void frmWeb::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}
