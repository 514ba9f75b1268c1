#include "listing/ListFormat.h"

#include "platform/AppError.h"
#include "startup/StartupSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// A tsv field: tab, line breaks and the backslash written as escapes.
QString tsvField(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QByteArray tsv(const std::vector<MonthRow> &rows)
{
    QString out = QStringLiteral("date\tyears\tdays\tdescription\ttype\n");
    for (const MonthRow &r : rows)
        out += r.dateText + QLatin1Char('\t') + tsvField(r.yearsText) + QLatin1Char('\t') +
               QString::number(r.days) + QLatin1Char('\t') + tsvField(r.description) +
               QLatin1Char('\t') + tsvField(r.icon) + QLatin1Char('\n');
    return out.toUtf8();
}

QByteArray json(const std::vector<MonthRow> &rows)
{
    QJsonArray list;
    for (const MonthRow &r : rows)
        list.append(QJsonObject{{QStringLiteral("date"), r.dateText},
                                {QStringLiteral("years"), r.yearsText},
                                {QStringLiteral("days"), r.days},
                                {QStringLiteral("description"), r.description},
                                {QStringLiteral("type"),
                                 r.hasIcon ? QJsonValue(r.icon) : QJsonValue(QJsonValue::Null)}});
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

QString padded(const QString &text, qsizetype width)
{
    return text + QString(width - text.size(), QLatin1Char(' '));
}

// Columns two blanks apart, the days right-aligned; no blanks at a line's end.
QByteArray text(const std::vector<MonthRow> &rows, const std::array<QByteArray, 6> &colours)
{
    qsizetype years = 0;
    qsizetype days = 0;
    qsizetype description = 0;
    for (const MonthRow &r : rows) {
        years = std::max(years, r.yearsText.size());
        days = std::max(days, r.dayText.size());
        description = std::max(description, r.description.size());
    }
    QByteArray out;
    for (const MonthRow &r : rows) {
        QByteArray line =
            (r.dateText + QStringLiteral("  ") + padded(r.yearsText, years) + QStringLiteral("  ") +
             r.dayText.rightJustified(days) + QStringLiteral("  "))
                .toUtf8();
        const QByteArray &colour =
            r.colourIndex >= 0 && r.colourIndex < 6 ? colours[size_t(r.colourIndex)] : QByteArray();
        if (colour.isEmpty())
            line += r.description.toUtf8();
        else
            line += colour + r.description.toUtf8() + "\x1b[0m";
        if (!r.icon.isEmpty())
            line += QString(QStringLiteral("  ") +
                            QString(description - r.description.size(), QLatin1Char(' ')) + r.icon)
                        .toUtf8();
        while (line.endsWith(' '))
            line.chop(1);
        out += line + '\n';
    }
    return out;
}

} // namespace

std::array<QByteArray, 6> ansiColours()
{
    std::array<QByteArray, 6> colours;
    for (int i = 0; i < 6; ++i) {
        try {
            const quint32 bgr = colourNumber(i); // 0x00BBGGRR
            colours[size_t(i)] = "\x1b[30;48;2;" + QByteArray::number(bgr & 0xFF) + ';' +
                                 QByteArray::number((bgr >> 8) & 0xFF) + ';' +
                                 QByteArray::number((bgr >> 16) & 0xFF) + 'm';
        } catch (const AppError &) {
            // A colour the window cannot show either: the row stays plain.
        }
    }
    return colours;
}

QByteArray formatListedRows(const std::vector<MonthRow> &rows, ListFormat format,
                            const std::array<QByteArray, 6> &colours)
{
    switch (format) {
    case ListFormat::Tsv:
        return tsv(rows);
    case ListFormat::Json:
        return json(rows);
    case ListFormat::Text:
        break;
    }
    return text(rows, colours);
}

QString notificationBody(const std::vector<MonthRow> &rows)
{
    QStringList lines;
    for (const MonthRow &r : rows) {
        if (r.days != 0 && r.days != 1)
            continue;
        QString line = (r.days == 0 ? QStringLiteral("Today: ") : QStringLiteral("Tomorrow: ")) +
                       r.description;
        const bool saysMore = !r.yearsText.isEmpty() && r.yearsText != QLatin1String("Today!!") &&
                              r.yearsText != QLatin1String("Tomorrow!");
        if (saysMore)
            line += QStringLiteral(" (") + r.yearsText + QLatin1Char(')');
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}
