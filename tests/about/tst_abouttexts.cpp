// What the About box and the update window say: the version, the fixed
// texts, the browser's height and which addresses the browser fetches.

#include "about/AboutTexts.h"
#include "about/UpdatePage.h"
#include "support/TestEnv.h"

#include <QTest>

class TestAboutTexts : public QObject
{
    Q_OBJECT
private slots:
    void versionText_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.3 revision 3") << "2.3.3"
                                        << "Version 2.3.3";
        QTest::newRow("revision 12, no leading zero") << "2.3.12"
                                                      << "Version 2.3.12";
        QTest::newRow("zeros shown") << "2.0.0"
                                     << "Version 2.0.0";
        QTest::newRow("revision missing") << "4.1"
                                          << "Version 4.1.0";
    }
    void versionText()
    {
        QFETCH(QString, declared);
        QFETCH(QString, expected);
        QCOMPARE(VersionText(parseVersion(declared)), expected);
    }

    void declaredVersion()
    {
        TestEnv env;
        QCOMPARE(versionNumbers(programVersion()), QStringLiteral(ALMARIK_VERSION));
    }

    void fixedTexts()
    {
        TestEnv env;
        QCOMPARE(FileDescription(), "Almarik shows a months upcoming events on startup");
        QCOMPARE(VarkText(), LegalTrademarks() + "       " + LegalCopyright());
        QCOMPARE(DisclaimerText(""), "Use this software at your own risk.\r\n\r\n");
        QCOMPARE(DisclaimerText("/home/u/Almarik.MDB"),
                 "Use this software at your own risk.\r\n\r\n/home/u/Almarik.MDB");
        QCOMPARE(UpdateLabelText(parseVersion("2.3.3")),
                 "   [Your current Version: 2.3.3]   Close Almarik down before attempting to "
                 "replace the program file with that contained within the Update");
        QVERIFY(ProductPageAddress().endsWith("/almarik.htm"));
        QVERIFY(UpdatePageAddress().startsWith("http://"));
        QVERIFY(UpdatePageAddress().endsWith("/almaupdt.htm"));
        QVERIFY(MailAddress().startsWith("mailto:"));
    }

    void webHeight_data()
    {
        QTest::addColumn<int>("inner");
        QTest::addColumn<int>("expected");
        QTest::newRow("400 below the 570 label") << 400 << 170;
        QTest::newRow("design size") << 3360 << 2790;
        QTest::newRow("equal to the label") << 570 << 0;
        QTest::newRow("no inner height") << 0 << 570;
    }
    void webHeight()
    {
        QFETCH(int, inner);
        QFETCH(int, expected);
        QCOMPARE(WebHeight(inner, 570), expected);
    }

    void refusedAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("reason");
        QTest::newRow("http") << "http://127.0.0.1:8080/almaupdt.htm"
                              << "";
        QTest::newRow("https") << "https://host.example/almaupdt.htm"
                               << "";
        QTest::newRow("ftp") << "ftp://host.example/almaupdt.htm"
                             << "The address \"ftp://host.example/almaupdt.htm\" is not a web "
                                "address.";
        QTest::newRow("relative") << "almaupdt.htm"
                                  << "The address \"almaupdt.htm\" is not a complete web address.";
        QTest::newRow("no server") << "http:almaupdt.htm"
                                   << "The address \"http:almaupdt.htm\" names no server.";
    }
    void refusedAddress()
    {
        QFETCH(QString, address);
        QFETCH(QString, reason);
        QCOMPARE(RefusedAddressReason(QUrl(address)), reason);
    }

    void errorPageShowsMarkupAsText()
    {
        const QString html =
            ErrorPageHtml(QUrl("http://h.example/a.htm"), "<b>Not Found</b> & gone");
        QVERIFY(html.contains("http://h.example/a.htm"));
        QVERIFY(html.contains("&lt;b&gt;Not Found&lt;/b&gt; &amp; gone"));
    }
};

QTEST_APPLESS_MAIN(TestAboutTexts)
#include "tst_abouttexts.moc"
