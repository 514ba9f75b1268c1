// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/HolidayFile.h"

#include "editor/ExchangeText.h"
#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "store/DateRules.h"
#include "store/RecordSet.h"

#include <QFileInfo>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The year's number as the classic Val reads it: blanks skipped, an
// optional sign, then digits up to the first other character.
int yearValue(const QString &year)
{
    qsizetype i = 0;
    while (i < year.size() && year[i].isSpace())
        ++i;
    int sign = 1;
    if (i < year.size() && (year[i] == QLatin1Char('-') || year[i] == QLatin1Char('+')))
        sign = year[i++] == QLatin1Char('-') ? -1 : 1;
    int value = 0;
    for (; i < year.size() && year[i] >= QLatin1Char('0') && year[i] <= QLatin1Char('9'); ++i)
        value = value * 10 + (year[i].unicode() - '0');
    return sign * value;
}

} // namespace

QString holidaySectionHeader(const QString &year, int count)
{
    return QStringLiteral("[Alma") + year.right(2) + QStringLiteral("] ") + QString::number(count);
}

QString holidayLine(const QString &description, const QDate &date, const QString &year)
{
    QString line = description;
    line.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char(','), QLatin1Char('.'));
    // A date kept without its year has no years to count.
    const int years = date.year() == kNoYear ? 0 : yearValue(year) - date.year();
    if (years != 0)
        line += QStringLiteral(" (") + QString::number(years) + QStringLiteral(" years)");
    return line + QStringLiteral(", ") + year + QLatin1Char('/') +
           date.toString(QStringLiteral("MM/dd"));
}

QString holidaySectionText(const RecordSet &rs, const QString &year)
{
    const int dates = rs.fieldIndex(QStringLiteral("Dates"));
    const int description = rs.fieldIndex(QStringLiteral("Description"));
    const int rows = rs.RecordCount();
    QString out = holidaySectionHeader(year, rows) + kCrLf;
    for (int r = 0; r < rows; ++r) {
        const QVariant v = rs.valueAt(r, dates);
        const QDate day = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
        const QString text = rs.valueAt(r, description).toString();
        if (!day.isValid())
            throw AppError(ErrNo::TypeMismatch,
                           QStringLiteral("The event \"") + text +
                               QStringLiteral("\" has no date: it has no place in a "
                                              "holiday file."));
        out += holidayLine(text, day, year) + kCrLf;
    }
    return out;
}

QString holidayInstruction(const QString &year)
{
    return QStringLiteral("Now use the Outlook Tools/Option menu to access the Calendar Options "
                          "button which gives you access to the Add Holidays button. Then Select "
                          "Alma") +
           year.right(2) +
           QStringLiteral(" from then list to import the Almarik events onto your Outlook "
                          "Calendar.");
}

void appendToHolidayFile(const QString &path, const QString &text)
{
    const QByteArray old = QFileInfo::exists(path) ? readWholeFile(path) : QByteArray();
    TextForm form = detectTextForm(old);
    if (form == TextForm::Windows1252 && !fitsWindows1252(text))
        throw AppError(ErrNo::InvalidCall,
                       QStringLiteral("The holiday file is written in the Windows-1252 code "
                                      "page, which cannot hold every character of the events. "
                                      "Nothing was added to it."));
    // A new or plain ASCII file may need a mark before its old lines.
    writeWholeFile(path, form == TextForm::Undecided
                             ? encodeFile(QString::fromLatin1(old) + text, form)
                             : old + encodeText(text, form));
}
