#pragma once
// Serving the message queue in the middle of an operation (a wait for the
// box, the logger's pump every 32nd line) lets any handler of the program
// run there. Such a handler must not change the context of the operation it
// interrupts: whoever holds such context (the data holder's UseIndex,
// UseSection and current path) registers a keeper here, and every served
// message goes through ServeMessages, which saves each registered context
// before and puts it back after.
#include <functional>

class Application;

class TServedContext {
public:
    virtual ~TServedContext() = default;
    // A snapshot of the context; calling the result puts it back.
    virtual std::function<void()> SaveContext() = 0;
};

// Keepers register for their lifetime; one destroyed while messages are
// served is not restored afterwards.
void RegisterServedContext(TServedContext* keeper);
void UnregisterServedContext(TServedContext* keeper);

// app.ProcessMessages() with every registered context saved and restored.
void ServeMessages(Application& app);

// The program's application object, for the loggers that have no reference
// of their own (null until the program sets it; the program clears it
// before it goes).
void SetProgramApplication(Application* app);
Application* ProgramApplication();
