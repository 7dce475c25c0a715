// Component ownership, destruction notices and the registry of top-level owners.
#include "VNDatasetComponents.h"

#include <algorithm>

static std::vector<TVNComponent*>& LiveComponents() {
    static std::vector<TVNComponent*> live;
    return live;
}

static std::vector<TVNComponent*>& Forms() {
    static std::vector<TVNComponent*> forms;
    return forms;
}

TVNComponent::TVNComponent(TVNComponent* owner, AnsiString name) : Name(std::move(name)), FOwner(owner) {
    if (FOwner) FOwner->FComponents.push_back(this);
    LiveComponents().push_back(this);
}

TVNComponent::~TVNComponent() {
    auto& live = LiveComponents();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    UnregisterVNForm(this);
    // Copy: a notification may not destroy others, but must not see a list changing under it.
    std::vector<TVNComponent*> others = live;
    for (TVNComponent* c : others)
        c->Notification(this);
    if (FOwner) {
        auto& siblings = FOwner->FComponents;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (TVNComponent* child : FComponents)
        child->FOwner = nullptr;
}

TVNComponent* TVNComponent::FindComponent(std::string_view name) const {
    for (TVNComponent* c : FComponents)
        if (SameText(c->Name, name)) return c;
    return nullptr;
}

TMemDataSet* TVNDataSource::DataSet() const {
    auto* c = dynamic_cast<TVNDataSetComponent*>(DataSetComponent);
    return c ? c->DataSet : nullptr;
}

void RegisterVNForm(TVNComponent* form) {
    if (form && std::find(Forms().begin(), Forms().end(), form) == Forms().end()) Forms().push_back(form);
}

void UnregisterVNForm(TVNComponent* form) {
    auto& f = Forms();
    f.erase(std::remove(f.begin(), f.end(), form), f.end());
}

TVNComponent* FindVNForm(std::string_view name) {
    for (TVNComponent* f : Forms())
        if (SameText(f->Name, name)) return f;
    return nullptr;
}

TVNComponent& VNDialogForm() {
    // Never freed: generated data sets of components that live until the program ends still
    // name it while they go.
    static TVNComponent* form = [] {
        auto* f = new TVNComponent(nullptr, "VNDialogForm");
        RegisterVNForm(f);
        return f;
    }();
    return *form;
}
