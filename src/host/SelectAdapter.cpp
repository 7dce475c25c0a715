// SELECT checking and dialect adaptation (see SelectAdapter.h).
//
// The text is scanned once into words outside quoted texts, quoted identifiers and comments, so a
// keyword inside a quoted value never counts: "Select 'Top 5; drop'" is one harmless SELECT.
#include "SelectAdapter.h"

#include <cctype>
#include <optional>
#include <vector>

namespace {

struct TWord {
    std::size_t Begin;
    std::size_t End;
};

bool IsWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
}

bool WordIs(std::string_view sql, const TWord& w, std::string_view keyword) {
    if (w.End - w.Begin != keyword.size()) return false;
    for (std::size_t i = 0; i < keyword.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(sql[w.Begin + i])) != keyword[i]) return false;
    return true;
}

bool IsNumber(std::string_view sql, const TWord& w) {
    for (std::size_t i = w.Begin; i < w.End; ++i)
        if (!std::isdigit(static_cast<unsigned char>(sql[i]))) return false;
    return w.End > w.Begin;
}

// Words and statement separators outside quotes and comments. Throws on an unterminated quote
// or comment: such a text can only be a mistake.
struct TScan {
    std::vector<TWord> Words;
    std::vector<std::size_t> Semicolons;
    std::vector<std::size_t> Parens; // positions of '(' and ')', for "Top (n)"
};

TScan Scan(std::string_view sql) {
    TScan scan;
    std::size_t i = 0;
    const std::size_t n = sql.size();
    while (i < n) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '[') {
            const char close = c == '[' ? ']' : c;
            std::size_t j = i + 1;
            for (;;) {
                if (j >= n) throw ESelectRejected("查询语句中的引号不配对");
                if (sql[j] == close) {
                    if (j + 1 < n && sql[j + 1] == close && close != ']') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            i = j + 1;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const std::size_t end = sql.find("*/", i + 2);
            if (end == std::string_view::npos) throw ESelectRejected("查询语句中的注释没有结束");
            i = end + 2;
        } else if (c == ';') {
            scan.Semicolons.push_back(i++);
        } else if (c == '(' || c == ')') {
            scan.Parens.push_back(i++);
        } else if (IsWordChar(c)) {
            std::size_t j = i;
            while (j < n && IsWordChar(sql[j]))
                ++j;
            scan.Words.push_back({i, j});
            i = j;
        } else {
            ++i;
        }
    }
    return scan;
}

bool OnlyBlanks(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

} // namespace

std::string AdaptSelect(std::string_view sql, TDbKind kind) {
    const TScan scan = Scan(sql);
    if (scan.Words.empty() || !WordIs(sql, scan.Words[0], "select") ||
        !OnlyBlanks(sql.substr(0, scan.Words[0].Begin)))
        throw ESelectRejected("只允许执行查询语句(SELECT)");
    std::string_view body = sql;
    if (!scan.Semicolons.empty()) {
        const std::size_t first = scan.Semicolons.front();
        for (std::size_t pos : scan.Semicolons)
            if (!OnlyBlanks(sql.substr(first + 1, pos - first - 1)))
                throw ESelectRejected("一次只能执行一条查询语句");
        if (!OnlyBlanks(sql.substr(scan.Semicolons.back() + 1)) || scan.Words.back().Begin > first)
            throw ESelectRejected("一次只能执行一条查询语句");
        body = sql.substr(0, first);
    }
    const auto& w = scan.Words;
    for (const TWord& word : w)
        if (WordIs(sql, word, "into")) throw ESelectRejected("查询语句不能写入数据(INTO)");

    std::string out;
    std::optional<std::string> limit;
    std::size_t copied = 0;
    // "Select [Distinct|All] Top n" or "Top (n)": cut the clause out, limit at the end.
    std::size_t k = 1;
    if (k < w.size() && (WordIs(sql, w[k], "distinct") || WordIs(sql, w[k], "all"))) ++k;
    if (k + 1 < w.size() && WordIs(sql, w[k], "top") && IsNumber(sql, w[k + 1])) {
        std::size_t cutEnd = w[k + 1].End;
        for (std::size_t p : scan.Parens)
            if (p == cutEnd && p < sql.size() && sql[p] == ')') cutEnd = p + 1;
        out.append(sql.substr(0, w[k].Begin));
        limit = std::string(sql.substr(w[k + 1].Begin, w[k + 1].End - w[k + 1].Begin));
        copied = cutEnd;
    }
    // "fetch first n row(s) only": PostgreSQL knows it; SQLite needs LIMIT.
    std::size_t bodyEnd = body.size();
    if (kind == TDbKind::Sqlite && w.size() >= 5) {
        for (std::size_t i = 0; i + 4 < w.size(); ++i) {
            if (WordIs(sql, w[i], "fetch") && WordIs(sql, w[i + 1], "first") && IsNumber(sql, w[i + 2]) &&
                (WordIs(sql, w[i + 3], "row") || WordIs(sql, w[i + 3], "rows")) &&
                WordIs(sql, w[i + 4], "only") && w[i].Begin >= copied && w[i + 4].End <= body.size()) {
                if (!limit) limit = std::string(sql.substr(w[i + 2].Begin, w[i + 2].End - w[i + 2].Begin));
                out.append(sql.substr(copied, w[i].Begin - copied));
                copied = w[i + 4].End;
                break;
            }
        }
    }
    out.append(body.substr(std::min(copied, bodyEnd)));
    if (limit) {
        while (!out.empty() && static_cast<unsigned char>(out.back()) <= ' ')
            out.pop_back();
        out += " LIMIT " + *limit;
    }
    return out;
}
