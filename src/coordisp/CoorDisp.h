// The boundary between the host and the stocktake module: the host's automation server
// `ICoorDisp`, the entry `GetFormOne` the host calls, and the window messages both sides exchange.
//
// `ICoorDisp` is reference counted and late bound: every operation is one `Invoke` of a dispatch
// id with positional arguments (wide string, 32-bit integer, value by value, value by reference).
// The named operations below are thin wrappers over `Invoke`; they return the automation Boolean
// as a C++ bool (any non-zero result is success). `GetDatabaseKind` is the one operation that has
// no Boolean: it returns the kind as a value and fails by throwing.
//
// Every text crossing this boundary is a CP936 byte string (`AnsiString`), wide strings included.
// Result sets arrive as `Value::RecordSet`; a failed server function leaves an array of message
// texts (`Value::Array` of strings) in its parameter value.
//
// This header is shared by the host and the module and needs no Qt; the Qt event that carries the
// host window messages is declared on the Qt side (platform/qt/HostMessageEvent.h).
#pragma once

#include "platform/AnsiString.h"
#include "platform/Value.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

// Dispatch ids of the server's operations.
namespace CoorDispId {
constexpr std::int32_t GetCurrentYearMonth = 4;
constexpr std::int32_t GetCurrentDate = 5;
constexpr std::int32_t GetCurrentDateTime = 6;
constexpr std::int32_t CheckRight = 8;
constexpr std::int32_t GetCodeRecord = 10;
constexpr std::int32_t GetReportList = 17;
constexpr std::int32_t GetDatabaseKind = 20;
constexpr std::int32_t GetSystemParameters = 100;
constexpr std::int32_t RunServerFunction = 510;
constexpr std::int32_t OpenQuery = 0x60020000;
} // namespace CoorDispId

// Numbers of the server functions run through RunServerFunction.
namespace ServerFunction {
constexpr std::int32_t SheetHeader = 33;
constexpr std::int32_t SheetLines = 34;
constexpr std::int32_t PostGainLoss = 35;
} // namespace ServerFunction

// A call the server cannot make at all: unknown dispatch id, wrong argument count or kind, lost
// connection. Failures of the operation itself are reported by a false result instead.
class ECoorDispError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TDispArgKind : std::uint8_t { WideString, Int32, Value, ValueRef };

// One positional argument. A by-reference argument points at the caller's value, which the
// server may read and overwrite; it must outlive the call.
class TDispArg {
public:
    static TDispArg WideString(AnsiString text) {
        TDispArg a(TDispArgKind::WideString);
        a.FValue = Value::String(std::move(text));
        return a;
    }
    static TDispArg Int32(std::int32_t v) {
        TDispArg a(TDispArgKind::Int32);
        a.FValue = Value::Integer(v);
        return a;
    }
    static TDispArg ByValue(Value v) {
        TDispArg a(TDispArgKind::Value);
        a.FValue = std::move(v);
        return a;
    }
    static TDispArg ByRef(Value& v) {
        TDispArg a(TDispArgKind::ValueRef);
        a.FRef = &v;
        return a;
    }

    TDispArgKind Kind() const { return FKind; }
    // The argument's value (for a by-reference argument, the value it points at).
    const Value& Get() const { return FRef ? *FRef : FValue; }
    // The referenced value; ECoorDispError unless the argument is by reference.
    Value& Ref() const {
        if (!FRef) throw ECoorDispError("argument is not passed by reference");
        return *FRef;
    }

private:
    explicit TDispArg(TDispArgKind kind) : FKind(kind) {}
    TDispArgKind FKind;
    Value FValue;
    Value* FRef = nullptr;
};

class ICoorDisp {
public:
    // Reference counting: the creator holds the first reference; whoever keeps the interface
    // takes one more and releases it when done. The object deletes itself at zero.
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

    // The one late-bound entry. Throws ECoorDispError when the call cannot be made.
    virtual Value Invoke(std::int32_t dispId, const std::vector<TDispArg>& args) = 0;

    // Named operations (thin wrappers, identical on both sides of the boundary).
    bool OpenQuery(const AnsiString& selectText, Value& result) {
        return Succeeded(Invoke(CoorDispId::OpenQuery,
                                {TDispArg::ByValue(Value::String(selectText)), TDispArg::ByRef(result)}));
    }
    bool RunServerFunction(std::int32_t number, Value& parameter, Value& unused) {
        return Succeeded(
            Invoke(CoorDispId::RunServerFunction,
                   {TDispArg::Int32(number), TDispArg::ByRef(parameter), TDispArg::ByRef(unused)}));
    }
    bool GetReportList(const AnsiString& reportName, Value& result) {
        return Succeeded(
            Invoke(CoorDispId::GetReportList, {TDispArg::WideString(reportName), TDispArg::ByRef(result)}));
    }
    bool CheckRight(const AnsiString& operatorCode, const AnsiString& rightCode) {
        return Succeeded(Invoke(CoorDispId::CheckRight,
                                {TDispArg::WideString(operatorCode), TDispArg::WideString(rightCode)}));
    }
    Value GetDatabaseKind() { return Invoke(CoorDispId::GetDatabaseKind, {}); }
    bool GetCurrentYearMonth(Value& result) {
        return Succeeded(Invoke(CoorDispId::GetCurrentYearMonth, {TDispArg::ByRef(result)}));
    }
    bool GetCurrentDateTime(Value& result) {
        return Succeeded(Invoke(CoorDispId::GetCurrentDateTime, {TDispArg::ByRef(result)}));
    }
    bool GetCurrentDate(Value& result) {
        return Succeeded(Invoke(CoorDispId::GetCurrentDate, {TDispArg::ByRef(result)}));
    }
    bool GetCodeRecord(std::int32_t kind, Value& codeAndResult) {
        return Succeeded(
            Invoke(CoorDispId::GetCodeRecord, {TDispArg::Int32(kind), TDispArg::ByRef(codeAndResult)}));
    }
    bool GetSystemParameters(Value& result) {
        return Succeeded(Invoke(CoorDispId::GetSystemParameters, {TDispArg::ByRef(result)}));
    }

    // An automation Boolean: any non-zero value is success; empty, null and text are failure.
    static bool Succeeded(const Value& result) {
        if (!result.IsNumeric()) return false;
        return result.AsFloat() != 0;
    }

protected:
    virtual ~ICoorDisp() = default;
};

// Holds one reference to an ICoorDisp for as long as it lives.
class TCoorDispRef {
public:
    TCoorDispRef() = default;
    explicit TCoorDispRef(ICoorDisp* p) : FPtr(p) {
        if (FPtr) FPtr->AddRef();
    }
    TCoorDispRef(const TCoorDispRef& o) : TCoorDispRef(o.FPtr) {}
    TCoorDispRef(TCoorDispRef&& o) noexcept : FPtr(std::exchange(o.FPtr, nullptr)) {}
    TCoorDispRef& operator=(TCoorDispRef o) noexcept {
        std::swap(FPtr, o.FPtr);
        return *this;
    }
    ~TCoorDispRef() {
        if (FPtr) FPtr->Release();
    }
    // Takes over a reference the caller already holds (no AddRef).
    static TCoorDispRef Adopt(ICoorDisp* p) {
        TCoorDispRef r;
        r.FPtr = p;
        return r;
    }
    ICoorDisp* Get() const { return FPtr; }
    ICoorDisp* operator->() const { return FPtr; }
    ICoorDisp& operator*() const { return *FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }

private:
    ICoorDisp* FPtr = nullptr;
};

// A thread-safe reference count for implementations: derive and implement Invoke.
class TCoorDispObject : public ICoorDisp {
public:
    std::uint32_t AddRef() override { return ++FRefCount; }
    std::uint32_t Release() override {
        const std::uint32_t left = --FRefCount;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<std::uint32_t> FRefCount{1};
};

// The module's exported entry, looked up by the host with dlsym under this name:
//   reserved        ignored by the module;
//   notifyControl   the host's notify control (a QWidget*); receives 0x404 when the module closes;
//   operatorCode    length-prefixed CP936 text: byte 0 holds the length (at most 255);
//   parentControl   the host's embedding panel (a QWidget*), owner of the module's form;
//   server          the host's ICoorDisp; the module takes its own reference.
extern "C" {
typedef void (*TGetFormOneProc)(std::intptr_t reserved, void* notifyControl,
                                const unsigned char* operatorCode, void* parentControl, ICoorDisp* server);
}
constexpr const char* GetFormOneSymbol = "GetFormOne";

// Host window messages. 0x402 goes from the host to the module's form: wParam = new height,
// lParam = new width of the form's main panel. 0x404 goes from the module to the host's notify
// control, wParam = lParam = 0, synchronously when the module's form closes.
constexpr std::uint32_t HostMsgResize = 0x402;
constexpr std::uint32_t HostMsgModuleClosed = 0x404;
// Qt event type that carries a host message: QEvent::User (1000) plus the message id.
constexpr int HostMessageEventType(std::uint32_t message) {
    return 1000 + static_cast<int>(message);
}
