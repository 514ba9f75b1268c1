#include "listing/ListOptions.h"

namespace {

const QString kProgram = QStringLiteral("almarik-list");

QString failure(const QString &what)
{
    return kProgram + QStringLiteral(": ") + what;
}

// The option's value: after "=", else the next argument; nullopt when none.
std::optional<QString> takeValue(const QString &name, const QString &inline_, bool hasInline,
                                 const QStringList &arguments, qsizetype &i, QString &error)
{
    if (hasInline)
        return inline_;
    if (i + 1 >= arguments.size()) {
        error =
            failure(QStringLiteral("option '") + name + QStringLiteral("' requires an argument"));
        return std::nullopt;
    }
    return arguments.at(++i);
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

} // namespace

ParsedListOptions parseListArguments(const QStringList &arguments)
{
    ParsedListOptions parsed;
    ListOptions &o = parsed.options;
    QString &error = parsed.error;
    for (qsizetype i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        const QString &arg = arguments.at(i);
        if (!arg.startsWith(QLatin1String("--"))) {
            error = failure(QStringLiteral("extra operand '") + arg + QLatin1Char('\''));
            break;
        }
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? arg : arg.left(eq);
        const QString inlineValue = eq < 0 ? QString() : arg.mid(eq + 1);
        const bool hasInline = eq >= 0;
        const bool flag = name == QLatin1String("--recent") ||
                          name == QLatin1String("--no-recent") ||
                          name == QLatin1String("--notify") || name == QLatin1String("--help") ||
                          name == QLatin1String("--version");
        if (flag && hasInline) {
            error = failure(QStringLiteral("option '") + name +
                            QStringLiteral("' doesn't allow an argument"));
            break;
        }
        if (name == QLatin1String("--recent")) {
            o.recent = true;
        } else if (name == QLatin1String("--no-recent")) {
            o.recent = false;
        } else if (name == QLatin1String("--notify")) {
            o.notify = true;
        } else if (name == QLatin1String("--help")) {
            o.help = true;
        } else if (name == QLatin1String("--version")) {
            o.version = true;
        } else if (name == QLatin1String("--database")) {
            if (const auto v = takeValue(name, inlineValue, hasInline, arguments, i, error)) {
                if (v->isEmpty())
                    error = failure(QStringLiteral("empty database path"));
                o.database = *v;
            }
        } else if (name == QLatin1String("--days")) {
            if (const auto v = takeValue(name, inlineValue, hasInline, arguments, i, error)) {
                bool ok = false;
                o.days = v->toInt(&ok);
                if (!ok || o.days < 1 || o.days > 366)
                    error = failure(QStringLiteral("invalid number of days '") + *v +
                                    QStringLiteral("' (1 to 366)"));
            }
        } else if (name == QLatin1String("--date")) {
            if (const auto v = takeValue(name, inlineValue, hasInline, arguments, i, error)) {
                o.date = QDate::fromString(*v, QStringLiteral("yyyy-MM-dd"));
                if (!o.date.isValid() || v->size() != 10)
                    error = failure(QStringLiteral("invalid date '") + *v +
                                    QStringLiteral("' (YYYY-MM-DD)"));
            }
        } else if (name == QLatin1String("--format")) {
            if (const auto v = takeValue(name, inlineValue, hasInline, arguments, i, error)) {
                if (const auto f = formatNamed(*v))
                    o.format = *f;
                else
                    error = failure(QStringLiteral("invalid format '") + *v +
                                    QStringLiteral("' (text, tsv or json)"));
            }
        } else {
            error = failure(QStringLiteral("unrecognized option '") + arg + QLatin1Char('\''));
        }
    }
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
        "Each row: date (dd-mm-yyyy), years, days, description, type. In tsv a tab,\n"
        "a line break and a backslash in a text are written \\t, \\n and \\\\.\n"
        "Rows are coloured on a terminal unless NO_COLOR is set. The database is\n"
        "only read.\n"
        "\n"
        "Exit status: 0 if OK, 1 for a bad option, 2 when the database is missing\n"
        "or cannot be read, 3 when no notification service answers.\n");
}

QString listVersionText()
{
    return kProgram + QStringLiteral(" (Almarik) ") + QStringLiteral(ALMARIK_VERSION) +
           QLatin1Char('\n');
}
