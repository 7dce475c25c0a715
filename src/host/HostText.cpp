// Text and date helpers of the host server (see HostText.h).
#include "HostText.h"

#include <chrono>
#include <cstdio>

namespace {
bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::chrono::year_month_day ParseDate8(std::string_view t) {
    const int y = std::stoi(std::string(t.substr(0, 4)));
    const unsigned m = static_cast<unsigned>(std::stoi(std::string(t.substr(4, 2))));
    const unsigned d = static_cast<unsigned>(std::stoi(std::string(t.substr(6, 2))));
    return std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}
} // namespace

AnsiString DbToAnsi(std::string_view utf8) {
    return IsAscii(utf8) ? AnsiString(utf8) : Utf8ToAnsi(utf8);
}

std::string AnsiToDb(std::string_view ansi) {
    return IsAscii(ansi) ? std::string(ansi) : AnsiToUtf8(ansi);
}

std::vector<std::string> SplitTabs(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = text.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.emplace_back(text.substr(start));
            return fields;
        }
        fields.emplace_back(text.substr(start, tab - start));
        start = tab + 1;
    }
}

void AppendBackslashEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

bool IsDate8(std::string_view text) {
    if (text.size() != 8) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return ParseDate8(text).ok();
}

std::string AddDays8(std::string_view date8, int days) {
    const std::chrono::sys_days d = std::chrono::sys_days{ParseDate8(date8)} + std::chrono::days{days};
    const std::chrono::year_month_day ymd{d};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buf;
}

std::string Date8OfTimestamp(std::string_view ts) {
    if (ts.size() < 10) return std::string();
    return std::string(ts.substr(0, 4)) + std::string(ts.substr(5, 2)) + std::string(ts.substr(8, 2));
}
