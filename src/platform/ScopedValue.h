// Sets a variable for the lifetime of a scope and gives it back its old value on every way out,
// exceptions included: the one way the engine switches a mode, a current object or a geometry
// for a while.
//   TScopedValue running(VNState().RunMode, true);
#pragma once

#include <utility>

template <class T>
class TScopedValue {
public:
    TScopedValue(T& variable, T value) : FVariable(variable), FSaved(std::move(variable)) {
        FVariable = std::move(value);
    }
    ~TScopedValue() { FVariable = std::move(FSaved); }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& FVariable;
    T FSaved;
};
