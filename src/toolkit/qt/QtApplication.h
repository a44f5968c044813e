#pragma once
// The application object over QCoreApplication: serves pending window
// messages on request and carries the program's title (the application's
// display name, which the window system shows beside window captions).
#include "toolkit/Application.h"

class QtApplication : public Application {
public:
    void ProcessMessages() override;
    std::string Title() const override;
    void SetTitle(const std::string& title) override;
};
