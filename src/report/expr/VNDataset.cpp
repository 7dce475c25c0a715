// Report dataset cursors, range rules, followers, and the lookups by name and path.
#include "VNDataset.h"

#include "report/VNReport.h"

#include <algorithm>
#include <exception>

// ---- TVNDataset ---------------------------------------------------------------------------------

TVNDataset::~TVNDataset() = default;

void TVNDataset::First() {
    RecordNo = 0;
    for (TVNDataset* f : std::vector<TVNDataset*>(FFollowers))
        f->First();
    if (OnFirst) OnFirst(this);
}

void TVNDataset::Next() {
    ++RecordNo;
    if (RangeEnd == reCount && RecordNo >= RangeEndCount) return;
    for (TVNDataset* f : std::vector<TVNDataset*>(FFollowers))
        f->Next();
    if (OnNext) OnNext(this);
}

void TVNDataset::Prior() {
    --RecordNo;
    for (TVNDataset* f : std::vector<TVNDataset*>(FFollowers))
        f->Prior();
    if (OnPrior) OnPrior(this);
}

bool TVNDataset::Eof() {
    bool eof = RangeEnd == reCount && RecordNo >= RangeEndCount;
    if (OnCheckEOF) OnCheckEOF(this, eof);
    return eof;
}

void TVNDataset::Notification(TVNComponent* removed) {
    FFollowers.erase(std::remove(FFollowers.begin(), FFollowers.end(), removed), FFollowers.end());
}

// ---- TVNDBDataSet -------------------------------------------------------------------------------

TVNDBDataSet::~TVNDBDataSet() {
    if (FMaster) {
        auto& f = FMaster->FFollowers;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
    }
}

void TVNDBDataSet::SetDataSet(TMemDataSet* dataSet) {
    FDataSet = dataSet;
    FDataSource = nullptr;
}

void TVNDBDataSet::SetDataSource(TVNDataSource* source) {
    FDataSource = source;
    if (source) FDataSet = nullptr;
}

void TVNDBDataSet::SetMasterDataset(TVNDataset* master) {
    if (master == this) {
        Close();
        return;
    }
    if (FMaster) {
        auto& f = FMaster->FFollowers;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
    }
    FMaster = master;
    if (FMaster) FMaster->FFollowers.push_back(this);
}

TMemDataSet* TVNDBDataSet::GetDataSet() const {
    if (FDataSource && FDataSource->DataSet()) return FDataSource->DataSet();
    if (FDataSet) return FDataSet;
    throw EVNDatasetError("Unable to open dataset " + Name);
}

int TVNDBDataSet::MoveBy(int distance) {
    TMemDataSet* ds = GetDataSet();
    int before = ds->RecNo();
    ds->MoveBy(distance);
    return ds->RecNo() - before;
}

void TVNDBDataSet::Open() {
    TMemDataSet* ds = GetDataSet();
    if (OpenDataSource && !ds->Active()) ds->Open();
    if (OnOpen) OnOpen(this);
    FStartBookmark = ds->GetBookmark();
    FStop = false;
}

void TVNDBDataSet::Close() {
    // The bookmark is forgotten and OnClose runs in every case; an error going back to the start
    // record is raised only after that.
    std::exception_ptr error;
    try {
        if (FStartBookmark >= 0 && (RangeBegin == rbCurrent || RangeEnd == reCurrent)) {
            TMemDataSet* ds = GetDataSet();
            if (ds->BookmarkValid(FStartBookmark)) ds->GotoBookmark(FStartBookmark);
        }
    } catch (...) {
        error = std::current_exception();
    }
    FStartBookmark = -1;
    if (OnClose) OnClose(this);
    if (CloseDataSource) {
        TMemDataSet* ds = FDataSource && FDataSource->DataSet() ? FDataSource->DataSet() : FDataSet;
        if (ds) ds->Close();
    }
    if (error) std::rethrow_exception(error);
}

void TVNDBDataSet::First() {
    TMemDataSet* ds = GetDataSet();
    if (RangeBegin == rbCurrent && FStartBookmark >= 0 && ds->BookmarkValid(FStartBookmark))
        ds->GotoBookmark(FStartBookmark);
    else
        ds->First();
    FStop = false;
    TVNDataset::First();
}

void TVNDBDataSet::Next() {
    TMemDataSet* ds = GetDataSet();
    FStop = false;
    if (RangeEnd == reCurrent && FStartBookmark >= 0 && ds->GetBookmark() == FStartBookmark) {
        FStop = true;
        return;
    }
    ds->Next();
    TVNDataset::Next();
}

void TVNDBDataSet::Prior() {
    GetDataSet()->Prior();
    TVNDataset::Prior();
}

bool TVNDBDataSet::Eof() {
    bool base = TVNDataset::Eof();
    return base || GetDataSet()->Eof() || FStop;
}

void TVNDBDataSet::Notification(TVNComponent* removed) {
    TVNDataset::Notification(removed);
    if (removed == FDataSource) FDataSource = nullptr;
    if (removed == FMaster) FMaster = nullptr;
}

// ---- lookups ------------------------------------------------------------------------------------

TVNComponent* FindComponentByPath(TVNComponent* owner, const AnsiString& path) {
    TVNComponent* found = nullptr;
    if (owner && path.find('.') == std::string::npos) {
        found = owner->FindComponent(path);
    } else {
        std::size_t dot = path.find('.');
        AnsiString formName = path.substr(0, dot);
        found = FindVNForm(formName);
        std::size_t start = dot == std::string::npos ? path.size() : dot + 1;
        while (found && start < path.size()) {
            std::size_t next = path.find('.', start);
            if (next == std::string::npos) next = path.size();
            found = found->FindComponent(std::string_view(path).substr(start, next - start));
            start = next + 1;
        }
        if (found && dot == std::string::npos) found = nullptr; // a bare form name is not a component path
    }
    if (!found) throw EVNDatasetError("Missing " + path);
    return found;
}

static TMemDataSet* AsTable(TVNComponent* c) {
    if (auto* d = dynamic_cast<TVNDataSetComponent*>(c)) return d->DataSet;
    if (auto* d = dynamic_cast<TVNDBDataSet*>(c)) {
        try {
            return d->GetDataSet();
        } catch (const EVNDatasetError&) {
            return nullptr;
        }
    }
    return nullptr;
}

void FindDataSetField(TVNReport* report, const AnsiString& reference, TMemDataSet*& dataSet,
                      AnsiString& fieldName) {
    dataSet = nullptr;
    fieldName.clear();
    // Cut at each "." until a double quote starts the last part.
    std::vector<AnsiString> parts;
    std::size_t start = 0;
    while (start <= reference.size()) {
        if (start < reference.size() && reference[start] == '"') {
            parts.push_back(reference.substr(start));
            break;
        }
        std::size_t dot = reference.find('.', start);
        if (dot == std::string::npos) {
            parts.push_back(reference.substr(start));
            break;
        }
        parts.push_back(reference.substr(start, dot - start));
        start = dot + 1;
    }
    if (parts.size() < 2 || parts.size() > 4) return;
    AnsiString field = parts.back();
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    TVNComponent* comp = nullptr;
    if (parts.size() == 2) {
        TVNComponent* owners[2] = {report ? report->Owner : nullptr, report ? report->DesignOwner : nullptr};
        for (TVNComponent* o : owners)
            if (o && (comp = o->FindComponent(parts[0]))) break;
    } else {
        TVNComponent* form = FindVNForm(parts[0]);
        comp = form;
        for (std::size_t i = 1; comp && i + 1 < parts.size(); ++i)
            comp = comp->FindComponent(parts[i]);
    }
    dataSet = AsTable(comp);
    if (dataSet && dataSet->FindField(field)) fieldName = dataSet->FindField(field)->FieldName;
}

bool FindReportDataset(const AnsiString& name, TVNDataset*& dataset, bool& owned, TVNReport* report) {
    dataset = nullptr;
    owned = false;
    if (name.empty() || name.find(';') != std::string::npos) return false;
    if (name[0] >= '1' && name[0] <= '9') {
        auto* user = new TVNUserDataset();
        user->RangeEnd = reCount;
        std::size_t digits = 0;
        while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9')
            ++digits;
        // At most nine digits: a count never overflows.
        std::int64_t count = 0;
        for (std::size_t i = 0; i < digits && i < 9; ++i)
            count = count * 10 + (name[i] - '0');
        user->RangeEndCount = std::int32_t(count);
        dataset = user;
        owned = true;
        return true;
    }
    TVNComponent* c = FindComponentByPath(report ? report->Owner : nullptr, name);
    dataset = dynamic_cast<TVNDataset*>(c);
    return dataset != nullptr;
}

Value FieldValue(const TField& field) {
    Value v = field.AsValue();
    if (!v.IsNull() && !v.IsEmpty()) return v;
    switch (field.DataType) {
    case TFieldType::String:
        return Value(AnsiString());
    case TFieldType::Boolean:
        return Value::Boolean(false);
    default:
        return Value::Byte(0);
    }
}
