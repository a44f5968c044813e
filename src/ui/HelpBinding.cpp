#include "ui/HelpBinding.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QWhatsThis>
#include <QWidget>
#include <array>

#include "hub/mVedadAzaro.h"
#include "hub/muComponents.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Platform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"
#include "toolkit/qt/QtForm.h"
#include "ui/HelpViewer.h"

namespace {

using Kind = TmTraceScope::Kind;

const char* const kHelpContextProperty = "helpContext";
// Help on the help window itself (hlp_hilfefenster).
constexpr int kHelpWindowContext = 1110;

std::string Topic(const char* name) { return Keys::HelpTopic(name).path; }

int ContextOf(const QObject* object) { return object ? object->property(kHelpContextProperty).toInt() : 0; }

// The context of a menu's or menu bar's entry: the entry's own, else that of
// the submenu it opens.
int EntryContext(const QAction* entry) {
    if (!entry) return 0;
    if (const int c = ContextOf(entry)) return c;
    return entry->menu() ? ContextOf(entry->menu()) : 0;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

// ---------------------------------------------------------------------------
// THookHelpSystem

THookHelpSystem::THookHelpSystem(const std::string& helpFile) : helpFile_(helpFile) {
    viewer_ = std::make_unique<THelpViewer>();
    viewer_->setProperty(kHelpContextProperty, kHelpWindowContext);
    viewer_->Open(helpFile_);
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

THookHelpSystem::~THookHelpSystem() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool THookHelpSystem::ViewerReadsFile() const { return viewer_->IsOpen(); }

bool THookHelpSystem::HelpContext(int context) { return viewer_->ShowContext(context); }

int THookHelpSystem::HelpContextOf(QObject* object) {
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        if (const int c = EntryContext(menu->activeAction())) return c;
    } else if (auto* bar = qobject_cast<QMenuBar*>(object)) {
        if (const int c = EntryContext(bar->activeAction())) return c;
    } else if (auto* tabs = qobject_cast<QTabWidget*>(object ? object->parent() : nullptr)) {
        // The tabs of a page control: the page shown.
        if (qobject_cast<QTabBar*>(object) && tabs->currentWidget()) object = tabs->currentWidget();
    }
    for (QObject* o = object; o != nullptr; o = o->parent()) {
        if (const int c = ContextOf(o)) return c;
    }
    return 0;
}

bool THookHelpSystem::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return false;
    switch (event->type()) {
        case QEvent::KeyPress: {
            // The first widget the key reaches (the focus widget or the open menu).
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
            HelpContext(HelpContextOf(watched));
            return true;
        }
        case QEvent::QueryWhatsThis:
            // Every control has help: the "?" cursor stays over all of them.
            event->accept();
            return true;
        case QEvent::WhatsThis:
            // The control clicked after the "?" of the title bar.
            event->accept();
            if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
            HelpContext(HelpContextOf(watched));
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------
// THelpBinding

THelpBinding::THelpBinding(TLinks links) : links_(std::move(links)) {
    SetActionExecuteHandler(links_.helpAction, [this] { Action_AC_Prg_HelpExecute(); });
}

THelpBinding::~THelpBinding() = default;

TmuLogging* THelpBinding::Log() const { return links_.programLogging ? links_.programLogging() : nullptr; }

void THelpBinding::InitHelp() {
    TmuDataholder* holder = links_.hub.Dataholder();
    holder->clearUseIndexSection();
    const std::string helpFile = Keys::Get(*holder, Keys::ResolvedHelpFile);
    hook_.reset();
    if (fs_boundary::FileExists(helpFile)) {
        hook_ = std::make_unique<THookHelpSystem>(helpFile);
        if (!hook_->ViewerReadsFile()) {
            if (TmuLogging* log = Log())
                log->addErr("Hilfe-Datei nicht lesbar: " + helpFile + " (" + hook_->Viewer()->LastError() +
                            ")");
            GetPlatform().MessageBox(kViewerMessage, "", MsgButtons::Ok, MsgIcon::Warning);
        }
    } else {
        GetPlatform().MessageBox(kFileMissingMessage + helpFile, "", MsgButtons::Ok, MsgIcon::Warning);
    }
    Update_HelpIndex();
}

void THelpBinding::Update_HelpIndex() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Update_HelpIndex");
    TmuComponents* binder = links_.hub.Components();
    TmuDataholder* holder = links_.hub.Dataholder();
    Form* form = &links_.form;
    holder->clearUseIndexSection();

    // 1. The menu items of the main window and of its tray menu.
    static const std::array<std::pair<const char*, const char*>, 15> kMenuItems = {{
        {"Menu_Datei", "hlp_menudatei"},
        {"Tavrin_schliesen", "hlp_tavrinschliessen"},
        {"Beenden", "hlp_beenden"},
        {"Menu_Einstellungen", "hlp_menueinstellungen"},
        {"Menu_Steckdosen", "hlp_steckdosen"},
        {"Menu_Hilfe", "hlp_menuhilfe"},
        // The help window's item is named Hilfe.
        {"Hilfe", "hlp_hilfefenster"},
        {"Info", "hlp_info"},
        {"Tray_Steckdosen_Popup", "hlp_traysteckdosenpopup"},
        {"Tray_Tavrin_offnen", "hlp_traypopuptavrinoeffne"},
        {"Tray_Tavrin_schliesen", "hlp_traytavrinschliessen"},
        {"Tray_Einstellungen", "hlp_trayeinstellungen"},
        {"Tray_Update", "hlp_trayupdate"},
        {"Tray_Info", "hlp_trayinfo"},
        {"Tray_Beenden", "hlp_traybeenden"},
    }};
    for (const auto& [item, topic] : kMenuItems) binder->SetMenuItem(form, item, Topic(topic), "HelpContext");

    // 2. Every component once: the tray's socket entries, socket menu items,
    //    and the page slots' edit buttons.
    const int trayContext = Keys::Get(*holder, Keys::HelpTopic("hlp_traysteckdosenpopup"));
    const int socketContext = Keys::Get(*holder, Keys::HelpTopic("hlp_steckdosen"));
    const int editContext = Keys::Get(*holder, Keys::HelpTopic("hlp_steckdoseeditieren"));
    for (Control* control : form->OwnedControls()) {
        const std::string name = control->Name();
        if (control->IsOfClass(ControlClass::MenuItem)) {
            if (StartsWith(name, "Tray_Steckdose"))
                control->SetHelpContext(trayContext);
            else if (StartsWith(name, "Steckdose"))
                control->SetHelpContext(socketContext);
        } else if (control->IsOfClass(ControlClass::SpeedButton) && StartsWith(name, "SpeedButton_Edit")) {
            control->SetHelpContext(editContext);
            // The hint from the hint table when it has one; the buttons keep
            // "Steckdose editieren." otherwise.
            const std::string hint = Keys::Get(*holder, Keys::EditButtonHint);
            if (!hint.empty()) control->SetHint(hint);
        }
    }
}

void THelpBinding::BindSettingsDialog(TmuComponents& binder, Form& dialog) {
    const std::string item = "HelpContext";
    const std::string general = Topic("hlp_einstellungallgemein");
    binder.SetTabsheet(&dialog, "TabSheet_Allgemein", general, item);
    binder.SetPanel(&dialog, "Panel_Allgemein", general, item);

    const std::string desktop = Topic("hlp_desktopposition");
    binder.SetTabsheet(&dialog, "TabSheet_Desktop", desktop, item);
    binder.SetPanel(&dialog, "Panel_InfoDesktop", desktop, item);
    binder.SetRadioGroup(&dialog, "RadioGroup_Desktop", desktop, item);

    const std::string serial = Topic("hlp_einstellungschnittstelle");
    binder.SetTabsheet(&dialog, "TabSheet_Schnittstelle", serial, item);
    binder.SetPanel(&dialog, "Panel_Schnittstelle", serial, item);
    binder.SetGroupbox(&dialog, "GroupBox_Schnittstelle", serial, item);

    const std::string box = Topic("hlp_einstellungacmodul");
    binder.SetTabsheet(&dialog, "Tabsheeet_AC_Modul", box, item);
    binder.SetPanel(&dialog, "Panel_AC_Modul", box, item);

    binder.SetCheckbox(&dialog, "CheckBox_Autostart", Topic("hlp_funktionautostart"), item);
    binder.SetCheckbox(&dialog, "CheckBox_Autostat_Silent", Topic("hlp_funktionsilentmodus"), item);
    binder.SetCheckbox(&dialog, "CheckBox_Autoclose_15min", Topic("hlp_programautoschliessen"), item);

    const std::string program = Topic("hlp_einstellungen");
    binder.SetGroupbox(&dialog, "GroupBox_Program", program, item);
    binder.SetGroupbox(&dialog, "GroupBox_Program_action", program, item);

    // The page of the COM-port log and its panel.
    const std::string logging = Topic("hlp_com-port-logging");
    binder.SetTabsheet(&dialog, "TabSheet_COM_Port2", logging, item);
    binder.SetPanel(&dialog, "Panel2", logging, item);

    // The box options that have a topic of their own.
    binder.SetGroupbox(&dialog, "GroupBox_Werkseinstellung", Topic("hlp_werkseinstellung"), item);
    binder.SetGroupbox(&dialog, "GroupBox_NELTA_Schaltzeiten", Topic("hlp_funktion-ac-schaltzeiten"), item);
    binder.SetGroupbox(&dialog, "GroupBox_NELTA_Passwort", Topic("hlp_funktion-passwort-aktiv"), item);
}

int THelpBinding::TopicContext(TmuDataholder& holder, const char* topic) {
    const std::string index = holder.UseIndex;
    const std::string section = holder.UseSection;
    holder.clearUseIndexSection();
    const int context = Keys::Get(holder, Keys::HelpTopic(topic));
    holder.UseIndex = index;
    holder.UseSection = section;
    return context;
}

void THelpBinding::Action_AC_Prg_HelpExecute() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Action_AC_Prg_HelpExecute");
    ShowHelp(kMenuHelpContext);
}

bool THelpBinding::ShowHelp(int context) { return hook_ ? hook_->HelpContext(context) : false; }
