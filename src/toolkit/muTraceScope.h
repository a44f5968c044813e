#pragma once
// Entry and exit line of one traced operation: the entry is written when the
// scope begins, the matching exit when it ends, on every return path. Any
// logger serves, the program's as well as a component's; without one (null)
// the scope writes nothing.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "toolkit/muLogging.h"

class TmTraceScope {
public:
    enum class Kind { Function, Procedure };

    // The entry line "addFnc"/"addPro" of the name.
    TmTraceScope(TmuLogging* log, Kind kind, const std::string& name) : log_(log), kind_(kind) {
        if (log_ != nullptr) handle_ = kind_ == Kind::Function ? log_->addFnc(name) : log_->addPro(name);
    }
    // The entry as a keyed call list: the entry of the name, then the
    // arguments' key and value pairs (addCall).
    TmTraceScope(TmuLogging* log, Kind kind, const std::string& name,
                 std::initializer_list<TLogValue> arguments)
        : log_(log), kind_(kind) {
        if (log_ == nullptr) return;
        std::vector<TLogValue> call{kind_ == Kind::Function ? "addFnc" : "addPro", name};
        call.insert(call.end(), arguments.begin(), arguments.end());
        handle_ = log_->addCall(call);
    }
    ~TmTraceScope() {
        if (log_ == nullptr) return;
        if (kind_ == Kind::Function)
            log_->exitFnc(handle_);
        else
            log_->exitPro(handle_);
    }
    TmTraceScope(const TmTraceScope&) = delete;
    TmTraceScope& operator=(const TmTraceScope&) = delete;

    // The logger for the lines between entry and exit (null without one).
    TmuLogging* Log() const { return log_; }
    TmuLogging* operator->() const { return log_; }
    explicit operator bool() const { return log_ != nullptr; }

    // The result line ("r_bResult", "r_iResult"), then the value to return.
    bool Result(bool value) {
        if (log_ != nullptr) log_->addVarBoolean("r_bResult", value);
        return value;
    }
    std::int32_t Result(std::int32_t value) {
        if (log_ != nullptr) log_->addVarInteger("r_iResult", value);
        return value;
    }

private:
    TmuLogging* log_;
    Kind kind_;
    int handle_ = 0;
};
