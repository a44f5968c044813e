#pragma once
// A fake control tree for tests: a form that owns an ordered list of fake
// controls, each of a given control class (and optionally of further classes
// it derives from), recording everything set on it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Form.h"

class FakeControl : public Control {
public:
    // A control of class cls; bases are further classes it counts as derived
    // from. Every control is of class ControlClass::Control.
    FakeControl(ControlClass cls, std::string name, std::vector<ControlClass> bases = {});

    bool IsOfClass(ControlClass cls) const override;
    std::string Name() const override { return name; }
    void SetName(const std::string& n) override { name = n; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
    std::string Hint() const override { return hint; }
    void SetHint(const std::string& h) override { hint = h; }
    int HelpContext() const override { return helpContext; }
    void SetHelpContext(int context) override { helpContext = context; }
    void SetAction(Action* a) override { action = a; }
    void SetOnClick(std::function<void()> handler) override { onClick = std::move(handler); }
    bool SetOnExecute(std::function<void()> handler) override;

    ControlClass cls;
    std::vector<ControlClass> bases;
    std::string name;
    std::string caption;
    std::string hint;
    int helpContext = 0;
    Action* action = nullptr;
    std::function<void()> onClick;
    // The execute handler of the control's action; set only while the
    // control has an action.
    std::function<void()> onExecute;
};

class FakeForm : public Form {
public:
    explicit FakeForm(std::string name = "FakeForm1") : name_(std::move(name)) {}

    // Adds a control at the end of the owned list and returns it.
    FakeControl* Add(ControlClass cls, const std::string& name, std::vector<ControlClass> bases = {});
    FakeControl* At(int position) const { return controls_.at(static_cast<size_t>(position)).get(); }

    std::string Name() const override { return name_; }
    std::vector<Control*> OwnedControls() const override;

    TRect Geometry() const override { return geometry; }
    void SetPosition(int left, int top) override {
        geometry.x = left;
        geometry.y = top;
    }
    bool Visible() const override { return visible; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void Close() override {
        ++closeCount;
        visible = false;
    }
    bool SetStayOnTop(bool on) override {
        if (!stayOnTopAllowed) return false;
        stayOnTop = on;
        return true;
    }

    TRect geometry{0, 0, 400, 300};
    bool visible = false;
    bool stayOnTop = false;
    bool stayOnTopAllowed = true;
    int closeCount = 0;

private:
    std::string name_;
    std::vector<std::unique_ptr<FakeControl>> controls_;
};
