#include "about/ui/PageView.h"

#include "about/UpdatePage.h"
#include "platform/AppError.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>

#include <utility>

namespace {

// The reply's text: the header's character set, else the page's own
// declaration, else UTF-8.
QString decodePage(const QByteArray &body, const QString &contentType)
{
    const qsizetype at = contentType.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
    if (at >= 0) {
        QString name = contentType.mid(at + 8).section(QLatin1Char(';'), 0, 0).trimmed();
        name.remove(QLatin1Char('"'));
        QStringDecoder decoder(name.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    QStringDecoder decoder = QStringDecoder::decoderForHtml(body);
    return decoder.decode(body);
}

} // namespace

PageView::PageView(QWidget *parent, UrlOpener openUrl)
    : QTextBrowser(parent), m_network(new QNetworkAccessManager(this)),
      m_openUrl(std::move(openUrl))
{
    // Links leave the window: the page is shown, never browsed.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
        const PageLink clicked = ClickedLink(m_address, link);
        if (clicked.refusal.isEmpty())
            m_openUrl(clicked.address);
        else
            emit linkRefused(clicked.refusal);
    });
}

PageView::~PageView()
{
    // A reply cut short here must not show anything in a window going away.
    if (QNetworkReply *reply = std::exchange(m_reply, nullptr))
        reply->abort();
}

void PageView::Navigate(const QUrl &address)
{
    const QString refused = RefusedAddressReason(address);
    if (!refused.isEmpty())
        throw AppError(ErrNo::BadFileName, refused);
    if (QNetworkReply *old = std::exchange(m_reply, nullptr))
        old->abort();
    m_address = address;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(kTimeLimit);
    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (reply == m_reply && received > kMaxPageBytes) {
            m_reply = nullptr;
            reply->abort();
            showError(QStringLiteral("The page is larger than %1 bytes.").arg(kMaxPageBytes));
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

void PageView::finished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return; // replaced by a later address, or cut short
    m_reply = nullptr;
    if (reply->error() == QNetworkReply::NoError) {
        showPage(reply);
        return;
    }
    QString reason = reply->errorString();
    if (reply->error() == QNetworkReply::OperationCanceledError)
        reason = QStringLiteral("No answer within %1 seconds.").arg(kTimeLimit / 1000);
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        reason = QStringLiteral("HTTP %1: ").arg(status.toInt()) + reason;
    showError(reason);
}

void PageView::showPage(QNetworkReply *reply)
{
    m_address = reply->url();
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    const QString text = decodePage(reply->readAll(), type);
    document()->setBaseUrl(m_address);
    if (type.startsWith(QLatin1String("text/plain"), Qt::CaseInsensitive))
        setPlainText(text);
    else
        setHtml(text);
    emit pageShown(true);
}

void PageView::showError(const QString &reason)
{
    setHtml(ErrorPageHtml(m_address, reason));
    emit pageShown(false);
}
