#pragma once
// The application object as the toolkit sees it: it serves pending window
// messages on request and carries the program's title. The Qt layer wraps
// QCoreApplication; tests use a fake.
#include <string>

class Application {
public:
    virtual ~Application() = default;
    // Lets the window system process every pending message once.
    virtual void ProcessMessages() = 0;
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
};

using TApplication = Application;
