// The printer list: the two pseudo-entries, every queue of the printing platform, the default
// found as the platform reports it, and each queue's papers and sources turned into the engine's
// paper codes and bin numbers.
#include "VNPrinterList.h"

#include "report/VNStrings.h"

#include "platform/Locale.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

namespace {

// Paper names as queues write them (PPD keywords and the standard media names), with the paper
// table's code. Sizes alone cannot decide this: several table papers share one size.
struct TKnownMedia {
    const char* Ppd;
    const char* Pwg;
    int Code;
};
const TKnownMedia KnownMedia[] = {
    {"Letter", "na_letter_8.5x11in", 1},        {"Tabloid", "na_ledger_11x17in", 3},
    {"Ledger", "", 4},                          {"Legal", "na_legal_8.5x14in", 5},
    {"Statement", "na_invoice_5.5x8.5in", 6},   {"Executive", "na_executive_7.25x10.5in", 7},
    {"A3", "iso_a3_297x420mm", 8},              {"A4", "iso_a4_210x297mm", 9},
    {"A5", "iso_a5_148x210mm", 11},             {"B4", "jis_b4_257x364mm", 12},
    {"B5", "jis_b5_182x257mm", 13},             {"Folio", "na_foolscap_8.5x13in", 14},
    {"Quarto", "na_quarto_8.5x10.83in", 15},    {"Env9", "na_number-9_3.875x8.875in", 19},
    {"Env10", "na_number-10_4.125x9.5in", 20},  {"Env11", "na_number-11_4.5x10.375in", 21},
    {"Env12", "na_number-12_4.75x11in", 22},    {"Env14", "na_number-14_5x11.5in", 23},
    {"EnvDL", "iso_dl_110x220mm", 27},          {"EnvC5", "iso_c5_162x229mm", 28},
    {"EnvC3", "iso_c3_324x458mm", 29},          {"EnvC4", "iso_c4_229x324mm", 30},
    {"EnvC6", "iso_c6_114x162mm", 31},          {"EnvC65", "iso_c6c5_114x229mm", 32},
    {"EnvISOB4", "iso_b4_250x353mm", 33},       {"EnvISOB5", "", 34},
    {"EnvISOB6", "", 35},                       {"EnvItalian", "om_italian_110x230mm", 36},
    {"EnvMonarch", "na_monarch_3.875x7.5in", 37},
    {"EnvPersonal", "na_personal_3.625x6.5in", 38},
    {"FanFoldUS", "na_fanfold-us_11x14.875in", 39},
    {"FanFoldGerman", "na_fanfold-eur_8.5x12in", 40},
    {"FanFoldGermanLegal", "na_foolscap_8.5x13in", 41},
    {"ISOB4", "", 42},                          {"Postcard", "jpn_hagaki_100x148mm", 43},
    {"A2", "iso_a2_420x594mm", 66},
};

struct TKnownSlot {
    const char* Key;
    int Bin;
};
// The platform's standard source numbers for the sources queues commonly name.
const TKnownSlot KnownSlots[] = {
    {"upper", 1},    {"top", 1},          {"only", 1},     {"lower", 2},    {"bottom", 2},
    {"middle", 3},   {"manual", 4},       {"envelope", 5}, {"auto", 7},     {"tractor", 8},
    {"largecapacity", 11}, {"large-capacity", 11}, {"cassette", 14},
};

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void LoadQueueInfo(TVNPrinterInfo& info) {
    TPrintQueueInfo q;
    IPrintPlatform* platform = PrintPlatform();
    if (!platform || !platform->QueueInfo(info.Device, q)) {
        // The queue cannot be asked: the fix-up still gives the custom and extra papers.
        info.Usable = false;
    } else {
        info.Driver = q.Driver;
        info.Port = q.Location;
        info.Comment = q.Comment;
        info.Resolution = q.Resolution > 0 ? q.Resolution : 600;
        info.Color = q.Color;
        for (std::size_t i = 0; i < q.Media.size(); ++i) {
            const TPrintMedia& m = q.Media[i];
            const int code = PaperCodeForMedia(m, int(i));
            if (info.Media.count(code)) continue; // the same paper twice (a borderless variant)
            info.Media[code] = m;
            info.PaperNames.push_back(m.Name.empty() ? m.Key : m.Name);
            info.PaperNumbers.push_back(IntToStr(code));
            // Queues measure standard papers in points; such a paper keeps its standard size.
            int w = m.Width, h = m.Height;
            if (const int t = PaperTableIndexOf(code); t >= 0 && std::abs(PaperTableEntry(t).Width - w) <= 2 &&
                                                       std::abs(PaperTableEntry(t).Height - h) <= 2) {
                w = PaperTableEntry(t).Width;
                h = PaperTableEntry(t).Height;
            }
            info.PaperWidths.push_back(IntToStr(w));
            info.PaperHeights.push_back(IntToStr(h));
        }
        for (std::size_t i = 0; i < q.Slots.size(); ++i) {
            const int bin = BinNumberForSlot(q.Slots[i], int(i));
            if (info.Slots.count(bin)) continue;
            info.Slots[bin] = q.Slots[i].Key;
            info.BinNames.push_back(q.Slots[i].Name.empty() ? q.Slots[i].Key : q.Slots[i].Name);
            info.BinNumbers.push_back(IntToStr(bin));
        }
    }
    FixUpPaperLists(info);
}

} // namespace

int PaperCodeForMedia(const TPrintMedia& media, int position) {
    // A borderless variant is the same paper.
    std::string_view key = media.Key;
    const std::string_view borderless = "_borderless";
    if (key.size() > borderless.size() && key.substr(key.size() - borderless.size()) == borderless)
        key.remove_suffix(borderless.size());
    for (const TKnownMedia& k : KnownMedia)
        if (SameKey(key, k.Ppd) || (*k.Pwg && SameKey(key, k.Pwg))) return k.Code;
    return 1000 + position;
}

int BinNumberForSlot(const TPrintSlot& slot, int position) {
    for (const TKnownSlot& k : KnownSlots)
        if (SameKey(slot.Key, k.Key)) return k.Bin;
    return 256 + position;
}

TVNPrinterInfo& TVNPrinterList::PrinterInfo(int index) {
    if (index == 0) index = FDefault;
    if (index <= 1 || index >= Count()) return VirtualPrinterInfo();
    TVNPrinterInfo& info = *FInfos[std::size_t(index)];
    if (!info.Loaded) LoadQueueInfo(info);
    return info;
}

int TVNPrinterList::IndexOf(const AnsiString& name) const {
    auto it = std::find(FNames.begin(), FNames.end(), name);
    return it == FNames.end() ? -1 : int(it - FNames.begin());
}

void TVNPrinterList::Rebuild() {
    FBuilt = true;
    FNames.clear();
    FInfos.clear();
    FDefault = 1;
    auto add = [this](const AnsiString& name) {
        FNames.push_back(name);
        FInfos.push_back(std::make_unique<TVNPrinterInfo>());
        FInfos.back()->Device = name;
    };
    add(VNText(TVNText::DefaultPrinter));
    add(VNText(TVNText::VirtualPrinter));
    IPrintPlatform* platform = PrintPlatform();
    if (!platform) return;
    for (const AnsiString& q : platform->Queues())
        add(q);
    const AnsiString def = platform->DefaultQueue();
    for (int i = 2; i < Count() && !def.empty(); ++i)
        if (FInfos[std::size_t(i)]->Device == def) {
            FDefault = i;
            break;
        }
}

TVNPrinterList& VNPrinterList() {
    static TVNPrinterList list;
    if (!list.FBuilt) list.Rebuild();
    return list;
}
