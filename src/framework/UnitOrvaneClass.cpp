// The business object's creation and the loading of the working context (see UnitOrvaneClass.h).
// The look-ups live in OrvaneLookups.cpp.
#include "UnitOrvaneClass.h"

#include "SharedRoutines.h"
#include "platform/MemDataSet.h"
#include "platform/MessageService.h"

#include <QWidget>

void TLookupRecord::Set(const AnsiString& name, const Value& value) {
    for (auto& [n, v] : FFields)
        if (SameText(n, name)) {
            v = value;
            return;
        }
    FFields.emplace_back(name, value);
}

Value TLookupRecord::Get(const AnsiString& name) const {
    for (const auto& [n, v] : FFields)
        if (SameText(n, name)) return v;
    return {};
}

AnsiString TLookupRecord::Text(const AnsiString& name) const {
    return Get(name).AsString();
}

TOrvaneClass::TOrvaneClass(ICoorDisp* server, QWidget* owner)
    : FServer(server), FOwner(owner), FDataSet(std::make_shared<TMemDataSet>()) {
    try {
        FDatabaseKind = FServer->GetDatabaseKind().AsString();
    } catch (const std::exception&) {
        // Without the kind the by-name searches cannot be phrased; the host's usual server is
        // the safest guess, and the user is told.
        Messages().Warning(CP936("获取数据库类型失败!"));
        FDatabaseKind = "SQLSERVER";
    }
}

TOrvaneClass::~TOrvaneClass() {
    // The list may already be gone with the window it was shown in.
    if (FList) {
        FList->OnAction = nullptr;
        delete FList.data();
    }
}

bool TOrvaneClass::LoadContext(TWorkContext& context, TItemSet items, AnsiString& errorText) {
    auto fail = [&](const char* utf8) {
        errorText = Utf8ToAnsi(utf8);
        return false;
    };
    try {
        context.DatabaseKind = FDatabaseKind;
        if (items.Contains(ContextItem::CurrentYearMonth)) {
            Value v;
            if (!FServer->GetCurrentYearMonth(v)) return fail("取得当前年月时出错！");
            context.CurrentYearMonth = v.AsString();
        }
        if (items.Contains(ContextItem::CurrentDateTime)) {
            Value v;
            if (!FServer->GetCurrentDateTime(v)) return fail("取得当前日期时间时出错！");
            context.CurrentDateTime = v.AsString();
        }
        if (items.Contains(ContextItem::CurrentDate)) {
            Value v;
            if (!FServer->GetCurrentDate(v)) return fail("取得当前日期时出错！");
            context.CurrentDate = v.AsString().substr(0, 8);
        }
        if (items.Contains(ContextItem::OperatorName) && !context.OperatorCode.empty()) {
            Value v = Value::String(context.OperatorCode);
            if (!FServer->GetCodeRecord(1, v)) return fail("取得制单人名称时出错！！");
            const std::shared_ptr<TMemDataSet> staff = VariantToRecordset(v);
            if (!staff) return fail("取得制单人名称时出错！！");
            staff->First();
            context.OperatorName = staff->FieldByName("f_zymc").AsString();
        }
        if (NeedsSystemParameters(items)) {
            Value v;
            if (!FServer->GetSystemParameters(v)) return fail("取得系统参数时出错！");
            const std::shared_ptr<TMemDataSet> table = VariantToRecordset(v);
            if (!table) return fail("取得系统参数时出错！");
            FDataSet->CopyFrom(*table);
            FDataSet->Open();
            TMemDataSet& params = *FDataSet;
            const TParameterFinder find = [&params](const AnsiString& key) -> std::optional<AnsiString> {
                if (!params.Locate("f_Csmc", {Value::String(key)}, {.CaseInsensitive = true}))
                    return std::nullopt;
                return params.FieldByName("f_csz").AsString();
            };
            if (const std::optional<AnsiString> missing = LoadParameterItems(context, items, find)) {
                errorText = *missing;
                return false;
            }
        }
        return true;
    } catch (const std::exception& e) {
        errorText = e.what();
        return false;
    }
}
