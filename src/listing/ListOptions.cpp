// SPDX-License-Identifier: GPL-3.0-or-later
#include "listing/ListOptions.h"

#include <array>
#include <vector>

namespace {

const QString kProgram = QStringLiteral("almarik-list");

QString failure(const QString &what)
{
    return kProgram + QStringLiteral(": ") + what;
}

struct LongOption
{
    const char *name;
    bool takesValue;
};

// In the order the help lists them, which is also the order an ambiguous
// abbreviation's possibilities are named in.
constexpr std::array<LongOption, 9> kOptions{{{"database", true},
                                              {"recent", false},
                                              {"no-recent", false},
                                              {"days", true},
                                              {"date", true},
                                              {"format", true},
                                              {"notify", false},
                                              {"help", false},
                                              {"version", false}}};

// The option a name means: itself, or the one option it abbreviates.
// nullptr with error set when it means none or more than one.
const LongOption *optionNamed(const QString &name, const QString &arg, QString &error)
{
    std::vector<const LongOption *> prefixed;
    for (const LongOption &o : kOptions) {
        const QString full = QLatin1String(o.name);
        if (full == name)
            return &o;
        if (full.startsWith(name))
            prefixed.push_back(&o);
    }
    if (prefixed.size() == 1)
        return prefixed.front();
    if (prefixed.empty()) {
        error = failure(QStringLiteral("unrecognized option '") + arg + QLatin1Char('\''));
    } else {
        error = failure(QStringLiteral("option '") + arg +
                        QStringLiteral("' is ambiguous; possibilities:"));
        for (const LongOption *o : prefixed)
            error += QStringLiteral(" '--") + QLatin1String(o->name) + QLatin1Char('\'');
    }
    return nullptr;
}

std::optional<ListFormat> formatNamed(const QString &text)
{
    if (text == QLatin1String("text"))
        return ListFormat::Text;
    if (text == QLatin1String("tsv"))
        return ListFormat::Tsv;
    if (text == QLatin1String("json"))
        return ListFormat::Json;
    return std::nullopt;
}

// Applies one option; "" when its value is good, else the error.
QString apply(ListOptions &o, const QString &name, const QString &v)
{
    if (name == QLatin1String("recent")) {
        o.recent = true;
    } else if (name == QLatin1String("no-recent")) {
        o.recent = false;
    } else if (name == QLatin1String("notify")) {
        o.notify = true;
    } else if (name == QLatin1String("help")) {
        o.help = true;
    } else if (name == QLatin1String("version")) {
        o.version = true;
    } else if (name == QLatin1String("database")) {
        if (v.isEmpty())
            return failure(QStringLiteral("empty database path"));
        o.database = v;
    } else if (name == QLatin1String("days")) {
        bool ok = false;
        o.days = v.toInt(&ok);
        if (!ok || o.days < 1 || o.days > 366)
            return failure(QStringLiteral("invalid number of days '") + v +
                           QStringLiteral("' (1 to 366)"));
    } else if (name == QLatin1String("date")) {
        o.date = QDate::fromString(v, QStringLiteral("yyyy-MM-dd"));
        if (!o.date.isValid() || v.size() != 10)
            return failure(QStringLiteral("invalid date '") + v + QStringLiteral("' (YYYY-MM-DD)"));
    } else if (name == QLatin1String("format")) {
        const auto f = formatNamed(v);
        if (!f)
            return failure(QStringLiteral("invalid format '") + v +
                           QStringLiteral("' (text, tsv or json)"));
        o.format = *f;
    }
    return QString();
}

} // namespace

ParsedListOptions parseListArguments(const QStringList &arguments)
{
    ParsedListOptions parsed;
    ListOptions &o = parsed.options;
    QString &error = parsed.error;
    QStringList operands;
    qsizetype i = 0;
    for (; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--")) {
            ++i;
            break;
        }
        if (!arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            operands << arg; // GNU order: the options are read first
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            // No short options exist, so the first letter is already wrong.
            error =
                failure(QStringLiteral("invalid option -- '") + arg.mid(1, 1) + QLatin1Char('\''));
            return parsed;
        }
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
        const LongOption *option = optionNamed(name, arg, error);
        if (!option)
            return parsed;
        const QString full = QLatin1String(option->name);
        QString value;
        if (!option->takesValue && eq >= 0) {
            error = failure(QStringLiteral("option '--") + full +
                            QStringLiteral("' doesn't allow an argument"));
            return parsed;
        }
        if (option->takesValue) {
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                error = failure(QStringLiteral("option '--") + full +
                                QStringLiteral("' requires an argument"));
                return parsed;
            }
        }
        error = apply(o, full, value);
        // As GNU programs do, --help and --version act at once.
        if (!error.isEmpty() || o.help || o.version)
            return parsed;
    }
    operands << arguments.mid(i);
    if (!operands.isEmpty())
        error = failure(QStringLiteral("extra operand '") + operands.first() + QLatin1Char('\''));
    return parsed;
}

QString listTryHelp()
{
    return QStringLiteral("Try '") + kProgram + QStringLiteral(" --help' for more information.");
}

QString listHelpText()
{
    return QStringLiteral(
        "Usage: almarik-list [OPTION]...\n"
        "Print the events of the Almarik month list: those whose anniversary falls\n"
        "today or in the coming days, nearest first, as the main window lists them.\n"
        "\n"
        "      --database PATH   the event database (default: Almarik.MDB beside the\n"
        "                          program, else in ~/.local/share/Almarik2)\n"
        "      --recent          also list the last two days' anniversaries\n"
        "      --no-recent       do not (default: the program's \"Show recent events\")\n"
        "      --days N          list N days ahead, 1 to 366 (default: 30)\n"
        "      --date YYYY-MM-DD count from this day instead of today\n"
        "      --format FORMAT   text (default), tsv or json\n"
        "      --notify          send today's and tomorrow's events as one desktop\n"
        "                          notification instead of printing\n"
        "      --help            display this help and exit\n"
        "      --version         output version information and exit\n"
        "\n"
        "Each row: date (dd-mm-yyyy), years, days, whether the event is a one-off,\n"
        "description, type. Text marks one-off events \"once\" after the days; tsv\n"
        "and json give a once field (1 or 0, true or false). In tsv a tab, a line\n"
        "break and a backslash in a text are written \\t, \\n and \\\\; text shows\n"
        "control characters as visible symbols. Rows are coloured on a terminal\n"
        "unless NO_COLOR is set or TERM is dumb. The database is only read.\n"
        "\n"
        "Exit status: 0 if OK, 1 for a bad option, 2 when the database is missing\n"
        "or cannot be read, 3 when no notification service answers.\n");
}

QString listVersionText()
{
    return kProgram + QStringLiteral(" (Almarik) ") + QStringLiteral(ALMARIK_VERSION) +
           QLatin1Char('\n');
}
