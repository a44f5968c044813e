#include "ui/AC_Prg_Edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "ui/DialogFrame.h"
#include "ui/ImageList.h"

TAC_Edit* AC_Edit = nullptr;

namespace {

// The help topic of the name field: editing a socket.
const char* const kEditHelpTopic = "hlp_steckdoseeditieren";

void SetHelpContext(QObject* object, int context) { object->setProperty("helpContext", context); }

}  // namespace

TAC_Edit::TAC_Edit(QWidget* parent)
    // A dialog with the system menu (and its close box) only.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      form_(this) {
    AC_Edit = this;
    setObjectName(QStringLiteral("AC_Edit"));
    SetName("AC_Edit");
    setWindowTitle(QStringLiteral("Edit"));
    setModal(true);
    setFont(DialogFrame::BaseFont());
    setWindowIcon(TImageList::ProgramIcon());
    SetHelpContext(this, HelpContext);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Banner: the stretched background, the program icon and the title.
    column->addWidget(
        DialogFrame::BuildBanner(this, form_, QStringLiteral("Editieren..."), "AC_Edit_Label", &title_));

    // The light-blue panel with the socket's settings.
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel_Edit"));
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, QColor(218, 229, 248));
    panel->setPalette(panelPalette);
    form_.AddControl(panel, ControlClass::Panel);
    auto* content = new QVBoxLayout(panel);
    content->setContentsMargins(8, 6, 8, 6);
    content->setSpacing(5);

    edit1_ = new QLineEdit(panel);
    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit1_->setFont(DialogFrame::BoldPixelFont(font(), 16));
    form_.AddControl(edit1_, ControlClass::Edit);
    content->addWidget(edit1_);

    group_ = new QGroupBox(QStringLiteral(" Events beim Beenden von Windows"), panel);
    group_->setObjectName(QStringLiteral("GroupBox_WDown"));
    form_.AddControl(group_, ControlClass::GroupBox);
    // The check box above the choice, so that both show their whole text.
    auto* groupRow = new QVBoxLayout(group_);
    groupRow->setContentsMargins(8, 2, 8, 4);
    groupRow->setSpacing(2);
    checkWDown_ = new QCheckBox(QStringLiteral("Beim Beenden von Windows"), group_);
    checkWDown_->setObjectName(QStringLiteral("CheckBox_WDown"));
    form_.AddControl(checkWDown_, ControlClass::CheckBox);
    groupRow->addWidget(checkWDown_);
    comboWindowsOFF_ = new QComboBox(group_);
    comboWindowsOFF_->setObjectName(QStringLiteral("ComboBox_AC_WindowsOFF"));
    comboWindowsOFF_->addItem(QStringLiteral("Einstellung so lassen"));
    comboWindowsOFF_->addItem(QStringLiteral("Ausschalten"));
    comboWindowsOFF_->setCurrentIndex(EntryKeep);
    form_.AddControl(comboWindowsOFF_, ControlClass::ComboBox);
    groupRow->addWidget(comboWindowsOFF_, 0, Qt::AlignLeft);
    content->addWidget(group_);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    okButton_ = new QPushButton(QStringLiteral("&OK"), panel);
    okButton_->setObjectName(QStringLiteral("OKButton_Info"));
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    form_.AddControl(okButton_, ControlClass::Button);
    connect(okButton_, &QPushButton::clicked, this, [this] { done(1); });
    buttonRow->addWidget(okButton_);
    content->addLayout(buttonRow);
    content->addStretch(1);
    column->addWidget(panel, 1);

    setFixedSize(ClientWidth, ClientHeight);
    edit1_->setFocus();
}

TAC_Edit::~TAC_Edit() {
    if (AC_Edit == this) AC_Edit = nullptr;
}

void TAC_Edit::BindHelp(TmuDataholder& holder) {
    const std::string index = holder.UseIndex;
    const std::string section = holder.UseSection;
    holder.clearUseIndexSection();
    const int context = Keys::Get(holder, Keys::HelpTopic(kEditHelpTopic));
    holder.UseIndex = index;
    holder.UseSection = section;
    if (context > 0) SetHelpContext(edit1_, context);
}
