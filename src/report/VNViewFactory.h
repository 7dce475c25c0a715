// Creating views by type code, and the registry of add-in view kinds (created by class name).
//
// The fixed kinds (codes 0-5, 7, 8) have built-in creators that other units may replace with a
// richer class of the same kind; code 10 looks the class name up among the add-ins. Codes 6 and
// 9, and anything else, create nothing.
#pragma once

#include "VNView.h"

#include <functional>
#include <stdexcept>

using TVNViewCreator = std::function<TVNView*()>;

// Raised when a stream names an add-in class that is not registered. The message is the
// report's accumulated list of such names.
class EVNClassNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TVNAddInObjectInfo {
    AnsiString ClassName;
    TVNViewCreator Create;
    AnsiString ButtonResource;
    AnsiString HintText;
    AnsiString EditorFormClass;
};

// Registering a class name again replaces its entry.
void RegisterAddInObject(const AnsiString& className, TVNViewCreator create,
                         const AnsiString& buttonResource = {}, const AnsiString& hintText = {},
                         const AnsiString& editorFormClass = {});
int AddInObjectCount();
const TVNAddInObjectInfo& AddInObject(int index);
const TVNAddInObjectInfo* FindAddInObject(std::string_view className);

void SetViewTypeCreator(int typeCode, TVNViewCreator create);

// Creates a view; outside the designer it takes the report's next object number. For an unknown
// add-in class the name and a line break are appended to the report's error text and
// EVNClassNotFound is raised.
TVNView* CreateViewByType(int typeCode, const AnsiString& className, TVNReport* report = nullptr);
