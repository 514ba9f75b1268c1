// SPDX-License-Identifier: GPL-3.0-or-later
#include "listing/ListFormat.h"

#include "listing/TerminalText.h"

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

// The once column comes last, so that scripts counting the older columns
// still find them.
QByteArray tsv(const std::vector<MonthRow> &rows)
{
    QString out = QStringLiteral("date\tyears\tdays\tdescription\ttype\tonce\n");
    for (const MonthRow &r : rows)
        out += r.dateText() + QLatin1Char('\t') + tsvField(r.yearsText()) + QLatin1Char('\t') +
               QString::number(r.days) + QLatin1Char('\t') + tsvField(r.description) +
               QLatin1Char('\t') + tsvField(r.icon) + QLatin1Char('\t') +
               QLatin1Char(r.showOnce ? '1' : '0') + QLatin1Char('\n');
    return out.toUtf8();
}

QByteArray json(const std::vector<MonthRow> &rows)
{
    QJsonArray list;
    for (const MonthRow &r : rows)
        list.append(QJsonObject{{QStringLiteral("date"), r.dateText()},
                                {QStringLiteral("years"), r.yearsText()},
                                {QStringLiteral("days"), r.days},
                                {QStringLiteral("description"), r.description},
                                {QStringLiteral("once"), r.showOnce},
                                {QStringLiteral("type"),
                                 r.hasIcon ? QJsonValue(r.icon) : QJsonValue(QJsonValue::Null)}});
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

QString padded(const QString &text, int width)
{
    return text + QString(std::max(0, width - displayWidth(text)), QLatin1Char(' '));
}

// Columns two blanks apart, the days right-aligned, "once" after them when
// any row is a one-off; no blanks at a line's end. Texts are padded by the
// columns they take on a terminal and show control characters as symbols.
QByteArray text(const std::vector<MonthRow> &rows, const std::array<QByteArray, 6> &colours)
{
    int years = 0;
    int days = 0;
    int description = 0;
    bool once = false;
    // Each row's texts made once, for the widths and then the lines.
    std::vector<QString> shown, yearsTexts, dayTexts;
    shown.reserve(rows.size());
    yearsTexts.reserve(rows.size());
    dayTexts.reserve(rows.size());
    for (const MonthRow &r : rows) {
        shown.push_back(visibleText(r.description));
        yearsTexts.push_back(visibleText(r.yearsText()));
        dayTexts.push_back(r.dayText());
        years = std::max(years, displayWidth(yearsTexts.back()));
        days = std::max(days, int(dayTexts.back().size()));
        description = std::max(description, displayWidth(shown.back()));
        once = once || r.showOnce;
    }
    QByteArray out;
    for (size_t i = 0; i < rows.size(); ++i) {
        const MonthRow &r = rows[i];
        QString start = r.dateText() + QStringLiteral("  ") + padded(yearsTexts[i], years) +
                        QStringLiteral("  ") + dayTexts[i].rightJustified(days) +
                        QStringLiteral("  ");
        if (once)
            start += r.showOnce ? QStringLiteral("once  ") : QStringLiteral("      ");
        QByteArray line = start.toUtf8();
        const QByteArray &colour =
            r.colourIndex >= 0 && r.colourIndex < 6 ? colours[size_t(r.colourIndex)] : QByteArray();
        if (colour.isEmpty())
            line += shown[i].toUtf8();
        else
            line += colour + shown[i].toUtf8() + "\x1b[0m";
        if (!r.icon.isEmpty())
            line += (QStringLiteral("  ") +
                     padded(QString(), description - displayWidth(shown[i])) + visibleText(r.icon))
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

QString notificationBody(const std::vector<MonthRow> &rows, bool markup)
{
    QStringList lines;
    qsizetype events = 0;
    for (const MonthRow &r : rows) {
        if (r.days != 0 && r.days != 1)
            continue;
        if (++events > kNotificationLines)
            continue;
        QString line = (r.days == 0 ? QStringLiteral("Today: ") : QStringLiteral("Tomorrow: ")) +
                       visibleText(r.description);
        const QString years = r.yearsText();
        const bool saysMore = !years.isEmpty() && years != QLatin1String("Today!!") &&
                              years != QLatin1String("Tomorrow!");
        if (saysMore)
            line += QStringLiteral(" (") + years + QLatin1Char(')');
        lines << (markup ? line.toHtmlEscaped() : line); // &, <, > and " as entities
    }
    if (events > kNotificationLines)
        lines << QStringLiteral("and ") + QString::number(events - kNotificationLines) +
                     QStringLiteral(" more");
    return lines.join(QLatin1Char('\n'));
}
