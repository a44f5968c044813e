#pragma once
// Context help of every window.
//
// - The help hook (`THookHelpSystem`): bound to the resolved help file, it
//   takes the help requests of all windows of the program - F1 on a control
//   (or on the entry of an open menu) and the "?" of a title bar followed by
//   a click - and opens the in-program viewer at the control's help context:
//   the control's own context, else the first non-zero one of its parents.
// - The main window's part (`THelpBinding`): the start-up step that looks for
//   the help file and creates the hook, `Update_HelpIndex` that puts the
//   topic numbers of the help table (index HLP, section HelpIndex) onto the
//   menu items and controls, the settings dialog's bindings, and the menu
//   command "&Hilfe" (`Action_AC_Prg_Help`), which opens context 500.
//
// Help contexts live in the dynamic property "helpContext" of a control's Qt
// object (as the control tree keeps them).
#include <QObject>
#include <functional>
#include <memory>
#include <string>

class Form;
class QAction;
class QEvent;
class QtForm;
class THelpViewer;
class TmuComponents;
class TmuDataholder;
class TmuLogging;
class TmVedadAzaro;

class THookHelpSystem : public QObject {
    Q_OBJECT
public:
    // Creates the viewer for the file and hooks the help requests of the
    // whole application.
    explicit THookHelpSystem(const std::string& helpFile);
    ~THookHelpSystem() override;

    const std::string& HelpFile() const { return helpFile_; }
    // The viewer could read the file as a help file.
    bool ViewerReadsFile() const;
    THelpViewer* Viewer() const { return viewer_.get(); }

    // Opens the viewer at the context. True when the file has its topic.
    bool HelpContext(int context);
    // The help context a request on this object asks for (0: none): an open
    // menu's active entry, the object's own context, then its parents'.
    static int HelpContextOf(QObject* object);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string helpFile_;
    std::unique_ptr<THelpViewer> viewer_;
};

class THelpBinding {
public:
    static constexpr const char* kFileMissingMessage = "Hilfe-Datei nicht gefunden\r";
    static constexpr const char* kViewerMessage =
        "Diese Anwendung erfordert die Installation der MS HTML Help 1.2 oder höher";
    // The context of the menu command "&Hilfe" (hlp_menudatei).
    static constexpr int kMenuHelpContext = 500;

    struct TLinks {
        QtForm& form;  // the main window's controls
        TmVedadAzaro& hub;
        QAction* helpAction = nullptr;                // Action_AC_Prg_Help
        std::function<TmuLogging*()> programLogging;  // ProgramLogging
    };

    // Binds the help command to this part.
    explicit THelpBinding(TLinks links);
    ~THelpBinding();

    THelpBinding(const THelpBinding&) = delete;
    THelpBinding& operator=(const THelpBinding&) = delete;

    // The start-up step: with the file named by "Actuall_Helpfile" present,
    // the hook is created (and the message about the viewer shown when the
    // viewer cannot read it); without it the message "Hilfe-Datei nicht
    // gefunden" and no hook. Then Update_HelpIndex.
    void InitHelp();
    // The help table onto the main window's menu items and controls.
    void Update_HelpIndex();
    // The settings dialog's bindings (at the dialog's creation).
    static void BindSettingsDialog(TmuComponents& binder, Form& dialog);
    // The context number of a topic of the help table ("hlp_serielleschnittstelle").
    static int TopicContext(TmuDataholder& holder, const char* topic);

    // "&Hilfe": the help at context 500, whatever has the focus.
    void Action_AC_Prg_HelpExecute();
    // Opens the help at a context; false without a hook.
    bool ShowHelp(int context);

    // The hook; null while there is no help file.
    THookHelpSystem* HelpHook() const { return hook_.get(); }
    // Releases the hook (the end of the program).
    void ReleaseHelpHook() { hook_.reset(); }

private:
    TmuLogging* Log() const;

    TLinks links_;
    std::unique_ptr<THookHelpSystem> hook_;
};
