// The view factory and the add-in registry.
#include "VNViewFactory.h"

#include "VNAddInViews.h"
#include "VNBandView.h"
#include "VNControl.h"
#include "VNGridView.h"
#include "VNReport.h"
#include "VNStandardViews.h"

#include <array>
#include <vector>

static std::vector<TVNAddInObjectInfo>& AddIns() {
    static std::vector<TVNAddInObjectInfo> list = [] {
        std::vector<TVNAddInObjectInfo> l = BuiltInAddInViews();
        l.push_back(GridViewAddIn());
        for (TVNAddInObjectInfo& c : DialogControlAddIns())
            l.push_back(std::move(c));
        return l;
    }();
    return list;
}

static std::array<TVNViewCreator, 10>& FixedCreators() {
    static std::array<TVNViewCreator, 10> creators = [] {
        std::array<TVNViewCreator, 10> c;
        c[ViewTypeMemo] = [] { return new TVNMemoView; };
        c[ViewTypePicture] = [] { return new TVNPictureView; };
        c[ViewTypeBand] = [] { return new TVNBandView; };
        c[ViewTypeSubReport] = [] { return new TVNSubReportView; };
        c[ViewTypeLine] = [] { return new TVNLineView; };
        c[ViewTypeCalcMemo] = [] { return new TVNCalcMemoView; };
        c[ViewTypeMoney] = [] { return new TVNMoneyView; };
        c[ViewTypeRegion] = [] { return new TVNRegionView; };
        return c;
    }();
    return creators;
}

void RegisterAddInObject(const AnsiString& className, TVNViewCreator create, const AnsiString& buttonResource,
                         const AnsiString& hintText, const AnsiString& editorFormClass) {
    TVNAddInObjectInfo info{className, std::move(create), buttonResource, hintText, editorFormClass};
    for (auto& existing : AddIns())
        if (SameText(existing.ClassName, className)) {
            existing = std::move(info);
            return;
        }
    AddIns().push_back(std::move(info));
}

int AddInObjectCount() {
    return int(AddIns().size());
}
const TVNAddInObjectInfo& AddInObject(int index) {
    return AddIns().at(std::size_t(index));
}

const TVNAddInObjectInfo* FindAddInObject(std::string_view className) {
    for (const auto& info : AddIns())
        if (SameText(info.ClassName, className)) return &info;
    return nullptr;
}

void SetViewTypeCreator(int typeCode, TVNViewCreator create) {
    if (typeCode >= 0 && typeCode < 10 && typeCode != 6 && typeCode != 9)
        FixedCreators()[std::size_t(typeCode)] = create;
}

TVNView* CreateViewByType(int typeCode, const AnsiString& className, TVNReport* report) {
    TVNView* view = nullptr;
    if (typeCode == ViewTypeAddIn) {
        const TVNAddInObjectInfo* info = FindAddInObject(className);
        if (!info || !info->Create) {
            AnsiString text;
            if (report) {
                report->ErrorText += className + "\r\n";
                text = report->ErrorText;
            } else {
                text = className + "\r\n";
            }
            throw EVNClassNotFound(text);
        }
        view = info->Create();
        view->TypeCode = ViewTypeAddIn;
    } else if (typeCode >= 0 && typeCode < 10 && FixedCreators()[std::size_t(typeCode)]) {
        view = FixedCreators()[std::size_t(typeCode)]();
    }
    if (view && report) view->ObjectNumber = report->NextObjectNumber();
    return view;
}
