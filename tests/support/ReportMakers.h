// Makers for reports put together through the engine's API in tests and benchmarks: a band
// across the page and a memo, plain or in the sheets' body font (宋体 9 points). Callers add what is
// particular to their report (frames, alignment, wrapping) on the returned view.
#pragma once

#include "report/VNBandView.h"
#include "report/VNMemoView.h"

namespace reportmakers {

// A view added to the page under the given name, or under the page's next free name when the
// name is empty (what the designer does for a new view).
template <class View>
View* AddNamed(TVNPage& page, View* view, const AnsiString& name) {
    view->Name = name;
    page.Add(view);
    if (name.empty()) view->MakeUniqueName();
    return view;
}

// A view of any kind placed on the page.
template <class View>
View* AddView(TVNPage& page, const AnsiString& name, int left, int top, int width, int height) {
    auto* view = new View;
    view->PlaceAt(left, top, width, height);
    return AddNamed(page, view, name);
}

inline TVNBandView* AddBand(TVNPage& page, const AnsiString& name, int type, int top, int height,
                            int width = 1000) {
    auto* band = new TVNBandView;
    band->SetBandType(type);
    band->PlaceAt(0, top, width, height);
    return AddNamed(page, band, name);
}

// A memo in the view's default font; lines are CP936 text.
inline TVNMemoView* AddMemo(TVNPage& page, const AnsiString& name, int left, int top, int width, int height,
                            TVNStrings lines) {
    auto* memo = new TVNMemoView;
    memo->PlaceAt(left, top, width, height);
    memo->Memo = std::move(lines);
    return AddNamed(page, memo, name);
}

// The same in the sheets' body font, 宋体 9 points.
inline TVNMemoView* AddBodyMemo(TVNPage& page, const AnsiString& name, int left, int top, int width, int height,
                                TVNStrings lines) {
    TVNMemoView* memo = AddMemo(page, name, left, top, width, height, std::move(lines));
    memo->Font.Name = CP936("宋体");
    memo->Font.Size = 9;
    return memo;
}

} // namespace reportmakers
