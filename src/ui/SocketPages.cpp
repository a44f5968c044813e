#include "ui/SocketPages.h"

#include <QAction>
#include <QPointer>
#include <QTabBar>
#include <QToolButton>
#include <QWidget>

#include "hub/mVedadAzaro.h"
#include "hub/muComponents.h"
#include "hub/muFormTools.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"
#include "toolkit/qt/QtForm.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/SocketSwitching.h"

namespace {

using Kind = TmTraceScope::Kind;

constexpr int kSlots = 4;
constexpr int kPages = 6;

// Sets the default context of the data holder to the box's socket values
// and clears it again on every way out.
class TSocketContext {
public:
    explicit TSocketContext(TmuDataholder* holder) : holder_(holder) {
        Keys::Use(*holder_, Keys::kBoxContext);
    }
    ~TSocketContext() { holder_->clearUseIndexSection(); }
    TSocketContext(const TSocketContext&) = delete;
    TSocketContext& operator=(const TSocketContext&) = delete;

private:
    TmuDataholder* holder_;
};

}  // namespace

TSocketPages::TSocketPages(QtForm& form, TProgramView& view, TSocketActions& actions,
                           TSocketSwitching& switching, TmVedadAzaro& hub, TLogSource programLogging)
    : form_(form),
      view_(view),
      actions_(actions),
      switching_(switching),
      hub_(hub),
      programLogging_(std::move(programLogging)) {
    if (QTabBar* tabs = view_.TabControl_AC_Dosen())
        QObject::connect(tabs, &QTabBar::currentChanged, tabs, [this](int) { TabControl_AC_DosenChange(); });
}

TSocketPages::~TSocketPages() {
    if (QTabBar* tabs = view_.TabControl_AC_Dosen()) QObject::disconnect(tabs, nullptr, tabs, nullptr);
}

TmuLogging* TSocketPages::Log() const { return programLogging_ ? programLogging_() : nullptr; }

void TSocketPages::Init_AC_DosenChange() {
    TmTraceScope trace(Log(), Kind::Procedure, "Init_AC_DosenChange");
    QTabBar* tabs = view_.TabControl_AC_Dosen();
    const int page = tabs ? tabs->currentIndex() : -1;
    if (TmuLogging* log = Log()) log->addVarInteger("i_iTabIndex", page);

    if (page >= 0 && page < kPages) {
        TmuComponents* binder = hub_.Components();
        for (int k = 1; k <= kSlots; ++k) {
            const int n = kSlots * page + k;
            const std::string slot = std::to_string(k);

            binder->SetGroupbox(&form_, "GroupBox_ACX" + slot, TProgramView::SlotCaption(n).toStdString(),
                                "caption");

            // The button runs the socket's button action; its click handler is
            // that action's own handler, so one click toggles exactly once.
            QAction* toggle = actions_.ButtonToggle(n);
            binder->SetSpeedButton(&form_, "SpeedButton_ACX" + slot, AsAction(toggle), "action");
            binder->SetSpeedButton(&form_, "SpeedButton_ACX" + slot,
                                   TmuComponents::THandler([action = QPointer<QAction>(toggle)] {
                                       if (action) action->trigger();
                                   }),
                                   "onclick");

            binder->SetSpeedButton(&form_, "SpeedButton_EditX" + slot, AsAction(actions_.Edit(n)), "action");

            CheckImageIndex_And_SetSpeedbutton(view_.SpeedButton_ACX(k), n);
        }
        SetACName(kSlots * page + 1, kSlots * page + kSlots);
    }

    if (QWidget* window = form_.Window()) window->update();
}

void TSocketPages::CheckImageIndex_And_SetSpeedbutton(QToolButton* button, int n) {
    TmTraceScope trace(Log(), Kind::Procedure, "Init_AC_DosenChange.CheckImageIndex_And_SetSpeedbutton");
    if (TmuLogging* log = Log()) log->addVarInteger("i_iSocket", n);
    if (!button) return;
    bool on = false;
    {
        TmuDataholder* holder = hub_.Dataholder();
        TSocketContext context(holder);
        // The full path, so that a handler running inside a box exchange
        // and clearing the default context cannot redirect the read.
        on = Keys::Get(*holder, Keys::SocketPower(n));
    }
    if (on)
        switching_.SetSpeedButtonGreen(button);
    else
        switching_.SetSpeedButtonGray(button);
}

void TSocketPages::SetACName(int first, int last) {
    TmTraceScope trace(Log(), Kind::Procedure, "Init_AC_DosenChange.SetACName");
    if (TmuLogging* log = Log()) log->addVarIntegerPair("i_iFirst", first, "i_iLast", last);
    TmuDataholder* holder = hub_.Dataholder();
    TmuFormTools* tools = hub_.FormTools();
    TSocketContext context(holder);
    for (int n = first; n <= last; ++n) {
        if (n < 1 || n > TSocketActions::SocketCount) continue;
        const std::string name = Keys::Get(*holder, Keys::SocketName(n));
        const int k = (n - 1) % kSlots + 1;
        tools->set_LabelCaption(&form_, "ACNameX" + std::to_string(k), name);
    }
}

void TSocketPages::set_Visible_Index_MenuItems(const std::string& prefix, int count, bool visible) {
    TmTraceScope trace(Log(), Kind::Procedure, "set_Visible_Index_MenuItems");
    if (TmuLogging* log = Log()) {
        log->addVarString("i_sPrefix", prefix);
        log->addVarInteger("i_iCount", count);
        log->addVarBoolean("i_bVisible", visible);
    }
    for (int i = 1; i <= count; ++i) {
        QtControl* item = form_.FindControl(prefix + std::to_string(i), ControlClass::MenuItem);
        if (!item) continue;
        if (QAction* action = item->ItemAction()) action->setVisible(visible);
    }
}

void TSocketPages::set_Enable_Index_Speedbutton(const std::string& prefix, int count, bool enabled) {
    TmTraceScope trace(Log(), Kind::Procedure, "set_Enable_Index_Speedbutton");
    if (TmuLogging* log = Log()) {
        log->addVarString("i_sPrefix", prefix);
        log->addVarInteger("i_iCount", count);
        log->addVarBoolean("i_bEnabled", enabled);
    }
    for (int i = 1; i <= count; ++i) {
        QtControl* button = form_.FindControl(prefix + std::to_string(i), ControlClass::SpeedButton);
        if (!button) continue;
        if (QWidget* widget = button->Widget()) widget->setEnabled(enabled);
    }
}

void TSocketPages::TabControl_AC_DosenChange() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.TabControl_AC_DosenChange");
    Init_AC_DosenChange();
    if (QWidget* window = form_.Window()) window->repaint();
}
