// The in-memory data set: one implementation serves the sheet's line data set, its rounded print
// copy, every result set the host server returns, and the report datasets.
//
// Records are rows of Values in insertion order. A view order sits on top: the current index or
// sort text orders the rows, the filter (when Filtered) hides rows. The cursor, RecNo,
// RecordCount, First/Next and the grid's cell access all work on that view order. Bookmarks name
// a stored row and survive re-sorting and filtering.
//
// The filter evaluator accepts the texts the sheet's filter builder writes: parenthesised
// comparisons of a field with a bare number or a single-quoted text (quotes doubled inside) by
// =, >, >=, <, <=, <>, LIKE (with %), joined by AND / OR in any case, and the list forms
// "( 1=1 Or F = 'a' And F Between 'x' And 'y' )". A text it cannot parse raises EFilterError
// whose message names the problem.
//
// Rules every user can rely on:
// - Order: null values first, then text byte by byte (CP936 order) for string fields and numbers
//   for all other types; a descending field reverses that (nulls last). Equal keys keep insertion
//   order. The current index and the sort text exclude each other: the one set last wins.
// - Re-sorting keeps the current record; a new filter (or switching it on or off) goes to the first.
// - Moving, locating, filtering and sorting post a pending Edit or Append first.
// - A structure change leaves the filter text set; it is applied again to the new fields, and a
//   filter that no longer fits is switched off and reported (EFilterError).
// - Field accessors (AsFloat, AsInteger, AsString) read null as 0 / "".
#pragma once

#include "AnsiString.h"
#include "Value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

// A filter text that cannot be parsed or applied. The message names the problem for logs; the
// kind, position (from 1) and names let a form say the same in its own words.
class EFilterError : public std::runtime_error {
public:
    enum class TKind { Syntax, UnknownName, NotComparable };

    explicit EFilterError(const std::string& what, TKind kind = TKind::Syntax, std::size_t position = 0,
                          AnsiString name = {}, AnsiString value = {})
        : std::runtime_error(what), Kind(kind), Position(position), Name(std::move(name)),
          Value(std::move(value)) {}

    TKind Kind;
    std::size_t Position;
    AnsiString Name;  // the unknown name, or the field that cannot be compared
    AnsiString Value; // the constant a field cannot be compared with
};

// Misuse of a data set: unknown field name, editing while closed, a stale bookmark ...
class EDataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TFieldType : std::uint8_t { String, Integer, Float, Currency, DateTime, Boolean };

enum class TDataSetState : std::uint8_t { Inactive, Browse, Edit, Insert };

class TMemDataSet;

class TField {
public:
    AnsiString FieldName;
    AnsiString DisplayLabel; // empty reads as the field name
    TFieldType DataType = TFieldType::String;
    int Size = 0;
    AnsiString DisplayFormat; // picture format for numbers and dates
    AnsiString EditFormat;
    bool Visible = true;
    int DisplayWidth = 0; // characters; 0 = derived from the size

    int Index() const { return FIndex; }
    TMemDataSet& DataSet() const { return *FDataSet; }
    const AnsiString& Label() const { return DisplayLabel.empty() ? FieldName : DisplayLabel; }
    bool IsNumeric() const;

    // Value of the current record (empty when the data set has no current record).
    Value AsValue() const;
    bool IsNull() const;
    AnsiString AsString() const;
    double AsFloat() const;
    std::int64_t AsInteger() const;
    // The value formatted with DisplayFormat (numbers and dates), as a grid shows it.
    AnsiString DisplayText() const;
    // Any value of this field (for instance a CellValue) formatted the way DisplayText does;
    // null gives "".
    AnsiString FormatValue(const Value& v) const;

    // Writes the current record's value; the data set must be in Edit or Insert state.
    // The value is converted to the field's type (EConvertError when it cannot be).
    void SetValue(const Value& v);

private:
    friend class TMemDataSet;
    TMemDataSet* FDataSet = nullptr;
    int FIndex = 0;
};

enum class TDataSetEvent : std::uint8_t {
    DataChanged,   // records, filter, sort or structure changed: views re-read everything
    RecordChanged, // the current record's values changed
    Scrolled,      // the cursor moved
    ActiveChanged, // opened or closed
};

struct TLocateOptions {
    bool CaseInsensitive = false;
    bool PartialKey = false;
};

struct TIndexDef {
    AnsiString Name;
    AnsiString Fields;     // "f_Spbm;f_Sysl"
    AnsiString DescFields; // subset of Fields that sort descending
};

class TMemDataSet {
public:
    using TBookmark = std::int64_t; // stable id of a stored row; -1 = none
    using TListener = std::function<void(TDataSetEvent)>;

    TMemDataSet();
    ~TMemDataSet();
    TMemDataSet(const TMemDataSet&) = delete;
    TMemDataSet& operator=(const TMemDataSet&) = delete;

    // Structure (only while closed, or on an empty data set).
    TField& AddField(const AnsiString& name, TFieldType type, int size = 0);
    int FieldCount() const;
    TField& Fields(int index) const;
    TField* FindField(std::string_view name) const;   // case-insensitive
    TField& FieldByName(std::string_view name) const; // EDataSetError naming the field
    void ClearFields();

    void Open();
    void Close(); // keeps structure, drops records
    bool Active() const;
    TDataSetState State() const;

    // Editing. Append starts a new record at the end; Post stores it. Posting keeps the view order
    // (a sorted or filtered data set places or hides the record accordingly).
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void AppendRecord(const std::vector<Value>& values); // Append + values in field order + Post
    void EmptyDataSet();
    // Replaces structure and records with a copy of another data set: its fields and every stored
    // record, also those its filter hides. Its filter and order are not copied; this data set's
    // indexes and sort are dropped (they named the old fields), its own filter applies to the new
    // records. The copy is open afterwards.
    void CopyFrom(const TMemDataSet& other);

    // Cursor over the view order.
    int RecordCount() const; // rows passing the filter
    bool IsEmpty() const { return RecordCount() == 0; }
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const;
    bool Bof() const;
    int RecNo() const;        // 1-based; 0 when there is no current record
    void SetRecNo(int recNo); // clamped to 1..RecordCount
    int MoveBy(int distance); // returns the distance actually moved; sets Eof/Bof when cut short

    TBookmark GetBookmark() const;
    bool BookmarkValid(TBookmark b) const;
    void GotoBookmark(TBookmark b); // EDataSetError for a bookmark of a deleted or hidden row

    // Locate by one or more fields ("f_a;f_b") with one value each; moves the cursor on success.
    bool Locate(std::string_view fieldNames, const std::vector<Value>& values, TLocateOptions options = {});

    // Filter. Setting the text parses it at once when Filtered is on (and when switching it on).
    void SetFilter(const AnsiString& text);
    const AnsiString& Filter() const;
    void SetFiltered(bool on);
    bool Filtered() const;

    // Indexes: a named field list with descending fields; the current index orders the view.
    void AddIndex(const TIndexDef& def);
    void DeleteIndex(std::string_view name); // no error when missing
    const std::vector<TIndexDef>& IndexDefs() const;
    void SetIndexName(std::string_view name); // empty = insertion order
    const AnsiString& IndexName() const;

    // Sort text "f_Sysl DESC,f_Spbm ASC" (ASC default); empty restores insertion order.
    void SetSort(const AnsiString& sortText);
    const AnsiString& Sort() const;

    // While controls are disabled no notifications go out; the last enable sends DataChanged.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    int AddListener(TListener listener);
    void RemoveListener(int id);

    // Fast access for grids and printers: row in view order (0-based), no cursor movement.
    const Value& CellValue(int viewRow, int fieldIndex) const;
    TBookmark BookmarkOfRow(int viewRow) const;

private:
    friend class TField;
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};
