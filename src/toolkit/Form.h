#pragma once
// The control tree as the toolkit reaches it: a form (window) with the
// controls it owns in creation order, each with a class, an exact-case name,
// caption, hint, help context, action and click handler; and the form's own
// geometry and visibility. The Qt layer implements it over the real widgets;
// tests use a fake tree.
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Platform.h"

// Control classes as the binding services ask for them. A control "is of" a
// class when it is that class or derived from it.
enum class ControlClass {
    Control,  // any control
    Page,     // page of a page control (tab sheet)
    CheckBox,
    Panel,
    RadioGroup,
    GroupBox,
    MenuItem,
    SpeedButton,
    Label,
    Button,
    Edit,
    Memo,
    ComboBox,
    Other
};

class Action;  // an action object of the window system (opaque here)

class Control {
public:
    virtual ~Control() = default;
    virtual bool IsOfClass(ControlClass cls) const = 0;
    virtual std::string Name() const = 0;
    virtual void SetName(const std::string& name) = 0;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Hint() const = 0;
    virtual void SetHint(const std::string& hint) = 0;
    virtual int HelpContext() const = 0;
    virtual void SetHelpContext(int context) = 0;
    // Buttons: the action they run, their click handler, and the execute
    // handler of their action (false when the control has no action).
    virtual void SetAction(Action* action) { (void)action; }
    virtual void SetOnClick(std::function<void()> handler) { (void)handler; }
    virtual bool SetOnExecute(std::function<void()> handler) {
        (void)handler;
        return false;
    }
};

class Form {
public:
    virtual ~Form() = default;
    virtual std::string Name() const = 0;
    // The components the form owns, in creation order; position 0 is the first.
    virtual std::vector<Control*> OwnedControls() const = 0;

    virtual TRect Geometry() const = 0;  // left, top, width, height
    virtual void SetPosition(int left, int top) = 0;
    virtual bool Visible() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Close() = 0;  // the form's normal close handling runs
    // Moves the window into the topmost band (or out of it) without moving,
    // sizing or activating it. False when the window system refuses.
    virtual bool SetStayOnTop(bool on) = 0;
};
