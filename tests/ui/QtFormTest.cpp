#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>
#include <memory>

#include "QtTestApp.h"
#include "toolkit/qt/QtForm.h"

namespace {

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QIcon ColouredIcon(Qt::GlobalColor c) {
    QPixmap p(16, 16);
    p.fill(c);
    return QIcon(p);
}

class QtFormTest : public ::testing::Test {
protected:
    QtFormTest() {
        EnsureQtTestApp();
        window = std::make_unique<QWidget>();
        window->setObjectName("AC_Test");
        form = std::make_unique<QtForm>(window.get());
    }
    std::unique_ptr<QWidget> window;
    std::unique_ptr<QtForm> form;
};

TEST_F(QtFormTest, FindsFirstControlOfClassByExactName) {
    auto* labelAsX = form->AddControl(Named(new QLabel(window.get()), "X"));
    auto* boxX = form->AddControl(Named(new QGroupBox(window.get()), "X"));
    auto* radioY = form->AddControl(Named(new QGroupBox(window.get()), "Y"), ControlClass::RadioGroup);
    auto* secondBoxX = form->AddControl(Named(new QGroupBox(window.get()), "X"));
    auto* item = form->AddControl(Named(new QAction(window.get()), "Item"));

    // A control of another class with the same name is passed over.
    EXPECT_EQ(form->FindControl("X", ControlClass::GroupBox), boxX);
    EXPECT_EQ(form->FindControl("X", ControlClass::Label), labelAsX);
    EXPECT_EQ(form->FindControl("X"), labelAsX);  // any control
    EXPECT_NE(form->FindControl("X", ControlClass::GroupBox), secondBoxX);
    // Letter case counts.
    EXPECT_EQ(form->FindControl("x", ControlClass::GroupBox), nullptr);
    // A radio group is a group box, not the other way round.
    EXPECT_EQ(form->FindControl("Y", ControlClass::GroupBox), radioY);
    EXPECT_EQ(form->FindControl("X", ControlClass::RadioGroup), nullptr);
    // A menu item is no control.
    EXPECT_EQ(form->FindControl("Item", ControlClass::MenuItem), item);
    EXPECT_EQ(form->FindControl("Item"), nullptr);
    // The name is the object name, read live.
    boxX->SetName("Z");
    EXPECT_EQ(window->findChild<QGroupBox*>("Z"), boxX->Object());
    EXPECT_EQ(form->FindControl("X", ControlClass::GroupBox), secondBoxX);
}

TEST_F(QtFormTest, OwnedControlsKeepRegistrationOrderAndDropDestroyedWidgets) {
    auto* a = form->AddControl(Named(new QLabel(window.get()), "a"));
    auto* bWidget = Named(new QPushButton(window.get()), "b");
    auto* b = form->AddControl(bWidget);
    auto* c = form->AddControl(Named(new QCheckBox(window.get()), "c"));
    EXPECT_EQ(form->AddControl(bWidget), b);  // no second entry, no reordering
    EXPECT_EQ(form->OwnedControls(), (std::vector<Control*>{a, b, c}));

    delete bWidget;
    EXPECT_EQ(form->OwnedControls(), (std::vector<Control*>{a, c}));
    EXPECT_EQ(form->FindControl("b"), nullptr);
    b->SetCaption("nothing happens");  // a dead adapter is inert
    EXPECT_EQ(b->Caption(), "");
}

TEST_F(QtFormTest, DeducesClassesFromQtTypes) {
    struct Case {
        QObject* object;
        ControlClass cls;
    } cases[] = {
        {new QCheckBox(window.get()), ControlClass::CheckBox},
        {new QToolButton(window.get()), ControlClass::SpeedButton},
        {new QPushButton(window.get()), ControlClass::Button},
        {new QGroupBox(window.get()), ControlClass::GroupBox},
        {new QLabel(window.get()), ControlClass::Label},  // a QLabel is a QFrame too
        {new QLineEdit(window.get()), ControlClass::Edit},
        {new QPlainTextEdit(window.get()), ControlClass::Memo},  // a scroll area, a QFrame too
        {new QComboBox(window.get()), ControlClass::ComboBox},
        {new QFrame(window.get()), ControlClass::Panel},
        {new QAction(window.get()), ControlClass::MenuItem},
        {new QMenu(window.get()), ControlClass::MenuItem},
        {new QWidget(window.get()), ControlClass::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeduceControlClass(c.object), c.cls) << c.object->metaObject()->className();
        EXPECT_EQ(form->AddControl(c.object)->Class(), c.cls);
    }
}

TEST_F(QtFormTest, CaptionHintAndHelpContextReachTheWidgets) {
    auto* tabs = new QTabWidget(window.get());
    auto* page = Named(new QWidget, "TabSheet_COM");
    tabs->addTab(new QWidget, "first");
    tabs->addTab(page, "old");
    auto* menu = Named(new QMenu(window.get()), "Menu_Datei");
    auto* panel = Named(new QFrame(window.get()), "Panel1");
    auto* combo = Named(new QComboBox(window.get()), "ComboBox_AC_Steckdosen");
    combo->addItem("eins");

    struct Case {
        QtControl* control;
        std::string caption;
        std::function<QString()> shown;  // what the user sees
    } cases[] = {
        {form->AddControl(page, ControlClass::Page), "Schnittstelle", [&] { return tabs->tabText(1); }},
        {form->AddControl(Named(new QLabel(window.get()), "ACNameX1")), "Drucker",
         [&] { return window->findChild<QLabel*>("ACNameX1")->text(); }},
        {form->AddControl(Named(new QGroupBox(window.get()), "GroupBox_ACX1")), " Steckdose 5 ",
         [&] { return window->findChild<QGroupBox*>("GroupBox_ACX1")->title(); }},
        {form->AddControl(Named(new QCheckBox(window.get()), "CheckBox1")), "Autostart",
         [&] { return window->findChild<QCheckBox*>("CheckBox1")->text(); }},
        {form->AddControl(Named(new QAction(window.get()), "Tray_Info")), "&Info",
         [&] { return window->findChild<QAction*>("Tray_Info")->text(); }},
        {form->AddControl(menu), "&Datei", [&] { return menu->menuAction()->text(); }},
        {form->AddControl(panel), "Panel", [&] { return panel->property("caption").toString(); }},
        {form->AddControl(combo), "Suche COM3", [&] { return combo->currentText(); }},
        {form->AddControl(Named(new QPlainTextEdit(window.get()), "Memo_COMPort")), "SEND: at",
         [&] { return window->findChild<QPlainTextEdit*>("Memo_COMPort")->toPlainText(); }},
        {form->AddControl(Named(new QLineEdit(window.get()), "Edit_Name")), "Lampe",
         [&] { return window->findChild<QLineEdit*>("Edit_Name")->text(); }},
    };
    int context = 100;
    for (auto& c : cases) {
        SCOPED_TRACE(c.control->Name());
        c.control->SetCaption(c.caption);
        EXPECT_EQ(c.control->Caption(), c.caption);
        EXPECT_EQ(c.shown().toStdString(), c.caption);
        c.control->SetHint("Hinweis " + c.caption);
        EXPECT_EQ(c.control->Hint(), "Hinweis " + c.caption);
        EXPECT_EQ(c.control->HelpContext(), 0);
        c.control->SetHelpContext(++context);
        EXPECT_EQ(c.control->HelpContext(), context);
        EXPECT_EQ(c.control->Object()->property("helpContext").toInt(), context);
    }
    // A menu item without a tool tip of its own has no hint (Qt would fall
    // back to the caption).
    auto* plain = form->AddControl(Named(new QAction("&Beenden", window.get()), "Tray_Beenden"));
    EXPECT_EQ(plain->Hint(), "");
    // A second status text on a fixed combo box is added and shown.
    form->FindControl("ComboBox_AC_Steckdosen", ControlClass::ComboBox)->SetCaption("Suche COM4");
    EXPECT_EQ(combo->currentText(), "Suche COM4");
}

class ButtonActionTest : public QtFormTest {
protected:
    ButtonActionTest() {
        button = Named(new QToolButton(window.get()), "SpeedButton_ACX1");
        control = form->AddControl(button);
        action = new QAction("Steckdose 5", window.get());
        action->setToolTip("Steckdose schalten.");
    }
    QToolButton* button;
    QtControl* control;
    QAction* action;
};

TEST_F(ButtonActionTest, BindingCopiesCaptionHintAndKeepsTheButtonsGlyph) {
    const QIcon grey = ColouredIcon(Qt::gray);
    button->setIcon(grey);
    control->SetAction(AsAction(action));
    EXPECT_EQ(control->BoundAction(), action);
    EXPECT_EQ(button->text(), "Steckdose 5");
    EXPECT_EQ(button->toolTip(), "Steckdose schalten.");
    EXPECT_EQ(button->icon().cacheKey(), grey.cacheKey());  // the action has no image

    // The action's changes follow; a state set on the button directly stays
    // until the action's own value changes.
    button->setEnabled(false);
    action->setText("Steckdose 5 - ON");
    EXPECT_EQ(button->text(), "Steckdose 5 - ON");
    EXPECT_FALSE(button->isEnabled());
    action->setEnabled(false);
    action->setEnabled(true);
    EXPECT_TRUE(button->isEnabled());
    const QIcon green = ColouredIcon(Qt::green);
    action->setIcon(green);
    EXPECT_EQ(button->icon().cacheKey(), green.cacheKey());

    // Re-binding to another action leaves the first one without influence.
    auto* other = new QAction("Steckdose 9", window.get());
    control->SetAction(AsAction(other));
    action->setText("Steckdose 5 - OFF");
    EXPECT_EQ(button->text(), "Steckdose 9");
}

TEST_F(ButtonActionTest, OneClickRunsExactlyOneHandler) {
    int executed = 0, clicked = 0;
    EXPECT_FALSE(control->SetOnExecute([&] { ++executed; }));  // no action yet
    control->SetAction(AsAction(action));
    ASSERT_TRUE(control->SetOnExecute([&] { ++executed; }));
    control->Click();
    EXPECT_EQ(executed, 1);

    // The execute handler is replaced, not added.
    ASSERT_TRUE(control->SetOnExecute([&] { executed += 10; }));
    button->click();
    EXPECT_EQ(executed, 11);

    // A click handler runs in place of the action.
    control->SetOnClick([&] { ++clicked; });
    button->click();
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(executed, 11);
    // The action itself (menu, tray) still runs its execute handler.
    action->trigger();
    EXPECT_EQ(executed, 21);

    // Clearing the click handler gives the click back to the action; a
    // disabled action runs nothing.
    control->SetOnClick(nullptr);
    action->setEnabled(false);
    button->setEnabled(true);
    button->click();
    EXPECT_EQ(executed, 21);
}

TEST_F(ButtonActionTest, HandlersMayReplaceThemselvesWhileRunning) {
    int first = 0, second = 0;
    control->SetAction(AsAction(action));
    control->SetOnExecute([&] {
        ++first;
        control->SetOnExecute([&] { ++second; });
    });
    control->Click();
    control->Click();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);

    control->SetOnClick([&] {
        ++first;
        control->SetOnClick(nullptr);
    });
    control->Click();  // the click handler, once
    control->Click();  // then the action again
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 2);
}

TEST_F(ButtonActionTest, MenuItemsBindAndExecuteLikeButtons) {
    auto* item = form->AddControl(Named(new QAction(window.get()), "Tray_Steckdose5"));
    item->SetAction(AsAction(action));
    EXPECT_EQ(static_cast<QAction*>(item->Object())->text(), "Steckdose 5");
    int executed = 0;
    ASSERT_TRUE(item->SetOnExecute([&] { ++executed; }));
    item->Click();
    EXPECT_EQ(executed, 1);
    // An item without a bound action executes through its own action.
    auto* own = form->AddControl(Named(new QAction(window.get()), "Tray_Info"));
    ASSERT_TRUE(own->SetOnExecute([&] { executed += 10; }));
    static_cast<QAction*>(own->Object())->trigger();
    EXPECT_EQ(executed, 11);
}

TEST_F(ButtonActionTest, WidgetsOutliveTheirForm) {
    int clicked = 0;
    control->SetAction(AsAction(action));
    control->SetOnClick([&] { ++clicked; });
    form.reset();
    button->click();  // no adapter is reached any more
    action->setText("changed");
    EXPECT_EQ(clicked, 0);
}

TEST_F(QtFormTest, FormPlacesShowsAndPinsItsWindow) {
    EXPECT_EQ(form->Name(), "AC_Test");
    window->resize(325, 533);
    form->SetPosition(40, 60);
    form->Show();
    EXPECT_TRUE(form->Visible());
    const TRect g = form->Geometry();
    EXPECT_EQ(g.x, 40);
    EXPECT_EQ(g.y, 60);
    EXPECT_GE(g.width, 325);
    EXPECT_GE(g.height, 533);

    ASSERT_TRUE(form->SetStayOnTop(true));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Geometry().x, 40);
    EXPECT_EQ(form->Geometry().y, 60);
    ASSERT_TRUE(form->SetStayOnTop(false));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    form->Hide();
    EXPECT_FALSE(form->Visible());
    ASSERT_TRUE(form->SetStayOnTop(true));
    EXPECT_FALSE(form->Visible());  // pinning does not show a hidden window
}

}  // namespace
