#pragma once
// The control tree over real Qt widgets.
//
// A window keeps one QtForm beside itself. Every control the window's parts
// create is registered with it, in creation order; the registry is the
// window's list of owned components as the binding services search it
// (position 0 is the first registered). The widgets themselves stay owned by
// their Qt parents; the form owns only the adapters.
//
// Controls and their Qt objects:
//   Page         a page (QWidget) of a QTabWidget; caption = tab text
//   CheckBox     QCheckBox
//   Panel        QFrame (caption kept as the property "caption"; a QLabel
//                used as a panel shows it)
//   RadioGroup   QGroupBox holding radio buttons (is also a GroupBox)
//   GroupBox     QGroupBox; caption = title
//   MenuItem     QAction, or a QMenu (its menu action carries the caption)
//   SpeedButton  QToolButton
//   Label        QLabel
//   Button       QPushButton (any QAbstractButton)
//   Edit         QLineEdit
//   Memo         QPlainTextEdit or QTextEdit
//   ComboBox     QComboBox
// Name = objectName; hint = tool tip; help context = the dynamic property
// "helpContext" (int) of the registered object.
//
// Actions: the toolkit's opaque Action handle is a QAction (AsAction /
// AsQAction). Binding an action to a button or menu item copies its caption,
// hint, enabled state and (when it has one) icon, keeps them in step as the
// action changes, and lets a click execute the action. A click handler set
// with SetOnClick runs in place of the action, so one click runs exactly one
// handler. SetOnExecute replaces the execute handler of the bound action
// (one handler per action, shared by every control bound to it).
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Form.h"

class QAction;
class QMenu;
class QObject;
class QWidget;

// The toolkit's opaque action handle and the window system's action.
Action* AsAction(QAction* action);
QAction* AsQAction(Action* action);

// Makes `handler` the one execute handler of `action` (replacing the one set
// before through this function; handlers connected elsewhere stay). An empty
// handler removes it.
void SetActionExecuteHandler(QAction* action, std::function<void()> handler);

// Deduces the control class from the Qt type (Other when none fits). A
// QGroupBox is a GroupBox and a plain QFrame a Panel; radio groups and tab
// pages must be registered with their class.
ControlClass DeduceControlClass(const QObject* object);

class QtControl : public Control {
public:
    QtControl(QObject* object, ControlClass cls);
    ~QtControl() override;

    ControlClass Class() const { return class_; }
    QObject* Object() const { return object_.data(); }
    QWidget* Widget() const;       // null for a menu item given as QAction
    QAction* ItemAction() const;   // a menu item's action (a QMenu's menuAction)
    QAction* BoundAction() const;  // the action bound by SetAction, or null
    bool Alive() const { return !object_.isNull(); }

    bool IsOfClass(ControlClass cls) const override;
    std::string Name() const override;
    void SetName(const std::string& name) override;
    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    std::string Hint() const override;
    void SetHint(const std::string& hint) override;
    int HelpContext() const override;
    void SetHelpContext(int context) override;
    void SetAction(Action* action) override;
    void SetOnClick(std::function<void()> handler) override;
    bool SetOnExecute(std::function<void()> handler) override;

    // Runs what a click of the user runs (the click handler, else the bound
    // action, else the control's own click); for tests and keyboard paths.
    void Click();

private:
    struct Link;
    void ConnectClick();
    void SyncFromAction(bool all);

    QPointer<QObject> object_;
    ControlClass class_;
    std::function<void()> onClick_;
    QMetaObject::Connection click_;
    std::unique_ptr<Link> link_;
};

class QtForm : public Form {
public:
    explicit QtForm(QWidget* window);
    ~QtForm() override;

    QtForm(const QtForm&) = delete;
    QtForm& operator=(const QtForm&) = delete;

    QWidget* Window() const { return window_.data(); }

    // Registers a control after the ones registered before and returns its
    // adapter (the same adapter when the object is registered already).
    QtControl* AddControl(QObject* object, ControlClass cls);
    QtControl* AddControl(QObject* object);  // class deduced from the Qt type

    // The adapter of a registered object, or null.
    QtControl* ControlOf(const QObject* object) const;
    // The first registered control of the class (or derived from it) whose
    // name equals `name` exactly; null when none.
    QtControl* FindControl(const std::string& name, ControlClass cls = ControlClass::Control) const;

    // Form
    std::string Name() const override;
    std::vector<Control*> OwnedControls() const override;  // destroyed widgets are left out
    TRect Geometry() const override;
    void SetPosition(int left, int top) override;
    bool Visible() const override;
    void Show() override;
    void Hide() override;
    void Close() override;
    // Changing the band re-creates the native window and shows it again;
    // while that re-show runs, ReshowingForTopBand is true for the window,
    // so show handlers can tell it from a real show.
    bool SetStayOnTop(bool on) override;
    static bool ReshowingForTopBand(const QWidget* window);
    static constexpr const char* kReshowingProperty = "tavrinReshowingForTopBand";

private:
    QPointer<QWidget> window_;
    std::vector<std::unique_ptr<QtControl>> controls_;
};
