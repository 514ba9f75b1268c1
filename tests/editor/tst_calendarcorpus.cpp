// SPDX-License-Identifier: GPL-3.0-or-later
// Calendar and address book files in the forms their producers write them
// (data/calendar): each file gives exactly the candidates and closing
// counts of its ".expected" file beside it, or the refusal written there.

#include "CandidateText.h"
#include "editor/ICalendarFile.h"
#include "editor/VCardFile.h"
#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QTest>
#include <QTimeZone>

class TestCalendarCorpus : public QObject
{
    Q_OBJECT
private slots:
    void file_data();
    void file();

private:
    TestEnv m_env;
};

void TestCalendarCorpus::file_data()
{
    QTest::addColumn<QString>("path");
    const QDir data(QStringLiteral(CALENDAR_DATA));
    const QFileInfoList files = data.entryInfoList({"*.ics", "*.vcf"}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 30);
    for (const QFileInfo &f : files)
        QTest::newRow(qPrintable(f.fileName())) << f.filePath();
}

void TestCalendarCorpus::file()
{
    QFETCH(QString, path);
    QStringList got;
    try {
        const ImportRead read = path.endsWith(".ics")
                                    ? parseICalendar(readWholeFile(path), QDate(2026, 12, 6),
                                                     QTimeZone("Europe/Berlin"))
                                    : readVCardFile(path);
        for (const ImportCandidate &c : read.candidates)
            got << candidateText(c);
        for (const QString &s : read.skipped)
            got << "skipped: " + s;
    } catch (const AppError &e) {
        got << "refused: " + e.description();
    }
    QFile expected(path + ".expected");
    QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(got.join('\n')));
    QCOMPARE(got.join('\n'), QString::fromUtf8(expected.readAll()).trimmed());
}

QTEST_APPLESS_MAIN(TestCalendarCorpus)
#include "tst_calendarcorpus.moc"
