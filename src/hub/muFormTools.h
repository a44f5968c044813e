#pragma once
// Label caption service for forms: sets the caption of a label found by its
// exact-case name among the form's owned controls.
#include <string>

#include "toolkit/Component.h"
#include "toolkit/Form.h"

class TmuCompoLogging;
class TmuComponents;
class TmuDataConvert;

class TmuFormTools : public TComponent {
public:
    explicit TmuFormTools(TComponent* owner = nullptr);
    ~TmuFormTools() override;

    TmuCompoLogging* Log() const { return log_; }

    // Sets the caption of the label named name; a missing label (or one at
    // position 0) leaves the form unchanged.
    void set_LabelCaption(Form* form, const std::string& name, const std::string& value);

private:
    TmuCompoLogging* log_ = nullptr;
    TmuDataConvert* convert_ = nullptr;
    TmuComponents* components_ = nullptr;  // its own, without a data holder
};
