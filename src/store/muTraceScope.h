#pragma once
// Entry and exit line of one traced operation: the entry is written when the
// scope begins, the matching exit when it ends, on every return path.
#include <string>

#include "toolkit/muLogging.h"

class TmTraceScope {
public:
    enum class Kind { Function, Procedure };

    TmTraceScope(TmuLogging* log, Kind kind, const std::string& name) : log_(log), kind_(kind) {
        if (log_ != nullptr) handle_ = kind_ == Kind::Function ? log_->addFnc(name) : log_->addPro(name);
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

private:
    TmuLogging* log_;
    Kind kind_;
    int handle_ = 0;
};
