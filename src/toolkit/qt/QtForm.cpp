#include "toolkit/qt/QtForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVariant>
#include <QWidget>

namespace {

const char* const kHelpContext = "helpContext";
const char* const kPanelCaption = "caption";
const char* const kExecuteHolder = "tavrin_onExecute";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The text QAction::toolTip() falls back to when no tool tip was set.
QString DefaultToolTip(const QAction* action) {
    QString s = action->text();
    s.remove(QLatin1Char('&'));
    if (s.endsWith(QLatin1String("..."))) s.chop(3);
    return s;
}

// The hint of an action: its tool tip when one was set, else empty.
QString ActionHint(const QAction* action) {
    const QString tip = action->toolTip();
    return tip == DefaultToolTip(action) ? QString() : tip;
}

QTabWidget* TabWidgetOf(QWidget* page, int* index) {
    for (QWidget* p = page ? page->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
            const int i = tabs->indexOf(page);
            if (i >= 0) {
                *index = i;
                return tabs;
            }
        }
    }
    return nullptr;
}

// Holds the one execute handler that SetActionExecuteHandler gave an action.
class ExecuteHolder : public QObject {
public:
    explicit ExecuteHolder(QObject* parent) : QObject(parent) { setObjectName(kExecuteHolder); }
    QMetaObject::Connection connection;
};

}  // namespace

Action* AsAction(QAction* action) { return reinterpret_cast<Action*>(action); }
QAction* AsQAction(Action* action) { return reinterpret_cast<QAction*>(action); }

void SetActionExecuteHandler(QAction* action, std::function<void()> handler) {
    if (!action) return;
    const auto old = action->findChildren<QObject*>(kExecuteHolder, Qt::FindDirectChildrenOnly);
    for (QObject* o : old) {
        if (auto* holder = dynamic_cast<ExecuteHolder*>(o)) {
            // The old handler may be running right now: cut it off at once,
            // free it once the event loop is back.
            QObject::disconnect(holder->connection);
            holder->setObjectName(QString());
            holder->deleteLater();
        }
    }
    if (!handler) return;
    auto* holder = new ExecuteHolder(action);
    holder->connection =
        QObject::connect(action, &QAction::triggered, holder, [h = std::move(handler)] { h(); });
}

ControlClass DeduceControlClass(const QObject* object) {
    if (!object) return ControlClass::Other;
    if (qobject_cast<const QAction*>(object) || qobject_cast<const QMenu*>(object))
        return ControlClass::MenuItem;
    if (qobject_cast<const QCheckBox*>(object)) return ControlClass::CheckBox;
    if (qobject_cast<const QToolButton*>(object)) return ControlClass::SpeedButton;
    if (qobject_cast<const QAbstractButton*>(object)) return ControlClass::Button;
    if (qobject_cast<const QGroupBox*>(object)) return ControlClass::GroupBox;
    if (qobject_cast<const QLabel*>(object)) return ControlClass::Label;
    if (qobject_cast<const QLineEdit*>(object)) return ControlClass::Edit;
    if (qobject_cast<const QPlainTextEdit*>(object) || qobject_cast<const QTextEdit*>(object))
        return ControlClass::Memo;
    if (qobject_cast<const QComboBox*>(object)) return ControlClass::ComboBox;
    if (qobject_cast<const QFrame*>(object)) return ControlClass::Panel;
    return ControlClass::Other;
}

// ---------------------------------------------------------------------------
// QtControl

struct QtControl::Link {
    QPointer<QAction> action;
    QMetaObject::Connection changed;
    // The action's state as last copied, so that a change of the action
    // carries over only what changed (a state set on the control directly
    // stays until the action's own value changes).
    QString text;
    QString hint;
    bool enabled = true;
    qint64 iconKey = 0;

    ~Link() { QObject::disconnect(changed); }
};

QtControl::QtControl(QObject* object, ControlClass cls) : object_(object), class_(cls) { ConnectClick(); }

QtControl::~QtControl() { QObject::disconnect(click_); }

QWidget* QtControl::Widget() const { return qobject_cast<QWidget*>(object_.data()); }

QAction* QtControl::ItemAction() const {
    if (auto* a = qobject_cast<QAction*>(object_.data())) return a;
    if (auto* m = qobject_cast<QMenu*>(object_.data())) return m->menuAction();
    return nullptr;
}

QAction* QtControl::BoundAction() const { return link_ ? link_->action.data() : nullptr; }

void QtControl::ConnectClick() {
    // One router per control: a click runs the click handler if there is
    // one, otherwise the bound action. Copies guard against a handler that
    // replaces itself while it runs.
    auto route = [this] {
        if (onClick_) {
            auto handler = onClick_;
            handler();
        } else if (QAction* a = BoundAction()) {
            a->trigger();
        }
    };
    if (auto* button = qobject_cast<QAbstractButton*>(object_.data())) {
        click_ = QObject::connect(button, &QAbstractButton::clicked, button, route);
    } else if (auto* action = qobject_cast<QAction*>(object_.data())) {
        click_ = QObject::connect(action, &QAction::triggered, action, route);
    }
}

bool QtControl::IsOfClass(ControlClass cls) const {
    if (cls == class_) return true;
    switch (cls) {
        case ControlClass::Control:
            return class_ != ControlClass::MenuItem;  // a menu item is no control
        case ControlClass::GroupBox:
            return class_ == ControlClass::RadioGroup;  // a radio group is a group box
        default:
            return false;
    }
}

std::string QtControl::Name() const { return object_ ? S(object_->objectName()) : std::string(); }

void QtControl::SetName(const std::string& name) {
    if (object_) object_->setObjectName(Q(name));
}

std::string QtControl::Caption() const {
    QObject* o = object_.data();
    if (!o) return {};
    if (auto* m = qobject_cast<QMenu*>(o)) return S(m->title());
    if (auto* a = qobject_cast<QAction*>(o)) return S(a->text());
    if (class_ == ControlClass::Page) {
        int index = -1;
        if (QTabWidget* tabs = TabWidgetOf(Widget(), &index)) return S(tabs->tabText(index));
    }
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return S(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(o)) return S(g->title());
    if (auto* l = qobject_cast<QLabel*>(o)) return S(l->text());
    if (auto* e = qobject_cast<QLineEdit*>(o)) return S(e->text());
    if (auto* p = qobject_cast<QPlainTextEdit*>(o)) return S(p->toPlainText());
    if (auto* t = qobject_cast<QTextEdit*>(o)) return S(t->toPlainText());
    if (auto* c = qobject_cast<QComboBox*>(o)) return S(c->currentText());
    if (class_ == ControlClass::Panel) return S(o->property(kPanelCaption).toString());
    if (auto* w = qobject_cast<QWidget*>(o)) return S(w->windowTitle());
    return {};
}

void QtControl::SetCaption(const std::string& caption) {
    QObject* o = object_.data();
    if (!o) return;
    const QString text = Q(caption);
    if (auto* m = qobject_cast<QMenu*>(o)) {
        m->setTitle(text);
    } else if (auto* a = qobject_cast<QAction*>(o)) {
        a->setText(text);
    } else if (class_ == ControlClass::Page) {
        int index = -1;
        if (QTabWidget* tabs = TabWidgetOf(Widget(), &index))
            tabs->setTabText(index, text);
        else if (auto* w = Widget())
            w->setWindowTitle(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        b->setText(text);
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        g->setTitle(text);
    } else if (auto* l = qobject_cast<QLabel*>(o)) {
        l->setText(text);
    } else if (auto* e = qobject_cast<QLineEdit*>(o)) {
        e->setText(text);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(o)) {
        p->setPlainText(text);
    } else if (auto* t = qobject_cast<QTextEdit*>(o)) {
        t->setPlainText(text);
    } else if (auto* c = qobject_cast<QComboBox*>(o)) {
        if (c->isEditable()) {
            c->setEditText(text);
        } else {
            int i = c->findText(text);
            if (i < 0) {
                c->addItem(text);
                i = c->count() - 1;
            }
            c->setCurrentIndex(i);
        }
    } else if (class_ == ControlClass::Panel) {
        o->setProperty(kPanelCaption, text);
    } else if (auto* w = qobject_cast<QWidget*>(o)) {
        w->setWindowTitle(text);
    }
}

std::string QtControl::Hint() const {
    if (QAction* a = ItemAction()) return S(ActionHint(a));
    if (QWidget* w = Widget()) return S(w->toolTip());
    return {};
}

void QtControl::SetHint(const std::string& hint) {
    if (QAction* a = ItemAction())
        a->setToolTip(Q(hint));
    else if (QWidget* w = Widget())
        w->setToolTip(Q(hint));
}

int QtControl::HelpContext() const { return object_ ? object_->property(kHelpContext).toInt() : 0; }

void QtControl::SetHelpContext(int context) {
    if (object_) object_->setProperty(kHelpContext, context);
}

void QtControl::SyncFromAction(bool all) {
    QAction* a = BoundAction();
    QObject* o = object_.data();
    if (!a || !o) return;
    const QString text = a->text();
    const QString hint = ActionHint(a);
    const bool enabled = a->isEnabled();
    const qint64 iconKey = a->icon().isNull() ? 0 : a->icon().cacheKey();

    auto* button = qobject_cast<QAbstractButton*>(o);
    QAction* item = ItemAction();
    if (all || text != link_->text) {
        if (button)
            button->setText(text);
        else if (item)
            item->setText(text);
    }
    if (all || hint != link_->hint) {
        if (button)
            button->setToolTip(hint);
        else if (item)
            item->setToolTip(hint);
    }
    if (all || enabled != link_->enabled) {
        if (button)
            button->setEnabled(enabled);
        else if (item)
            item->setEnabled(enabled);
    }
    // A control keeps its own glyph while the action has no image.
    if (iconKey != 0 && (all || iconKey != link_->iconKey)) {
        if (button)
            button->setIcon(a->icon());
        else if (item)
            item->setIcon(a->icon());
    }
    link_->text = text;
    link_->hint = hint;
    link_->enabled = enabled;
    link_->iconKey = iconKey;
}

void QtControl::SetAction(Action* action) {
    QAction* a = AsQAction(action);
    link_.reset();
    if (!a || !object_ || a == ItemAction()) return;
    link_ = std::make_unique<Link>();
    link_->action = a;
    link_->changed =
        QObject::connect(a, &QAction::changed, object_.data(), [this] { SyncFromAction(false); });
    SyncFromAction(true);
}

void QtControl::SetOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

bool QtControl::SetOnExecute(std::function<void()> handler) {
    QAction* a = BoundAction();
    if (!a && class_ == ControlClass::MenuItem) a = qobject_cast<QAction*>(object_.data());
    if (!a) return false;
    SetActionExecuteHandler(a, std::move(handler));
    return true;
}

void QtControl::Click() {
    QObject* o = object_.data();
    if (auto* button = qobject_cast<QAbstractButton*>(o))
        button->click();
    else if (auto* action = qobject_cast<QAction*>(o))
        action->trigger();
}

// ---------------------------------------------------------------------------
// QtForm

QtForm::QtForm(QWidget* window) : window_(window) {}

QtForm::~QtForm() = default;

QtControl* QtForm::AddControl(QObject* object, ControlClass cls) {
    if (!object) return nullptr;
    if (QtControl* known = ControlOf(object)) return known;
    // Captions come from files (socket names, serial numbers) and are shown
    // as the text they are, never as markup.
    if (auto* label = qobject_cast<QLabel*>(object)) label->setTextFormat(Qt::PlainText);
    controls_.push_back(std::make_unique<QtControl>(object, cls));
    return controls_.back().get();
}

QtControl* QtForm::AddControl(QObject* object) { return AddControl(object, DeduceControlClass(object)); }

QtControl* QtForm::ControlOf(const QObject* object) const {
    if (!object) return nullptr;
    for (const auto& c : controls_)
        if (c->Object() == object) return c.get();
    return nullptr;
}

QtControl* QtForm::FindControl(const std::string& name, ControlClass cls) const {
    for (const auto& c : controls_)
        if (c->Alive() && c->IsOfClass(cls) && c->Name() == name) return c.get();
    return nullptr;
}

std::string QtForm::Name() const { return window_ ? S(window_->objectName()) : std::string(); }

std::vector<Control*> QtForm::OwnedControls() const {
    std::vector<Control*> out;
    out.reserve(controls_.size());
    for (const auto& c : controls_)
        if (c->Alive()) out.push_back(c.get());
    return out;
}

TRect QtForm::Geometry() const {
    if (!window_) return {};
    const QRect frame = window_->frameGeometry();
    return {window_->x(), window_->y(), frame.width(), frame.height()};
}

void QtForm::SetPosition(int left, int top) {
    if (window_) window_->move(left, top);
}

bool QtForm::Visible() const { return window_ && window_->isVisible(); }

void QtForm::Show() {
    if (window_) window_->show();
}

void QtForm::Hide() {
    if (window_) window_->hide();
}

void QtForm::Close() {
    if (window_) window_->close();
}

bool QtForm::ReshowingForTopBand(const QWidget* window) {
    return window != nullptr && window->property(kReshowingProperty).toBool();
}

bool QtForm::SetStayOnTop(bool on) {
    QWidget* w = window_.data();
    if (!w) return false;
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return true;
    // Changing the flags re-creates the native window and hides it; show it
    // again where it was, without taking the focus.
    const bool visible = w->isVisible();
    const QPoint pos = w->pos();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        const bool noActivate = w->testAttribute(Qt::WA_ShowWithoutActivating);
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->move(pos);
        // Not a show of the window in the program's sense: its show
        // handlers see it marked and leave the band alone.
        w->setProperty(kReshowingProperty, true);
        w->show();
        w->setProperty(kReshowingProperty, QVariant());
        w->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
    return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on;
}
