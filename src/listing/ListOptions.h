// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of almarik-list, read by getopt_long's rules as GNU
// programs read theirs: "--name VALUE" or "--name=VALUE", unambiguous
// abbreviations, "--" ending the options, --help and --version at once.

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
// argument in getopt's words, as "almarik-list: " + what is wrong; the
// first wrong option is reported, and operands (there are none) only when
// every option was good.
ParsedListOptions parseListArguments(const QStringList &arguments);

// "Try 'almarik-list --help' for more information."
QString listTryHelp();
QString listHelpText();
QString listVersionText();
