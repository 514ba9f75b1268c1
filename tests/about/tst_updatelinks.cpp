// SPDX-License-Identifier: GPL-3.0-or-later
// Which links of the update page go to the user's browser: web addresses
// only, relative ones resolved against the page, every other one refused
// with its reason.

#include "about/UpdatePage.h"

#include <QTest>

class TestUpdateLinks : public QObject
{
    Q_OBJECT
private slots:
    void clickedLink_data();
    void clickedLink();
};

void TestUpdateLinks::clickedLink_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("refusal"); // "": opened
    auto row = [](const char *tag, const char *link, const char *address, const char *why = "") {
        QTest::newRow(tag) << link << address
                           << (*why
                                   ? QStringLiteral("The address \"%1\" %2 The link is not opened.")
                                         .arg(QLatin1String(address), QLatin1String(why))
                                   : QString());
    };
    row("http", "http://h.example/new.zip", "http://h.example/new.zip");
    row("HTTPS in capitals", "HTTPS://H.example/x.zip", "https://h.example/x.zip");
    row("relative", "../new.zip?v=2", "http://www.almarik.example/new.zip?v=2");
    const char *web = "is not a web address.";
    row("file", "file:///home/u/evil.desktop", "file:///home/u/evil.desktop", web);
    row("FILE in capitals", "FILE:///tmp/x.sh", "file:///tmp/x.sh", web);
    row("smb", "smb://host/share/x.exe", "smb://host/share/x.exe", web);
    row("javascript", "javascript:alert(1)", "javascript:alert(1)", web);
    row("data", "data:text/html;base64,PGI+", "data:text/html;base64,PGI+", web);
    row("mailto, asking for an attachment", "mailto:a@h.example?attach=/etc/passwd",
        "mailto:a@h.example?attach=/etc/passwd", web);
}

void TestUpdateLinks::clickedLink()
{
    QFETCH(QString, link);
    const PageLink got =
        ClickedLink(QUrl(QStringLiteral("http://www.almarik.example/dl/almaupdt.htm")), QUrl(link));
    QTEST(got.address.toString(), "address");
    QTEST(got.refusal, "refusal");
}

QTEST_APPLESS_MAIN(TestUpdateLinks)
#include "tst_updatelinks.moc"
