// Edit-mask text formatting (FormatMaskText): a text laid over the positions of a classic edit
// mask, as the report's FORMATTEXT shows it.
//
// The mask is compiled into a list of positions (literals and character slots) and the text's
// characters are dealt into the slots in order. Nothing is validated: a character that does not
// suit its slot is still shown, so formatting never hides data that was there; only characters
// beyond the last slot are left out, since the mask fixes the width.
#include "Format.h"

#include "Locale.h"

#include <vector>

namespace {

struct TMaskItem {
    bool IsSlot = false;
    char Case = 0;            // '>' upper, '<' lower, 0 unchanged
    std::string_view Literal; // for literals: the bytes shown (1 or 2)
};

inline std::size_t CharBytes(std::string_view s, std::size_t i) {
    return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// Index of the next field separator ";" (not escaped by "\"), or npos.
std::size_t FieldEnd(std::string_view s, std::size_t from) {
    for (std::size_t i = from; i < s.size();) {
        if (s[i] == ';') return i;
        if (s[i] == '\\' && i + 1 < s.size())
            i += 1 + CharBytes(s, i + 1);
        else
            i += CharBytes(s, i);
    }
    return std::string_view::npos;
}

void AppendCased(AnsiString& out, std::string_view ch, char caseMode) {
    if (ch.size() == 1 && caseMode == '>' && ch[0] >= 'a' && ch[0] <= 'z')
        out += static_cast<char>(ch[0] - ('a' - 'A'));
    else if (ch.size() == 1 && caseMode == '<' && ch[0] >= 'A' && ch[0] <= 'Z')
        out += static_cast<char>(ch[0] + ('a' - 'A'));
    else
        out.append(ch);
}

} // namespace

AnsiString FormatMaskText(std::string_view editMask, std::string_view text) {
    // Fields: mask ; save literals ; blank character.
    const std::size_t end1 = FieldEnd(editMask, 0);
    const std::string_view mask = editMask.substr(0, end1);
    bool literalsInText = true;
    std::string_view blank = "_";
    if (end1 != std::string_view::npos) {
        const std::size_t end2 = FieldEnd(editMask, end1 + 1);
        const std::string_view save =
            editMask.substr(end1 + 1, end2 == std::string_view::npos ? end2 : end2 - end1 - 1);
        if (!save.empty()) literalsInText = save[0] != '0';
        if (end2 != std::string_view::npos && end2 + 1 < editMask.size())
            blank = editMask.substr(end2 + 1, CharBytes(editMask, end2 + 1));
    }

    const TLocaleSettings& locale = Locale();
    const std::string_view dateSeparator(&locale.DateSeparator, 1);
    const std::string_view timeSeparator(&locale.TimeSeparator, 1);
    std::vector<TMaskItem> items;
    bool blanksInFront = false;
    char caseMode = 0;
    for (std::size_t i = 0; i < mask.size();) {
        const char c = mask[i];
        const std::size_t bytes = CharBytes(mask, i);
        TMaskItem item;
        switch (c) {
        case '\\':
            if (i + 1 < mask.size()) {
                item.Literal = mask.substr(i + 1, CharBytes(mask, i + 1));
                items.push_back(item);
                i += 1 + item.Literal.size();
            } else {
                ++i;
            }
            continue;
        case '!':
            blanksInFront = true;
            ++i;
            continue;
        case '>':
            caseMode = '>';
            ++i;
            continue;
        case '<':
            if (i + 1 < mask.size() && mask[i + 1] == '>') {
                caseMode = 0;
                i += 2;
            } else {
                caseMode = '<';
                ++i;
            }
            continue;
        case '0':
        case '9':
        case '#':
        case 'L':
        case 'l':
        case 'A':
        case 'a':
        case 'C':
        case 'c':
            item.IsSlot = true;
            item.Case = caseMode;
            break;
        case '_':
            item.Literal = " ";
            break;
        case ':':
            item.Literal = timeSeparator;
            break;
        case '/':
            item.Literal = dateSeparator;
            break;
        default:
            item.Literal = mask.substr(i, bytes);
            break;
        }
        items.push_back(item);
        i += bytes;
    }
    if (items.empty()) return AnsiString(text);

    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t bytes = CharBytes(text, i);
        chars.push_back(text.substr(i, bytes));
        i += bytes;
    }

    AnsiString out;
    std::size_t next = 0; // next character of the text
    std::size_t blanksFirst = 0;
    if (!literalsInText && blanksInFront) {
        std::size_t slots = 0;
        for (const TMaskItem& item : items)
            slots += item.IsSlot;
        if (chars.size() < slots) blanksFirst = slots - chars.size();
    }
    for (const TMaskItem& item : items) {
        if (!item.IsSlot) {
            out.append(item.Literal);
            // A text that keeps the literals has them at these positions; one that left a literal
            // out simply continues with its next character.
            if (literalsInText && next < chars.size() && chars[next] == item.Literal) ++next;
            continue;
        }
        if (blanksFirst > 0) {
            --blanksFirst;
            out.append(blank);
        } else if (next < chars.size()) {
            AppendCased(out, chars[next++], item.Case);
        } else {
            out.append(blank);
        }
    }
    return out;
}
