// The working context of a module form: server dates, the operator, the unit's data and the system
// parameters the host's modules read, plus the item set that says which of them to load.
//
// The caller owns the record and fills `OperatorCode` before loading; TOrvaneClass::LoadContext
// fills the requested items. Items that are not requested, and items after a failure, keep the
// values the record had. Texts are CP936, integers 32-bit signed, flags one-byte Booleans.
#pragma once

#include "platform/AnsiString.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>

// A set of context items 0..95, passed by value as 12 bytes: item n is bit n mod 8 of byte n div 8.
class TItemSet {
public:
    static constexpr int Size = 96;

    TItemSet() = default;
    TItemSet(std::initializer_list<int> items) {
        for (int item : items)
            Include(item);
    }

    // Items outside 0..95 are ignored.
    TItemSet& Include(int item) {
        if (InRange(item)) FBytes[item / 8] |= static_cast<std::uint8_t>(1u << (item % 8));
        return *this;
    }
    TItemSet& Exclude(int item) {
        if (InRange(item)) FBytes[item / 8] &= static_cast<std::uint8_t>(~(1u << (item % 8)));
        return *this;
    }
    bool Contains(int item) const { return InRange(item) && (FBytes[item / 8] >> (item % 8) & 1u) != 0; }
    bool Empty() const {
        for (std::uint8_t b : FBytes)
            if (b != 0) return false;
        return true;
    }
    const std::array<std::uint8_t, 12>& Bytes() const { return FBytes; }

private:
    static bool InRange(int item) { return item >= 0 && item < Size; }
    std::array<std::uint8_t, 12> FBytes{};
};

// Items loaded by server calls rather than from the parameter table.
namespace ContextItem {
constexpr int StartYearMonth = 0; // "qyny"
constexpr int CurrentYearMonth = 1;
constexpr int CurrentDateTime = 2;
constexpr int CurrentDate = 3;
constexpr int OperatorName = 4;
constexpr int UnitName = 5;   // "dwmc"
constexpr int UnitType = 12;  // "dwlx"
constexpr int ChainCode = 13; // "dybm"
} // namespace ContextItem

// The fields in their declared order; the comment gives the item that loads each one.
struct TWorkContext {
    AnsiString qyny;             // 0
    AnsiString CurrentYearMonth; // 1
    AnsiString DatabaseKind;     // copied from the business object
    AnsiString CurrentDateTime;  // 2
    AnsiString CurrentDate;      // 3, eight digits
    AnsiString OperatorCode;     // input
    AnsiString OperatorName;     // 4
    AnsiString dwmc;             // 5
    AnsiString sh;               // 6
    AnsiString dz;               // 7
    AnsiString lxdh;             // 8
    AnsiString khh;              // 9
    AnsiString zh;               // 10
    AnsiString dwlx;             // 12
    AnsiString dybm;             // 13
    AnsiString hykls;            // 68
    AnsiString sljd;             // 14, quantity format "0.00..."
    bool lskz = false;           // 15
    bool jjkz = false;           // 16
    bool cskz = false;           // 17
    bool zrrkz = false;          // 24
    std::int32_t dddyhs = 0;     // 25
    std::int32_t sphsfs = 0;     // 19
    std::int32_t jjcbhsff = 0;   // 20
    std::int32_t sjcbhsff = 0;   // 21
    std::int32_t cbjzfs = 0;     // 22
    std::int32_t jsxtfs = 0;     // 59
    AnsiString rqssj;            // 37
    std::int32_t fgckjb = 0;     // 18
    std::int32_t brddyhs = 0;    // 26
    AnsiString brdhscfs;         // 27
    std::int32_t bcddyhs = 0;    // 28
    AnsiString bcdhscfs;         // 29
    std::int32_t dbddyhs = 0;    // 31
    AnsiString dbdhscfs;         // 32
    std::int32_t jgddyhs = 0;    // 33
    AnsiString jgdhscfs;         // 34
    std::int32_t sgddyhs = 0;    // 35
    AnsiString sgdhscfs;         // 36
    std::int32_t tbddyhs = 0;    // 40
    AnsiString tbdhscfs;         // 41
    std::int32_t ykddyhs = 0;    // 42
    AnsiString ykdhscfs;         // 43
    std::int32_t syddyhs = 0;    // 44
    AnsiString sydhscfs;         // 45
    std::int32_t ysddyhs = 0;    // 46
    AnsiString ysdhscfs;         // 47
    std::int32_t pdbdyhs = 0;    // 52
    AnsiString pdbhscfs;         // 51
    AnsiString psdahsfg;         // 48
    AnsiString ysdahsfg;         // 49
    AnsiString xsdahsfg;         // 50
    std::int32_t thddyhs = 0;    // 53
    std::int32_t tjddyhs = 0;    // 58
    std::int32_t ptfpdyhs = 0;   // 54
    std::int32_t spfzflx = 0;    // 73
    bool kpyxcfsp = false;       // 71
    AnsiString djfgfs;           // 74
    std::int32_t psxzsl = 0;     // 75
    std::int32_t xsxzsl = 0;     // 76
    std::int32_t jhxzsl = 0;     // 77
    AnsiString thcpbxxdythqd;    // 55
    AnsiString zjdyfs;           // 56
    AnsiString ddysfs;           // 57
    AnsiString hsdwh;            // 61
    AnsiString dpckbm;           // 62
    AnsiString dpjfs;            // 63
    AnsiString pslssj;           // 60
    AnsiString thjjclfs;         // 64
    AnsiString sjkbbh;           // 69
    bool psysjscdjd = false;     // 70
    AnsiString ysjscdjdbm;       // 72
    std::int32_t ddyszzfs = 0;   // 65
    std::int32_t ddyxrqqy = 0;   // 66
    std::int32_t ysfs = 0;       // 67
    AnsiString dddysjj;          // 78
    AnsiString cpzkspyzbkz;      // 30
    AnsiString jzscltjbc;        // 38
    AnsiString jzsclyxjjsxzpzdp; // 39
    AnsiString ysqr;             // 11, "1" or "0"
    AnsiString khzqqy;           // 79
    AnsiString zkhwlqy;          // 80
    std::int32_t hykxc = 0;      // 81
    std::int32_t xsfkz = 0;      // 82
    AnsiString kckz;             // 83
    AnsiString hyklwms;          // 84
    AnsiString yckqzj;           // 85
    bool mdzdyjj = false;        // 87
    bool mdzdysj = false;        // 87
    bool dchy = false;           // 88
    AnsiString xstbqyrq;         // 89
};

// Finds a system parameter by its key, ignoring case; nothing when the table has no such row.
using TParameterFinder = std::function<std::optional<AnsiString>(const AnsiString& key)>;

// True when the item set asks for anything besides the current year-month, the current date and
// the operator's name, which the server answers without its parameter table.
bool NeedsSystemParameters(const TItemSet& items);

// Loads the requested parameter items in their evaluation order (the unit type first, since the
// chain code and the goods accounting method depend on it). Returns the text of the first required
// parameter that is missing, with the fields before it loaded and the rest untouched; nothing when
// all were loaded. A value that does not convert to an integer raises EConvertError.
std::optional<AnsiString> LoadParameterItems(TWorkContext& context, const TItemSet& items,
                                             const TParameterFinder& find);
