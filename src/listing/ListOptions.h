#pragma once
// The command line of almarik-list, read the way GNU programs read theirs:
// "--name VALUE" or "--name=VALUE", --help and --version.

#include "startup/MonthList.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

enum class ListFormat
{
    Text,
    Tsv,
    Json
};

struct ListOptions
{
    QString database;           // "" : the program's own search
    std::optional<bool> recent; // unset: the RecentEvents setting
    int days = kMonthListDays;  // 1 to 366
    QDate date;                 // invalid: today
    ListFormat format = ListFormat::Text;
    bool notify = false;
    bool help = false;
    bool version = false;
};

struct ParsedListOptions
{
    ListOptions options;
    QString error; // "" when the arguments were understood
};

// Reads the arguments after the program's name. The error names the
// argument, as "almarik-list: " + what is wrong.
ParsedListOptions parseListArguments(const QStringList &arguments);

// "Try 'almarik-list --help' for more information."
QString listTryHelp();
QString listHelpText();
QString listVersionText();
