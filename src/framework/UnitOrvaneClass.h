// The host maker's business object that every module form creates for itself: it learns the kind
// of database behind the host server, loads the working context, and runs the drop-down look-up
// lists for the host's code tables. It reaches data only through the host server.
//
// Creation asks the server for its database kind; a server that cannot say is taken to be
// "SQLSERVER" after a warning. LoadContext loads the requested items in a fixed order and stops at
// the first failure with its text. A look-up fills the caller's result record when the user has
// chosen; one look-up runs at a time per object.
#pragma once

#include "LookupList.h"
#include "WorkContext.h"
#include "coordisp/CoorDisp.h"
#include "platform/Value.h"

#include <QColor>
#include <QLineEdit>
#include <QPointer>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QWidget;
class TMemDataSet;
struct TLookupKind;
struct TLookupSetup;

// The record a look-up fills: named values, the names those of the kind's table ("f_bmbm", ...).
// Cleared when a look-up starts; filled when the user has chosen a record.
class TLookupRecord {
public:
    void Clear() { FFields.clear(); }
    bool Empty() const { return FFields.empty(); }
    void Set(const AnsiString& name, const Value& value);
    // Empty when the record holds no such name (names match ignoring case).
    Value Get(const AnsiString& name) const;
    AnsiString Text(const AnsiString& name) const;
    const std::vector<std::pair<AnsiString, Value>>& Fields() const { return FFields; }

private:
    std::vector<std::pair<AnsiString, Value>> FFields;
};

// What every look-up takes. The pointed-to widgets and the result record belong to the caller and
// must outlive the look-up (the list is shown inside Parent, so a form owning all of them is safe).
struct TLookupRequest {
    int Mode = 0;                 // kind-specific; for most kinds even = by code, odd = by name
    QWidget* Parent = nullptr;    // the list is shown inside this control
    AnsiString Extra;             // extra filter value, may be empty
    QWidget* FocusNext = nullptr; // receives the focus after a choice
    QLineEdit* Edit = nullptr;    // the edit the text came from
    AnsiString Text;              // the typed text
    TLookupRecord* Result = nullptr;
    QColor Color = QColor(Qt::white);
    int Height = 0, Width = 0; // 0 keeps the computed size
    int Top = 0, Left = 0;
};

class TOrvaneClass {
public:
    // The owner window owns the message boxes (0: the application's main window). A reference to
    // the server is taken and held for the object's life.
    TOrvaneClass(ICoorDisp* server, QWidget* owner);
    ~TOrvaneClass();
    TOrvaneClass(const TOrvaneClass&) = delete;
    TOrvaneClass& operator=(const TOrvaneClass&) = delete;

    // "SQLSERVER", "DB2" or "ORACLE".
    const AnsiString& DatabaseKind() const { return FDatabaseKind; }

    // Loads the requested items into the context; false with the reason in errorText on the first
    // failure. The caller puts the operator code into context.OperatorCode first.
    bool LoadContext(TWorkContext& context, TItemSet items, AnsiString& errorText);

    // --- Look-ups -------------------------------------------------------------------------
    // Kinds by their key: "department", "manufacturer", "goods", "Multgoods", "spfzfl",
    // "storage", "exhibit", "departmentclass", "djdepartmentclass", "Khjyzedszkh2", "tdclxm".
    void Lookup(const AnsiString& kind, const TLookupRequest& request);
    void DepartmentLookup(const TLookupRequest& request) { Lookup("department", request); }

    // The stocktake document look-up: open sheets whose number starts with the prefix, of the
    // department, narrowed by the remark when one is given; the operator code limits a stocktake
    // clerk to his own sheets. The result is the chosen number (PdDjhResult), empty until chosen.
    // The list is placed under the edit inside the edit's window, height down to its bottom.
    void PdDjhLookup(const AnsiString& prefix, const AnsiString& remark, const AnsiString& department,
                     const AnsiString& operatorCode, QLineEdit* edit, QWidget* focusNext);
    const AnsiString& PdDjhResult() const { return FPdDjh; }

    // Space in the list chooses the selected record whatever its level (off by default).
    bool ChooseAnyLevelWithSpace = false;
    // Records on this level are taken as chosen even when they have levels below (0: none).
    int LevelLimit = 0;

    // The list (created on first use), its visibility and the level being listed (0: not
    // drilling down).
    TLookupListView* LookupList() const { return FList.data(); }
    bool LookupListVisible() const { return FList && FList->isVisible(); }
    int CurrentLevel() const { return FLevel; }

    // The value of a system parameter read afresh through the server; empty when it has no row.
    AnsiString SystemParameter(const AnsiString& key);

private:
    std::shared_ptr<TMemDataSet> Query(const AnsiString& selectText);
    void EnsureList(QWidget* parent);
    void PlaceList(int width, int height, int left, int top);
    void RunLevelled(bool drilling);
    void ShowRows(const TMemDataSet& rows, const TLookupSetup& setup);
    void FillResult(const TMemDataSet& record);
    void FinishChoice();
    void OnListAction(TLookupAction action);
    void ChooseSelected(bool anyLevel);

    TCoorDispRef FServer;
    QPointer<QWidget> FOwner;
    AnsiString FDatabaseKind;
    std::shared_ptr<TMemDataSet> FDataSet;

    // Look-up state.
    QPointer<TLookupListView> FList;
    const TLookupKind* FKind = nullptr;
    int FLevel = 0;
    TLookupRequest FRequest;
    QPointer<QLineEdit> FEdit;
    QPointer<QWidget> FFocusNext;
    AnsiString FFilterClause;
    AnsiString FYearMonth;
    int FKindLevelLimit = 0;
    AnsiString FPdDjh;
};
