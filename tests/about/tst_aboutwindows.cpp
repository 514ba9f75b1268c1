// The About box and the update window as the user meets them. Pages come
// from a loopback server started here; no program starts, no link opens.

#include "about/UpdatePage.h"
#include "about/ui/frmAbout.h"
#include "about/ui/frmWeb.h"
#include "platform/Registry.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// Answers each request on 127.0.0.1: the update page, or 404 for any other
// path.
class PageServer final : public QTcpServer
{
public:
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [s] {
                    if (!s->peek(s->bytesAvailable()).contains("\r\n\r\n"))
                        return; // the request is not whole yet
                    const QByteArray body =
                        s->readAll().startsWith("GET /almaupdt.htm ")
                            ? "<p>Version <b>2.4.0</b> is out <a href=\"new.zip\">get</a></p>"
                            : "";
                    s->write(
                        QByteArray(body.isEmpty() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK") +
                        "\r\nContent-Type: text/html\r\nContent-Length: " +
                        QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
        });
        listen(QHostAddress::LocalHost, 0);
    }
};

} // namespace

class TestAboutWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    void aboutBoxAndRefusedAddress()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        RegistryStore registry;
        QList<QUrl> opened;
        frmAbout about(
            nullptr, "/home/u/Almarik.MDB", prompts, registry,
            [](const QString &, const QStringList &) { return true; },
            [&](const QUrl &url) { return opened << url, false; });
        about.Form_Load();
        // A link hands its caption to the desktop; a refusal says nothing.
        QTest::mouseClick(about.lblLink[1], Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(MailAddress())});
        QVERIFY(prompts.boxes.isEmpty());
        // An update address that is no web address is refused with a box.
        frmWeb web(nullptr, prompts, QUrl("ftp://h.example/u.htm"),
                   [](const QUrl &) { return true; });
        web.Form_Load();
        QCOMPARE(prompts.takeBoxes(),
                 QStringList{"Almarik (-, OK): Error :The address \"ftp://h.example/u.htm\" is "
                             "not a web address."});
    }

    // The update page and a missing page, from one server; a link opens
    // relative to the page shown.
    void webPages()
    {
        TestEnv env;
        PageServer server;
        for (const auto &[path, shown, found] :
             {std::tuple{"/almaupdt.htm", "Version 2.4.0 is out", true},
              {"/missing.htm", "HTTP 404", false}}) {
            const QUrl address(QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()) +
                               path);
            ScriptedPrompts prompts;
            QList<QUrl> opened;
            frmWeb web(nullptr, prompts, address,
                       [&](const QUrl &url) { return opened << url, true; });
            QSignalSpy spy(web.Web, &PageView::pageShown);
            web.Form_Load();
            QVERIFY(spy.wait(20000));
            const QString text = web.Web->toPlainText();
            QVERIFY2(text.contains(QString::fromUtf8(shown), Qt::CaseInsensitive),
                     qPrintable(text));
            QCOMPARE(spy.at(0).at(0).toBool(), found);
            if (!found)
                QVERIFY(text.startsWith("The update page could not be shown\n" +
                                        address.toDisplayString()));
            emit web.Web->anchorClicked(QUrl("new.zip"));
            QCOMPARE(opened, QList<QUrl>{address.resolved(QUrl("new.zip"))});
            QVERIFY(prompts.boxes.isEmpty());
        }
    }
};

QTEST_MAIN(TestAboutWindows)
#include "tst_aboutwindows.moc"
