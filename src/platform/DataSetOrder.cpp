// Sorting of the in-memory data set's rows. The full sort extracts each key once per row into a
// plain number or text array and sorts row positions against those, so sorting 100,000 rows costs
// one value conversion per row and key instead of one per comparison.
#include "DataSetOrder.h"

#include "MemDataSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Numeric value of a cell; a cell that does not convert orders with the nulls.
bool NumberOfCell(const Value& v, double& out) {
    if (v.IsEmptyOrNull()) return false;
    try {
        out = v.AsFloat();
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

int CompareCells(const Value& a, const Value& b, bool textual) {
    if (textual) {
        const bool na = a.IsEmptyOrNull();
        const bool nb = b.IsEmptyOrNull();
        if (na || nb) return nb - na;
        const int c = a.AsString().compare(b.AsString());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    double x = 0, y = 0;
    const bool hx = NumberOfCell(a, x);
    const bool hy = NumberOfCell(b, y);
    if (!hx || !hy) return hx - hy;
    return x < y ? -1 : (x > y ? 1 : 0);
}

AnsiString TrimBlanks(std::string_view s) {
    return Trim(s);
}

} // namespace

std::vector<TSortItem> ParseSortText(std::string_view text) {
    std::vector<TSortItem> items;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t comma = text.find(',', from);
        if (comma == std::string_view::npos) comma = text.size();
        const AnsiString item = TrimBlanks(text.substr(from, comma - from));
        from = comma + 1;
        if (item.empty()) continue;
        TSortItem sortItem;
        const std::size_t blank = item.find_first_of(" \t");
        sortItem.FieldName = item.substr(0, blank);
        if (blank != AnsiString::npos) {
            const AnsiString direction = TrimBlanks(std::string_view(item).substr(blank));
            if (SameText(direction, "DESC"))
                sortItem.Descending = true;
            else if (!SameText(direction, "ASC"))
                throw EDataSetError("sort text: \"" + direction + "\" after field \"" + sortItem.FieldName +
                                    "\" is neither ASC nor DESC");
        }
        items.push_back(std::move(sortItem));
    }
    return items;
}

std::vector<AnsiString> SplitFieldList(std::string_view text) {
    std::vector<AnsiString> names;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t semi = text.find(';', from);
        if (semi == std::string_view::npos) semi = text.size();
        AnsiString name = TrimBlanks(text.substr(from, semi - from));
        if (!name.empty()) names.push_back(std::move(name));
        from = semi + 1;
    }
    return names;
}

int TRowOrder::Compare(const std::vector<Value>* columns, int a, int b) const {
    for (const TSortKey& key : FKeys) {
        const std::vector<Value>& col = columns[key.Field];
        const int c =
            CompareCells(col[static_cast<std::size_t>(a)], col[static_cast<std::size_t>(b)], key.Textual);
        if (c != 0) return key.Descending ? -c : c;
    }
    return a < b ? -1 : (a > b ? 1 : 0);
}

namespace {

// Order-preserving 64-bit image of a number: unsigned comparison of the images orders the numbers.
std::uint64_t NumberImage(double d) {
    if (d == 0) d = 0.0; // -0 and +0 are equal
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
}

// The first eight bytes of a text, big-endian: a coarse image (equal images need a full compare).
std::uint64_t TextImage(const AnsiString& s) {
    std::uint64_t image = 0;
    for (std::size_t i = 0; i < 8; ++i)
        image = image << 8 | (i < s.size() ? static_cast<unsigned char>(s[i]) : 0u);
    return image;
}

} // namespace

void TRowOrder::Sort(const std::vector<Value>* columns, std::vector<int>& rows) const {
    if (FKeys.empty() || rows.size() < 2) return;
    const std::size_t n = rows.size();
    // Per key: a presence flag and either a number or a text per position in `rows`.
    struct TKeyColumn {
        std::vector<unsigned char> Present;
        std::vector<double> Numbers;
        std::vector<AnsiString> Texts;
    };
    std::vector<TKeyColumn> keyColumns(FKeys.size());
    for (std::size_t k = 0; k < FKeys.size(); ++k) {
        const TSortKey& key = FKeys[k];
        const std::vector<Value>& col = columns[key.Field];
        TKeyColumn& kc = keyColumns[k];
        kc.Present.resize(n);
        if (key.Textual)
            kc.Texts.resize(n);
        else
            kc.Numbers.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const Value& v = col[static_cast<std::size_t>(rows[i])];
            if (key.Textual) {
                kc.Present[i] = !v.IsEmptyOrNull();
                if (kc.Present[i]) kc.Texts[i] = v.AsString();
            } else {
                kc.Present[i] = NumberOfCell(v, kc.Numbers[i]);
            }
        }
    }

    // Every key also gets a 64-bit image per row whose unsigned order is the key's order: exact
    // for numbers, the first eight bytes for texts (equal text images need the full compare), null
    // before everything, all bits inverted for a descending key. Most comparisons then stay
    // integer compares even when the first key has many ties.
    std::vector<std::uint64_t> images(n * FKeys.size());
    for (std::size_t k = 0; k < FKeys.size(); ++k) {
        const TKeyColumn& kc = keyColumns[k];
        std::uint64_t* out = images.data() + k * n;
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t image = 0;
            if (kc.Present[i]) image = FKeys[k].Textual ? TextImage(kc.Texts[i]) : NumberImage(kc.Numbers[i]);
            out[i] = FKeys[k].Descending ? ~image : image;
        }
    }

    // <0, 0, >0 for key k of positions x and y whose images are equal.
    auto compareEqualImages = [&](std::size_t k, std::uint32_t x, std::uint32_t y) {
        if (!FKeys[k].Textual) return 0;
        const TKeyColumn& kc = keyColumns[k];
        if (!kc.Present[x] || !kc.Present[y])
            return FKeys[k].Descending ? kc.Present[y] - kc.Present[x] : kc.Present[x] - kc.Present[y];
        const int c = kc.Texts[x].compare(kc.Texts[y]);
        return FKeys[k].Descending ? -c : c;
    };

    // Entries carry the first image inline; ties end with the storage position, which makes the
    // unstable std::sort give the stable order.
    struct TEntry {
        std::uint64_t Image;
        std::uint32_t Pos;
    };
    std::vector<TEntry> entries(n);
    for (std::size_t i = 0; i < n; ++i)
        entries[i] = {images[i], static_cast<std::uint32_t>(i)};
    std::sort(entries.begin(), entries.end(), [&](const TEntry& a, const TEntry& b) {
        if (a.Image != b.Image) return a.Image < b.Image;
        for (std::size_t k = 0; k < FKeys.size(); ++k) {
            if (k > 0) {
                const std::uint64_t ia = images[k * n + a.Pos];
                const std::uint64_t ib = images[k * n + b.Pos];
                if (ia != ib) return ia < ib;
            }
            const int c = compareEqualImages(k, a.Pos, b.Pos);
            if (c != 0) return c < 0;
        }
        return a.Pos < b.Pos;
    });
    std::vector<int> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
        sorted[i] = rows[entries[i].Pos];
    rows = std::move(sorted);
}

std::size_t TRowOrder::InsertPosition(const std::vector<Value>* columns, const std::vector<int>& rows,
                                      int row) const {
    if (FKeys.empty())
        return static_cast<std::size_t>(std::lower_bound(rows.begin(), rows.end(), row) - rows.begin());
    const auto it = std::lower_bound(rows.begin(), rows.end(), row,
                                     [&](int stored, int r) { return Compare(columns, stored, r) < 0; });
    return static_cast<std::size_t>(it - rows.begin());
}
