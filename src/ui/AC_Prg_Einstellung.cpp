#include "ui/AC_Prg_Einstellung.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "device/BoxController.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muTraceScope.h"
#include "ui/DialogFrame.h"
#include "ui/HelpBinding.h"
#include "ui/ProgramActions.h"

TAC_Einstellung* AC_Einstellung = nullptr;

namespace {

using Kind = TmTraceScope::Kind;

constexpr int kMaxDelaySeconds = 16;
constexpr int kClientWidth = 440;
constexpr int kClientHeight = 380;
const char* const kHelpContextProperty = "helpContext";

struct TDesktopItem {
    const char* caption;
    const char* storedName;
};

// In index order; three columns filled column by column.
constexpr std::array<TDesktopItem, TAC_Einstellung::DesktopPositionCount> kDesktopItems = {{
    {"Oben-Links", "TopLeft"},
    {"Mitte-Links", "MiddleLeft"},
    {"Unten-Links", "ButtomLeft"},
    {"Oben-Mitte", "TopMiddle"},
    {"Mitte", "Middle"},
    {"Unten-Mitte", "ButtomMiddle"},
    {"Oben-Rechts", "TopRight"},
    {"Mitte-Rechts", "MiddleRight"},
    {"Unten-Rechts", "ButtomRight"},
}};

// The parity list of this page.
const QStringList& PageParities() {
    static const QStringList list = {QStringLiteral("Keine"), QStringLiteral("Ungarde"),
                                     QStringLiteral("Gerade"), QStringLiteral("Markierung"),
                                     QStringLiteral("Leerzeichen")};
    return list;
}

// The serial number in an answer to "atsn": after the first ":" up to the
// carriage return, trimmed; empty without a ":".
std::string SerialNumberOf(const std::string& answer) {
    const auto colon = answer.find(':');
    if (colon == std::string::npos) return {};
    std::string rest = answer.substr(colon + 1);
    const auto cr = rest.find('\r');
    if (cr != std::string::npos) rest.erase(cr);
    const auto b = rest.find_first_not_of(" \t\n");
    if (b == std::string::npos) return {};
    const auto e = rest.find_last_not_of(" \t\n");
    return rest.substr(b, e - b + 1);
}

}  // namespace

TAC_Einstellung::TAC_Einstellung() : TAC_Einstellung(TBoxLinks{}) {}

TAC_Einstellung::TAC_Einstellung(TBoxLinks links, QWidget* parent)
    // System menu and the "?" of context help.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint),
      form_(this),
      links_(links) {
    AC_Einstellung = this;
    setObjectName(QStringLiteral("AC_Einstellung"));
    SetName("AC_Einstellung");
    setWindowTitle(QStringLiteral("Tavrin"));
    setModal(true);
    setFont(DialogFrame::BaseFont());
    setProperty(kHelpContextProperty, FormHelpContext);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // The banner's pictures come first among the registered controls.
    column->addWidget(
        DialogFrame::BuildBanner(this, form_, QStringLiteral("Einstellungen..."), "Label_Einstellung"));

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl_Einstellungen"));
    pages_->setTabPosition(QTabWidget::South);
    pages_->setUsesScrollButtons(false);
    pages_->setDocumentMode(false);
    form_.AddControl(pages_, ControlClass::Other)->SetHelpContext(FormHelpContext);
    pageWidgets_[PageAllgemein] = BuildAllgemein();
    pageWidgets_[PageDesktop] = BuildDesktop();
    pageWidgets_[PageSchnittstelle] = BuildSchnittstelle();
    pageWidgets_[PageACModul] = BuildACModul();
    pageWidgets_[PageFirmware] = BuildFirmware();
    pageWidgets_[PageCOMPort] = BuildCOMPort();
    auto* pageArea = new QWidget(this);
    auto* pageColumn = new QVBoxLayout(pageArea);
    pageColumn->setContentsMargins(4, 4, 4, 0);
    pageColumn->addWidget(pages_);
    column->addWidget(pageArea, 1);
    column->addWidget(BuildButtonBar());

    // 440 x 380 as the dialog is drawn; wider where the system's font needs
    // more room for the six page tabs side by side.
    const int tabsWidth = pages_->tabBar()->sizeHint().width() + 2 * 4 + 8;
    setFixedSize(std::max(kClientWidth, tabsWidth), kClientHeight);

    // Closes no window by itself: its expiry presses Cancel.
    closeTimer_ = new TmCloseTimer(this);
    closeTimer_->SetName("mCloseTimer_5_Min");
    closeTimer_->SetTimerValue(TmStringTimer::Min_5);
    closeTimer_->SetOnCloseTimer([this](TComponent*) {
        closeTimer_->SetEnabled(false);
        cancel_->click();
    });

    if (links_.actions != nullptr) ConnectProgramActions();
    if (links_.hub != nullptr) {
        THelpBinding::BindSettingsDialog(*links_.hub->Components(), form_);
    }
}

TAC_Einstellung::~TAC_Einstellung() {
    if (links_.actions != nullptr) SetActionExecuteHandler(links_.actions->Action_AC_Prg_Setup(), {});
    if (AC_Einstellung == this) AC_Einstellung = nullptr;
}

// ---------------------------------------------------------------------------
// Building

QWidget* TAC_Einstellung::AddPage(const char* pageName, const QString& caption, const char* panelName,
                                  QWidget** panelOut) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(pageName));
    pages_->addTab(page, caption);
    form_.AddControl(page, ControlClass::Page);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(page);
    panel->setObjectName(QString::fromLatin1(panelName));
    form_.AddControl(panel, ControlClass::Panel);
    layout->addWidget(panel);
    *panelOut = panel;
    return page;
}

QGroupBox* TAC_Einstellung::AddGroup(QWidget* parent, const char* name, const QString& caption) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    form_.AddControl(group, ControlClass::GroupBox);
    return group;
}

QLabel* TAC_Einstellung::AddNote(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    form_.AddControl(label, ControlClass::Label);
    return label;
}

QWidget* TAC_Einstellung::BuildAllgemein() {
    QWidget* panel = nullptr;
    QWidget* page = AddPage("TabSheet_Allgemein", QStringLiteral(" Allgemein"), "Panel_Allgemein", &panel);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 6, 8, 6);

    QGroupBox* action = AddGroup(panel, "GroupBox_Program_action", QStringLiteral(" Programmaktion "));
    auto* actionColumn = new QVBoxLayout(action);
    actionColumn->setSpacing(1);
    autoClose_ = new QCheckBox(QStringLiteral("Bei längerer Inaktivität den Tavrin automatisch"), action);
    autoClose_->setObjectName(QStringLiteral("CheckBox_Autoclose_15min"));
    form_.AddControl(autoClose_, ControlClass::CheckBox);
    actionColumn->addWidget(autoClose_);
    const int indent = style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                       style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    for (const auto& [name, text] :
         {std::pair{"Label_Autoclose1", "schließen nach 15 Minuten. "},
          std::pair{"Label_Autoclose2", "Das Programm wird hierbei nicht beendet."}}) {
        QLabel* label = AddNote(action, name, QString::fromUtf8(text));
        label->setContentsMargins(indent, 0, 0, 0);
        actionColumn->addWidget(label);
    }
    column->addWidget(action);

    QGroupBox* program = AddGroup(panel, "GroupBox_Program", QStringLiteral(" Programm "));
    auto* programColumn = new QVBoxLayout(program);
    autoStart_ = new QCheckBox(QStringLiteral("Windows Autostart vom Tavrin aktivieren."), program);
    autoStart_->setObjectName(QStringLiteral("CheckBox_Autostart"));
    form_.AddControl(autoStart_, ControlClass::CheckBox);
    programColumn->addWidget(autoStart_);
    silent_ = new QCheckBox(QStringLiteral("Silent-Modus vom Tavrin aktivieren."), program);
    silent_->setObjectName(QStringLiteral("CheckBox_Autostat_Silent"));
    form_.AddControl(silent_, ControlClass::CheckBox);
    programColumn->addWidget(silent_);
    column->addWidget(program);
    column->addStretch(1);

    autoCloseAction_ = new QAction(this);
    autoCloseAction_->setObjectName(QStringLiteral("Action_PWD_AutoClose"));
    form_.AddControl(autoCloseAction_, ControlClass::Other);
    connect(autoCloseAction_, &QAction::triggered, this, [this] { Action_PWD_AutoCloseExecute(); });
    connect(autoClose_, &QCheckBox::toggled, autoCloseAction_, [this](bool) { autoCloseAction_->trigger(); });
    return page;
}

QWidget* TAC_Einstellung::BuildDesktop() {
    QWidget* panel = nullptr;
    QWidget* page = AddPage("TabSheet_Desktop", QStringLiteral(" Desktop "), "Panel_Desktop", &panel);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 6, 8, 6);

    desktopGroup_ = new QGroupBox(QStringLiteral(" Desktop-Position "), panel);
    desktopGroup_->setObjectName(QStringLiteral("RadioGroup_Desktop"));
    desktopGroup_->setToolTip(QStringLiteral("Desktop-Einstellung festlegen."));
    form_.AddControl(desktopGroup_, ControlClass::RadioGroup)->SetHelpContext(RadioGroupHelpContext);
    auto* grid = new QGridLayout(desktopGroup_);
    grid->setHorizontalSpacing(12);
    desktopButtons_ = new QButtonGroup(desktopGroup_);
    for (int i = 0; i < DesktopPositionCount; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(kDesktopItems[i].caption), desktopGroup_);
        item->setObjectName(QStringLiteral("RadioGroup_Desktop_%1").arg(i));
        desktopButtons_->addButton(item, i);
        grid->addWidget(item, i % 3, i / 3);
        desktopItems_[i] = item;
    }
    connect(desktopButtons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) RadioGroup_DesktopClick(id);
    });
    column->addWidget(desktopGroup_);

    auto* info = new QFrame(panel);
    info->setObjectName(QStringLiteral("Panel_InfoDesktop"));
    info->setFrameShape(QFrame::StyledPanel);
    form_.AddControl(info, ControlClass::Panel);
    auto* infoColumn = new QVBoxLayout(info);
    infoColumn->addWidget(AddNote(
        info, "Label_InfoDesktop",
        QStringLiteral("Die Desktop - Einstellung ist keine statische Festlegung, sondern nur "
                       "Benutzerbezogen.  Wer also keine Lust hat ein Fenster zu schieben, der kann das "
                       "über die Desktop-Position festlegen.")));
    column->addWidget(info);
    column->addStretch(1);
    return page;
}

QWidget* TAC_Einstellung::BuildSchnittstelle() {
    QWidget* panel = nullptr;
    QWidget* page = AddPage("TabSheet_Schnittstelle", QStringLiteral(" Serielle-Schnittstelle "),
                            "Panel_Schnittstelle", &panel);
    form_.ControlOf(panel)->SetHelpContext(SerialPageHelpContext);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 6, 8, 6);

    QGroupBox* group = AddGroup(panel, "GroupBox_Schnittstelle", QStringLiteral(" Schnittstelle "));
    portView_ = ComParameterView::Build(group, form_, PageParities(), false, 3);
    row->addWidget(group, 1);

    auto* side = new QVBoxLayout;
    setComPort_ = new QPushButton(QStringLiteral("Schnittstelle"), panel);
    setComPort_->setObjectName(QStringLiteral("Button_SetCOMPort"));
    form_.AddControl(setComPort_, ControlClass::Button)->SetHelpContext(SerialPageHelpContext);
    connect(setComPort_, &QPushButton::clicked, this, [this] { Button_SetCOMPortClick(); });
    side->addWidget(setComPort_);
    QLabel* note = AddNote(panel, "Label_PL2303", QStringLiteral("ACHTUNG:     PL-2303 - 115200 Baud Max. "));
    note->setFixedWidth(110);
    side->addWidget(note);
    side->addStretch(1);
    row->addLayout(side);
    return page;
}

QWidget* TAC_Einstellung::BuildACModul() {
    QWidget* panel = nullptr;
    QWidget* page = AddPage("Tabsheeet_AC_Modul", QStringLiteral("AC-Modul"), "Panel_AC_Modul", &panel);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(6, 4, 6, 0);
    column->setSpacing(2);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    column->addLayout(grid, 1);

    // " Werkseinstellung ": factory reset.
    QGroupBox* factory = AddGroup(panel, "GroupBox_Werkseinstellung", QStringLiteral(" Werkseinstellung "));
    auto* factoryColumn = new QVBoxLayout(factory);
    factoryColumn->setSpacing(2);
    resetAction_ = new QAction(QStringLiteral("Werkseinstellung"), this);
    resetAction_->setObjectName(QStringLiteral("Action_NELTA_Default_Reset"));
    form_.AddControl(resetAction_, ControlClass::Other);
    connect(resetAction_, &QAction::triggered, this, [this] { Action_NELTA_Default_ResetExecute(); });
    reset_ = new QPushButton(resetAction_->text(), factory);
    reset_->setObjectName(QStringLiteral("Button_NELTA_RESET"));
    form_.AddControl(reset_, ControlClass::Button);
    connect(reset_, &QPushButton::clicked, resetAction_, [this] { resetAction_->trigger(); });
    factoryColumn->addWidget(reset_);
    factoryColumn->addWidget(
        AddNote(factory, "Label_Werkseinstellung",
                QStringLiteral("Werkseinstellung von AC-Dosen auslösen. Die Steck- dosenleiste "
                               "wird in den Ursprungszustand gebracht. Hilfreich beim "
                               "Passwort-Fehlern.")),
        1);
    grid->addWidget(factory, 0, 0, 2, 1);

    // " NELTA Schaltzeiten  ": the switching delay.
    QGroupBox* delayGroup =
        AddGroup(panel, "GroupBox_NELTA_Schaltzeiten", QStringLiteral(" NELTA Schaltzeiten  "));
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
    QObject::connect(delayActive_, &QCheckBox::toggled, delayAction_,
                     [this](bool) { delayAction_->trigger(); });
    delayTime_ = new QComboBox(delayGroup);
    delayTime_->setObjectName(QStringLiteral("ComboBox_NELTA_TIME"));
    for (int t = 0; t <= kMaxDelaySeconds; ++t) delayTime_->addItem(QString::number(t));
    delayTime_->setCurrentIndex(0);
    form_.AddControl(delayTime_, ControlClass::ComboBox);
    auto* delayRow = new QHBoxLayout(delayGroup);
    delayRow->addWidget(delayActive_);
    delayRow->addWidget(delayTime_);
    delayRow->addWidget(new QLabel(QStringLiteral("Sek."), delayGroup));
    delayRow->addStretch(1);
    grid->addWidget(delayGroup, 0, 1);

    // " NELTA Passwort ": shown, without a function.
    QGroupBox* pwdGroup = AddGroup(panel, "GroupBox_NELTA_Passwort", QStringLiteral(" NELTA Passwort "));
    pwdActive_ = new QCheckBox(QStringLiteral("Aktiv"), pwdGroup);
    pwdActive_->setObjectName(QStringLiteral("AC_PWD_Active"));
    pwdActive_->setEnabled(false);
    form_.AddControl(pwdActive_, ControlClass::CheckBox);
    pwdEdit_ = new QLineEdit(pwdGroup);
    pwdEdit_->setObjectName(QStringLiteral("AC_Edit_PWD"));
    pwdEdit_->setEchoMode(QLineEdit::Password);
    pwdEdit_->setEnabled(false);
    form_.AddControl(pwdEdit_, ControlClass::Edit);
    auto* pwdRow = new QHBoxLayout(pwdGroup);
    pwdRow->addWidget(pwdActive_);
    pwdRow->addWidget(pwdEdit_, 1);
    grid->addWidget(pwdGroup, 1, 1);

    // " NELTA Beeper ".
    QGroupBox* beeperGroup = AddGroup(panel, "GroupBox_NELTA_Beeper", QStringLiteral(" NELTA Beeper "));
    beeperAction_ = new QAction(this);
    beeperAction_->setObjectName(QStringLiteral("Action_NELTA_Beeper"));
    form_.AddControl(beeperAction_, ControlClass::Other);
    connect(beeperAction_, &QAction::triggered, this, [this] { Action_NELTA_BeeperExecute(); });
    beeper_ = new QCheckBox(QStringLiteral("Aktiv"), beeperGroup);
    beeper_->setObjectName(QStringLiteral("CheckBox_Beeper"));
    form_.AddControl(beeper_, ControlClass::CheckBox);
    connect(beeper_, &QCheckBox::toggled, beeperAction_, [this](bool) { beeperAction_->trigger(); });
    auto* beeperRow = new QHBoxLayout(beeperGroup);
    beeperRow->addWidget(beeper_);
    beeperRow->addWidget(new QLabel(QStringLiteral("- Beeper"), beeperGroup));
    beeperRow->addStretch(1);
    grid->addWidget(beeperGroup, 2, 0);

    // " NELTA SN. ": the serial number.
    QGroupBox* snGroup = AddGroup(panel, "GroupBox_NELTA_SN", QStringLiteral(" NELTA SN. "));
    serialNumber_ = new QLabel(QStringLiteral("0"), snGroup);
    serialNumber_->setObjectName(QStringLiteral("Label_Edit_NELTA_SN"));
    serialNumber_->setFont(DialogFrame::BoldPixelFont(font(), 20));
    serialNumber_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form_.AddControl(serialNumber_, ControlClass::Label);
    auto* snRow = new QHBoxLayout(snGroup);
    snRow->addWidget(serialNumber_);
    grid->addWidget(snGroup, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    statusBar_ = new QStatusBar(panel);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusPanels_[0] = new QLabel(QStringLiteral("Status:"), statusBar_);
    statusPanels_[1] = new QLabel(statusBar_);
    statusBar_->addWidget(statusPanels_[0]);
    statusBar_->addWidget(statusPanels_[1], 1);
    column->addWidget(statusBar_);
    return page;
}

QWidget* TAC_Einstellung::BuildFirmware() {
    QWidget* panel = nullptr;
    QWidget* page = AddPage("TabSheet1", QStringLiteral("Firmware"), "Panel_Firmware", &panel);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 6, 8, 6);
    QLabel* note =
        AddNote(panel, "Label_Firmware",
                QStringLiteral("Firmware von USB AC-Steckdosen, USB-Steuer- Modulen oder von USB-Funk-"
                               "Modulen einspielen. "));
    note->setEnabled(false);
    column->addWidget(note);
    auto* edit = new QLineEdit(panel);
    edit->setObjectName(QStringLiteral("Edit_Firmware"));
    edit->setEnabled(false);
    form_.AddControl(edit, ControlClass::Edit);
    column->addWidget(edit);
    auto* row = new QHBoxLayout;
    for (const auto& [name, caption] : {std::pair{"Button_Firmware_Check", "Firmware prüfen"},
                                        std::pair{"Button_Firmware_Load", "Firmware einspielen"}}) {
        auto* button = new QPushButton(QString::fromUtf8(caption), panel);
        button->setObjectName(QString::fromLatin1(name));
        button->setEnabled(false);
        form_.AddControl(button, ControlClass::Button);
        row->addWidget(button);
    }
    row->addStretch(1);
    column->addLayout(row);
    column->addStretch(1);
    return page;
}

QWidget* TAC_Einstellung::BuildCOMPort() {
    QWidget* panel = nullptr;
    QWidget* page = AddPage("TabSheet_COM_Port2", QStringLiteral("COM-Port Logging"), "Panel2", &panel);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    memoCOMPort_ = new QPlainTextEdit(panel);
    memoCOMPort_->setObjectName(QStringLiteral("Memo_COMPort"));
    memoCOMPort_->setReadOnly(true);
    memoCOMPort_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoCOMPort_->setMaximumBlockCount(MemoLineLimit);
    memoCOMPort_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    form_.AddControl(memoCOMPort_, ControlClass::Memo);
    column->addWidget(memoCOMPort_, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    clearMemo_ = new QPushButton(QStringLiteral("Löschen"), panel);
    clearMemo_->setObjectName(QStringLiteral("Button_Loeschen"));
    form_.AddControl(clearMemo_, ControlClass::Button);
    connect(clearMemo_, &QPushButton::clicked, this, [this] { Button_LoeschenClick(); });
    row->addWidget(clearMemo_);
    column->addLayout(row);
    return page;
}

QWidget* TAC_Einstellung::BuildButtonBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 6, 8, 6);
    row->addStretch(1);
    closeTimerAction_ = new QAction(this);
    closeTimerAction_->setObjectName(QStringLiteral("Action_Close_Timer_Setup"));
    form_.AddControl(closeTimerAction_, ControlClass::Other);
    connect(closeTimerAction_, &QAction::triggered, this, [this] { closeTimer_->SetEnabled(false); });
    auto addButton = [&](const char* name, const QString& caption, QStyle::StandardPixmap glyph, int result) {
        auto* button = new QPushButton(style()->standardIcon(glyph), caption, bar);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(121, 40);
        form_.AddControl(button, ControlClass::Button);
        connect(button, &QPushButton::clicked, this,
                [this, result] { Action_Close_Timer_SetupExecute(result); });
        row->addWidget(button);
        return button;
    };
    ok_ = addButton("BitBtn_Ok_Setup", QStringLiteral("&Ok"), QStyle::SP_DialogOkButton, 1);
    cancel_ =
        addButton("BitBtn_Cancel_Setup", QStringLiteral("&Abbrechen"), QStyle::SP_DialogCancelButton, 2);
    ok_->setDefault(true);
    return bar;
}

void TAC_Einstellung::ConnectProgramActions() {
    const TProgramActions& actions = *links_.actions;
    SetActionExecuteHandler(actions.Action_AC_Prg_Setup(), [this] { Action_AC_Prg_SetupExecute(); });
    // The two start options run the main window's actions; their captions
    // follow the actions'.
    for (const auto& option : {std::pair{autoStart_, actions.Action_SetAutoStart()},
                               std::pair{silent_, actions.Action_SetSilent()}}) {
        QCheckBox* box = option.first;
        QAction* action = option.second;
        if (action == nullptr) continue;
        box->setText(action->text());
        connect(action, &QAction::changed, box, [box, action] { box->setText(action->text()); });
        connect(box, &QCheckBox::toggled, action, [action](bool) { action->trigger(); });
    }
}

// ---------------------------------------------------------------------------
// Accessors

QWidget* TAC_Einstellung::PageWidget(Page page) const {
    return page >= 0 && page < static_cast<int>(pageWidgets_.size()) ? pageWidgets_[page] : nullptr;
}

QRadioButton* TAC_Einstellung::DesktopItem(int index) const {
    return index >= 0 && index < DesktopPositionCount ? desktopItems_[index] : nullptr;
}

int TAC_Einstellung::DesktopItemIndex() const { return desktopButtons_->checkedId(); }

const char* TAC_Einstellung::DesktopItemCaption(int index) {
    return index >= 0 && index < DesktopPositionCount ? kDesktopItems[index].caption : "";
}

const char* TAC_Einstellung::DesktopStoredName(int index) {
    return index >= 0 && index < DesktopPositionCount ? kDesktopItems[index].storedName : "";
}

QString TAC_Einstellung::StatusPanelText(int index) const {
    return index >= 0 && index < 2 ? statusPanels_[index]->text() : QString();
}

void TAC_Einstellung::SetStatusPanelText(int index, const QString& text) {
    if (index >= 0 && index < 2) statusPanels_[index]->setText(text);
}

TmVedadAzaro* TAC_Einstellung::Hub() const { return links_.hub; }

TmuDataholder* TAC_Einstellung::Holder() const {
    TmVedadAzaro* hub = Hub();
    return hub != nullptr ? hub->Dataholder() : nullptr;
}

void TAC_Einstellung::LoadCheckBox(QCheckBox* box, bool value) {
    if (box != nullptr) box->setChecked(value);
}

// ---------------------------------------------------------------------------
// Opening and activation

void TAC_Einstellung::PrepareOpening() {
    TmuLogging* log = links_.Log();
    TmTraceScope trace(log, Kind::Procedure, "TTavrin1.Action_AC_Prg_SetupExecute");
    if (log != nullptr) log->addText("Setup ausführen...");
    DialogFrame::HandOverTop(links_, form_);
    DialogFrame::PlaceBeside(links_, form_);
    if (TmuDataholder* holder = Holder()) {
        holder->clearUseIndexSection();
        LoadCheckBox(autoStart_, Keys::Get(*holder, Keys::AutoStart));
    }
    ShowStoredDesktopPosition();
    pages_->setCurrentIndex(0);
}

void TAC_Einstellung::Action_AC_Prg_SetupExecute() {
    // Already open (the tray menu reaches the action while the dialog is
    // shown): it only comes to the front.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    PrepareOpening();
    exec();
}

void TAC_Einstellung::ShowStoredDesktopPosition() {
    TmuDataholder* holder = Holder();
    if (holder == nullptr) return;
    holder->clearUseIndexSection();
    const std::string stored = Keys::Get(*holder, Keys::FormPos);
    int index = -1;
    for (int i = 0; i < DesktopPositionCount; ++i) {
        if (stored == kDesktopItems[i].storedName) index = i;
    }
    const QSignalBlocker block(desktopButtons_);
    if (index >= 0) {
        desktopItems_[index]->setChecked(true);
    } else if (QAbstractButton* checked = desktopButtons_->checkedButton()) {
        desktopButtons_->setExclusive(false);
        checked->setChecked(false);
        desktopButtons_->setExclusive(true);
    }
}

bool TAC_Einstellung::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && isVisible()) FormActivate();
    // However the dialog was closed, its countdown ends with it.
    if (e->type() == QEvent::Hide) closeTimer_->SetEnabled(false);
    return QDialog::event(e);
}

void TAC_Einstellung::FormActivate() {
    // The box exchange below serves the message queue; an activation in the
    // middle of it does not start a second exchange.
    if (activating_) return;
    activating_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{activating_};

    TmuLogging* log = links_.Log();
    TmTraceScope trace(log, Kind::Procedure, "TForm_AC_Einstellung1.FormActivate");
    SetStatusPanelText(1, QString());
    ok_->setToolTip(QString::fromUtf8(kOkHint));
    cancel_->setToolTip(QString::fromUtf8(kCancelHint));

    ShowPortView();
    closeTimer_->SetEnabled(true);

    TmuDataholder* holder = Holder();
    if (holder == nullptr) return;
    holder->clearUseIndexSection();
    LoadCheckBox(autoStart_, Keys::Get(*holder, Keys::AutoStart));
    LoadCheckBox(silent_, Keys::Get(*holder, Keys::Silent));
    LoadCheckBox(autoClose_, Keys::Get(*holder, Keys::PrgHide));

    ReadSerialNumber();

    holder->clearUseIndexSection();
    LoadCheckBox(beeper_, Keys::Get(*holder, Keys::Beeper));
}

void TAC_Einstellung::ShowPortView() {
    ComParameterView::Fill(portView_, ComParameterView::ProgramPortParameters(links_));
}

void TAC_Einstellung::ReadSerialNumber() {
    if (links_.box == nullptr) return;
    links_.box->ReadSerialNumber([this](const std::string& answer) {
        TmuDataholder* holder = Holder();
        const std::string serial = SerialNumberOf(answer);
        holder->clearUseIndexSection();
        Keys::Set(*holder, Keys::SerialNumber, serial);
        serialNumber_->setText(QString::fromStdString(serial));

        SelectDelay(Keys::Get(*holder, Keys::DelayTime));
        LoadCheckBox(delayActive_, Keys::Get(*holder, Keys::Delay));
        if (!answer.empty()) SetStatusPanelText(1, QString());
    });
}

// ---------------------------------------------------------------------------
// Option handlers

void TAC_Einstellung::Action_PWD_AutoCloseExecute() {
    TmTraceScope trace(links_.Log(), Kind::Procedure, "TForm_AC_Einstellung1.Action_PWD_AutoCloseExecute");
    const bool ticked = autoClose_->isChecked();
    if (links_.closeTimer != nullptr) links_.closeTimer->SetEnabled(ticked);
    if (TmuDataholder* holder = Holder()) {
        holder->clearUseIndexSection();
        Keys::Set(*holder, Keys::PrgHide, ticked);
    }
}

void TAC_Einstellung::RadioGroup_DesktopClick(int index) {
    TmTraceScope trace(links_.Log(), Kind::Procedure, "TForm_AC_Einstellung1.RadioGroup_DesktopClick");
    if (links_.actions == nullptr || index < 0 || index >= DesktopPositionCount) return;
    const int preset =
        TProgramActions::DesktopPresetIndex(QString::fromLatin1(kDesktopItems[index].storedName));
    if (QAction* action = links_.actions->Action_Desktop(preset)) action->trigger();
    DialogFrame::PlaceBeside(links_, form_);
}

void TAC_Einstellung::SelectDelay(int seconds) {
    delayTime_->setCurrentIndex(seconds >= 0 && seconds <= kMaxDelaySeconds ? seconds : -1);
}

void TAC_Einstellung::SetDelayActive(bool active) { delayActive_->setChecked(active); }

void TAC_Einstellung::Action_NELTA_PULSTIMEExecute() {
    if (links_.box == nullptr) return;
    const bool ticked = delayActive_->isChecked();
    links_.box->SetDelay(ticked, delayTime_->currentText().toStdString(),
                         [this, ticked](const std::string& sent) {
                             if (!ticked) delayTime_->setCurrentIndex(0);
                             SetStatusPanelText(1, QString::fromStdString("SET: ATT" + sent));
                         });
}

void TAC_Einstellung::Action_NELTA_BeeperExecute() {
    TmTraceScope trace(links_.Log(), Kind::Procedure, "TForm_AC_Einstellung1.Action_NELTA_BeeperExecute");
    if (links_.box != nullptr) links_.box->SetBeeper(beeper_->isChecked());
}

void TAC_Einstellung::Action_NELTA_Default_ResetExecute() {
    TmTraceScope trace(links_.Log(), Kind::Procedure,
                       "TForm_AC_Einstellung1.Action_NELTA_Default_ResetExecute");
    if (links_.box == nullptr) return;
    links_.box->FactoryReset([this](const std::string& answer) {
        if (!answer.empty()) SetStatusPanelText(1, QStringLiteral("RESET"));
    });
}

void TAC_Einstellung::Button_SetCOMPortClick() {
    if (AC_COM == nullptr) return;
    AC_COM->Execute(DialogFrame::Placement(links_), &form_, ComParameterView::ProgramPortParameters(links_));
}

void TAC_Einstellung::Button_LoeschenClick() { memoCOMPort_->clear(); }

void TAC_Einstellung::Action_Close_Timer_SetupExecute(int result) {
    closeTimerAction_->trigger();
    done(result);
}
