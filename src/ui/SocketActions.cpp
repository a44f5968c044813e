#include "ui/SocketActions.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "toolkit/qt/ColumnMenu.h"
#include "toolkit/qt/QtForm.h"
#include "ui/ImageList.h"

struct TSocketActions::Hooks {
    SocketHandler toggle;
    SocketHandler buttonToggle;
    SocketHandler edit;
};

namespace {

// A hook is copied before it runs, so that it may replace itself.
void Run(const TSocketActions::SocketHandler& hook, int n) {
    if (!hook) return;
    auto handler = hook;
    handler(n);
}

}  // namespace

QString TSocketActions::TwoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

QString TSocketActions::InitialToggleCaption(int n) {
    // As the window defines them before the first restore: the number is
    // right-aligned in two places.
    return QStringLiteral("Steckdose %1 - OFF").arg(n, 2, 10, QLatin1Char(' '));
}

QString TSocketActions::ToggleCaption(int n, bool on) {
    return QStringLiteral("Steckdose %1 - %2").arg(n).arg(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

TSocketActions::TSocketActions(QWidget* window, QtForm& form)
    : form_(form), hooks_(std::make_shared<Hooks>()) {
    // The three kinds of socket action, in the order they are created.
    struct ActionKind {
        const char* suffix;    // name after "Action_Std<NN>"
        const char* category;  // action list category
        const char* hint;
        int imageIndex;   // -1: none
        int helpContext;  // 0: none
        SocketHandler Hooks::*hook;
    };
    static const ActionKind kinds[] = {
        {"_Toggle", "Steckdose_Toggle", nullptr, TImageList::SocketOff, 0, &Hooks::toggle},
        {"_BTN_Toggle", "Steckdose_BTN_Toggle", "Steckdose schalten.", -1, HelpButtonToggle,
         &Hooks::buttonToggle},
        {"_Edit", "Steckdose_Edit", "Steckdose editieren.", TImageList::Edit, 0, &Hooks::edit},
    };

    for (int n = 1; n <= SocketCount; ++n) {
        Socket& socket = sockets_[n - 1];
        QAction** targets[] = {&socket.toggle, &socket.buttonToggle, &socket.edit};
        for (int i = 0; i < 3; ++i) {
            const ActionKind& kind = kinds[i];
            auto* action = new QAction(window);
            action->setObjectName(
                QStringLiteral("Action_Std%1%2").arg(TwoDigits(n), QLatin1String(kind.suffix)));
            action->setProperty("category", QString::fromLatin1(kind.category));
            if (kind.imageIndex >= 0) action->setIcon(TImageList::Icon(kind.imageIndex));
            QtControl* control = form.AddControl(action, ControlClass::Other);
            if (kind.hint) control->SetHint(kind.hint);
            if (kind.helpContext) control->SetHelpContext(kind.helpContext);
            SetActionExecuteHandler(action,
                                    [hooks = hooks_, hook = kind.hook, n] { Run((*hooks).*hook, n); });
            *targets[i] = action;
        }
        socket.toggle->setText(InitialToggleCaption(n));
    }
}

TSocketActions::~TSocketActions() = default;

QAction* TSocketActions::Toggle(int n) const {
    return n >= 1 && n <= SocketCount ? sockets_[n - 1].toggle : nullptr;
}

QAction* TSocketActions::ButtonToggle(int n) const {
    return n >= 1 && n <= SocketCount ? sockets_[n - 1].buttonToggle : nullptr;
}

QAction* TSocketActions::Edit(int n) const {
    return n >= 1 && n <= SocketCount ? sockets_[n - 1].edit : nullptr;
}

void TSocketActions::SetOnToggle(SocketHandler handler) { hooks_->toggle = std::move(handler); }
void TSocketActions::SetOnButtonToggle(SocketHandler handler) { hooks_->buttonToggle = std::move(handler); }
void TSocketActions::SetOnEdit(SocketHandler handler) { hooks_->edit = std::move(handler); }

void TSocketActions::AddMenuEntries(QMenu* menu, const QString& prefix) {
    // Three columns of eight (a column menu breaks before sockets 9 and 17),
    // each column two groups of four. Separators that end up next to each
    // other, at a column's edge or at the end (sockets hidden for a smaller
    // box) are folded away by the menu.
    menu->setSeparatorsCollapsible(true);
    for (int n = 1; n <= SocketCount; ++n) {
        if (n > 1 && (n - 1) % 4 == 0) menu->addSeparator();
        auto* entry = new QAction(menu);
        entry->setObjectName(prefix + QString::number(n));
        if (n == 9 || n == 17) TColumnMenu::SetColumnBreak(entry);
        menu->addAction(entry);
        form_.AddControl(entry, ControlClass::MenuItem)->SetAction(AsAction(Toggle(n)));
    }
}

QMenu* TSocketActions::CreateTraySocketMenu(QWidget* parent) {
    auto* menu = new TColumnMenu(QStringLiteral("Steckdosen"), parent);
    menu->setObjectName(QStringLiteral("Tray_Steckdosen_Popup"));
    menu->setIcon(TImageList::Icon(TImageList::SocketOff));
    form_.AddControl(menu, ControlClass::MenuItem)->SetHelpContext(HelpSocketMenu);
    AddMenuEntries(menu, QStringLiteral("Tray_Steckdose"));
    return menu;
}

QAction* TSocketActions::MenuEntry(const QString& prefix, int n) const {
    QtControl* control =
        form_.FindControl((prefix + QString::number(n)).toStdString(), ControlClass::MenuItem);
    return control ? control->ItemAction() : nullptr;
}
