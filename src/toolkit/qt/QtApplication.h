#pragma once
// The application object over QCoreApplication: serves pending window
// messages on request and carries the program's title. The title is the
// program's own (message boxes without a caption show it); it is not the
// window system's display name, which would be appended to every window
// caption.
#include "toolkit/Application.h"

class QtApplication : public Application {
public:
    void ProcessMessages() override;
    std::string Title() const override;
    void SetTitle(const std::string& title) override;

    // The title last set through any QtApplication of the process.
    static std::string ProgramTitle();
};
