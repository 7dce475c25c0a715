// Report datasets: the cursors bands walk. TVNDataset gives a range (start, end, record count),
// followers and events; TVNUserDataset has records only through its range and events;
// TVNDBDataSet forwards its moves to an in-memory data set. The lookups below find a dataset or
// a data field by the names report texts use, and turn a field into a value that is never null.
#pragma once

#include "VNDatasetComponents.h"

#include "platform/MemDataSet.h"
#include "platform/Value.h"

#include <functional>
#include <stdexcept>
#include <vector>

class TVNReport;

class EVNDatasetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TVNRangeBegin { rbFirst = 0, rbCurrent = 1 };
enum TVNRangeEnd { reLast = 0, reCurrent = 1, reCount = 2 };

class TVNDataset : public TVNComponent {
public:
    using TNotifyEvent = std::function<void(TVNDataset* sender)>;
    using TCheckEOFEvent = std::function<void(TVNDataset* sender, bool& eof)>;

    explicit TVNDataset(TVNComponent* owner = nullptr, AnsiString name = AnsiString())
        : TVNComponent(owner, std::move(name)) {}
    ~TVNDataset() override;

    TVNRangeBegin RangeBegin = rbFirst;
    TVNRangeEnd RangeEnd = reLast;
    std::int32_t RangeEndCount = 0;
    TNotifyEvent OnFirst, OnNext, OnPrior;
    // As a cross-tab's column data set: called once per row after its first column is printed.
    TNotifyEvent OnAfterFirst;
    TCheckEOFEvent OnCheckEOF;
    std::int32_t RecordNo = 0;

    const std::vector<TVNDataset*>& Followers() const { return FFollowers; }

    virtual void Open() {}
    virtual void Close() {}
    virtual void First();
    virtual void Next();
    virtual void Prior();
    virtual bool Eof();

    void Notification(TVNComponent* removed) override;

protected:
    friend class TVNDBDataSet;
    std::vector<TVNDataset*> FFollowers;
};

// Records exist only through RangeEndCount and the events.
class TVNUserDataset : public TVNDataset {
public:
    using TVNDataset::TVNDataset;
};

class TVNDBDataSet : public TVNDataset {
public:
    using TVNDataset::TVNDataset;
    ~TVNDBDataSet() override;

    bool OpenDataSource = true;
    bool CloseDataSource = false;
    TNotifyEvent OnOpen, OnClose;

    // Binding: setting one clears the other.
    void SetDataSet(TMemDataSet* dataSet);
    TMemDataSet* DataSet() const { return FDataSet; }
    void SetDataSource(TVNDataSource* source);
    TVNDataSource* DataSource() const { return FDataSource; }
    // Following: this dataset moves with its master. Making a dataset its own master closes it
    // and changes nothing else.
    void SetMasterDataset(TVNDataset* master);
    TVNDataset* MasterDataset() const { return FMaster; }

    // The bound table; EVNDatasetError "Unable to open dataset <name>" when there is none.
    TMemDataSet* GetDataSet() const;
    int MoveBy(int distance);

    void Open() override;
    void Close() override;
    void First() override;
    void Next() override;
    void Prior() override;
    bool Eof() override;

    void Notification(TVNComponent* removed) override;

private:
    TMemDataSet* FDataSet = nullptr;
    TVNDataSource* FDataSource = nullptr;
    TVNDataset* FMaster = nullptr;
    TMemDataSet::TBookmark FStartBookmark = -1;
    bool FStop = false;
};

// "Form.Component[.Component]" or a name owned by owner; EVNDatasetError "Missing <path>".
TVNComponent* FindComponentByPath(TVNComponent* owner, const AnsiString& path);

// Splits a field reference into its data set and field; the field name comes back empty when the
// data set has no such field. Data sets are searched from the report's owner (then its design
// owner) for one part, from the named form for two or three parts.
void FindDataSetField(TVNReport* report, const AnsiString& reference, TMemDataSet*& dataSet,
                      AnsiString& fieldName);

// Resolves a band's data source name: "1".."9..." makes a virtual dataset of that many empty
// records (owned by the caller), other names are looked up by path and must be datasets. A
// name holding ";" is not resolved here. Returns whether a dataset was found.
bool FindReportDataset(const AnsiString& name, TVNDataset*& dataset, bool& owned, TVNReport* report);

// The field's value with nulls replaced: "" for text fields, false for booleans, byte 0 else.
Value FieldValue(const TField& field);
