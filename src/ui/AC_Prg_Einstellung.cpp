#include "ui/AC_Prg_Einstellung.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QVBoxLayout>
#include <optional>

#include "device/muATCmd.h"
#include "store/muDataHolder.h"
#include "store/muTraceScope.h"
#include "toolkit/mVedadAzaro.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "ui/CommandExchange.h"
#include "ui/SocketSwitching.h"

TAC_Einstellung* AC_Einstellung = nullptr;

namespace {

constexpr int kMaxDelaySeconds = 16;

}  // namespace

TAC_Einstellung::TAC_Einstellung(QWidget* parent) : QDialog(parent), form_(this) {
    AC_Einstellung = this;
    setObjectName(QStringLiteral("AC_Einstellung"));
    SetName("AC_Einstellung");
    setWindowTitle(QStringLiteral("Tavrin"));

    memoCOMPort_ = new QPlainTextEdit(this);
    memoCOMPort_->setObjectName(QStringLiteral("Memo_COMPort"));
    memoCOMPort_->setReadOnly(true);
    memoCOMPort_->setLineWrapMode(QPlainTextEdit::NoWrap);
    form_.AddControl(memoCOMPort_, ControlClass::Memo);

    // Group " NELTA Schaltzeiten  ": the delay option.
    auto* delayGroup = new QGroupBox(QStringLiteral(" NELTA Schaltzeiten  "), this);
    delayGroup->setObjectName(QStringLiteral("GroupBox_NELTA_Schaltzeiten"));
    form_.AddControl(delayGroup, ControlClass::GroupBox);

    delayAction_ = new QAction(QStringLiteral("Aktiv"), this);
    delayAction_->setObjectName(QStringLiteral("Action_NELTA_PULSTIME"));
    delayAction_->setToolTip(QStringLiteral("AC-Schaltzeiten"));
    form_.AddControl(delayAction_, ControlClass::Other);
    QObject::connect(delayAction_, &QAction::triggered, this, [this] { Action_NELTA_PULSTIMEExecute(); });

    delayActive_ = new QCheckBox(QStringLiteral("Aktiv"), delayGroup);
    delayActive_->setObjectName(QStringLiteral("AC_OnOFF_Delay"));
    delayActive_->setToolTip(QStringLiteral("AC-Schaltzeiten"));
    form_.AddControl(delayActive_, ControlClass::CheckBox);
    // Every change of the state runs the action, also one made by the program.
    QObject::connect(delayActive_, &QCheckBox::toggled, delayAction_, [this](bool) { delayAction_->trigger(); });

    delayTime_ = new QComboBox(delayGroup);
    delayTime_->setObjectName(QStringLiteral("ComboBox_NELTA_TIME"));
    for (int t = 0; t <= kMaxDelaySeconds; ++t) delayTime_->addItem(QString::number(t));
    delayTime_->setCurrentIndex(0);
    form_.AddControl(delayTime_, ControlClass::ComboBox);

    auto* seconds = new QLabel(QStringLiteral("Sek."), delayGroup);
    auto* delayRow = new QHBoxLayout(delayGroup);
    delayRow->addWidget(delayActive_);
    delayRow->addWidget(delayTime_);
    delayRow->addWidget(seconds);
    delayRow->addStretch(1);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusPanels_[0] = new QLabel(QStringLiteral("Status:"), statusBar_);
    statusPanels_[1] = new QLabel(statusBar_);
    statusBar_->addWidget(statusPanels_[0]);
    statusBar_->addWidget(statusPanels_[1], 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(delayGroup);
    layout->addWidget(memoCOMPort_, 1);
    layout->addWidget(statusBar_);
}

TAC_Einstellung::~TAC_Einstellung() {
    if (AC_Einstellung == this) AC_Einstellung = nullptr;
}

QString TAC_Einstellung::StatusPanelText(int index) const {
    return index >= 0 && index < 2 ? statusPanels_[index]->text() : QString();
}

void TAC_Einstellung::SetStatusPanelText(int index, const QString& text) {
    if (index >= 0 && index < 2) statusPanels_[index]->setText(text);
}

void TAC_Einstellung::SelectDelay(int seconds) {
    delayTime_->setCurrentIndex(seconds >= 0 && seconds <= kMaxDelaySeconds ? seconds : -1);
}

void TAC_Einstellung::SetDelayActive(bool active) { delayActive_->setChecked(active); }

bool TAC_Einstellung::BoxAnswers() {
    if (links_.hub == nullptr || links_.exchange == nullptr) return false;
    links_.hub->OperationSystem()->SetProcessMessages(1);
    TmuATCmd* at = links_.exchange->ATCmd();
    return links_.exchange->PortOpen() && at != nullptr && at->CheckATCmd();
}

void TAC_Einstellung::Action_NELTA_PULSTIMEExecute() {
    TmuLogging* log = links_.exchange ? links_.exchange->ProgramLog() : nullptr;
    TmTraceScope trace(log, TmTraceScope::Kind::Procedure, "TForm_AC_Einstellung1.Action_NELTA_PULSTIMEExecute");
    // Switching actions of the user wait while the option talks to the box.
    std::optional<TSocketSwitching::TExchangeScope> exchangeScope;
    if (links_.switching != nullptr) exchangeScope.emplace(*links_.switching);
    if (!BoxAnswers()) return;

    TmuDataholder* holder = links_.hub->Dataholder();
    holder->UseIndex = "AC01";
    holder->UseSection = "AC";
    if (delayActive_->isChecked()) {
        holder->setValueBoolean("AC_DELAY", true);
        holder->setValueInteger("AC_DELAYTIME", delayTime_->currentText().toInt());
    } else {
        holder->setValueBoolean("AC_DELAY", false);
        holder->setValueInteger("AC_DELAYTIME", 0);
        delayTime_->setCurrentIndex(0);
    }
    holder->clearUseIndexSection();

    // No entry selected counts as no delay.
    std::string seconds = delayTime_->currentText().toStdString();
    if (seconds.empty()) seconds = "0";
    std::string answer;
    links_.exchange->ATCmd()->SetATTCmd(seconds, answer);
    links_.exchange->AddMemoLine("SEND: ATT" + seconds);
    links_.exchange->AddMemoLine("RECV: " + answer);
    SetStatusPanelText(1, QString::fromStdString("SET: ATT" + seconds));
}
