#include "ui/DialogFrame.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include "hub/mVedadAzaro.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/qt/QtForm.h"
#include "ui/ImageList.h"
#include "ui/MainMenus.h"
#include "ui/ProgramLinks.h"

namespace DialogFrame {

QFont BaseFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSize(8);
    return font;
}

QFont BoldPixelFont(const QFont& base, int pixels) {
    QFont font = base;
    font.setBold(true);
    if (pixels > 0) font.setPixelSize(pixels);
    return font;
}

QWidget* BuildBanner(QWidget* parent, QtForm& form, const QString& titleText, const char* titleName,
                     QLabel** title) {
    auto* banner = new QWidget(parent);
    banner->setFixedHeight(kHeight);
    auto* grid = new QGridLayout(banner);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    auto* background = new QLabel(banner);
    background->setObjectName(QStringLiteral("Image_BK_Banner"));
    background->setPixmap(TImageList::Banner());
    background->setScaledContents(true);
    background->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    form.AddControl(background, ControlClass::Other)->SetHelpContext(kHelpContext);
    grid->addWidget(background, 0, 0);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(8, 4, 8, 0);
    row->setSpacing(7);
    auto* icon = new QLabel(banner);
    icon->setObjectName(QStringLiteral("Image_Job_Icon"));
    icon->setFixedSize(33, 33);
    icon->setPixmap(TImageList::ProgramIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignCenter);
    form.AddControl(icon, ControlClass::Other)->SetHelpContext(kHelpContext);
    row->addWidget(icon, 0, Qt::AlignTop);

    auto* label = new QLabel(titleText, banner);
    label->setObjectName(QString::fromLatin1(titleName));
    label->setFont(BoldPixelFont(BaseFont(), 21));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setContentsMargins(0, 4, 0, 0);
    label->setAttribute(Qt::WA_TranslucentBackground);
    form.AddControl(label, ControlClass::Label);
    row->addWidget(label, 1, Qt::AlignTop);
    grid->addLayout(row, 0, 0);
    if (title) *title = label;
    return banner;
}

TmuOperationSystem* Placement(const TProgramLinks& main) {
    return main.hub != nullptr && main.form != nullptr ? main.hub->OperationSystem() : nullptr;
}

bool MainWindowLocked(const TMainMenus* menus) {
    if (menus == nullptr) return false;
    QAction* lock = menus->ActionLook_Or_Unlook();
    return lock != nullptr && lock->property("tag").toInt() == 1;
}

void HandOverTop(const TProgramLinks& main, Form& dialog) {
    TmuOperationSystem* os = Placement(main);
    if (os == nullptr || !MainWindowLocked(main.menus)) return;
    os->Delete_WindowOnTheTop(main.form);
    os->Set_WindowOnTheTop(&dialog);
}

void PlaceBeside(const TProgramLinks& main, Form& dialog, Form* beside) {
    TmuOperationSystem* os = Placement(main);
    if (os == nullptr) return;
    if (beside == nullptr) beside = main.form;
    const TRect at = os->getDialogPosition(beside, &dialog);
    dialog.SetPosition(at.x, at.y);
}

}  // namespace DialogFrame
