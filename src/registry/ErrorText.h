#pragma once
// The two error message forms of the registry procedures and windows.

#include <QString>

// "Error in " + procedure + CR LF + "Number : " + number + CR LF +
// "Description : " + description.
inline QString errorInText(const QString &procedure, int number, const QString &description)
{
    return QStringLiteral("Error in ") + procedure + QStringLiteral("\r\nNumber : ") +
           QString::number(number) + QStringLiteral("\r\nDescription : ") + description;
}

// A number as the classic Str() writes it: a space where a positive number's
// sign would be.
inline QString signedNumberText(int number)
{
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}
