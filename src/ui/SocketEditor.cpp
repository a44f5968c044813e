#include "ui/SocketEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muTraceScope.h"
#include "toolkit/qt/QtForm.h"
#include "ui/AC_Prg_Edit.h"
#include "ui/DialogFrame.h"
#include "ui/SocketActions.h"
#include "ui/SocketPages.h"

namespace {

using Kind = TmTraceScope::Kind;

void Message(TmuLogging* log, const std::string& text) {
    if (log) log->addMsg(text);
}

}  // namespace

TSocketEditor::TSocketEditor(TParts parts, THooks hooks) : parts_(parts), hooks_(std::move(hooks)) {
    parts_.actions.SetOnEdit([this](int n) { Multi_Action_Steckdose_EditExecute(n); });
}

TSocketEditor::~TSocketEditor() { parts_.actions.SetOnEdit({}); }

TmuLogging* TSocketEditor::Log() const { return hooks_.programLogging ? hooks_.programLogging() : nullptr; }

TAC_Edit* TSocketEditor::Dialog() const { return hooks_.dialog ? hooks_.dialog() : AC_Edit; }

void TSocketEditor::Multi_Action_Steckdose_EditExecute(int n) {
    TmTraceScope trace(Log(), Kind::Procedure, "Action_Steckdose" + std::to_string(n) + "_EditExecute");
    const std::string NN = TSocketActions::TwoDigits(n).toStdString();
    Message(Log(), "Edit ausführen für Steckdose" + NN + "...");
    if (n < 1 || n > TSocketActions::SocketCount) return;
    // One edit at a time: a second request while the dialog is open (a
    // handler that runs from the dialog's own loop) is dropped.
    if (TAC_Edit* dialog = Dialog(); dialog == nullptr || dialog->isVisible()) return;

    MultiUpdate_FormEdit(NN);
    parts_.pages.Init_AC_DosenChange();
    parts_.window.update();
}

void TSocketEditor::MultiUpdate_FormEdit(const std::string& NN) {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.MultiUpdate_FormEdit");
    Message(Log(), "Edit ausführen...");
    Update_FormEdit();
    Update_FormEditText(NN);
}

void TSocketEditor::Update_FormEdit() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Update_FormEdit");
    Message(Log(), "Update der X,Y Position");
    TAC_Edit* dialog = Dialog();
    if (dialog == nullptr) return;
    const TRect place = parts_.hub.OperationSystem()->getDialogPosition(&parts_.form, &dialog->Form());
    dialog->Form().SetPosition(place.x, place.y);
}

void TSocketEditor::Update_FormEditText(const std::string& NN) {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Update_FormEditText");
    Message(Log(), "Edit ausführen...");
    TAC_Edit* dialog = Dialog();
    if (dialog == nullptr) return;
    dialog->AC_Edit_Label()->setText(QStringLiteral("Editieren Steckdose..."));

    TmuDataholder& holder = *parts_.hub.Dataholder();
    const Keys::Key<std::string> name = Keys::ShortSocketName(NN);
    const Keys::Key<bool> down = Keys::ShortSocketEndAction(NN);
    const Keys::Key<bool> wdown = Keys::ShortSocketEndOff(NN);
    dialog->BindHelp(holder);

    Keys::Use(holder, Keys::kBoxContext);
    dialog->Edit1()->setText(QString::fromStdString(Keys::Get(holder, name)));
    dialog->CheckBox_WDown()->setChecked(Keys::Get(holder, down));
    dialog->ComboBox_AC_WindowsOFF()->setCurrentIndex(Keys::Get(holder, wdown) ? TAC_Edit::EntrySwitchOff
                                                                               : TAC_Edit::EntryKeep);
    holder.clearUseIndexSection();
    dialog->Edit1()->setFocus();

    // A main window locked on top would cover the modal dialog: the dialog
    // takes its place on top while it is shown, and gives it back.
    const bool locked = hooks_.locked && hooks_.locked();
    TmuOperationSystem* os = parts_.hub.OperationSystem();
    if (locked) {
        os->Delete_WindowOnTheTop(&parts_.form);
        os->Set_WindowOnTheTop(&dialog->Form());
    }
    dialog->exec();
    if (locked) {
        os->Delete_WindowOnTheTop(&dialog->Form());
        os->Set_WindowOnTheTop(&parts_.form);
    }

    // Whatever closed the dialog (OK, Enter, the close box, the end of the
    // session), its values are stored. Handlers that ran while it was open
    // may have changed the default context, so it is set again.
    Keys::Use(holder, Keys::kBoxContext);
    Keys::Set(holder, name, dialog->Edit1()->text().toStdString());
    const bool checked = dialog->CheckBox_WDown()->isChecked();
    Keys::Set(holder, down, checked);
    const int entry = dialog->ComboBox_AC_WindowsOFF()->currentIndex();
    if (entry == TAC_Edit::EntryKeep || entry == TAC_Edit::EntrySwitchOff)
        Keys::Set(holder, wdown, entry == TAC_Edit::EntrySwitchOff);
    else
        Keys::Set(holder, wdown, checked);
    if (TmuLogging* log = Log()) {
        log->addVarString("o_s" + name.path, dialog->Edit1()->text().toStdString());
        log->addVarBoolean("o_b" + down.path, checked);
        log->addVarInteger("o_iWindowsOFF", entry);
    }
    holder.clearUseIndexSection();
}
