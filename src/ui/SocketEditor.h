#pragma once
// Editing one socket: the main window fills the edit dialog `TAC_Edit` with
// the socket's name (AC01|AC|AC_Name<NN>) and its end-of-session options
// (AC_Down<NN>: an action is wanted when the session ends, ACWDown<NN>: that
// action switches the socket off), shows it modally beside the main window,
// and stores what the dialog holds however it was closed (OK, Enter or the
// close box; the dialog has no cancel). The page then shows the new name at
// once. The values reach the box file when the program ends.
#include <functional>
#include <string>

class QWidget;
class QtForm;
class TAC_Edit;
class TmuLogging;
class TmVedadAzaro;
class TSocketActions;
class TSocketPages;

class TSocketEditor {
public:
    // The parts of the main window this one works with; all outlive it.
    struct TParts {
        QWidget& window;  // repainted after an edit
        QtForm& form;     // the main window's form (dialog placement)
        TSocketActions& actions;
        TSocketPages& pages;
        TmVedadAzaro& hub;
    };
    struct THooks {
        // The program-wide logger (null before it exists).
        std::function<TmuLogging*()> programLogging;
        // The edit dialog (default: the one instance AC_Edit; null when none).
        std::function<TAC_Edit*()> dialog;
        // The main window is locked on top (default: never).
        std::function<bool()> locked;
    };

    // Connects the edit actions Action_Std<NN>_Edit of the 24 sockets.
    TSocketEditor(TParts parts, THooks hooks);
    ~TSocketEditor();

    TSocketEditor(const TSocketEditor&) = delete;
    TSocketEditor& operator=(const TSocketEditor&) = delete;

    // The handler of Action_Std<NN>_Edit: edits socket n, then re-binds the
    // socket page so that the new name shows.
    void Multi_Action_Steckdose_EditExecute(int n);
    // Places the dialog, fills it, shows it and stores the result.
    void MultiUpdate_FormEdit(const std::string& NN);
    // Places the dialog beside the main window.
    void Update_FormEdit();
    // Fills the dialog with socket NN's values, shows it modally and stores
    // the values it holds when it is closed.
    void Update_FormEditText(const std::string& NN);

private:
    TmuLogging* Log() const;
    TAC_Edit* Dialog() const;

    TParts parts_;
    THooks hooks_;
};
