// Dialog page controls and their tab order.
#include "VNControl.h"

#include <algorithm>

TVNControl::TVNControl() {
    BaseName = "Control";
}

int TVNControl::TabOrder() {
    if (!LookupProperty("TabOrder")) return -1;
    Value v = GetProperty("TabOrder");
    return v.IsEmptyOrNull() ? -1 : int(v.AsInteger());
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
