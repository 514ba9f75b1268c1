#pragma once
// A fresh event database opened into dbConnection, with rsEditor opened on
// it as the "Event Editor" command opens it. One per test.

#include "store/Literals.h"
#include "store/Repair.h"
#include "store/SharedDb.h"
#include "support/TestEnv.h"

#include <QDate>
#include <QLocale>
#include <QStringList>

struct EditorFixture
{
    TestEnv env;

    EditorFixture()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString path = env.path(QStringLiteral("Almarik.MDB"));
        CreateDatabase(path);
        dbConnection.Open(Connection::connectionStringFor(path));
        for (const char *values : {
                 "#03/10/1990#,'birthday','Ann','likes tea',False",
                 "#01/05/2024#,'doctor','Dentist',Null,True",
                 "#12/25/2000#,'holiday','Christmas','',False",
                 "#07/04/2026#,'birthday','O''Brien party',Null,True",
                 "#02/29/2024#,'memorial','Rob o''boyle',Null,False",
             })
            addEvent(QLatin1String(values));
        openEditorSet();
    }

    ~EditorFixture()
    {
        rsEditor.Close();
        dbConnection.Close();
    }

    static void addEvent(const QString &values)
    {
        dbConnection.Execute(QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,"
                                            "Details,ShowOnce) VALUES (") +
                             values + QLatin1Char(')'));
    }

    static void openEditorSet()
    {
        rsEditor.setCursorLocation(adUseClient);
        rsEditor.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), dbConnection,
                      adOpenDynamic, adLockOptimistic);
    }

    // A column of every event as the table holds it, by description.
    static QVariant stored(const QString &description, const QString &field)
    {
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM Calendar WHERE Description = '") +
                    QuoteSql(description) + QLatin1Char('\''),
                dbConnection);
        if (rs.isEOF())
            return QStringLiteral("<no such event>");
        return rs.Fields(field);
    }

    static int eventCount()
    {
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM Calendar"), dbConnection);
        return rs.RecordCount();
    }
};
