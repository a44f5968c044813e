#pragma once
// Control text binding: changes controls of a form by their names. Finds a
// control of a class (or one derived from it) by its exact-case name among
// the form's owned controls and sets its name, caption, hint, help context
// (taken from the data holder by path), action or handlers. Item words
// ("name", "caption", "hint", "helpcontext", "action", "onclick",
// "onexecute") are matched ignoring case.
#include <functional>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/Form.h"

class TmuCompoLogging;
class TmuDataholder;
class TmuDataConvert;

class TmuComponents : public TComponent {
public:
    using THandler = std::function<void()>;

    explicit TmuComponents(TComponent* owner = nullptr);
    ~TmuComponents() override;

    TmuCompoLogging* Log() const { return log_; }

    // The store that help contexts are read from; not owned.
    void setDataholder(TmuDataholder* dataholder) { dataholder_ = dataholder; }
    TmuDataholder* getDataholder() const { return dataholder_; }

    // Position of the first owned control of class cls (or derived) named
    // exactly name; 0 when none matches or form is null. A control at
    // position 0 therefore counts as not found.
    int GetCompoID(Form* form, ControlClass cls, const std::string& name);

    // True when the control was found (also for an item word it does not
    // handle); false when it was not.
    bool SetTabsheet(Form* form, const std::string& name, const std::string& value, const std::string& item);
    bool SetCheckbox(Form* form, const std::string& name, const std::string& value, const std::string& item);
    bool SetPanel(Form* form, const std::string& name, const std::string& value, const std::string& item);
    bool SetRadioGroup(Form* form, const std::string& name, const std::string& value,
                       const std::string& item);
    bool SetGroupbox(Form* form, const std::string& name, const std::string& value, const std::string& item);
    bool SetMenuItem(Form* form, const std::string& name, const std::string& value, const std::string& item);
    // Caption and hint.
    bool SetSpeedButton(Form* form, const std::string& name, const std::string& value,
                        const std::string& item);
    // The button's action; true only when found and the item word is "action".
    bool SetSpeedButton(Form* form, const std::string& name, Action* action, const std::string& item);
    // "onclick": the click handler; "onexecute": the execute handler of the
    // button's action (when it has one).
    bool SetSpeedButton(Form* form, const std::string& name, THandler handler, const std::string& item);

private:
    Control* Find(Form* form, ControlClass cls, const std::string& name, int& position);
    void SetHelpContext(Control* control, const std::string& path);
    void NoDataholder(const std::string& operation);
    // The common shape of SetTabsheet .. SetMenuItem.
    bool SetTexts(const char* operation, ControlClass cls, bool withHint, bool errorOnlyForHelp, Form* form,
                  const std::string& name, const std::string& value, const std::string& item);

    TmuCompoLogging* log_ = nullptr;
    TmuDataholder* dataholder_ = nullptr;
    TmuDataConvert* convert_ = nullptr;
};
