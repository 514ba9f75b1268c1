// The About box and the update window as the user meets them. The update
// page comes from a loopback server started here; nothing reaches the
// internet, no program is started and no link is opened.

#include "about/AboutTexts.h"
#include "about/UpdatePage.h"
#include "about/frmAbout.h"
#include "about/frmWeb.h"
#include "platform/Registry.h"
#include "platform/Twips.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// Answers every request on 127.0.0.1 with one fixed response per path.
class PageServer final : public QTcpServer
{
public:
    QHash<QByteArray, QByteArray> responses;

    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
        listen(QHostAddress::LocalHost, 0);
    }
    QUrl url(const QByteArray &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(serverPort()) +
                    QString::fromLatin1(path));
    }

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        socket->write(responses.value(path, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"
                                            "Connection: close\r\n\r\n"));
        socket->disconnectFromHost();
    }
    QHash<QTcpSocket *, QByteArray> m_requests;
};

QByteArray page200(const QByteArray &type, const QByteArray &body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

class TestAboutWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    void aboutBox()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        RegistryStore registry;
        QList<QUrl> opened;
        frmAbout about(
            nullptr, "/home/u/Almarik.MDB", prompts, registry,
            [](const QString &, const QStringList &) { return true; },
            [&](const QUrl &url) {
                opened << url;
                return false;
            });
        about.Form_Load();
        QCOMPARE(about.windowTitle(), "About Almarik");
        QCOMPARE(about.lblTitle->text(), "Almarik");
        QCOMPARE(about.lblVersion->text(), VersionText(programVersion()));
        QCOMPARE(about.lblDescription->text(), "Almarik shows a months upcoming events on startup");
        QCOMPARE(about.lblVark->text(), VarkText());
        QCOMPARE(about.lblDisclaimer->text(),
                 "Use this software at your own risk.\r\n\r\n/home/u/Almarik.MDB");
        QCOMPARE(about.lblLink[0]->text(), ProductPageAddress());
        QCOMPARE(about.lblLink[1]->text(), MailAddress());
        QCOMPARE(about.lblLink[1]->geometry(), twipsRect(1035, 1800, 3255, 285));
        QCOMPARE(about.cmdSysInfo->text(), "&System Info...");
        QCOMPARE(about.cmdSysInfo->geometry(), twipsRect(4260, 3075, 1245, 345));
        QVERIFY(about.cmdOK->isDefault());

        // A click on a link hands its caption to the desktop; a refusal says nothing.
        QTest::mouseClick(about.lblLink[1], Qt::LeftButton);
        QTest::mouseClick(about.lblLink[0], Qt::LeftButton);
        QCOMPARE(opened, (QList<QUrl>{QUrl(MailAddress()), QUrl(ProductPageAddress())}));
        QVERIFY(prompts.boxes.isEmpty());

        // Escape closes the box as OK does.
        about.show();
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
    }

    void webPage_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("shown");
        QTest::newRow("page") << QByteArray("/almaupdt.htm") << true << "Version 2.4.0 is out";
        QTest::newRow("redirect followed")
            << QByteArray("/old.htm") << true << "Version 2.4.0 is out";
        QTest::newRow("Latin-1 page") << QByteArray("/latin1.htm") << true << "Café";
        QTest::newRow("404") << QByteArray("/missing.htm") << false << "HTTP 404";
        QTest::newRow("closed port") << QByteArray() << false << "refused";
    }
    void webPage()
    {
        QFETCH(QByteArray, path);
        QFETCH(bool, ok);
        QFETCH(QString, shown);
        TestEnv env;
        PageServer server;
        server.responses["/almaupdt.htm"] =
            page200("text/html", "<html><body><p>Version <b>2.4.0</b> is out</p></body></html>");
        server.responses["/old.htm"] = "HTTP/1.1 301 Moved\r\nLocation: /almaupdt.htm\r\n"
                                       "Content-Length: 0\r\nConnection: close\r\n\r\n";
        server.responses["/latin1.htm"] =
            page200("text/html; charset=iso-8859-1", "<p>Caf\xe9</p>");
        QUrl address = server.url(path);
        if (path.isEmpty()) {
            address = server.url("/almaupdt.htm");
            server.close();
        }
        ScriptedPrompts prompts;
        frmWeb web(nullptr, prompts, address, [](const QUrl &) { return true; });
        QSignalSpy spy(web.Web, &PageView::pageShown);
        web.Form_Load();
        QCOMPARE(web.windowTitle(), "Almarik Update");
        QCOMPARE(web.lblVersion->text(), UpdateLabelText(programVersion()));
        QVERIFY(spy.wait(20000));
        QCOMPARE(spy.at(0).at(0).toBool(), ok);
        const QString text = web.Web->toPlainText();
        QVERIFY2(text.contains(shown, Qt::CaseInsensitive), qPrintable(text));
        if (!ok) {
            QVERIFY(text.contains("The update page could not be shown"));
            QVERIFY(text.contains(address.toDisplayString()));
        }
        QVERIFY(prompts.boxes.isEmpty());
    }

    void refusedAddressIsReported()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        frmWeb web(nullptr, prompts, QUrl("ftp://h.example/almaupdt.htm"),
                   [](const QUrl &) { return true; });
        web.Form_Load();
        QCOMPARE(prompts.boxes.size(), 1);
        QCOMPARE(prompts.boxes[0].text,
                 "Error :The address \"ftp://h.example/almaupdt.htm\" is not a web address.");
        QCOMPARE(prompts.boxes[0].title, "Almarik");
        QCOMPARE(web.lblVersion->text(), UpdateLabelText(programVersion()));
    }

    void linksOpenOutside()
    {
        TestEnv env;
        PageServer server;
        server.responses["/almaupdt.htm"] = page200("text/html", "<a href=\"new.zip\">get it</a>");
        ScriptedPrompts prompts;
        QList<QUrl> opened;
        frmWeb web(nullptr, prompts, server.url("/almaupdt.htm"), [&](const QUrl &url) {
            opened << url;
            return true;
        });
        QSignalSpy spy(web.Web, &PageView::pageShown);
        web.Form_Load();
        QVERIFY(spy.wait(20000));
        emit web.Web->anchorClicked(QUrl("new.zip"));
        QCOMPARE(opened, QList<QUrl>{server.url("/new.zip")});
    }

    void smallWindowKeepsBrowserHeightPositive()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        frmWeb web(nullptr, prompts, QUrl("http://127.0.0.1:1/"),
                   [](const QUrl &) { return true; });
        web.resize(twipsToPixels(4650), twipsToPixels(400));
        web.Form_Resize();
        QVERIFY(qAbs(web.Web->height() - twipsToPixels(170)) <= 1);
        QCOMPARE(web.Web->width(), web.width());
        QCOMPARE(web.lblVersion->width(), web.width());
    }
};

QTEST_MAIN(TestAboutWindows)
#include "tst_aboutwindows.moc"
