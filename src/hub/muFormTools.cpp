#include "hub/muFormTools.h"

#include "hub/muComponents.h"
#include "store/muDataConvert.h"
#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"

using Kind = TmTraceScope::Kind;

TmuFormTools::TmuFormTools(TComponent* owner) : TComponent(owner) {
    log_ = CreateLoggingDirect(this, "muFormTools", ".", "Logging", "LOG_ALL", false, true);
    const int h = log_->addCls("Create");
    convert_ = new TmuDataConvert(this);
    components_ = new TmuComponents(this);
    log_->addText("Klasse " + log_->CompoName() + " erstellen");
    log_->exitCls(h);
}

TmuFormTools::~TmuFormTools() {
    const int h = log_->addCls("Destroy");
    log_->addText("Klasse " + log_->CompoName() + " vernichten");
    log_->exitCls(h);
    delete components_;
    components_ = nullptr;
    delete convert_;
    convert_ = nullptr;
    delete log_;
    log_ = nullptr;
}

void TmuFormTools::set_LabelCaption(Form* form, const std::string& name, const std::string& value) {
    TmTraceScope trace(
        log_, Kind::Procedure, "set_LabelCaption",
        {"i_sxForm", form ? form->Name() : std::string(), "i_sCompoName", name, "i_sValue", value});
    const int position = components_->GetCompoID(form, ControlClass::Label, name);
    if (position > 0) form->OwnedControls()[static_cast<size_t>(position)]->SetCaption(value);
}
