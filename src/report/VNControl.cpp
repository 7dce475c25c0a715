// Dialog page controls: their designer drawing, their names, their tab order and their registry
// entries.
#include "VNControl.h"

#include "VNEngine.h"
#include "expr/VNDatasetComponents.h"

#include "platform/Canvas.h"
#include "platform/Picture.h"

#include <algorithm>
#include <cmath>

TVNControl::TVNControl() {
    BaseName = "Control";
}

int TVNControl::TabOrder() {
    if (!LookupProperty("TabOrder")) return -1;
    Value v = GetProperty("TabOrder");
    return v.IsEmptyOrNull() ? -1 : int(v.AsInteger());
}

void TVNControl::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ScaleForPaint();
    TPen pen;
    pen.Color = clGray;
    canvas->SetPen(pen);
    TBrush face;
    face.Color = clBtnFace;
    canvas->SetBrush(face);
    const TRect box{Left, Top, Left + Width, Top + Height};
    canvas->Rectangle(box);
    canvas->SetFont(DesignCaptionFont());
    const int x = Left + std::max(2, (Width - canvas->TextWidth(Name)) / 2);
    const int y = Top + std::max(1, (Height - canvas->TextHeight(Name)) / 2);
    canvas->TextRect(box, x, y, Name);
    UnscaleAfterPaint();
}

void TVNControl::CollectTakenNames(std::vector<AnsiString>& names) {
    for (const TVNComponent* c : VNDialogForm().Components())
        names.push_back(c->Name);
}

TVNNonVisualControl::TVNNonVisualControl() {
    BaseName = "Component";
    Width = Height = MarkSize;
}

void TVNNonVisualControl::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ScaleForPaint();
    const int w = int(std::lround(MarkSize * PaintScaleX)), h = int(std::lround(MarkSize * PaintScaleY));
    canvas->DrawPicture(TRect{Left, Top, Left + w, Top + h}, NonVisualComponentMark());
    UnscaleAfterPaint();
}

const TPicture& NonVisualComponentMark() {
    // A raised button-face tile holding a small stack of records: a component that works behind
    // the form rather than on it.
    static const TPicture mark = [] {
        constexpr int size = TVNNonVisualControl::MarkSize;
        constexpr std::uint32_t face = 0xFFD4D0C8, light = 0xFFFFFFFF, shadow = 0xFF808080,
                                dark = 0xFF404040, body = 0xFF3A78C8, rim = 0xFF9CC4F0;
        TRasterImage image(size, size, face);
        for (int i = 0; i < size; ++i) {
            image.SetPixel(i, 0, light);
            image.SetPixel(0, i, light);
            image.SetPixel(i, size - 1, dark);
            image.SetPixel(size - 1, i, dark);
            if (i > 0 && i < size - 1) {
                image.SetPixel(i, size - 2, shadow);
                image.SetPixel(size - 2, i, shadow);
            }
        }
        // Three stacked discs, 16 wide, each with a light top edge.
        for (int disc = 0; disc < 3; ++disc) {
            const int top = 7 + disc * 5;
            for (int y = top; y < top + 4; ++y)
                for (int x = 6; x < 22; ++x)
                    image.SetPixel(x, y, y == top ? rim : body);
        }
        return TPicture::FromRaster(std::move(image));
    }();
    return mark;
}

std::vector<TVNControl*> ControlsInTabOrder(const std::vector<TVNControl*>& controls) {
    std::vector<TVNControl*> order = controls;
    for (TVNControl* c : controls) {
        const int wanted = c->TabOrder();
        if (wanted < 0) continue;
        auto at = std::find(order.begin(), order.end(), c);
        order.erase(at);
        order.insert(order.begin() + std::min<std::size_t>(std::size_t(wanted), order.size()), c);
    }
    return order;
}

std::vector<TVNAddInObjectInfo> DialogControlAddIns() {
    return {
        {"TVNControl", [] { return new TVNControl; }, {}, {}, {}},
        {"TVNNonVisualControl", [] { return new TVNNonVisualControl; }, {}, {}, {}},
    };
}
