// SPDX-License-Identifier: GPL-3.0-or-later
// The About box and the update window as the user meets them. The page comes
// from a loopback server started here; no program starts, no link opens.

#include "PageServer.h"
#include "about/UpdatePage.h"
#include "about/ui/frmAbout.h"
#include "about/ui/frmWeb.h"
#include "platform/Registry.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTest>

class TestAboutWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    // The About box's link, then the update window: an address refused, the
    // update page from the server (the error page's text: the About texts),
    // a link opened relative to the page shown and one refused.
    void aboutAndUpdateWindows()
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
        QVERIFY2(spy.at(0).at(0).toBool() &&
                     web.Web->toPlainText().contains("Version 2.4.0 is out"),
                 qPrintable(web.Web->toPlainText()));
        // A missing page shows its HTTP status in the error page.
        frmWeb gone(nullptr, prompts, address.resolved(QUrl("gone")), open);
        QSignalSpy goneSpy(gone.Web, &PageView::pageShown);
        gone.Form_Load();
        QVERIFY(goneSpy.wait(20000) && !goneSpy.at(0).at(0).toBool());
        QVERIFY2(gone.Web->toPlainText().contains("HTTP 404: "),
                 qPrintable(gone.Web->toPlainText()));
        emit web.Web->anchorClicked(QUrl("new.zip"));
        QCOMPARE(opened, (QList<QUrl>{QUrl(MailAddress()), address.resolved(QUrl("new.zip"))}));
        QVERIFY(prompts.boxes.isEmpty());
        // A link off the web is not opened, and the user is told why.
        emit web.Web->anchorClicked(QUrl("file:///tmp/evil.desktop"));
        QCOMPARE(opened.size(), 2);
        QCOMPARE(prompts.takeBoxes(),
                 QStringList{"Almarik (information, OK): The address \"file:///tmp/evil.desktop\" "
                             "is not a web address. The link is not opened."});
    }
};

QTEST_MAIN(TestAboutWindows)
#include "tst_aboutwindows.moc"
