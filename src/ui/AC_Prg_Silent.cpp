#include "ui/AC_Prg_Silent.h"

#include <QShowEvent>
#include <exception>

#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/Platform.h"
#include "toolkit/Timer.h"

TAC_Silent* AC_Silent = nullptr;

TAC_Silent::TAC_Silent(TSilentStartHost* host, QWidget* parent)
    // A tool window: it shows neither a frame nor a task-bar entry.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), form_(this) {
    AC_Silent = this;
    setObjectName(QStringLiteral("AC_Silent"));
    SetName("AC_Silent");
    setWindowTitle(QStringLiteral("Tavrin"));
    setEnabled(false);
    setFixedSize(1, 1);
    move(0, 0);

    timer_.reset(GetPlatform().CreateTimer());
    timer_->SetInterval(kTimerInterval);
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this] { Prg_Silent_TimerTimer(); });
    host_ = host;

    show();
}

TAC_Silent::~TAC_Silent() {
    timer_->SetEnabled(false);
    if (AC_Silent == this) AC_Silent = nullptr;
    if (host_ != nullptr) host_->CloseProgram();
}

void TAC_Silent::Set_InitStart(bool flag) { silentInitStart_ = flag; }

void TAC_Silent::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window becomes active when it is shown first; that starts the one
    // tick of the deferred start.
    if (!event->spontaneous() && !shownOnce_) {
        shownOnce_ = true;
        timer_->SetEnabled(true);
    }
}

void TAC_Silent::Prg_Silent_TimerTimer() {
    timer_->SetEnabled(false);
    if (host_ == nullptr) return;

    TmuDataholder& holder = host_->Dataholder();
    holder.clearUseIndexSection();
    const bool silent = Keys::Get(holder, Keys::Silent);
    const bool comFailed = Keys::Get(holder, Keys::ComFailed);

    if (!comFailed) {
        if (silentInitStart_) {
            try {
                host_->Init_AC_Active();
            } catch (const std::exception& e) {
                // A port that fails in the middle of the initialisation: the
                // error is reported and the start goes on.
                host_->ReportError(e.what());
            }
            host_->SetCloseTimerEnabled(false);
            holder.clearUseIndexSection();
            Keys::Set(holder, Keys::WindowVisible, false);
        } else {
            silentInitStart_ = false;
            host_->SetCloseTimerEnabled(true);
            holder.clearUseIndexSection();
            Keys::Set(holder, Keys::WindowVisible, true);
        }
    }

    if (!silent) {
        if (isVisible()) hide();
        holder.clearUseIndexSection();
        if (!comFailed) {
            if (silentInitStart_) host_->SetProgramInitStart(true);
            silentInitStart_ = false;
            host_->ShowProgram();
            holder.clearUseIndexSection();
            Keys::Set(holder, Keys::WindowVisible, true);
        } else {
            Keys::Set(holder, Keys::WindowVisible, false);
        }
    }

    silentInitStart_ = false;
}
