// SPDX-License-Identifier: GPL-3.0-or-later
// The About box and the update window as the user meets them, and what the
// update window makes of a page: its text cut to what a person reads, with
// the line saying so, and of what it names only its web pictures, fetched
// within limits; no local file, data: address or program resource is ever
// read. Pages come from a loopback server started here; no program starts,
// no link opens.

#include "about/UpdatePage.h"
#include "about/ui/PageText.h"
#include "about/ui/PageView.h"
#include "about/ui/frmAbout.h"
#include "about/ui/frmWeb.h"
#include "editor/FileBytes.h"
#include "platform/Registry.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextDocument>

namespace {

// Answers GET /<name> on 127.0.0.1 with what it was given for the name,
// 404 for any other; it records the names asked for.
class PageServer final : public QTcpServer
{
public:
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
        });
        listen(QHostAddress::LocalHost, 0);
    }
    QUrl url(const QString &name) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(serverPort()) + name);
    }
    QHash<QByteArray, QPair<QByteArray, QByteArray>> files; // name: type, body
    QList<QByteArray> asked;

private:
    void answer(QTcpSocket *s)
    {
        const QByteArray request = s->peek(s->bytesAvailable());
        if (!request.contains("\r\n\r\n"))
            return; // the request is not whole yet
        const QByteArray name = request.split(' ').value(1).mid(1);
        asked << name;
        const auto [type, body] = files.value(name, {"text/html", {}});
        s->write(QByteArray(files.contains(name) ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found") +
                 "\r\nContent-Type: " + type +
                 "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        s->disconnectFromHost();
    }
};

QByteArray pngBytes(QSize size)
{
    QByteArray out;
    QBuffer buffer(&out);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(&buffer, "PNG");
    return out;
}

// The view's page once it and its pictures are there.
bool shown(PageView &view, const QUrl &address)
{
    QSignalSpy page(&view, &PageView::pageShown), pictures(&view, &PageView::picturesDone);
    view.Navigate(address);
    return page.wait(20000) && page.at(0).at(0).toBool() &&
           (!pictures.isEmpty() || pictures.wait(20000));
}

} // namespace

class TestUpdatePage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    void cap_data();
    void cap();
    void sourceToParse_data();
    void sourceToParse();
    void resources_data();
    void resources();
    void longPage();
    void aboutAndUpdateWindows();
};

void TestUpdatePage::cap_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("maxChars");
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<QString>("text"); // "~": the left-out line
    QTest::newRow("within both limits") << "<p>ab</p><p>cd</p>" << 5 << 2 << "ab\ncd";
    QTest::newRow("characters") << "<p>abcdef</p>" << 4 << 9 << "abcd\n~";
    QTest::newRow("lines of paragraphs") << "<p>a</p><p>b</p><p>c</p>" << 99 << 2 << "a\nb\n~";
    QTest::newRow("lines of line breaks") << "x<br>y<br>z" << 99 << 2 << "x\ny\n~";
    QTest::newRow("a table cut through goes whole")
        << "<p>ab</p><table><tr><td>cd</td><td>ef</td></tr></table><p>g</p>" << 5 << 99 << "ab\n~";
}

void TestUpdatePage::cap()
{
    QFETCH(QString, html);
    QFETCH(int, maxChars);
    QFETCH(int, maxLines);
    QFETCH(QString, text);
    QTextDocument doc;
    doc.setHtml(html);
    QCOMPARE(CapPageDocument(doc, maxChars, maxLines), text.endsWith(QLatin1Char('~')));
    QCOMPARE(doc.toPlainText(), text.replace(QLatin1Char('~'), PageLeftOutLine()));
}

void TestUpdatePage::sourceToParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("plain");
    QTest::addColumn<QString>("parsed");
    const QString bold = QStringLiteral("<b>x</b>"), div = QStringLiteral("<div>");
    QTest::newRow("HTML up to the tag past the limit")
        << bold.repeated(kMaxPageTags / 2 + 1) << false << bold.repeated(kMaxPageTags / 2);
    QTest::newRow("HTML up to the element past the depth")
        << div.repeated(kMaxPageDepth + 5) << false << div.repeated(kMaxPageDepth + 1);
    const QString flat = QStringLiteral("<p>x<br><img src=a.png>").repeated(kMaxPageDepth + 5);
    QTest::newRow("paragraphs, breaks and pictures nest nothing") << flat << false << flat;
    QTest::newRow("plain text up to the line past the limit")
        << QStringLiteral("x\n").repeated(kMaxPageLines + 5) << true
        << QStringLiteral("x\n").repeated(kMaxPageLines + 1);
}

void TestUpdatePage::sourceToParse()
{
    QFETCH(QString, text);
    QFETCH(bool, plain);
    QTEST(PageSourceToParse(text, plain), "parsed");
}

void TestUpdatePage::resources_data()
{
    QTest::addColumn<QString>("source"); // {local}: a picture on this disk
    QTest::addColumn<QSize>("shown");    // 1 x 1: the empty stand-in
    const QSize none(1, 1);
    QTest::newRow("a picture of the page's server") << "pic.png" << QSize(5, 4);
    QTest::newRow("a local file") << "file://{local}" << none;
    // (Which the server does not have.)
    QTest::newRow("a local file by its bare path, asked of the server") << "{local}" << none;
    QTest::newRow("the program's resources") << "qrc:/pictures/almarik.svg" << none;
    QTest::newRow("a picture over the pixel limit") << "huge.png" << none;
}

void TestUpdatePage::resources()
{
    QFETCH(QString, source);
    QFETCH(QSize, shown);
    TestEnv env;
    const QString local = env.path(QStringLiteral("local.png"));
    writeBytes(local, pngBytes(QSize(7, 7)));
    source.replace(QLatin1String("{local}"), local);
    PageServer server;
    server.files["pic.png"] = {"image/png", pngBytes(QSize(5, 4))};
    server.files["huge.png"] = {"image/png", pngBytes(QSize(2049, 2048))};
    // A style sheet is never fetched nor read from the disk either.
    server.files["u.htm"] = {"text/html",
                             "<html><head><link rel=\"stylesheet\" type=\"text/css\" "
                             "href=\"file:///dev/zero\"></head><body><p>x <img src=\"" +
                                 source.toUtf8() + "\"></p></body></html>"};
    PageView view(nullptr, [](const QUrl &) { return false; });
    view.resize(300, 200);
    view.show();
    QVERIFY(::shown(view, server.url(QStringLiteral("u.htm"))));
    view.document()->documentLayout()->documentSize(); // the picture looked up
    const QVariant got = view.document()->resource(QTextDocument::ImageResource, QUrl(source));
    QCOMPARE(got.value<QImage>().size(), shown);
    // A bare path is one on the page's server, asked there.
    QList<QByteArray> asked{"u.htm"};
    if (!source.contains(QLatin1Char(':')))
        asked << source.toUtf8().mid(source.startsWith(QLatin1Char('/')) ? 1 : 0);
    QCOMPARE(server.asked, asked);
}

// A page longer than anyone reads: cut with the view's own limits, and said
// so (where a page of lines is cut is cap's).
void TestUpdatePage::longPage()
{
    TestEnv env;
    PageServer server;
    server.files["long.txt"] = {"text/plain", QByteArray(kMaxPageChars + 50, 'y')};
    PageView view(nullptr, [](const QUrl &) { return false; });
    QVERIFY(::shown(view, server.url(QStringLiteral("long.txt"))));
    QCOMPARE(view.toPlainText(),
             QString(kMaxPageChars, QLatin1Char('y')) + QLatin1Char('\n') + PageLeftOutLine());
}

// The About box's link, then the update window: an address refused, the
// update page from the server (the error page's text: the About texts),
// a link opened relative to the page shown and one refused.
void TestUpdatePage::aboutAndUpdateWindows()
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
    // A link hands its caption to the desktop; a refusal says nothing (the
    // boxes below are all there are).
    QTest::mouseClick(about.lblLink[1], Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>{QUrl(MailAddress())});
    const auto open = [&](const QUrl &url) { return opened << url, true; };
    frmWeb refused(nullptr, prompts, QUrl("ftp://h.example/u.htm"), open);
    refused.Form_Load();
    QCOMPARE(prompts.takeBoxes(),
             QStringList{"Almarik (-, OK): Error :The address \"ftp://h.example/u.htm\" is "
                         "not a web address."});
    PageServer server;
    server.files["u.htm"] = {"text/html",
                             "<p>Version <b>2.4.0</b> is out <a href=new.zip>get</a></p>"};
    const QUrl address = server.url(QStringLiteral("u.htm"));
    frmWeb web(nullptr, prompts, address, open);
    QSignalSpy spy(web.Web, &PageView::pageShown);
    web.Form_Load();
    QVERIFY(spy.wait(20000));
    QVERIFY2(spy.at(0).at(0).toBool() && web.Web->toPlainText().contains("Version 2.4.0 is out"),
             qPrintable(web.Web->toPlainText()));
    // A missing page shows its HTTP status in the error page.
    frmWeb gone(nullptr, prompts, address.resolved(QUrl("gone")), open);
    QSignalSpy goneSpy(gone.Web, &PageView::pageShown);
    gone.Form_Load();
    QVERIFY(goneSpy.wait(20000) && !goneSpy.at(0).at(0).toBool());
    QVERIFY2(gone.Web->toPlainText().contains("HTTP 404: "), qPrintable(gone.Web->toPlainText()));
    emit web.Web->anchorClicked(QUrl("new.zip"));
    QCOMPARE(opened, (QList<QUrl>{QUrl(MailAddress()), address.resolved(QUrl("new.zip"))}));
    // A link off the web is not opened, and the user is told why.
    emit web.Web->anchorClicked(QUrl("file:///tmp/evil.desktop"));
    QCOMPARE(opened.size(), 2);
    QCOMPARE(prompts.takeBoxes(),
             QStringList{"Almarik (information, OK): The address \"file:///tmp/evil.desktop\" "
                         "is not a web address. The link is not opened."});
}

QTEST_MAIN(TestUpdatePage)
#include "tst_updatepage.moc"
