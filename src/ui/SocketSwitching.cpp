#include "ui/SocketSwitching.h"

#include <QAction>
#include <QTabBar>
#include <QToolButton>

#include "device/BoxController.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/qt/QtForm.h"
#include "ui/ImageList.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"

TSocketSwitching::TSocketSwitching(TParts parts) : parts_(parts) {}

TSocketSwitching::~TSocketSwitching() = default;

bool TSocketSwitching::OnPage(int n, int tabIndex) {
    return tabIndex >= 0 && tabIndex < PageCount && (n - 1) / SlotCount == tabIndex;
}

void TSocketSwitching::MultiAction_Steckdose_Toggle(int n) {
    parts_.controller->MultiAction_Steckdose_Toggle(n);
}

void TSocketSwitching::MultiAction_Steckdose_Init(int n) { parts_.controller->MultiAction_Steckdose_Init(n); }

void TSocketSwitching::MultiAction_Steckdose_OFF(int n) { parts_.controller->MultiAction_Steckdose_OFF(n); }

void TSocketSwitching::SetButtonHelpContext(QToolButton* button) {
    if (!button || parts_.hub == nullptr) return;
    // The socket topic of the help table.
    const int context = Keys::Get(*parts_.hub->Dataholder(), Keys::HelpTopic("hlp_steckdosen"));
    if (context <= 0) return;
    if (QtControl* control = parts_.form->ControlOf(button)) control->SetHelpContext(context);
}

void TSocketSwitching::ShowState(int n, bool on) {
    if (n < 1 || n > TSocketActions::SocketCount) return;
    TProgramView& view = *parts_.view;
    QToolButton* button = view.SpeedButton_ACX((n - 1) % SlotCount + 1);
    SetButtonHelpContext(button);
    if (QAction* action = parts_.actions->Toggle(n)) {
        action->setIcon(TImageList::Icon(on ? TImageList::SocketOn : TImageList::SocketOff));
        action->setText(TSocketActions::ToggleCaption(n, on));
    }
    QTabBar* tabs = view.TabControl_AC_Dosen();
    const int tabIndex = tabs ? tabs->currentIndex() : -1;
    if (button && OnPage(n, tabIndex)) {
        if (on)
            SetSpeedButtonGreen(button);
        else
            SetSpeedButtonGray(button);
    }
}

// ---- Glyphs -------------------------------------------------------------------

void TSocketSwitching::LoadGlyphs() {
    if (gray_.isNull()) {
        grayPixmap_ = TImageList::Glyph(TImageList::GlyphGray);
        greenPixmap_ = TImageList::Glyph(TImageList::GlyphGreen);
        redPixmap_ = TImageList::Glyph(TImageList::GlyphRed);
        gray_ = QIcon(grayPixmap_);
        green_ = QIcon(greenPixmap_);
        red_ = QIcon(redPixmap_);
    }
    TProgramView& view = *parts_.view;
    for (int k = 1; k <= SlotCount; ++k)
        if (QToolButton* button = view.SpeedButton_ACX(k)) button->setIcon(gray_);
}

void TSocketSwitching::FreeGlyphs() {
    gray_ = QIcon();
    green_ = QIcon();
    red_ = QIcon();
    grayPixmap_ = QPixmap();
    greenPixmap_ = QPixmap();
    redPixmap_ = QPixmap();
}

void TSocketSwitching::SetSpeedButtonGreen(QToolButton* button) {
    if (!button) return;
    if (green_.isNull()) {
        greenPixmap_ = TImageList::Glyph(TImageList::GlyphGreen);
        green_ = QIcon(greenPixmap_);
    }
    button->setIcon(green_);
}

void TSocketSwitching::SetSpeedButtonGray(QToolButton* button) {
    if (!button) return;
    if (gray_.isNull()) {
        grayPixmap_ = TImageList::Glyph(TImageList::GlyphGray);
        gray_ = QIcon(grayPixmap_);
    }
    button->setIcon(gray_);
}
