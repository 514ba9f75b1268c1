// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Servers for the sync tests on 127.0.0.1: a real Radicale in a temporary
// folder, to prove a sync against a server that follows the standards, and
// a scripted one, for the answers a real server gives only when it breaks.
// Both need a QCoreApplication (QTEST_GUILESS_MAIN).

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <map>
#include <memory>
#include <utility>

class QNetworkAccessManager;
class QTcpServer;
class QTcpSocket;

using DavHeaders = QList<std::pair<QByteArray, QByteArray>>;

// Debian's radicale with one user, ann (password secret), who owns the
// collections under /ann/; storage, settings and log in its own folder.
class RadicaleServer final
{
public:
    RadicaleServer();
    ~RadicaleServer();
    RadicaleServer(const RadicaleServer &) = delete;
    RadicaleServer &operator=(const RadicaleServer &) = delete;

    // Starts it and waits up to ten seconds for its port. Returns false with
    // the reason in why when radicale is missing, fails or does not answer.
    bool start(QString *why);
    void stop();

    QUrl url() const; // http://127.0.0.1:<port>/
    static QString user() { return QStringLiteral("ann"); }
    static QString password() { return QStringLiteral("secret"); }

    struct Answer
    {
        int status = 0; // 0 when no answer came
        QByteArray body;
    };
    // One request as ann, path relative to the server, waited for (30 s).
    Answer send(const QByteArray &method, const QString &path, const QByteArray &body = {},
                const DavHeaders &headers = {});

    // Fixtures, each true on success. Collection paths end in a slash.
    bool makeCollection(const QString &path, bool addressBook, const QString &displayName);
    bool putResource(const QString &path, const QByteArray &text, const QByteArray &contentType);
    bool deleteResource(const QString &path);
    QByteArray getResource(const QString &path, int *status = nullptr);
    // The members' hrefs as the server writes them, sorted; empty on failure.
    QStringList listHrefs(const QString &collectionPath);
    // Writes files (name, text) straight into an existing collection's
    // folder: for thousands of cards, a PUT each is too slow. Radicale reads
    // the folder on each request, so they count as uploaded at once.
    bool writeCardsDirectly(const QString &collectionPath,
                            const QList<std::pair<QString, QByteArray>> &files);

private:
    QString log() const; // what radicale wrote (warnings and worse)

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

// An HTTP/1.1 server answering from a script, served by the event loop of
// the thread that made it (a blocking client's nested loop serves it too).
// Requests it has no answer for get 404.
class FakeDavServer final
{
public:
    FakeDavServer();
    ~FakeDavServer();
    FakeDavServer(const FakeDavServer &) = delete;
    FakeDavServer &operator=(const FakeDavServer &) = delete;

    struct Request
    {
        QByteArray method;
        QString path; // as sent, percent-decoded
        DavHeaders headers;
        QByteArray body;
        QByteArray header(const QByteArray &name) const; // empty when absent
    };

    // Answers to method on path are given in the order scripted; the last
    // one is repeated. Content-Length is added unless headers have one.
    void answer(const QByteArray &method, const QString &path, int status, const QByteArray &body,
                const DavHeaders &headers = {});
    // Reads the request and never answers, the connection kept open.
    void hang(const QByteArray &method, const QString &path);
    // 207 with that many bytes of blanks.
    void hugeBody(const QByteArray &method, const QString &path, qint64 bytes);
    // Sends a status line and half a header, then closes the connection.
    void closeMidway(const QByteArray &method, const QString &path);

    QUrl url() const; // http://127.0.0.1:<port>/
    QList<Request> requests() const { return m_requests; }

private:
    enum class Mode
    {
        Answer,
        Hang,
        CloseMidway
    };
    struct Reply
    {
        Mode mode = Mode::Answer;
        int status = 404;
        QByteArray body;
        DavHeaders headers;
    };
    struct Connection
    {
        QByteArray buffer;
        bool hung = false;
    };

    void script(const QByteArray &method, const QString &path, const Reply &reply);
    void accept();
    void readFrom(QTcpSocket *socket);
    void respond(QTcpSocket *socket, Connection &connection, const Request &request);
    void drop(QTcpSocket *socket);

    std::unique_ptr<QTcpServer> m_server;
    std::map<std::pair<QByteArray, QString>, QList<Reply>> m_script;
    std::map<QTcpSocket *, Connection> m_connections;
    QList<Request> m_requests;
};
