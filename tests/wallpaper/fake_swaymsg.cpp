// SPDX-License-Identifier: GPL-3.0-or-later
// swaymsg and sway in one, for the desktop tests. The arguments are joined
// as swaymsg joins them, split into commands at ";" and "," and into words
// at blanks (quotes and backslashes kept as sway keeps them; its criteria
// brackets left out, and no variables set); a word that starts with a quote
// loses its quotes. The path of "output NAME bg PATH... MODE" is expanded
// by wordexp() with flags 0, command substitution allowed, after doubled
// blanks get sway's backslash. Each command is appended to $FAKE_LOG as
// "swaymsg|word|word...".

#include <wordexp.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <strings.h>
#include <vector>

namespace {

using Words = std::vector<std::string>;

// s cut at unquoted, unescaped delimiters; quotes and escapes stay.
Words split(const std::string &s, const std::string &delimiters)
{
    Words parts(1);
    bool dq = false, sq = false, esc = false;
    for (const char c : s) {
        if (!dq && !sq && !esc && delimiters.find(c) != std::string::npos) {
            if (!parts.back().empty())
                parts.emplace_back();
            continue;
        }
        if (esc)
            esc = false;
        else if (c == '\\')
            esc = true;
        else if (c == '"' && !sq)
            dq = !dq;
        else if (c == '\'' && !dq)
            sq = !sq;
        parts.back() += c;
    }
    if (parts.back().empty())
        parts.pop_back();
    return parts;
}

std::string stripQuotes(const std::string &s)
{
    std::string out;
    bool dq = false, sq = false, esc = false;
    for (const char c : s) {
        if (c == '\'' && !dq && !esc)
            sq = !sq;
        else if (c == '"' && !sq && !esc)
            dq = !dq;
        else
            out += c;
        esc = c == '\\' && !esc;
    }
    return out;
}

std::string join(const Words &words, size_t from, size_t to, const char *glue)
{
    std::string out;
    for (size_t i = from; i < to; ++i)
        out += (i > from ? glue : "") + words[i];
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    FILE *log = std::fopen(std::getenv("FAKE_LOG"), "a");
    const std::string line = join(Words(argv + 1, argv + argc), 0, size_t(argc - 1), " ");
    for (const std::string &command : split(line, ";,")) {
        Words w = split(command, " \f\n\r\t\v");
        for (size_t i = 1; i < w.size(); ++i)
            w[i] = w[i][0] == '"' || w[i][0] == '\'' ? stripQuotes(w[i]) : w[i];
        // The path runs up to the mode word; the program sends "fill".
        size_t mode = 3;
        while (mode < w.size() && strcasecmp(w[mode].c_str(), "fill") != 0)
            ++mode;
        if (w.size() > 3 && w[0] == "output" && w[2] == "bg" && mode < w.size()) {
            std::string path;
            for (const char c : join(w, 3, mode, " ")) {
                if (c == ' ' && !path.empty() && path.back() == ' ')
                    path += '\\';
                path += c;
            }
            wordexp_t p;
            if (wordexp(path.c_str(), &p, 0) != 0 || p.we_wordc == 0) {
                std::fprintf(log, "swaymsg|Invalid syntax (%s)\n", path.c_str());
                return 1;
            }
            w.erase(w.begin() + 3, w.begin() + long(mode));
            w.insert(w.begin() + 3,
                     join(Words(p.we_wordv, p.we_wordv + p.we_wordc), 0, p.we_wordc, " "));
            wordfree(&p);
        }
        std::fprintf(log, "swaymsg|%s\n", join(w, 0, w.size(), "|").c_str());
    }
    return std::fclose(log) == 0 ? 0 : 1;
}
