// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The update window's browser: fetches one web page over HTTP and shows it
// as rich text. A page that cannot be fetched is replaced by an error page
// naming the address and the reason; web links open in the user's own
// browser, and any other link is only reported. The page is parsed and cut
// to what a person reads away from the window's thread, and of what it
// names only its http and https pictures are fetched, within the same limits
// as the page; nothing else is ever loaded for it.

#include <QList>
#include <QTextBrowser>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QTextDocument;

// Opens an address with the desktop's handler; tests record it instead.
using UrlOpener = std::function<bool(const QUrl &)>;

class PageView final : public QTextBrowser
{
    Q_OBJECT
public:
    PageView(QWidget *parent, UrlOpener openUrl);
    ~PageView() override;

    // Starts fetching address, dropping any page still on its way. Throws
    // AppError (and fetches nothing) for an address it does not fetch.
    void Navigate(const QUrl &address);
    // The longest wait for a page or one of its pictures, in milliseconds.
    static constexpr int kTimeLimit = 30000;
    // The largest page shown, and the most bytes of all its pictures.
    static constexpr qint64 kMaxPageBytes = 4 * 1024 * 1024;

    // Nothing outside the pictures fetched for the page.
    QVariant loadResource(int type, const QUrl &name) override;

signals:
    // The page, or the error page in its place, is shown.
    void pageShown(bool ok);
    // Every picture fetched for the page shown has arrived or failed.
    void picturesDone();
    // A link was clicked and not opened, for the reason given.
    void linkRefused(const QString &reason);

private:
    QNetworkReply *get(const QUrl &address);
    void finished(QNetworkReply *reply);
    void showPage(QNetworkReply *reply);
    void showError(const QString &reason);
    // Shows doc in place of the page before, and fetches its pictures.
    void adopt(QTextDocument *doc, bool ok);
    void pictureFinished(QNetworkReply *reply, const QList<int> &positions);
    void dropPictures();

    QNetworkAccessManager *m_network = nullptr;
    QNetworkReply *m_reply = nullptr;
    QUrl m_address;
    UrlOpener m_openUrl;
    int m_pageTicket = 0; // the page being built; a later one replaces it
    QTextDocument *m_page = nullptr;
    QList<QNetworkReply *> m_pictures;
    qint64 m_pictureBytes = 0;
};
