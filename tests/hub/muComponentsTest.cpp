#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "hub/muComponents.h"
#include "hub/muFormTools.h"
#include "store/muDataHolder.h"
#include "support/FakeForm.h"
#include "support/FakePlatform.h"
#include "toolkit/LogTestDir.h"
#include "toolkit/muLogging.h"

namespace {

class ComponentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The binder traces into the test folder, everything through.
        comps->Log()->SetCurrentDir(dir.Root());
        comps->Log()->SetSystemPath("System\\Logging");
        comps->Log()->SetCompoID("LOG_ALL");
        holder->InitValueInteger("HLP|HelpIndex|hlp_test", 120);
        // Position 0 is never found, so every form starts with a filler.
        form.Add(ControlClass::Label, "Filler");
    }

    bool HasError(const std::string& operation) const {
        return dir.Read().find("muComponents - ErrorMsg : " + operation +
                               " - Kein DataHLD (NIL) vorhanden\r\n") != std::string::npos;
    }

    FakePlatform platform;
    LogTestDir dir{platform};
    TComponent owner;
    TmuComponents* comps = new TmuComponents(&owner);
    TmuDataholder* holder = new TmuDataholder(&owner);
    FakeForm form;
};

TEST_F(ComponentsTest, FindsTheFirstControlOfTheClassByExactName) {
    form.Add(ControlClass::Panel, "Target");                          // 1: wrong class
    form.Add(ControlClass::CheckBox, "target");                       // 2: wrong case
    form.Add(ControlClass::CheckBox, "Target");                       // 3
    form.Add(ControlClass::CheckBox, "Target");                       // 4: a later twin
    form.Add(ControlClass::Other, "Derived", {ControlClass::Panel});  // 5
    EXPECT_EQ(comps->GetCompoID(&form, ControlClass::CheckBox, "Target"), 3);
    EXPECT_EQ(comps->GetCompoID(&form, ControlClass::Panel, "Target"), 1);
    EXPECT_EQ(comps->GetCompoID(&form, ControlClass::Panel, "Derived"), 5);
    EXPECT_EQ(comps->GetCompoID(&form, ControlClass::Control, "Target"), 1);
    EXPECT_EQ(comps->GetCompoID(&form, ControlClass::CheckBox, "TARGET"), 0);
    EXPECT_EQ(comps->GetCompoID(&form, ControlClass::Label, "Filler"), 0);  // position 0
    EXPECT_EQ(comps->GetCompoID(&form, ControlClass::RadioGroup, "Target"), 0);
    EXPECT_EQ(comps->GetCompoID(nullptr, ControlClass::CheckBox, "Target"), 0);
    FakeForm empty;
    EXPECT_EQ(comps->GetCompoID(&empty, ControlClass::CheckBox, "Target"), 0);
    EXPECT_NE(dir.Read().find("(r_iResult) ]: = 3\r\n"), std::string::npos);
}

using Setter = bool (TmuComponents::*)(Form*, const std::string&, const std::string&, const std::string&);

struct OperationCase {
    const char* name;
    Setter set;
    ControlClass cls;
    std::vector<std::string> handled;  // item words the operation applies
};

TEST_F(ComponentsTest, EachOperationAppliesOnlyItsItemWords) {
    comps->setDataholder(holder);
    const std::vector<OperationCase> ops = {
        {"SetTabsheet", &TmuComponents::SetTabsheet, ControlClass::Page, {"name", "caption", "helpcontext"}},
        {"SetCheckbox",
         &TmuComponents::SetCheckbox,
         ControlClass::CheckBox,
         {"name", "caption", "helpcontext"}},
        {"SetPanel", &TmuComponents::SetPanel, ControlClass::Panel, {"name", "caption", "helpcontext"}},
        {"SetRadioGroup",
         &TmuComponents::SetRadioGroup,
         ControlClass::RadioGroup,
         {"name", "caption", "helpcontext"}},
        {"SetGroupbox",
         &TmuComponents::SetGroupbox,
         ControlClass::GroupBox,
         {"name", "caption", "hint", "helpcontext"}},
        {"SetMenuItem",
         &TmuComponents::SetMenuItem,
         ControlClass::MenuItem,
         {"name", "caption", "hint", "helpcontext"}},
        {"SetSpeedButton", &TmuComponents::SetSpeedButton, ControlClass::SpeedButton, {"caption", "hint"}},
    };
    const std::vector<std::string> items = {"Name", "CAPTION", "hint", "HelpContext", "action", "unbekannt"};
    // Called through a local pointer: GCC's undefined-behaviour sanitizer
    // takes "member->*pointer-to-member" inside a condition for an access
    // through a bad "this".
    TmuComponents* const target = comps;
    for (const auto& op : ops) {
        for (const auto& item : items) {
            FakeForm f;
            f.Add(ControlClass::Label, "Filler");
            FakeControl* c = f.Add(op.cls, "Ctl");
            const std::string value = item == "HelpContext" ? "HLP|HelpIndex|hlp_test" : "Neu";
            EXPECT_TRUE((target->*op.set)(&f, "Ctl", value, item)) << op.name << " " << item;
            std::string word = item;
            for (char& ch : word) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            const bool handled = std::find(op.handled.begin(), op.handled.end(), word) != op.handled.end();
            const std::string where = std::string(op.name) + " " + item;
            EXPECT_EQ(c->name, handled && word == "name" ? "Neu" : "Ctl") << where;
            EXPECT_EQ(c->caption, handled && word == "caption" ? "Neu" : "") << where;
            EXPECT_EQ(c->hint, handled && word == "hint" ? "Neu" : "") << where;
            EXPECT_EQ(c->helpContext, handled && word == "helpcontext" ? 120 : 0) << where;
            // A control of another class with the name is not touched.
            FakeForm g;
            g.Add(ControlClass::Label, "Filler");
            FakeControl* other = g.Add(ControlClass::Edit, "Ctl");
            EXPECT_FALSE((target->*op.set)(&g, "Ctl", value, item)) << where;
            EXPECT_EQ(other->name, "Ctl");
            EXPECT_EQ(other->caption, "");
        }
    }
    EXPECT_FALSE(HasError("SetPanel"));
}

TEST_F(ComponentsTest, MissingDataholderIsReportedAsTheOperationSays) {
    FakeControl* page = form.Add(ControlClass::Page, "Page1");
    FakeControl* panel = form.Add(ControlClass::Panel, "Panel1");
    FakeControl* box = form.Add(ControlClass::GroupBox, "Box1");
    page->helpContext = 7;

    EXPECT_TRUE(comps->SetTabsheet(&form, "Page1", "Seite", "caption"));
    EXPECT_EQ(page->caption, "Seite");
    EXPECT_FALSE(HasError("SetTabsheet"));
    EXPECT_TRUE(comps->SetTabsheet(&form, "Page1", "HLP|HelpIndex|hlp_test", "helpcontext"));
    EXPECT_EQ(page->helpContext, 7);
    EXPECT_TRUE(HasError("SetTabsheet"));

    EXPECT_TRUE(comps->SetPanel(&form, "Panel1", "Tafel", "caption"));
    EXPECT_EQ(panel->caption, "Tafel");
    EXPECT_TRUE(HasError("SetPanel"));

    EXPECT_FALSE(comps->SetGroupbox(&form, "Fehlt", "x", "hint"));
    EXPECT_FALSE(HasError("SetGroupbox"));
    EXPECT_TRUE(comps->SetGroupbox(&form, "Box1", "Tipp", "hint"));
    EXPECT_EQ(box->hint, "Tipp");
    EXPECT_TRUE(HasError("SetGroupbox"));
}

TEST_F(ComponentsTest, SpeedButtonActionAndHandlers) {
    FakeControl* btn = form.Add(ControlClass::SpeedButton, "SpeedButton1");
    Action* action = reinterpret_cast<Action*>(&form);  // opaque here
    EXPECT_FALSE(comps->SetSpeedButton(&form, "Fehlt", action, "action"));
    EXPECT_FALSE(comps->SetSpeedButton(&form, "SpeedButton1", action, "caption"));
    EXPECT_EQ(btn->action, nullptr);
    EXPECT_TRUE(comps->SetSpeedButton(&form, "SpeedButton1", action, "Action"));
    EXPECT_EQ(btn->action, action);

    int clicks = 0;
    EXPECT_TRUE(
        comps->SetSpeedButton(&form, "SpeedButton1", TmuComponents::THandler([&] { ++clicks; }), "OnClick"));
    ASSERT_TRUE(btn->onClick);
    btn->onClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(comps->SetSpeedButton(&form, "SpeedButton1", TmuComponents::THandler([&] { clicks += 10; }),
                                      "onexecute"));
    ASSERT_TRUE(btn->onExecute);
    btn->onExecute();
    EXPECT_EQ(clicks, 11);
    EXPECT_FALSE(comps->SetSpeedButton(&form, "Fehlt", TmuComponents::THandler([] {}), "onclick"));

    // Without an action there is no execute handler to set.
    FakeControl* bare = form.Add(ControlClass::SpeedButton, "SpeedButton2");
    EXPECT_TRUE(comps->SetSpeedButton(&form, "SpeedButton2", TmuComponents::THandler([] {}), "onexecute"));
    EXPECT_FALSE(bare->onExecute);
}

TEST_F(ComponentsTest, OperationsTraceInputsAndResult) {
    form.Add(ControlClass::CheckBox, "CheckBox1");
    comps->setDataholder(holder);
    comps->SetCheckbox(&form, "CheckBox1", "HLP|HelpIndex|hlp_test", "helpcontext");
    const std::string log = dir.Read();
    EXPECT_NE(log.find("muComponents -->>  FUNCTION : SetCheckbox\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("(i_sName) ]: = CheckBox1\r\n"), std::string::npos);
    EXPECT_NE(log.find("(i_sItemName) ]: = helpcontext\r\n"), std::string::npos);
    EXPECT_NE(log.find("(i_sValuename) ]: = HLP|HelpIndex|hlp_test\r\n"), std::string::npos);
    EXPECT_NE(log.find("RETURN -  Boolean         (r_bResult) ]: = True\r\n"), std::string::npos);
    EXPECT_NE(log.find("\r\nmuComponents <<--  FUNCTION : SetCheckbox\r\n"), std::string::npos);
}

TEST_F(ComponentsTest, FormToolsSetsOnlyANamedLabel) {
    auto* tools = new TmuFormTools(&owner);
    FakeControl* label = form.Add(ControlClass::Label, "Label_Info");
    FakeControl* edit = form.Add(ControlClass::Edit, "Edit_Info");
    tools->set_LabelCaption(&form, "Label_Info", "Hallo");
    tools->set_LabelCaption(&form, "Edit_Info", "Hallo");
    tools->set_LabelCaption(&form, "Filler", "Hallo");  // position 0
    tools->set_LabelCaption(&form, "label_info", "falsch");
    tools->set_LabelCaption(nullptr, "Label_Info", "falsch");
    EXPECT_EQ(label->caption, "Hallo");
    EXPECT_EQ(edit->caption, "");
    EXPECT_EQ(form.At(0)->caption, "");
}

// The services trace their life at their initial location "." "Logging",
// below the process's working directory.
TEST(ComponentsLifecycle, ConstructionAndDestructionAreTraced) {
    FakePlatform platform;
    LogTestDir dir{platform, false};
    std::filesystem::create_directories(std::filesystem::path(dir.Root()) / "Logging");
    const auto oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Root());
    {
        TmuComponents comps;
        EXPECT_EQ(comps.Log()->CompoName(), "muComponents");
        EXPECT_EQ(comps.Log()->CompoID(), "LOG_STD");
        EXPECT_EQ(comps.getDataholder(), nullptr);
        TmuFormTools tools;
        EXPECT_EQ(tools.Log()->CompoName(), "muFormTools");
        EXPECT_EQ(tools.Log()->CompoID(), "LOG_ALL");
    }
    std::filesystem::current_path(oldCwd);
    const std::string log =
        LogTestDir::ReadPath(std::filesystem::path(dir.Root()) / "Logging" / "mLogging.log");
    EXPECT_EQ(log.find("muComponents ----------------- \r\nmuComponents -->>     CLASS : Create\r\n"), 0u)
        << log;
    EXPECT_NE(log.find("\r\nmuComponents <<--     CLASS : Create\r\n"), std::string::npos);
    EXPECT_NE(log.find("muComponents -->>     CLASS : Destroy\r\nmuComponents <<--     CLASS : Destroy\r\n"),
              std::string::npos);
    EXPECT_EQ(log.find("Klasse muComponents"), std::string::npos);  // plain lines are filtered at LOG_STD
    EXPECT_NE(log.find("muFormTools -->>     CLASS : Create\r\n"), std::string::npos);
    EXPECT_NE(log.find(" muFormTools - Klasse muFormTools erstellen\r\n"), std::string::npos);
    EXPECT_NE(log.find(" muFormTools - Klasse muFormTools vernichten\r\n"), std::string::npos);
}

}  // namespace
