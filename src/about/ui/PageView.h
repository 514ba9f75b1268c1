#pragma once
// The update window's browser: fetches one web page over HTTP and shows it
// as rich text. A page that cannot be fetched is replaced by an error page
// naming the address and the reason; web links open in the user's own
// browser, and any other link is only reported.

#include <QTextBrowser>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

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
    // The longest wait for a page, in milliseconds.
    static constexpr int kTimeLimit = 30000;
    // The largest page shown.
    static constexpr qint64 kMaxPageBytes = 4 * 1024 * 1024;

signals:
    // The page, or the error page in its place, is shown.
    void pageShown(bool ok);
    // A link was clicked and not opened, for the reason given.
    void linkRefused(const QString &reason);

private:
    void finished(QNetworkReply *reply);
    void showPage(QNetworkReply *reply);
    void showError(const QString &reason);

    QNetworkAccessManager *m_network = nullptr;
    QNetworkReply *m_reply = nullptr;
    QUrl m_address;
    UrlOpener m_openUrl;
};
