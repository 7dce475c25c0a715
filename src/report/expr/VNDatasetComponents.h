// Named components and their owners: the small registry through which report texts reach data
// sets by path ("Form.Table", "Form.Frame.Table") the way a report designer names them.
//
// A component may have an owner; owners know their components by name. Top-level owners (forms
// and data modules) are registered with the application registry. When a component is destroyed,
// every live component is told, so references to it are cleared and never dangle.
#pragma once

#include "platform/AnsiString.h"

#include <vector>

class TMemDataSet;

class TVNComponent {
public:
    explicit TVNComponent(TVNComponent* owner = nullptr, AnsiString name = AnsiString());
    TVNComponent(const TVNComponent&) = delete;
    TVNComponent& operator=(const TVNComponent&) = delete;
    virtual ~TVNComponent();

    AnsiString Name;
    TVNComponent* Owner() const { return FOwner; }
    const std::vector<TVNComponent*>& Components() const { return FComponents; }
    // Case-insensitive search among the owned components.
    TVNComponent* FindComponent(std::string_view name) const;

    // Called on every live component when another one is being destroyed.
    virtual void Notification(TVNComponent* removed) { (void)removed; }

private:
    TVNComponent* FOwner = nullptr;
    std::vector<TVNComponent*> FComponents;
};

// A named database data set (an in-memory data set the component does not own).
class TVNDataSetComponent : public TVNComponent {
public:
    TVNDataSetComponent(TVNComponent* owner, AnsiString name, TMemDataSet* dataSet)
        : TVNComponent(owner, std::move(name)), DataSet(dataSet) {}
    TMemDataSet* DataSet = nullptr;
};

// A data source: the alternative binding of a database dataset.
class TVNDataSource : public TVNComponent {
public:
    using TVNComponent::TVNComponent;
    TVNComponent* DataSetComponent = nullptr; // a TVNDataSetComponent, or none
    TMemDataSet* DataSet() const;
    void Notification(TVNComponent* removed) override {
        if (removed == DataSetComponent) DataSetComponent = nullptr;
    }
};

// Application registry of top-level owners (forms and data modules).
void RegisterVNForm(TVNComponent* form);
void UnregisterVNForm(TVNComponent* form);
TVNComponent* FindVNForm(std::string_view name);

// The engine's hidden dialog form: the generated data sets of the grid report belong to it
// (report texts reach them as "VNDialogForm.<name>"), and dialog page controls take no name of a
// component on it.
TVNComponent& VNDialogForm();
