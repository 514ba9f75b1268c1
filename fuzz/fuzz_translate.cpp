// SPDX-License-Identifier: GPL-3.0-or-later
// Any text, NULs and broken UTF-8 included, given to the translator as a
// statement (without a schema and with the event table's), as data
// definition, as record-set criteria and as a LIKE pattern: each call must
// return or throw DbError. Anything else (another exception, a sanitizer
// report, a hang) is a finding.

#include "store/DbError.h"
#include "store/JetSql.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>

namespace {

void mustReturnOrRefuse(const char *what, const QString &text, const std::function<void()> &call)
{
    try {
        call();
    } catch (const DbError &) {
        // A refusal is a proper answer.
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s threw %s for \"%s\"\n", what, e.what(), qPrintable(text));
        std::abort();
    } catch (...) {
        std::fprintf(stderr, "%s threw something not a DbError for \"%s\"\n", what,
                     qPrintable(text));
        std::abort();
    }
}

// The event table's columns, so that the typed paths are reached too.
const JetSchema &calendarSchema()
{
    static const JetSchema schema = [] {
        JetSchema s;
        const QString t = QStringLiteral("Calendar");
        s.addColumn(t, QStringLiteral("Dates"), JetKind::Date);
        s.addColumn(t, QStringLiteral("Icon"), JetKind::Text);
        s.addColumn(t, QStringLiteral("Description"), JetKind::Text);
        s.addColumn(t, QStringLiteral("Details"), JetKind::Text);
        s.addColumn(t, QStringLiteral("ShowOnce"), JetKind::Bool);
        return s;
    }();
    return schema;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The explicit length keeps NULs as characters, as a QString from the
    // SQL builder's text box holds them.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    mustReturnOrRefuse("translateStatement", text, [&] { translateStatement(text); });
    mustReturnOrRefuse("translateStatement (typed)", text,
                       [&] { translateStatement(text, calendarSchema()); });
    mustReturnOrRefuse("translateDefinition", text,
                       [&] { translateDefinition(text, calendarSchema()); });
    mustReturnOrRefuse("translateCriteria", text, [&] { translateCriteria(text); });
    mustReturnOrRefuse("translateCriteria (typed)", text,
                       [&] { translateCriteria(text, calendarSchema(), {}); });
    mustReturnOrRefuse("jetLikePattern", text, [&] { jetLikePattern(text, false); });
    mustReturnOrRefuse("jetLikePattern (criteria)", text, [&] { jetLikePattern(text, true); });
    return 0;
}
