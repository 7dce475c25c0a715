// The in-memory data set: column-wise storage of Values, a view order of stored row numbers on
// top, and the cursor over that view.
//
// Stored rows are never moved: a deleted row becomes a tombstone, so a bookmark (a base number plus
// the stored position) keeps naming the same record across sorting, filtering and later appends;
// emptying the data set raises the base so old bookmarks can not name new records. The view is
// rebuilt only when the filter changes, re-sorted only when the order changes, and a posted record
// is placed by binary search into the ordered view.
#include "MemDataSet.h"

#include "DataSetFilter.h"
#include "DataSetOrder.h"
#include "Format.h"
#include "Locale.h"

#include <algorithm>
#include <unordered_map>

namespace {

AnsiString Quoted(std::string_view s) {
    return "\"" + AnsiString(s) + "\"";
}

} // namespace

struct TMemDataSet::Impl {
    TMemDataSet& Self;
    explicit Impl(TMemDataSet& self) : Self(self) {}

    // Structure and storage.
    std::vector<std::unique_ptr<TField>> Fields;
    // Upper-cased field name -> position, so finding a field (and adding one, which checks the
    // name is new) does not walk every field: a data file with 100,000 columns would be quadratic.
    std::unordered_map<AnsiString, int> FieldPositions;
    std::vector<std::vector<Value>> Columns; // Columns[field][stored row]
    std::vector<unsigned char> Deleted;      // per stored row
    std::size_t RowCount = 0;                // stored rows, tombstones included
    std::size_t DeletedCount = 0;
    std::int64_t IdBase = 0; // bookmark of stored row 0

    bool Active = false;
    TDataSetState State = TDataSetState::Inactive;

    // View and cursor.
    std::vector<int> View; // stored rows in view order
    mutable std::vector<int> PosOfRow;
    mutable bool PosDirty = true;
    int Cur = -1;
    bool AtEof = true;
    bool AtBof = true;

    // Edit buffer.
    std::vector<Value> Buffer;
    int EditRow = -1;  // stored row being edited
    int SavedCur = -1; // cursor before Append

    // Filter.
    AnsiString FilterText;
    bool Filtered = false;
    bool FilterStale = true; // the compiled filter does not reflect FilterText and the fields
    TDataSetFilter Filter;

    // Order.
    std::vector<TIndexDef> Indexes;
    AnsiString IndexName;
    AnsiString SortText;
    TRowOrder Order;

    // Notifications.
    int DisableCount = 0;
    bool Pending = false;
    std::vector<std::pair<int, TListener>> Listeners;
    int NextListenerId = 1;

    const std::vector<Value>* Cols() const { return Columns.data(); }
    int ViewSize() const { return static_cast<int>(View.size()); }
    std::size_t LiveRows() const { return RowCount - DeletedCount; }

    void Notify(TDataSetEvent event) {
        if (DisableCount > 0) {
            Pending = true;
            return;
        }
        if (Listeners.empty()) return;
        const auto listeners = Listeners; // a listener may add or remove listeners
        for (const auto& entry : listeners)
            entry.second(event);
    }

    void CheckActive(const char* operation) const {
        if (!Active) throw EDataSetError(std::string(operation) + ": the data set is not open");
    }

    // Moving, filtering and sorting first store a pending edit, as the user expects of a grid.
    void CheckBrowseMode() {
        if (State == TDataSetState::Edit || State == TDataSetState::Insert) Self.Post();
    }

    TDataSetFilter CompileFilter(std::string_view text) const {
        return TDataSetFilter::Compile(
            text, [this](std::string_view name) -> const TField* { return Self.FindField(name); });
    }

    // The filter in force; compiles a filter left stale by a change of structure. When it no
    // longer fits the fields, filtering is switched off before the error goes to the caller.
    const TDataSetFilter& ActiveFilter() {
        static const TDataSetFilter acceptAll;
        if (!Filtered) return acceptAll;
        if (FilterStale) {
            try {
                Filter = CompileFilter(FilterText);
                FilterStale = false;
            } catch (...) {
                Filtered = false;
                Filter = TDataSetFilter();
                throw;
            }
        }
        return Filter;
    }

    void CursorToFirst() {
        Cur = View.empty() ? -1 : 0;
        AtBof = true;
        AtEof = View.empty();
    }

    // Puts the cursor on a stored row when the view shows it; else near the old position.
    void CursorToRow(int row, int fallbackPos) {
        if (View.empty()) {
            Cur = -1;
            AtBof = AtEof = true;
            return;
        }
        int pos = -1;
        if (row >= 0) {
            const auto it = std::find(View.begin(), View.end(), row);
            if (it != View.end()) pos = static_cast<int>(it - View.begin());
        }
        Cur = pos >= 0 ? pos : std::clamp(fallbackPos, 0, ViewSize() - 1);
        AtBof = AtEof = false;
    }

    int CurrentRow() const { return Cur >= 0 && Cur < ViewSize() ? View[static_cast<std::size_t>(Cur)] : -1; }

    // Rows passing the filter, in storage order, then ordered.
    void RebuildView() {
        const TDataSetFilter& filter = ActiveFilter();
        View.clear();
        View.reserve(LiveRows());
        for (std::size_t r = 0; r < RowCount; ++r)
            if (!Deleted[r] && filter.Matches(Cols(), r)) View.push_back(static_cast<int>(r));
        Order.Sort(Cols(), View);
        PosDirty = true;
    }

    void ApplyOrder(TRowOrder order) {
        const int row = CurrentRow();
        Order = std::move(order);
        // Back to storage order in linear time, then sort.
        std::vector<unsigned char> shown(RowCount, 0);
        for (int r : View)
            shown[static_cast<std::size_t>(r)] = 1;
        View.clear();
        for (std::size_t r = 0; r < RowCount; ++r)
            if (shown[r]) View.push_back(static_cast<int>(r));
        Order.Sort(Cols(), View);
        PosDirty = true;
        CursorToRow(row, Cur);
        Notify(TDataSetEvent::DataChanged);
    }

    int PosOf(int row) const {
        if (PosDirty) {
            PosOfRow.assign(RowCount, -1);
            for (std::size_t i = 0; i < View.size(); ++i)
                PosOfRow[static_cast<std::size_t>(View[i])] = static_cast<int>(i);
            PosDirty = false;
        }
        return row >= 0 && static_cast<std::size_t>(row) < PosOfRow.size()
                   ? PosOfRow[static_cast<std::size_t>(row)]
                   : -1;
    }

    int RowOfBookmark(TBookmark b) const {
        const std::int64_t r = b - IdBase;
        if (b < 0 || r < 0 || static_cast<std::uint64_t>(r) >= RowCount ||
            Deleted[static_cast<std::size_t>(r)])
            return -1;
        return static_cast<int>(r);
    }

    // Drops every record; old bookmarks stay invalid for good.
    void DropRecords() {
        IdBase += static_cast<std::int64_t>(RowCount);
        for (auto& col : Columns) {
            col.clear();
            col.shrink_to_fit();
        }
        Deleted.clear();
        RowCount = DeletedCount = 0;
        View.clear();
        PosDirty = true;
        Cur = -1;
        AtBof = AtEof = true;
    }

    void CancelEdit() {
        if (State == TDataSetState::Insert) Cur = std::min(SavedCur, ViewSize() - 1);
        if (State == TDataSetState::Edit || State == TDataSetState::Insert) State = TDataSetState::Browse;
        EditRow = -1;
    }

    void CheckStructureChange(std::string_view what) const {
        if (State == TDataSetState::Edit || State == TDataSetState::Insert)
            throw EDataSetError(AnsiString(what) + ": a record is being edited");
        if (Active && LiveRows() > 0) throw EDataSetError(AnsiString(what) + ": the data set holds records");
    }

    TRowOrder OrderOfIndex(const TIndexDef& def) const {
        const std::vector<AnsiString> desc = SplitFieldList(def.DescFields);
        std::vector<TSortKey> keys;
        for (const AnsiString& name : SplitFieldList(def.Fields)) {
            const TField* f = Self.FindField(name);
            if (f == nullptr)
                throw EDataSetError("index " + Quoted(def.Name) + ": unknown field " + Quoted(name));
            const bool descending =
                std::any_of(desc.begin(), desc.end(), [&](const AnsiString& d) { return SameText(d, name); });
            keys.push_back({f->Index(), f->DataType == TFieldType::String, descending});
        }
        if (keys.empty()) throw EDataSetError("index " + Quoted(def.Name) + " names no fields");
        return TRowOrder(std::move(keys));
    }

    const TIndexDef* FindIndex(std::string_view name) const {
        for (const TIndexDef& def : Indexes)
            if (SameText(def.Name, name)) return &def;
        return nullptr;
    }
};

// ---------------------------------------------------------------------------------------------
// TField

bool TField::IsNumeric() const {
    return DataType == TFieldType::Integer || DataType == TFieldType::Float ||
           DataType == TFieldType::Currency;
}

Value TField::AsValue() const {
    const auto& d = *FDataSet->FImpl;
    if (!d.Active) return Value();
    if (d.State == TDataSetState::Edit || d.State == TDataSetState::Insert)
        return d.Buffer[static_cast<std::size_t>(FIndex)];
    const int row = d.CurrentRow();
    if (row < 0) return Value();
    return d.Columns[static_cast<std::size_t>(FIndex)][static_cast<std::size_t>(row)];
}

bool TField::IsNull() const {
    return AsValue().IsEmptyOrNull();
}

AnsiString TField::AsString() const {
    const Value v = AsValue();
    return v.IsEmptyOrNull() ? AnsiString() : v.AsString();
}

double TField::AsFloat() const {
    const Value v = AsValue();
    return v.IsEmptyOrNull() ? 0.0 : v.AsFloat();
}

std::int64_t TField::AsInteger() const {
    const Value v = AsValue();
    return v.IsEmptyOrNull() ? 0 : v.AsInteger();
}

AnsiString TField::DisplayText() const {
    return FormatValue(AsValue());
}

AnsiString TField::FormatValue(const Value& v) const {
    if (v.IsEmptyOrNull()) return AnsiString();
    switch (DataType) {
    case TFieldType::Integer:
    case TFieldType::Float:
    case TFieldType::Currency:
        if (!DisplayFormat.empty()) return FormatFloat(DisplayFormat, v.AsFloat());
        break;
    case TFieldType::DateTime:
        if (!DisplayFormat.empty()) return FormatDateTime(DisplayFormat, v.AsDateTime());
        return DateTimeToStr(v.AsDateTime());
    default:
        break;
    }
    return v.AsString();
}

void TField::SetValue(const Value& v) {
    auto& d = *FDataSet->FImpl;
    if (d.State != TDataSetState::Edit && d.State != TDataSetState::Insert)
        throw EDataSetError("field " + Quoted(FieldName) + ": the data set is not in edit or insert mode");
    Value stored;
    const bool blankText = v.IsString() && Trim(v.AsString()).empty();
    if (v.IsEmptyOrNull() || (blankText && DataType != TFieldType::String)) {
        stored = Value::Null();
    } else {
        switch (DataType) {
        case TFieldType::String:
            stored = v.IsString() ? v : Value::String(v.AsString());
            break;
        case TFieldType::Integer:
            stored = v.Kind() == VarKind::Integer ? v : Value::Integer(v.AsInteger());
            break;
        case TFieldType::Float:
            stored = v.Kind() == VarKind::Float ? v : Value::Float(v.AsFloat());
            break;
        case TFieldType::Currency:
            stored = v.Kind() == VarKind::Currency ? v : Value::CurrencyRaw(v.AsCurrencyRaw());
            break;
        case TFieldType::DateTime:
            stored = v.Kind() == VarKind::DateTime ? v : Value::DateTime(v.AsDateTime());
            break;
        case TFieldType::Boolean:
            stored = v.Kind() == VarKind::Boolean ? v : Value::Boolean(v.AsBoolean());
            break;
        }
    }
    d.Buffer[static_cast<std::size_t>(FIndex)] = std::move(stored);
    d.Notify(TDataSetEvent::RecordChanged);
}

// ---------------------------------------------------------------------------------------------
// Structure and state

TMemDataSet::TMemDataSet() : FImpl(std::make_unique<Impl>(*this)) {}
TMemDataSet::~TMemDataSet() = default;

TField& TMemDataSet::AddField(const AnsiString& name, TFieldType type, int size) {
    auto& d = *FImpl;
    d.CheckStructureChange("adding field " + Quoted(name));
    if (Trim(name).empty()) throw EDataSetError("a field needs a name");
    if (FindField(name) != nullptr) throw EDataSetError("field " + Quoted(name) + " exists already");
    auto field = std::make_unique<TField>();
    field->FieldName = name;
    field->DataType = type;
    field->Size = size;
    field->FDataSet = this;
    field->FIndex = static_cast<int>(d.Fields.size());
    d.FieldPositions.emplace(UpperCase(name), static_cast<int>(d.Fields.size()));
    d.Fields.push_back(std::move(field));
    d.Columns.emplace_back(d.RowCount); // tombstones only: no live record gets a value
    d.FilterStale = true;
    return *d.Fields.back();
}

int TMemDataSet::FieldCount() const {
    return static_cast<int>(FImpl->Fields.size());
}

TField& TMemDataSet::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDataSetError("field index " + std::to_string(index) + " out of range (" +
                            std::to_string(FieldCount()) + " fields)");
    return *FImpl->Fields[static_cast<std::size_t>(index)];
}

TField* TMemDataSet::FindField(std::string_view name) const {
    const auto& d = *FImpl;
    const auto it = d.FieldPositions.find(UpperCase(name));
    if (it == d.FieldPositions.end()) return nullptr;
    TField* f = d.Fields[static_cast<std::size_t>(it->second)].get();
    return SameText(f->FieldName, name) ? f : nullptr;
}

TField& TMemDataSet::FieldByName(std::string_view name) const {
    TField* f = FindField(name);
    if (f == nullptr) throw EDataSetError("field " + Quoted(name) + " not found");
    return *f;
}

void TMemDataSet::ClearFields() {
    auto& d = *FImpl;
    d.CheckStructureChange("clearing the fields");
    d.DropRecords();
    d.Fields.clear();
    d.FieldPositions.clear();
    d.Columns.clear();
    d.Indexes.clear();
    d.IndexName.clear();
    d.SortText.clear();
    d.Order = TRowOrder();
    d.FilterStale = true;
    d.Notify(TDataSetEvent::DataChanged);
}

void TMemDataSet::Open() {
    auto& d = *FImpl;
    if (d.Active) return;
    d.Active = true;
    d.State = TDataSetState::Browse;
    d.Buffer.assign(d.Fields.size(), Value());
    d.RebuildView();
    d.CursorToFirst();
    d.Notify(TDataSetEvent::ActiveChanged);
}

void TMemDataSet::Close() {
    auto& d = *FImpl;
    if (!d.Active) return;
    d.CancelEdit();
    d.DropRecords();
    d.Active = false;
    d.State = TDataSetState::Inactive;
    d.Notify(TDataSetEvent::ActiveChanged);
}

bool TMemDataSet::Active() const {
    return FImpl->Active;
}
TDataSetState TMemDataSet::State() const {
    return FImpl->State;
}

// ---------------------------------------------------------------------------------------------
// Editing

void TMemDataSet::Append() {
    auto& d = *FImpl;
    d.CheckActive("Append");
    d.CheckBrowseMode();
    d.Buffer.assign(d.Fields.size(), Value::Null());
    d.EditRow = -1;
    d.SavedCur = d.Cur;
    d.State = TDataSetState::Insert;
    d.AtEof = true;
    d.AtBof = false;
    d.Notify(TDataSetEvent::RecordChanged);
}

void TMemDataSet::Edit() {
    auto& d = *FImpl;
    d.CheckActive("Edit");
    if (d.State == TDataSetState::Edit || d.State == TDataSetState::Insert) return;
    const int row = d.CurrentRow();
    if (row < 0) throw EDataSetError("Edit: there is no current record");
    d.Buffer.resize(d.Fields.size());
    for (std::size_t f = 0; f < d.Fields.size(); ++f)
        d.Buffer[f] = d.Columns[f][static_cast<std::size_t>(row)];
    d.EditRow = row;
    d.State = TDataSetState::Edit;
}

void TMemDataSet::Post() {
    auto& d = *FImpl;
    if (d.State != TDataSetState::Edit && d.State != TDataSetState::Insert)
        throw EDataSetError("Post: the data set is not in edit or insert mode");
    const TDataSetFilter& filter = d.ActiveFilter(); // may raise before anything is stored
    int row;
    int oldPos;
    if (d.State == TDataSetState::Insert) {
        row = static_cast<int>(d.RowCount);
        for (std::size_t f = 0; f < d.Fields.size(); ++f)
            d.Columns[f].push_back(std::move(d.Buffer[f]));
        d.Deleted.push_back(0);
        ++d.RowCount;
        oldPos = d.SavedCur;
    } else {
        row = d.EditRow;
        for (std::size_t f = 0; f < d.Fields.size(); ++f)
            d.Columns[f][static_cast<std::size_t>(row)] = std::move(d.Buffer[f]);
        oldPos = d.Cur;
        if (oldPos < 0 || oldPos >= d.ViewSize() || d.View[static_cast<std::size_t>(oldPos)] != row)
            oldPos = static_cast<int>(std::find(d.View.begin(), d.View.end(), row) - d.View.begin());
        if (oldPos < d.ViewSize()) d.View.erase(d.View.begin() + oldPos);
    }
    d.State = TDataSetState::Browse;
    d.EditRow = -1;
    d.PosDirty = true;
    if (filter.Matches(d.Cols(), static_cast<std::size_t>(row))) {
        const std::size_t pos = d.Order.InsertPosition(d.Cols(), d.View, row);
        d.View.insert(d.View.begin() + static_cast<std::ptrdiff_t>(pos), row);
        d.Cur = static_cast<int>(pos);
        d.AtBof = d.AtEof = false;
    } else {
        d.CursorToRow(-1, oldPos);
    }
    d.Notify(TDataSetEvent::DataChanged);
}

void TMemDataSet::Cancel() {
    auto& d = *FImpl;
    if (d.State != TDataSetState::Edit && d.State != TDataSetState::Insert) return;
    d.CancelEdit();
    d.AtBof = d.AtEof = d.View.empty();
    d.Notify(TDataSetEvent::RecordChanged);
}

void TMemDataSet::Delete() {
    auto& d = *FImpl;
    d.CheckActive("Delete");
    if (d.State == TDataSetState::Insert) {
        Cancel();
        return;
    }
    d.CancelEdit();
    const int row = d.CurrentRow();
    if (row < 0) throw EDataSetError("Delete: there is no current record");
    d.Deleted[static_cast<std::size_t>(row)] = 1;
    ++d.DeletedCount;
    for (auto& col : d.Columns)
        col[static_cast<std::size_t>(row)] = Value();
    d.View.erase(d.View.begin() + d.Cur);
    d.PosDirty = true;
    d.CursorToRow(-1, d.Cur);
    d.Notify(TDataSetEvent::DataChanged);
}

void TMemDataSet::AppendRecord(const std::vector<Value>& values) {
    auto& d = *FImpl;
    if (values.size() > d.Fields.size())
        throw EDataSetError("AppendRecord: " + std::to_string(values.size()) + " values for " +
                            std::to_string(d.Fields.size()) + " fields");
    Append();
    try {
        for (std::size_t i = 0; i < values.size(); ++i)
            d.Fields[i]->SetValue(values[i]);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TMemDataSet::EmptyDataSet() {
    auto& d = *FImpl;
    d.CancelEdit();
    d.DropRecords();
    d.Notify(TDataSetEvent::DataChanged);
}

void TMemDataSet::CopyFrom(const TMemDataSet& other) {
    if (&other == this) return;
    auto& d = *FImpl;
    const auto& s = *other.FImpl;
    d.CancelEdit();
    d.DropRecords();
    d.Fields.clear();
    d.FieldPositions = s.FieldPositions;
    d.Columns.clear();
    for (const auto& src : s.Fields) {
        auto field = std::make_unique<TField>(*src);
        field->FDataSet = this;
        d.Fields.push_back(std::move(field));
        d.Columns.emplace_back();
    }
    for (std::size_t f = 0; f < s.Columns.size(); ++f) {
        auto& col = d.Columns[f];
        col.reserve(s.LiveRows());
        for (std::size_t r = 0; r < s.RowCount; ++r)
            if (!s.Deleted[r]) col.push_back(s.Columns[f][r]);
    }
    d.RowCount = s.LiveRows();
    d.Deleted.assign(d.RowCount, 0);
    d.Indexes.clear();
    d.IndexName.clear();
    d.SortText.clear();
    d.Order = TRowOrder();
    d.FilterStale = true;
    const bool wasActive = d.Active;
    d.Active = true;
    d.State = TDataSetState::Browse;
    d.Buffer.assign(d.Fields.size(), Value());
    try {
        d.RebuildView();
    } catch (...) {
        // The own filter does not fit the new fields: it is off now; show every record.
        d.RebuildView();
        d.CursorToFirst();
        d.Notify(TDataSetEvent::DataChanged);
        throw;
    }
    d.CursorToFirst();
    if (!wasActive) d.Notify(TDataSetEvent::ActiveChanged);
    d.Notify(TDataSetEvent::DataChanged);
}

// ---------------------------------------------------------------------------------------------
// Cursor

int TMemDataSet::RecordCount() const {
    return FImpl->Active ? FImpl->ViewSize() : 0;
}

void TMemDataSet::First() {
    auto& d = *FImpl;
    if (!d.Active) return;
    d.CheckBrowseMode();
    d.CursorToFirst();
    d.Notify(TDataSetEvent::Scrolled);
}

void TMemDataSet::Last() {
    auto& d = *FImpl;
    if (!d.Active) return;
    d.CheckBrowseMode();
    d.Cur = d.ViewSize() - 1;
    d.AtEof = true;
    d.AtBof = d.View.empty();
    d.Notify(TDataSetEvent::Scrolled);
}

void TMemDataSet::Next() {
    auto& d = *FImpl;
    if (!d.Active) return;
    d.CheckBrowseMode();
    if (d.Cur + 1 < d.ViewSize()) {
        ++d.Cur;
        d.AtBof = d.AtEof = false;
        d.Notify(TDataSetEvent::Scrolled);
    } else {
        d.AtEof = true;
    }
}

void TMemDataSet::Prior() {
    auto& d = *FImpl;
    if (!d.Active) return;
    d.CheckBrowseMode();
    if (d.Cur > 0) {
        --d.Cur;
        d.AtBof = d.AtEof = false;
        d.Notify(TDataSetEvent::Scrolled);
    } else {
        d.AtBof = true;
    }
}

bool TMemDataSet::Eof() const {
    return !FImpl->Active || FImpl->AtEof;
}
bool TMemDataSet::Bof() const {
    return !FImpl->Active || FImpl->AtBof;
}

int TMemDataSet::RecNo() const {
    const auto& d = *FImpl;
    if (!d.Active || d.State == TDataSetState::Insert || d.CurrentRow() < 0) return 0;
    return d.Cur + 1;
}

void TMemDataSet::SetRecNo(int recNo) {
    auto& d = *FImpl;
    if (!d.Active) return;
    d.CheckBrowseMode();
    if (d.View.empty()) return;
    d.Cur = std::clamp(recNo, 1, d.ViewSize()) - 1;
    d.AtBof = d.AtEof = false;
    d.Notify(TDataSetEvent::Scrolled);
}

int TMemDataSet::MoveBy(int distance) {
    auto& d = *FImpl;
    if (!d.Active) return 0;
    d.CheckBrowseMode();
    if (d.View.empty() || distance == 0) return 0;
    const long long target =
        std::clamp<long long>(static_cast<long long>(d.Cur) + distance, 0, d.ViewSize() - 1);
    const int moved = static_cast<int>(target - d.Cur);
    d.Cur = static_cast<int>(target);
    d.AtEof = distance > 0 && moved < distance;
    d.AtBof = distance < 0 && moved > distance;
    if (moved != 0) d.Notify(TDataSetEvent::Scrolled);
    return moved;
}

// ---------------------------------------------------------------------------------------------
// Bookmarks and Locate

TMemDataSet::TBookmark TMemDataSet::GetBookmark() const {
    const auto& d = *FImpl;
    const int row = d.CurrentRow();
    if (!d.Active || d.State == TDataSetState::Insert || row < 0) return -1;
    return d.IdBase + row;
}

bool TMemDataSet::BookmarkValid(TBookmark b) const {
    const auto& d = *FImpl;
    const int row = d.RowOfBookmark(b);
    return d.Active && row >= 0 && d.PosOf(row) >= 0;
}

void TMemDataSet::GotoBookmark(TBookmark b) {
    auto& d = *FImpl;
    d.CheckActive("GotoBookmark");
    d.CheckBrowseMode();
    const int row = d.RowOfBookmark(b);
    if (row < 0)
        throw EDataSetError("GotoBookmark: the bookmark names no record (deleted or from before emptying)");
    const int pos = d.PosOf(row);
    if (pos < 0) throw EDataSetError("GotoBookmark: the record is hidden by the filter");
    d.Cur = pos;
    d.AtBof = d.AtEof = false;
    d.Notify(TDataSetEvent::Scrolled);
}

bool TMemDataSet::Locate(std::string_view fieldNames, const std::vector<Value>& values,
                         TLocateOptions options) {
    auto& d = *FImpl;
    if (!d.Active) return false;
    d.CheckBrowseMode();
    const std::vector<AnsiString> names = SplitFieldList(fieldNames);
    if (names.empty() || names.size() != values.size())
        throw EDataSetError("Locate: " + std::to_string(names.size()) + " field(s) but " +
                            std::to_string(values.size()) + " value(s)");

    struct TKey {
        int Field;
        bool Textual;
        bool Null;
        AnsiString Text;
        double Number;
    };
    std::vector<TKey> keys;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const TField& f = FieldByName(names[i]);
        const Value& v = values[i];
        TKey key{f.Index(), f.DataType == TFieldType::String, v.IsEmptyOrNull(), {}, 0};
        if (!key.Null) {
            try {
                if (key.Textual)
                    key.Text = v.AsString();
                else if (f.DataType == TFieldType::DateTime)
                    key.Number = v.AsDateTime();
                else if (f.DataType == TFieldType::Boolean)
                    key.Number = v.AsBoolean() ? 1 : 0;
                else
                    key.Number = v.AsFloat();
            } catch (const EConvertError& e) {
                throw EDataSetError("Locate: field " + Quoted(f.FieldName) + ": " + e.what());
            }
        }
        keys.push_back(std::move(key));
    }

    auto matches = [&](int row) {
        for (const TKey& key : keys) {
            const Value& cell = d.Columns[static_cast<std::size_t>(key.Field)][static_cast<std::size_t>(row)];
            if (key.Null || cell.IsEmptyOrNull()) {
                if (key.Null != cell.IsEmptyOrNull()) return false;
                continue;
            }
            if (key.Textual) {
                AnsiString s = cell.AsString();
                if (options.PartialKey) {
                    if (s.size() < key.Text.size()) return false;
                    s.resize(key.Text.size());
                }
                if (options.CaseInsensitive ? !SameText(s, key.Text) : s != key.Text) return false;
            } else {
                double n;
                try {
                    n = cell.AsFloat();
                } catch (const EConvertError&) {
                    return false;
                }
                if (n != key.Number) return false;
            }
        }
        return true;
    };

    for (int pos = 0; pos < d.ViewSize(); ++pos) {
        if (matches(d.View[static_cast<std::size_t>(pos)])) {
            d.Cur = pos;
            d.AtBof = d.AtEof = false;
            d.Notify(TDataSetEvent::Scrolled);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Filter

void TMemDataSet::SetFilter(const AnsiString& text) {
    auto& d = *FImpl;
    if (text == d.FilterText && !(d.Filtered && d.FilterStale)) return;
    if (!d.Filtered) {
        d.FilterText = text;
        d.FilterStale = true;
        return;
    }
    d.CheckBrowseMode();
    TDataSetFilter compiled = d.CompileFilter(text); // raises; the old filter stays in force
    d.FilterText = text;
    d.Filter = std::move(compiled);
    d.FilterStale = false;
    if (d.Active) {
        d.RebuildView();
        d.CursorToFirst();
    }
    d.Notify(TDataSetEvent::DataChanged);
}

const AnsiString& TMemDataSet::Filter() const {
    return FImpl->FilterText;
}

void TMemDataSet::SetFiltered(bool on) {
    auto& d = *FImpl;
    if (on == d.Filtered) return;
    d.CheckBrowseMode();
    if (on) {
        TDataSetFilter compiled = d.CompileFilter(d.FilterText); // raises; filtering stays off
        d.Filter = std::move(compiled);
        d.FilterStale = false;
    }
    d.Filtered = on;
    if (d.Active) {
        d.RebuildView();
        d.CursorToFirst();
    }
    d.Notify(TDataSetEvent::DataChanged);
}

bool TMemDataSet::Filtered() const {
    return FImpl->Filtered;
}

// ---------------------------------------------------------------------------------------------
// Indexes and sort

void TMemDataSet::AddIndex(const TIndexDef& def) {
    auto& d = *FImpl;
    if (Trim(def.Name).empty()) throw EDataSetError("an index needs a name");
    if (d.FindIndex(def.Name) != nullptr)
        throw EDataSetError("index " + Quoted(def.Name) + " exists already");
    (void)d.OrderOfIndex(def); // checks the field names
    const std::vector<AnsiString> fields = SplitFieldList(def.Fields);
    for (const AnsiString& desc : SplitFieldList(def.DescFields))
        if (std::none_of(fields.begin(), fields.end(),
                         [&](const AnsiString& f) { return SameText(f, desc); }))
            throw EDataSetError("index " + Quoted(def.Name) + ": descending field " + Quoted(desc) +
                                " is not one of its fields");
    d.Indexes.push_back(def);
}

void TMemDataSet::DeleteIndex(std::string_view name) {
    auto& d = *FImpl;
    const auto it = std::find_if(d.Indexes.begin(), d.Indexes.end(),
                                 [&](const TIndexDef& def) { return SameText(def.Name, name); });
    if (it == d.Indexes.end()) return;
    const bool current = SameText(d.IndexName, name);
    d.Indexes.erase(it);
    if (current) {
        d.IndexName.clear();
        if (d.Active) {
            d.CheckBrowseMode();
            d.ApplyOrder(TRowOrder());
        } else {
            d.Order = TRowOrder();
        }
    }
}

const std::vector<TIndexDef>& TMemDataSet::IndexDefs() const {
    return FImpl->Indexes;
}

void TMemDataSet::SetIndexName(std::string_view name) {
    auto& d = *FImpl;
    if (SameText(name, d.IndexName) && (!name.empty() || d.SortText.empty())) return;
    TRowOrder order;
    AnsiString indexName;
    if (!name.empty()) {
        const TIndexDef* def = d.FindIndex(name);
        if (def == nullptr) throw EDataSetError("index " + Quoted(name) + " not found");
        order = d.OrderOfIndex(*def);
        indexName = def->Name;
    }
    d.CheckBrowseMode();
    d.IndexName = std::move(indexName);
    d.SortText.clear(); // an index and a sort text both order the view: the last one set wins
    if (d.Active)
        d.ApplyOrder(std::move(order));
    else
        d.Order = std::move(order);
}

const AnsiString& TMemDataSet::IndexName() const {
    return FImpl->IndexName;
}

void TMemDataSet::SetSort(const AnsiString& sortText) {
    auto& d = *FImpl;
    if (sortText == d.SortText && (!sortText.empty() || d.IndexName.empty())) return;
    std::vector<TSortKey> keys;
    for (const TSortItem& item : ParseSortText(sortText)) {
        const TField* f = FindField(item.FieldName);
        if (f == nullptr) throw EDataSetError("sort text: unknown field " + Quoted(item.FieldName));
        keys.push_back({f->Index(), f->DataType == TFieldType::String, item.Descending});
    }
    d.CheckBrowseMode();
    d.SortText = sortText;
    d.IndexName.clear();
    if (d.Active)
        d.ApplyOrder(TRowOrder(std::move(keys)));
    else
        d.Order = TRowOrder(std::move(keys));
}

const AnsiString& TMemDataSet::Sort() const {
    return FImpl->SortText;
}

// ---------------------------------------------------------------------------------------------
// Notifications and grid access

void TMemDataSet::DisableControls() {
    ++FImpl->DisableCount;
}

void TMemDataSet::EnableControls() {
    auto& d = *FImpl;
    if (d.DisableCount == 0) return;
    if (--d.DisableCount == 0 && d.Pending) {
        d.Pending = false;
        d.Notify(TDataSetEvent::DataChanged);
    }
}

bool TMemDataSet::ControlsDisabled() const {
    return FImpl->DisableCount > 0;
}

int TMemDataSet::AddListener(TListener listener) {
    auto& d = *FImpl;
    const int id = d.NextListenerId++;
    d.Listeners.emplace_back(id, std::move(listener));
    return id;
}

void TMemDataSet::RemoveListener(int id) {
    auto& l = FImpl->Listeners;
    l.erase(std::remove_if(l.begin(), l.end(), [id](const auto& e) { return e.first == id; }), l.end());
}

const Value& TMemDataSet::CellValue(int viewRow, int fieldIndex) const {
    const auto& d = *FImpl;
    if (viewRow < 0 || viewRow >= d.ViewSize() || fieldIndex < 0 || fieldIndex >= FieldCount())
        throw EDataSetError("CellValue: row " + std::to_string(viewRow) + ", field " +
                            std::to_string(fieldIndex) + " out of range");
    if (d.State == TDataSetState::Edit && viewRow == d.Cur)
        return d.Buffer[static_cast<std::size_t>(fieldIndex)];
    return d.Columns[static_cast<std::size_t>(fieldIndex)]
                    [static_cast<std::size_t>(d.View[static_cast<std::size_t>(viewRow)])];
}

TMemDataSet::TBookmark TMemDataSet::BookmarkOfRow(int viewRow) const {
    const auto& d = *FImpl;
    if (viewRow < 0 || viewRow >= d.ViewSize())
        throw EDataSetError("BookmarkOfRow: row " + std::to_string(viewRow) + " out of range");
    return d.IdBase + d.View[static_cast<std::size_t>(viewRow)];
}
