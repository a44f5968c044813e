#include "hub/muComponents.h"

#include "store/muDataConvert.h"
#include "store/muDataHolder.h"
#include "toolkit/muLogging.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"

using Kind = TmTraceScope::Kind;

TmuComponents::TmuComponents(TComponent* owner) : TComponent(owner) {
    log_ = CreateLoggingDirect(this, "muComponents", ".", "Logging", "LOG_STD", false, true);
    const int h = log_->addCls("Create");
    convert_ = new TmuDataConvert(this);
    log_->addText("Klasse " + log_->CompoName() + " erstellen");
    log_->exitCls(h);
}

TmuComponents::~TmuComponents() {
    const int h = log_->addCls("Destroy");
    log_->addText("Klasse " + log_->CompoName() + " vernichten");
    log_->exitCls(h);
    delete convert_;
    convert_ = nullptr;
    delete log_;
    log_ = nullptr;
}

int TmuComponents::GetCompoID(Form* form, ControlClass cls, const std::string& name) {
    TmTraceScope trace(log_, Kind::Function, "GetCompoID", {"i_sName", name});
    int result = 0;
    if (form) {
        const auto controls = form->OwnedControls();
        for (size_t i = 0; i < controls.size(); ++i) {
            Control* c = controls[i];
            if (c && c->IsOfClass(cls) && c->Name() == name) {
                result = static_cast<int>(i);
                break;
            }
        }
    }
    log_->addVarInteger("r_iResult", result);
    return result;
}

Control* TmuComponents::Find(Form* form, ControlClass cls, const std::string& name, int& position) {
    position = GetCompoID(form, cls, name);
    if (position <= 0) return nullptr;
    return form->OwnedControls()[static_cast<size_t>(position)];
}

void TmuComponents::SetHelpContext(Control* control, const std::string& path) {
    if (!dataholder_) return;
    control->SetHelpContext(dataholder_->getValueInteger(path));
}

void TmuComponents::NoDataholder(const std::string& operation) {
    log_->addErr(operation + " - Kein DataHLD (NIL) vorhanden");
}

bool TmuComponents::SetTexts(const char* operation, ControlClass cls, bool withHint, bool errorOnlyForHelp,
                             Form* form, const std::string& name, const std::string& value,
                             const std::string& item) {
    TmTraceScope trace(log_, Kind::Function, operation,
                       {"i_sName", name, "i_sItemName", item, "i_sValuename", value});
    const std::string word = AsciiLower(item);
    int position = 0;
    Control* control = Find(form, cls, name, position);
    bool result = false;
    if (control) {
        if (!dataholder_ && (!errorOnlyForHelp || word == "helpcontext")) NoDataholder(operation);
        if (word == "name")
            control->SetName(value);
        else if (word == "caption")
            control->SetCaption(value);
        else if (withHint && word == "hint")
            control->SetHint(value);
        else if (word == "helpcontext")
            SetHelpContext(control, value);
        result = true;
    }
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuComponents::SetTabsheet(Form* form, const std::string& name, const std::string& value,
                                const std::string& item) {
    return SetTexts("SetTabsheet", ControlClass::Page, false, true, form, name, value, item);
}

bool TmuComponents::SetCheckbox(Form* form, const std::string& name, const std::string& value,
                                const std::string& item) {
    return SetTexts("SetCheckbox", ControlClass::CheckBox, false, true, form, name, value, item);
}

bool TmuComponents::SetPanel(Form* form, const std::string& name, const std::string& value,
                             const std::string& item) {
    return SetTexts("SetPanel", ControlClass::Panel, false, false, form, name, value, item);
}

bool TmuComponents::SetRadioGroup(Form* form, const std::string& name, const std::string& value,
                                  const std::string& item) {
    return SetTexts("SetRadioGroup", ControlClass::RadioGroup, false, false, form, name, value, item);
}

bool TmuComponents::SetGroupbox(Form* form, const std::string& name, const std::string& value,
                                const std::string& item) {
    return SetTexts("SetGroupbox", ControlClass::GroupBox, true, false, form, name, value, item);
}

bool TmuComponents::SetMenuItem(Form* form, const std::string& name, const std::string& value,
                                const std::string& item) {
    return SetTexts("SetMenuItem", ControlClass::MenuItem, true, false, form, name, value, item);
}

bool TmuComponents::SetSpeedButton(Form* form, const std::string& name, const std::string& value,
                                   const std::string& item) {
    TmTraceScope trace(log_, Kind::Function, "SetSpeedButton",
                       {"i_sName", name, "i_sItemName", item, "i_sValuename", value});
    const std::string word = AsciiLower(item);
    int position = 0;
    Control* control = Find(form, ControlClass::SpeedButton, name, position);
    if (control) {
        if (word == "caption")
            control->SetCaption(value);
        else if (word == "hint")
            control->SetHint(value);
    }
    const bool result = control != nullptr;
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuComponents::SetSpeedButton(Form* form, const std::string& name, Action* action,
                                   const std::string& item) {
    TmTraceScope trace(log_, Kind::Function, "SetSpeedButton", {"i_sName", name, "i_sItemName", item});
    int position = 0;
    Control* control = Find(form, ControlClass::SpeedButton, name, position);
    bool result = false;
    if (control && AsciiLower(item) == "action") {
        control->SetAction(action);
        result = true;
    }
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuComponents::SetSpeedButton(Form* form, const std::string& name, THandler handler,
                                   const std::string& item) {
    TmTraceScope trace(log_, Kind::Function, "SetSpeedButton", {"i_sName", name, "i_sItemName", item});
    const std::string word = AsciiLower(item);
    int position = 0;
    Control* control = Find(form, ControlClass::SpeedButton, name, position);
    if (control) {
        if (word == "onclick")
            control->SetOnClick(std::move(handler));
        else if (word == "onexecute")
            control->SetOnExecute(std::move(handler));  // only when the button has an action
    }
    const bool result = control != nullptr;
    log_->addVarBoolean("r_bResult", result);
    return result;
}
