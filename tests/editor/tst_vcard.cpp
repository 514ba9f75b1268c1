// SPDX-License-Identifier: GPL-3.0-or-later
// vCard files without windows: the date forms address books write, the
// reader's unfolding, quoted-printable, character sets and escapes, the
// birthday and anniversary candidates, and every kind of bad file refused.

#include "editor/VCardFile.h"
#include "platform/AppError.h"
#include "support/TestEnv.h"

#include <QTest>

class TestVCard : public QObject
{
    Q_OBJECT
private slots:
    void contacts_data();
    void contacts();

private:
    TestEnv m_env;
};

void TestVCard::contacts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // "dd/mm/yyyy|type|description" per candidate, then the skipped texts;
    // or why the file was refused.
    QTest::addColumn<QStringList>("read");
    const auto row = [](const char *name, const QByteArray &lines, const QStringList &read) {
        QTest::newRow(name) << "BEGIN:VCARD\r\n" + lines + "END:VCARD\r\n" << read;
    };
    const auto bad = [](const char *name, const QByteArray &bytes, const char *message) {
        QTest::newRow(name) << bytes
                            << QStringList{"This is not a readable vCard file: " +
                                           QString(message)};
    };
    row("4.0: year-less BDAY and ANNIVERSARY",
        "VERSION:4.0\r\nFN:Bo\r\nBDAY:--0229\r\nANNIVERSARY:20100612\r\n",
        {"29/02/1604|birthday|Bo's birthday", "12/06/2010|anniversary|Bo's anniversary"});
    row("3.0: grouped X-ANNIVERSARY, name from N",
        "VERSION:3.0\r\nN:Smith;Jo;Q;Dr.;Jr.\r\nitem1.X-ANNIVERSARY:1980-01-31\r\n",
        {"31/01/1980|anniversary|Dr. Jo Q Smith Jr.'s anniversary"});
    row("2.1: quoted-printable Latin-1 name over a soft break",
        "VERSION:2.1\r\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCl=\r\nler;J=\r\n"
        "=F6rg\r\nBDAY:19700101\r\n",
        {"01/01/1970|birthday|J\u00f6rg M\u00fcller's birthday"});
    row("folded, escaped and quoted parameter",
        "VERSION:4.0\r\nFN;X-NOTE=\"a:b;c\":Lee\\, Ann\r\n  (work)\r\nBDAY;VALUE=date:--12-31\r\n",
        {"31/12/1604|birthday|Lee, Ann (work)'s birthday"});
    row("long name cut, with a note",
        "VERSION:3.0\r\nFN:" + QByteArray(45, 'n') + "\r\nBDAY:1990-05-17\r\n",
        {"17/05/1990|birthday|" + QString(45, 'n') + "'s bi (description cut to 50 characters)"});
    // Several cards in one file.
    row("contacts without a date or a name are counted",
        "VERSION:3.0\r\nFN:Al\r\nBDAY:1990-05-17\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nTEL:1\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Text\r\nBDAY;VALUE=text:circa 1800\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nBDAY:1990-05-17\r\n",
        {"17/05/1990|birthday|Al's birthday", "2 contacts had no date", "1 contacts had no name"});
    const QByteArray ann = "VERSION:3.0\r\nFN:Ann\r\nBDAY:1990-05-17\r\n";
    const QStringList annRead = {"17/05/1990|birthday|Ann's birthday"};
    row("undeclared 8-bit text that is no UTF-8 is Windows-1252",
        "VERSION:2.1\r\nFN:Ren\xE9 \x80\r\nBDAY:1990-05-17\r\n",
        {"17/05/1990|birthday|Ren\u00e9 \u20ac's birthday"});
    row("details the import does not read are not decoded",
        ann + "LABEL;CHARSET=X-KLINGON:\xFE\r\nNOTE;ENCODING=QUOTED-PRINTABLE:=4\r\n"
              "NOTE;CHARSET=UTF-8:\xE9\r\n",
        annRead);
    row("a character set the system knows",
        "VERSION:2.1\r\nFN;CHARSET=KOI8-R:\xE9\xD7\xC1\xCE\r\nBDAY:1990-05-17\r\n",
        {"17/05/1990|birthday|\u0418\u0432\u0430\u043d's birthday"});
    row("an X-ABDATE of another label, another group's label",
        ann + "item1.X-ABDATE:2001-01-01\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n"
              "item2.X-ABDATE:2002-02-02\r\nitem3.X-ABLabel:_$!<Anniversary>!$_\r\n",
        annRead);
    row("the standard's anniversary before the others, a text one passed over",
        ann + "X-MS-ANNIVERSARY:20030303\r\nANNIVERSARY;VALUE=text:long ago\r\n"
              "X-ANNIVERSARY:2004-04-04\r\n",
        annRead + QStringList{"04/04/2004|anniversary|Ann's anniversary"});
    const QByteArray good = "BEGIN:VCARD\r\n" + ann;
    const auto changed = [&](const char *from, const char *to) -> QByteArray {
        return QByteArray(good).replace(from, to) + "END:VCARD\r\n";
    };
    bad("cut short", good + "END:VCARD\r\n" + good,
        "it ends inside the card that begins at line 6; the file is incomplete.");
    bad("a line outside a card", good + "END:VCARD\r\nFN:Stray\r\n",
        "line 6 lies outside any card.");
    bad("a line without a colon", changed("BDAY", "NOTE\r\nBDAY"),
        "line 4 is no vCard property (it has no colon).");
    bad("a year before 100", changed("1990", "0099"),
        "line 4 gives the BDAY \"0099-05-17\" of \"Ann\", which is not a real date.");
    bad("29 February of a common year", changed("1990-05-17", "2023-02-29"),
        "line 4 gives the BDAY \"2023-02-29\" of \"Ann\", which is not a real date.");
    bad("not UTF-8 where it says so", changed("FN:Ann", "FN;CHARSET=UTF-8:Ren\xE9"),
        "line 3 is not UTF-8 text.");
    bad("an unknown CHARSET on the name", changed("FN:", "FN;CHARSET=X-KLINGON:"),
        "line 3 names the character set \"X-KLINGON\", which cannot be read.");
    bad("broken quoted-printable", changed("FN:Ann", "FN;ENCODING=QUOTED-PRINTABLE:A=4"),
        "line 3 holds broken quoted-printable text.");
}

void TestVCard::contacts()
{
    QFETCH(QByteArray, bytes);
    try {
        const ImportRead read = parseVCardFile(bytes);
        QStringList got;
        for (const ImportCandidate &c : read.candidates) {
            QVERIFY(c.plainTexts && c.suggested && c.details.isNull());
            QCOMPARE(c.showOnceText, "False");
            got << c.dateText + '|' + c.iconText + '|' +
                       importListText(c).mid(11); // the list text after the date
        }
        QTEST(got + read.skipped, "read");
    } catch (const AppError &e) {
        QTEST(QStringList{e.description()}, "read");
    }
}

QTEST_APPLESS_MAIN(TestVCard)
#include "tst_vcard.moc"
