// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DavServers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QXmlStreamReader>

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>

namespace {

// A port nobody listens on now; radicale is told to take it.
quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

QUrl localUrl(quint16 port)
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port));
}

QByteArray headerOf(const DavHeaders &headers, const QByteArray &name)
{
    for (const auto &[key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

QString trimmedSlashes(QString path)
{
    while (path.startsWith(u'/'))
        path.remove(0, 1);
    while (path.endsWith(u'/'))
        path.chop(1);
    return path;
}

} // namespace

RadicaleServer::RadicaleServer() : m_network(std::make_unique<QNetworkAccessManager>())
{
    m_network->setProxy(QNetworkProxy::NoProxy);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // A test that crashes takes radicale with it; the signal comes when the
    // thread that started it ends, so start it from the test's main thread.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

RadicaleServer::~RadicaleServer()
{
    stop();
}

bool RadicaleServer::start(QString *why)
{
    auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (m_process.state() != QProcess::NotRunning)
        return true;
    if (!m_dir.isValid())
        return fail(
            QStringLiteral("No temporary folder for Radicale: %1").arg(m_dir.errorString()));
    const QString program = QStandardPaths::findExecutable(QStringLiteral("radicale"));
    if (program.isEmpty())
        return fail(QStringLiteral("Radicale is not installed (no radicale program on the PATH)."));

    const QString users = m_dir.filePath(QStringLiteral("users"));
    const QString config = m_dir.filePath(QStringLiteral("config"));
    const QString logPath = m_dir.filePath(QStringLiteral("radicale.log"));
    QFile usersFile(users);
    if (!usersFile.open(QIODevice::WriteOnly) ||
        usersFile.write((user() + u':' + password() + u'\n').toUtf8()) < 0)
        return fail(
            QStringLiteral("Cannot write Radicale's users file: %1").arg(usersFile.errorString()));
    usersFile.close();

    // Its own home and settings folder, so that ~/.config/radicale is never
    // read; --config alone already replaces /etc/radicale/config.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_dir.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("RADICALE_CONFIG"), config);
    environment.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
    environment.remove(QStringLiteral("PYTHONPATH"));
    environment.remove(QStringLiteral("PYTHONHOME"));
    m_process.setProcessEnvironment(environment);
    m_process.setStandardOutputFile(logPath, QIODevice::Append);

    // Another process may take the free port before radicale binds it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = freePort();
        QFile configFile(config);
        const QString text = QStringLiteral("[server]\nhosts = 127.0.0.1:%1\nssl = False\n"
                                            "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\n"
                                            "htpasswd_encryption = plain\ndelay = 0\n"
                                            "[rights]\ntype = owner_only\n"
                                            "[storage]\nfilesystem_folder = %3\n"
                                            "[web]\ntype = none\n"
                                            "[logging]\nlevel = warning\nmask_passwords = True\n")
                                 .arg(m_port)
                                 .arg(users, m_dir.filePath(QStringLiteral("storage")));
        if (m_port == 0 || !configFile.open(QIODevice::WriteOnly) ||
            configFile.write(text.toUtf8()) < 0)
            return fail(QStringLiteral("Cannot write Radicale's settings: %1")
                            .arg(configFile.errorString()));
        configFile.close();

        m_process.start(program, {QStringLiteral("--config"), config});
        if (!m_process.waitForStarted(5000))
            return fail(QStringLiteral("Radicale did not start: %1").arg(m_process.errorString()));
        QElapsedTimer clock;
        clock.start();
        bool exited = false;
        while (clock.elapsed() < 10000) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(200))
                return true;
            // Also the pause between tries; true once radicale has ended.
            if (m_process.waitForFinished(50)) {
                exited = true;
                break;
            }
        }
        if (!exited) {
            stop();
            return fail(QStringLiteral("Radicale did not answer on port %1 within ten seconds.")
                            .arg(m_port));
        }
        if (!log().contains(QLatin1String("Address already in use")))
            return fail(QStringLiteral("Radicale stopped at once: %1").arg(log().trimmed()));
    }
    return fail(QStringLiteral("Radicale found no free port."));
}

void RadicaleServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QUrl RadicaleServer::url() const
{
    return localUrl(m_port);
}

QString RadicaleServer::log() const
{
    QFile file(m_dir.filePath(QStringLiteral("radicale.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

RadicaleServer::Answer RadicaleServer::send(const QByteArray &method, const QString &path,
                                            const QByteArray &body, const DavHeaders &headers)
{
    QNetworkRequest request(url().resolved(QUrl(path)));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(30000);
    request.setRawHeader("Authorization",
                         "Basic " + (user() + u':' + password()).toUtf8().toBase64());
    if (!body.isEmpty())
        request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply *reply = m_network->sendCustomRequest(request, method, body);
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    reply->deleteLater();
    return answer;
}

bool RadicaleServer::makeCollection(const QString &path, bool addressBook,
                                    const QString &displayName)
{
    const QByteArray type = addressBook
                                ? "<A:addressbook xmlns:A=\"urn:ietf:params:xml:ns:carddav\"/>"
                                : "<C:calendar xmlns:C=\"urn:ietf:params:xml:ns:caldav\"/>";
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<D:mkcol xmlns:D=\"DAV:\"><D:set><D:prop>"
                            "<D:resourcetype><D:collection/>" +
                            type + "</D:resourcetype><D:displayname>" +
                            displayName.toHtmlEscaped().toUtf8() +
                            "</D:displayname></D:prop></D:set></D:mkcol>";
    return send("MKCOL", path, body).status == 201;
}

bool RadicaleServer::putResource(const QString &path, const QByteArray &text,
                                 const QByteArray &contentType)
{
    const int status = send("PUT", path, text, {{"Content-Type", contentType}}).status;
    return status == 201 || status == 204;
}

bool RadicaleServer::deleteResource(const QString &path)
{
    const int status = send("DELETE", path).status;
    return status == 200 || status == 204;
}

QByteArray RadicaleServer::getResource(const QString &path, int *status)
{
    Answer answer = send("GET", path);
    if (status)
        *status = answer.status;
    return answer.body;
}

QStringList RadicaleServer::listHrefs(const QString &collectionPath)
{
    const Answer answer = send("PROPFIND", collectionPath,
                               "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<D:propfind "
                               "xmlns:D=\"DAV:\"><D:prop><D:getetag/></D:prop></D:propfind>",
                               {{"Depth", "1"}});
    if (answer.status != 207)
        return {};
    // Every href of a Depth 1 answer names a member or the collection.
    const QString self = u'/' + trimmedSlashes(collectionPath) + u'/';
    QStringList hrefs;
    QXmlStreamReader xml(answer.body);
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == QLatin1String("href")) {
            const QString href = xml.readElementText();
            if (href != self && href != self.chopped(1))
                hrefs.append(href);
        }
    }
    if (xml.hasError())
        return {};
    std::sort(hrefs.begin(), hrefs.end());
    return hrefs;
}

bool RadicaleServer::writeCardsDirectly(const QString &collectionPath,
                                        const QList<std::pair<QString, QByteArray>> &files)
{
    const QDir folder(m_dir.filePath(QStringLiteral("storage/collection-root/")) +
                      trimmedSlashes(collectionPath));
    if (trimmedSlashes(collectionPath).isEmpty() ||
        !QFileInfo::exists(folder.filePath(QStringLiteral(".Radicale.props"))))
        return false;
    // No request is served meanwhile, so nothing reads a card half written.
    for (const auto &[name, text] : files) {
        QFile file(folder.filePath(name));
        if (name.startsWith(u'.') || name.contains(u'/') || !file.open(QIODevice::WriteOnly) ||
            file.write(text) != text.size())
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

namespace {

// The reasons of the statuses the tests script; others get a plain word.
QByteArray reason(int status)
{
    static const QHash<int, QByteArray> reasons = {{200, "OK"},
                                                   {201, "Created"},
                                                   {207, "Multi-Status"},
                                                   {401, "Unauthorized"},
                                                   {403, "Forbidden"},
                                                   {404, "Not Found"},
                                                   {412, "Precondition Failed"},
                                                   {500, "Internal Server Error"},
                                                   {503, "Service Unavailable"}};
    return reasons.value(status, "Status");
}

} // namespace

QByteArray FakeDavServer::Request::header(const QByteArray &name) const
{
    return headerOf(headers, name);
}

FakeDavServer::FakeDavServer() : m_server(std::make_unique<QTcpServer>())
{
    m_server->listen(QHostAddress::LocalHost, 0);
    QObject::connect(m_server.get(), &QTcpServer::newConnection, m_server.get(),
                     [this] { accept(); });
}

FakeDavServer::~FakeDavServer()
{
    m_server->close();
    // Quietly: a socket closed here must not call back into this object.
    for (const auto &[socket, connection] : m_connections) {
        QObject::disconnect(socket, nullptr, nullptr, nullptr);
        socket->abort();
        delete socket;
    }
}

QUrl FakeDavServer::url() const
{
    return localUrl(m_server->serverPort());
}

void FakeDavServer::script(const QByteArray &method, const QString &path, const Reply &reply)
{
    m_script[{method, path}].append(reply);
}

void FakeDavServer::answer(const QByteArray &method, const QString &path, int status,
                           const QByteArray &body, const DavHeaders &headers)
{
    script(method, path, {Mode::Answer, status, body, headers});
}

void FakeDavServer::hang(const QByteArray &method, const QString &path)
{
    script(method, path, {Mode::Hang, 0, {}, {}});
}

void FakeDavServer::hugeBody(const QByteArray &method, const QString &path, qint64 bytes)
{
    answer(method, path, 207, QByteArray(bytes, ' '));
}

void FakeDavServer::closeMidway(const QByteArray &method, const QString &path)
{
    script(method, path, {Mode::CloseMidway, 207, {}, {}});
}

void FakeDavServer::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_connections[socket] = {};
        QObject::connect(socket, &QTcpSocket::readyRead, socket,
                         [this, socket] { readFrom(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket,
                         [this, socket] { drop(socket); });
        readFrom(socket);
    }
}

void FakeDavServer::readFrom(QTcpSocket *socket)
{
    // Each pass takes one whole request; looked up again since answering
    // may close the connection.
    for (;;) {
        const auto it = m_connections.find(socket);
        if (it == m_connections.end())
            return;
        Connection &connection = it->second;
        connection.buffer += socket->readAll();
        if (connection.hung) {
            connection.buffer.clear();
            return;
        }
        const qsizetype headEnd = connection.buffer.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        const QList<QByteArray> lines = connection.buffer.left(headEnd).split('\n');
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        Request request;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.append(
                    {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
        }
        const qint64 length = std::max(qint64(0), request.header("Content-Length").toLongLong());
        if (requestLine.size() != 3)
            return;
        if (connection.buffer.size() < headEnd + 4 + length)
            return;
        request.method = requestLine[0];
        request.path = QUrl::fromPercentEncoding(requestLine[1]);
        request.body = connection.buffer.mid(headEnd + 4, length);
        connection.buffer.remove(0, headEnd + 4 + length);
        m_requests.append(request);
        respond(socket, connection, request);
    }
}

void FakeDavServer::respond(QTcpSocket *socket, Connection &connection, const Request &request)
{
    Reply reply;
    const auto scripted = m_script.find({request.method, request.path});
    if (scripted != m_script.end())
        reply =
            scripted->second.size() > 1 ? scripted->second.takeFirst() : scripted->second.first();
    const QByteArray statusLine =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reason(reply.status) + "\r\n";
    switch (reply.mode) {
    case Mode::Hang:
        connection.hung = true;
        connection.buffer.clear();
        return;
    case Mode::CloseMidway:
        socket->write(statusLine + "Content-Type: application/xm");
        socket->disconnectFromHost();
        return;
    case Mode::Answer:
        break;
    }
    QByteArray head = statusLine;
    for (const auto &[name, value] : reply.headers)
        head += name + ": " + value + "\r\n";
    if (headerOf(reply.headers, "Content-Length").isEmpty())
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    socket->write(head + "\r\n" + reply.body);
    if (request.header("Connection").compare("close", Qt::CaseInsensitive) == 0)
        socket->disconnectFromHost();
}

void FakeDavServer::drop(QTcpSocket *socket)
{
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    m_connections.erase(socket);
    socket->deleteLater();
}
