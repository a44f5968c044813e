// Program entry: one instance per user, the six windows, the message loop
// when the start found a box, and the orderly end.
#include <QAction>
#include <QApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/ControlChannel.h"
#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/Tavrin.h"
#include "control/ControlService.h"
#include "device/BoxController.h"
#include "hub/mVedadAzaro.h"
#include "toolkit/Platform.h"
#include "toolkit/qt/QtApplication.h"
#include "toolkit/qt/QtPlatform.h"
#include "ui/AC_Prg_COM.h"
#include "ui/AC_Prg_Edit.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/AC_Prg_Info.h"
#include "ui/AC_Prg_Silent.h"
#include "ui/ProgramActions.h"

int main(int argc, char** argv) {
    // 1. A running instance is asked to come forward; this process then ends
    //    before it creates anything or touches a file.
    TSingleInstance instance;
    if (instance.Claim() == TSingleInstance::Outcome::OtherRunning) return 0;

    // 2. The application; the main window is shown on the task bar.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrin"));
    // Hiding the last visible window (into the tray) does not end the
    // program; the main window's real close does.
    app.setQuitOnLastWindowClosed(false);
    QtPlatform platform;
    SetPlatform(&platform);
    QtApplication application;
    application.SetTitle("Tavrin");
    TSessionEnd sessionEnd;
    // The end of the session also ends what the box controller does: the
    // search of the start at its next attempt, a wait for the box at its
    // next poll.
    sessionEnd.SetOnEnd([] {
        if (AC_Program != nullptr) AC_Program->Box().RequestEnd();
        // Only a running loop is ended (also a message's own loop).
        if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
    });

    // Later starts are served from here on; a request that arrives during
    // the start-up is answered once the window exists.
    instance.Listen([] { BringWindowForward(AC_Program); });

    // 3. The six windows, in this order; the main window's creation runs
    //    the synchronous start-up.
    // Closing the main window for real ends the loop. Closes outside the loop
    // (the windows' destruction at the end) leave the application alone, so
    // that a message shown later still waits for its answer.
    bool looping = false;
    auto* program = new TAC_Program(&application);
    QObject::connect(program, &TAC_Program::Closed, [&looping] {
        if (looping) QCoreApplication::exit(0);
    });
    auto* einstellung = new TAC_Einstellung(program->Links());
    auto* edit = new TAC_Edit();
    auto* about = new TAC_AboutBox(program->Links());
    auto* com = new TAC_COM(program->mVedadAzaro1);
    auto* silent = new TAC_Silent(program->SilentStartHost());

    // Scripts' requests (tavrinctl) from here on; until now they were
    // answered "not ready". Show, hide and quit run the window's own actions,
    // quit after its answer is on its way.
    auto trigger = [](QAction* action) {
        return [action] { QTimer::singleShot(0, action, &QAction::trigger); };
    };
    TProgramActions& actions = program->ProgramActions();
    auto control = std::make_unique<TControlService>(
        program->Box(), *program->mVedadAzaro1->Dataholder(),
        TControlHooks{.show = trigger(actions.Action_AC_Prg_Show()),
                      .hide = trigger(actions.Action_AC_Prg_Hide()),
                      .quit = trigger(actions.Action_TrayPrg_CloseExecute())});
    instance.Channel().SetHandler([&control](const std::string& line, TControlChannel::TReply reply) {
        control->Handle(line, std::move(reply));
    });

    // 4. and 5. The message loop runs only when a box answered and the
    //    session did not end during the start.
    if (!program->ComFailed() && !sessionEnd.Requested()) {
        looping = true;
        app.exec();
        looping = false;
    }

    // From the end on, requests are answered "not ready" until the process
    // ends; those still waiting for the box are answered when the end drops
    // them.
    instance.Channel().SetHandler(nullptr);

    // 6. The windows are destroyed, the last created first; the main
    //    window's destruction saves the settings.
    delete silent;
    delete com;
    delete about;
    delete edit;
    delete einstellung;
    delete program;
    control.reset();
    SetPlatform(nullptr);
    return 0;
}
