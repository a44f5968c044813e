#include "support/FakeForm.h"

#include <algorithm>

FakeControl::FakeControl(ControlClass c, std::string n, std::vector<ControlClass> b)
    : cls(c), bases(std::move(b)), name(std::move(n)) {}

bool FakeControl::IsOfClass(ControlClass c) const {
    if (c == ControlClass::Control || c == cls) return true;
    return std::find(bases.begin(), bases.end(), c) != bases.end();
}

bool FakeControl::SetOnExecute(std::function<void()> handler) {
    if (!action) return false;
    onExecute = std::move(handler);
    return true;
}

FakeControl* FakeForm::Add(ControlClass cls, const std::string& name, std::vector<ControlClass> bases) {
    controls_.push_back(std::make_unique<FakeControl>(cls, name, std::move(bases)));
    return controls_.back().get();
}

std::vector<Control*> FakeForm::OwnedControls() const {
    std::vector<Control*> out;
    out.reserve(controls_.size());
    for (const auto& c : controls_) out.push_back(c.get());
    return out;
}
