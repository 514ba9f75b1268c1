// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/ui/PageView.h"

#include "about/UpdatePage.h"
#include "about/ui/PageText.h"
#include "platform/AppError.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStringDecoder>
#include <QTextDocument>
#include <QThread>
#include <QThreadPool>

#include <memory>
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
    dropPictures();
}

QVariant PageView::loadResource(int type, const QUrl &name)
{
    // For the view's own first document; the pages are PageDocuments. A
    // null answer would let Qt read the name from the disk itself.
    Q_UNUSED(type)
    Q_UNUSED(name)
    return NoPageResource();
}

QNetworkReply *PageView::get(const QUrl &address)
{
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(kTimeLimit);
    return m_network->get(request);
}

void PageView::Navigate(const QUrl &address)
{
    const QString refused = RefusedAddressReason(address);
    if (!refused.isEmpty())
        throw AppError(ErrNo::BadFileName, refused);
    if (QNetworkReply *old = std::exchange(m_reply, nullptr))
        old->abort();
    ++m_pageTicket;
    m_address = address;
    QNetworkReply *reply = get(address);
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
    const bool plain = type.startsWith(QLatin1String("text/plain"), Qt::CaseInsensitive);
    // Parsing and cutting a long page takes seconds: they run on the
    // application's pool, and the view takes the document when it is done,
    // if it is still there and still wants that page.
    QThread *home = thread();
    QThreadPool::globalInstance()->start([view = QPointer(this), ticket = m_pageTicket,
                                          body = reply->readAll(), type, plain, base = m_address,
                                          font = font(), home] {
        // Owned by the call until the view takes it: a call never made (the
        // program ending) still frees it.
        auto doc = std::make_shared<std::unique_ptr<QTextDocument>>(
            BuildPageDocument(decodePage(body, type), plain, base, font));
        (*doc)->moveToThread(home);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [view, ticket, doc = std::move(doc)] {
                if (view && view->m_pageTicket == ticket)
                    view->adopt(doc->release(), true);
            },
            Qt::QueuedConnection);
    });
}

void PageView::showError(const QString &reason)
{
    ++m_pageTicket; // a page still being built is no longer wanted
    adopt(BuildPageDocument(ErrorPageHtml(m_address, reason), false, QUrl(), font()).release(),
          false);
}

void PageView::adopt(QTextDocument *doc, bool ok)
{
    dropPictures();
    doc->setParent(this);
    setDocument(doc);
    delete std::exchange(m_page, doc);
    m_pictureBytes = 0;
    for (const PagePicture &picture : PagePictures(*doc)) {
        QNetworkReply *reply = get(picture.address);
        m_pictures << reply;
        // All of the page's pictures together stay within the page's limit.
        connect(reply, &QNetworkReply::downloadProgress, this,
                [this, reply, counted = qint64(0)](qint64 received, qint64) mutable {
                    m_pictureBytes += received - std::exchange(counted, received);
                    if (m_pictureBytes > kMaxPageBytes)
                        reply->abort();
                });
        connect(
            reply, &QNetworkReply::finished, this,
            [this, reply, positions = picture.positions] { pictureFinished(reply, positions); });
    }
    emit pageShown(ok);
    if (m_pictures.isEmpty())
        emit picturesDone();
}

void PageView::pictureFinished(QNetworkReply *reply, const QList<int> &positions)
{
    reply->deleteLater();
    if (!m_pictures.removeOne(reply))
        return; // the page it was for is gone
    const QImage image = reply->error() == QNetworkReply::NoError && m_pictureBytes <= kMaxPageBytes
                             ? DecodePagePicture(reply->readAll())
                             : QImage();
    if (!image.isNull()) {
        document()->addResource(QTextDocument::ImageResource, reply->request().url(), image);
        // Only the picture's own lines are laid out again.
        for (const int at : positions)
            document()->markContentsDirty(at, 1);
    }
    if (m_pictures.isEmpty())
        emit picturesDone();
}

void PageView::dropPictures()
{
    for (QNetworkReply *reply : std::exchange(m_pictures, {})) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}
