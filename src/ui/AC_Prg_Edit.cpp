#include "ui/AC_Prg_Edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include "store/muDataHolder.h"
#include "ui/ImageList.h"

TAC_Edit* AC_Edit = nullptr;

namespace {

constexpr int kBannerHeight = 44;
// The help topic of the name field: editing a socket.
const char* const kEditHelpTopic = "HLP|HelpIndex|hlp_steckdoseeditieren";

QFont BaseFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSize(8);
    return font;
}

QFont BoldPixelFont(const QFont& base, int pixels) {
    QFont font = base;
    font.setBold(true);
    font.setPixelSize(pixels);
    return font;
}

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
    setFont(BaseFont());
    setWindowIcon(TImageList::ProgramIcon());
    SetHelpContext(this, HelpContext);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Banner: the stretched background with the program icon and the title.
    auto* banner = new QWidget(this);
    banner->setFixedHeight(kBannerHeight);
    auto* bannerGrid = new QGridLayout(banner);
    bannerGrid->setContentsMargins(0, 0, 0, 0);
    bannerGrid->setSpacing(0);
    auto* background = new QLabel(banner);
    background->setObjectName(QStringLiteral("Image_BK_Banner"));
    background->setPixmap(TImageList::Banner());
    background->setScaledContents(true);
    background->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    form_.AddControl(background, ControlClass::Other);
    bannerGrid->addWidget(background, 0, 0);

    auto* bannerRow = new QHBoxLayout;
    bannerRow->setContentsMargins(8, 4, 8, 0);
    bannerRow->setSpacing(7);
    auto* icon = new QLabel(banner);
    icon->setObjectName(QStringLiteral("Image_Job_Icon"));
    icon->setFixedSize(33, 33);
    icon->setPixmap(TImageList::ProgramIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignCenter);
    form_.AddControl(icon, ControlClass::Other);
    bannerRow->addWidget(icon, 0, Qt::AlignTop);

    title_ = new QLabel(QStringLiteral("Editieren..."), banner);
    title_->setObjectName(QStringLiteral("AC_Edit_Label"));
    title_->setFont(BoldPixelFont(font(), 21));
    QPalette titlePalette = title_->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::white);
    title_->setPalette(titlePalette);
    title_->setContentsMargins(0, 4, 0, 0);
    title_->setAttribute(Qt::WA_TranslucentBackground);
    form_.AddControl(title_, ControlClass::Label);
    bannerRow->addWidget(title_, 1, Qt::AlignTop);
    bannerGrid->addLayout(bannerRow, 0, 0);
    column->addWidget(banner);

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
    edit1_->setFont(BoldPixelFont(font(), 16));
    form_.AddControl(edit1_, ControlClass::Edit);
    content->addWidget(edit1_);

    group_ = new QGroupBox(QStringLiteral(" Events beim Beenden von Windows"), panel);
    group_->setObjectName(QStringLiteral("GroupBox_WDown"));
    form_.AddControl(group_, ControlClass::GroupBox);
    auto* groupRow = new QHBoxLayout(group_);
    groupRow->setContentsMargins(8, 4, 8, 4);
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
    groupRow->addWidget(comboWindowsOFF_, 1);
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
    const int context = holder.getValueInteger(kEditHelpTopic);
    holder.UseIndex = index;
    holder.UseSection = section;
    if (context > 0) SetHelpContext(edit1_, context);
}
