// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/JetFunctions.h"

#include "store/JetCollation.h"
#include "store/JetValue.h"

#include <QList>
#include <QString>
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace {

bool isAscii(const unsigned char *s, int n)
{
    for (int i = 0; i < n; ++i) {
        if (s[i] >= 0x80)
            return false;
    }
    return true;
}

unsigned char asciiLower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// A class "[...]" starting at p[at]: "[abc]", "[a-c]", "[!a-c]"; the escape
// character makes the next one literal inside it too. Sets *end past the
// closing bracket and *found when ch is in it. False when the class is
// malformed (no closing bracket, a range running downwards).
template <typename C>
bool scanClass(const C *p, size_t pn, size_t at, C ch, C escape, bool hasEscape, size_t *end,
               bool *found)
{
    size_t i = at + 1;
    const bool negated = i < pn && p[i] == C('!');
    if (negated)
        ++i;
    bool in = false;
    while (i < pn && p[i] != C(']')) {
        if (hasEscape && p[i] == escape && i + 1 < pn)
            ++i;
        const C low = p[i++];
        C high = low;
        if (i + 1 < pn && p[i] == C('-') && p[i + 1] != C(']')) {
            i += 1;
            if (hasEscape && p[i] == escape && i + 1 < pn)
                ++i;
            high = p[i++];
            if (high < low)
                return false;
        }
        in = in || (ch >= low && ch <= high);
    }
    if (i >= pn)
        return false;
    *end = i + 1;
    *found = in != negated;
    return true;
}

// Every class of the pattern is well formed.
template <typename C> bool classesValid(const C *p, size_t pn, C escape, bool hasEscape)
{
    for (size_t i = 0; i < pn; ++i) {
        if (hasEscape && p[i] == escape) {
            ++i;
        } else if (p[i] == C('[')) {
            size_t end = 0;
            bool found = false;
            if (!scanClass(p, pn, i, C(0), escape, hasEscape, &end, &found))
                return false;
            i = end - 1;
        }
    }
    return true;
}

// SQL LIKE over case-folded characters: "%" any run, "_" any one character,
// "#" one digit, "[...]" one character of a class ("[]" matches nothing,
// taking no character), the escape character makes the next one literal.
// Classes must have been checked by classesValid. Without Classes, "[" and
// "#" are ordinary, which keeps the common patterns' loop as short as before.
template <bool Classes, typename C>
bool likeMatch(const C *p, size_t pn, const C *s, size_t sn, C escape, bool hasEscape)
{
    size_t pi = 0, si = 0;
    size_t starP = size_t(-1), starS = 0;
    while (si < sn) {
        if (pi < pn) {
            const C c = p[pi];
            if (hasEscape && c == escape) {
                if (pi + 1 < pn && p[pi + 1] == s[si]) {
                    pi += 2;
                    ++si;
                    continue;
                }
            } else if (c == C('%')) {
                starP = ++pi;
                starS = si;
                continue;
            } else if (Classes && c == C('[')) {
                size_t end = 0;
                bool found = false;
                if (pi + 1 < pn && p[pi + 1] == C(']')) {
                    pi += 2;
                    continue;
                }
                if (scanClass(p, pn, pi, s[si], escape, hasEscape, &end, &found) && found) {
                    pi = end;
                    ++si;
                    continue;
                }
            } else if (Classes && c == C('#')) {
                if (s[si] >= C('0') && s[si] <= C('9')) {
                    ++pi;
                    ++si;
                    continue;
                }
            } else if (c == C('_') || c == s[si]) {
                ++pi;
                ++si;
                continue;
            }
        }
        if (starP == size_t(-1))
            return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < pn) {
        if (p[pi] == C('%') && !(hasEscape && escape == C('%')))
            ++pi;
        else if (Classes && p[pi] == C('[') && pi + 1 < pn && p[pi + 1] == C(']'))
            pi += 2;
        else
            break;
    }
    return pi == pn;
}

std::u32string folded(const unsigned char *s, int n)
{
    const QList<uint> ucs4 =
        QString::fromUtf8(reinterpret_cast<const char *>(s), n).toCaseFolded().toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

template <typename C>
void likeResult(sqlite3_context *ctx, const C *p, size_t pn, const C *t, size_t tn, C escape,
                bool hasEscape)
{
    const bool classes = std::find(p, p + pn, C('[')) != p + pn;
    if (classes && !classesValid(p, pn, escape, hasEscape)) {
        sqlite3_result_error(ctx, "Invalid pattern string.", -1);
        return;
    }
    const bool match = classes || std::find(p, p + pn, C('#')) != p + pn
                           ? likeMatch<true>(p, pn, t, tn, escape, hasEscape)
                           : likeMatch<false>(p, pn, t, tn, escape, hasEscape);
    sqlite3_result_int(ctx, match);
}

// The filters users type most, "%word%", "word%" and "%word" over
// lowered ASCII, as a plain search; false when the pattern has any other
// form, for likeMatch.
bool plainRunMatch(sqlite3_context *ctx, const char *p, size_t pn, const char *t, size_t tn,
                   char escape)
{
    const bool lead = pn > 0 && p[0] == '%';
    const bool trail = pn > size_t(lead) && p[pn - 1] == '%';
    const std::string_view word(p + lead, pn - lead - trail);
    for (const char c : word) {
        if (c == '%' || c == '_' || c == '[' || c == '#' || (escape && c == escape))
            return false;
    }
    const std::string_view text(t, tn);
    bool match = false;
    if (lead && trail)
        match = text.find(word) != std::string_view::npos;
    else if (trail)
        match = text.substr(0, word.size()) == word;
    else if (lead)
        match = text.size() >= word.size() && text.substr(text.size() - word.size()) == word;
    else
        match = text == word;
    sqlite3_result_int(ctx, match);
    return true;
}

void jetLike(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const auto *pattern = sqlite3_value_text(argv[0]);
    const int pn = sqlite3_value_bytes(argv[0]);
    const auto *text = sqlite3_value_text(argv[1]);
    const int tn = sqlite3_value_bytes(argv[1]);
    std::u32string escape;
    if (argc == 3) {
        const auto *e = sqlite3_value_text(argv[2]);
        const int en = sqlite3_value_bytes(argv[2]);
        // The translator's own escape, "\\", needs no folding.
        escape = e && en == 1 && e[0] < 0x80 ? std::u32string(1, char32_t(asciiLower(e[0])))
                                             : folded(e, en);
        if (escape.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
    }
    if (!pattern || !text) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    if (isAscii(pattern, pn) && isAscii(text, tn) && (escape.empty() || escape[0] < 0x80)) {
        // Lower-cased copies, on the stack for the usual short texts: this
        // runs once for every row a filter reads.
        char pBuf[256];
        char tBuf[512];
        std::string pHeap;
        std::string tHeap;
        const auto lowered = [](const unsigned char *in, int n, char *buf, size_t cap,
                                std::string &heap) -> const char * {
            char *out = buf;
            if (size_t(n) > cap) {
                heap.resize(size_t(n));
                out = heap.data();
            }
            for (int i = 0; i < n; ++i)
                out[i] = char(asciiLower(in[i]));
            return out;
        };
        const char *p = lowered(pattern, pn, pBuf, sizeof pBuf, pHeap);
        const char *t = lowered(text, tn, tBuf, sizeof tBuf, tHeap);
        const char esc = escape.empty() ? 0 : char(escape[0]);
        if (plainRunMatch(ctx, p, size_t(pn), t, size_t(tn), esc))
            return;
        likeResult(ctx, p, size_t(pn), t, size_t(tn), esc, !escape.empty());
        return;
    }
    const std::u32string p = folded(pattern, pn);
    const std::u32string t = folded(text, tn);
    likeResult(ctx, p.data(), p.size(), t.data(), t.size(),
               escape.empty() ? char32_t(0) : escape[0], !escape.empty());
}

} // namespace

void registerJetFunctions(sqlite3 *db)
{
    registerJetCollation(db);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "like", 2, flags, nullptr, jetLike, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, jetLike, nullptr, nullptr);
    jet::registerOperators(db);
    jet::registerDateFunctions(db);
    jet::registerFormat(db);
    jet::registerTextFunctions(db);
    jet::registerConversions(db);
    jet::registerDateTags(db);
}
