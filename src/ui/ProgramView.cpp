#include "ui/ProgramView.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPalette>
#include <QPointer>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <memory>

#include "toolkit/Platform.h"
#include "toolkit/Timer.h"
#include "toolkit/qt/QtForm.h"
#include "ui/DialogFrame.h"
#include "ui/ImageList.h"
#include "ui/ProgramActions.h"
#include "ui/WindowLayout.h"

namespace {

using namespace WindowLayout;

constexpr int kHelpSocketName = 160;
constexpr int kHintDelayMs = 2000;  // the page buttons' hints disappear after 2 s

using DialogFrame::BaseFont;
using DialogFrame::BoldPixelFont;

// The page tabs share the bar's width when their captions (which carry
// blanks for centring) do not fit side by side; the blanks are given up
// first, the visible text stays whole.
class TSocketTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override {
        QSize hint = QTabBar::tabSizeHint(index);
        int total = 0;
        for (int i = 0; i < count(); ++i) total += QTabBar::tabSizeHint(i).width();
        if (total <= width() || total <= 0) return hint;
        const int minimum = fontMetrics().horizontalAdvance(tabText(index).trimmed()) + 12;
        hint.setWidth(std::max(minimum, width() * hint.width() / total));
        return hint;
    }
};

void Name(QObject* object, const char* name) { object->setObjectName(QString::fromLatin1(name)); }

}  // namespace

// The page buttons' balloon hint: shown only once the mouse has rested on
// the button for kHintDelayMs (the window system's own hint delay is
// shorter), and hidden again after as long. Times come from the platform's
// clock and timers.
class TPageHintDelay : public QObject {
public:
    explicit TPageHintDelay(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* button = qobject_cast<QToolButton*>(watched);
        if (!button) return false;
        switch (event->type()) {
            case QEvent::Enter:
                hovered_ = button;
                enteredAt_ = GetPlatform().NowMs();
                break;
            case QEvent::Leave:
                if (hovered_ == button) hovered_ = nullptr;
                if (timer_) timer_->SetEnabled(false);
                break;
            case QEvent::ToolTip: {
                if (hovered_ != button) {
                    hovered_ = button;
                    enteredAt_ = GetPlatform().NowMs();
                }
                const std::int64_t rested = GetPlatform().NowMs() - enteredAt_;
                if (rested >= kHintDelayMs) return false;  // the hint as usual
                if (!timer_) {
                    timer_.reset(GetPlatform().CreateTimer());
                    timer_->SetOnTimer([this] { ShowHint(); });
                }
                timer_->SetEnabled(false);
                timer_->SetInterval(static_cast<int>(kHintDelayMs - rested));
                timer_->SetEnabled(true);
                return true;  // not yet
            }
            default:
                break;
        }
        return false;
    }

private:
    void ShowHint() {
        timer_->SetEnabled(false);
        QToolButton* button = hovered_;
        if (!button || !button->isVisible() || button->toolTip().isEmpty()) return;
        QToolTip::showText(button->mapToGlobal(QPoint(button->width() / 2, button->height() / 2)),
                           button->toolTip(), button, QRect(), kHintDelayMs);
    }

    QPointer<QToolButton> hovered_;
    std::int64_t enteredAt_ = 0;
    std::unique_ptr<Timer> timer_;
};

QString TProgramView::SlotPanelName(int k) {
    // The first two slot panels carry the number before the X, the last two after it.
    switch (k) {
        case 1:
            return QStringLiteral("Panel_AC1X");
        case 2:
            return QStringLiteral("Panel_AC2X");
        case 3:
            return QStringLiteral("Panel_ACX3");
        case 4:
            return QStringLiteral("Panel_ACX4");
        default:
            return {};
    }
}

QString TProgramView::SlotCaption(int n) { return QStringLiteral(" Steckdose %1 ").arg(n); }

TProgramView::TProgramView(QMainWindow* window, QtForm& form) : window_(window) {
    window->setFont(BaseFont());
    window->setWindowIcon(TImageList::ProgramIcon());

    auto* central = new QWidget(window);
    Name(central, "ProgramView");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* bannerArea = new QWidget(central);
    bannerArea->setFixedHeight(kBannerHeight);
    BuildBanner(bannerArea, form);
    column->addWidget(bannerArea);
    column->addWidget(BuildEmergencyBar(form));
    column->addWidget(BuildSocketArea(form), 1);
    column->addWidget(BuildStatusLine(form));

    window->setCentralWidget(central);
    BuildStatusBar(window, form);
    window->resize(ClientWidth, ClientHeight);

    // The keyboard starts in the socket area (its page tabs: the arrow keys
    // change the page, Space and Return do nothing there), never on the
    // emergency-off button above it, where a stray Space would ask for the
    // emergency off and Return confirm it.
    tabs_->setFocus(Qt::OtherFocusReason);
}

void TProgramView::BindActions(QtForm& form, const TProgramActions& actions) {
    if (QtControl* button = form.ControlOf(emergencyButton_))
        button->SetAction(AsAction(actions.Action_DangerOFF()));
}

void TProgramView::BuildBanner(QWidget* parent, QtForm& form) {
    auto* grid = new QGridLayout(parent);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    // The stretched background first, so that the icon and the name lie on it.
    banner_ = new QLabel(parent);
    Name(banner_, "Image_BK_Banner");
    banner_->setPixmap(TImageList::Banner());
    banner_->setScaledContents(true);
    banner_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    form.AddControl(banner_, ControlClass::Other);
    grid->addWidget(banner_, 0, 0);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(8, 4, 8, 0);
    row->setSpacing(7);  // the name starts at x 48

    jobIcon_ = new QLabel(parent);
    Name(jobIcon_, "Image_Job_Icon");
    jobIcon_->setFixedSize(33, 33);
    jobIcon_->setPixmap(TImageList::ProgramIcon().pixmap(32, 32));
    jobIcon_->setAlignment(Qt::AlignCenter);
    form.AddControl(jobIcon_, ControlClass::Other);
    row->addWidget(jobIcon_, 0, Qt::AlignTop);

    programName_ = new QLabel(QStringLiteral("Tavrin..."), parent);
    Name(programName_, "Label_AC_Prg_Name");
    QFont nameFont = BoldPixelFont(parent->font(), 21);
    nameFont.setFamilies(
        {QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    programName_->setFont(nameFont);
    QPalette palette = programName_->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    programName_->setPalette(palette);
    programName_->setContentsMargins(0, 4, 0, 0);  // top at y 8
    programName_->setAttribute(Qt::WA_TranslucentBackground);
    form.AddControl(programName_, ControlClass::Label);
    row->addWidget(programName_, 1, Qt::AlignTop);

    grid->addLayout(row, 0, 0);
}

QWidget* TProgramView::BuildEmergencyBar(QtForm& form) {
    panel1_ = new QFrame;
    Name(panel1_, "Panel1");
    panel1_->setFixedHeight(kEmergencyBarHeight);
    panel1_->setAutoFillBackground(true);
    QPalette palette = panel1_->palette();
    palette.setColor(QPalette::Window, QColor(218, 229, 249));
    panel1_->setPalette(palette);
    form.AddControl(panel1_, ControlClass::Panel);

    auto* row = new QHBoxLayout(panel1_);
    row->setContentsMargins(1, 3, 1, 4);
    emergencyButton_ = new QToolButton(panel1_);
    Name(emergencyButton_, "SpeedButton1");
    emergencyButton_->setFixedSize(323, 34);
    emergencyButton_->setFont(BoldPixelFont(panel1_->font(), 15));
    emergencyButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    emergencyButton_->setIconSize(QSize(24, 24));
    emergencyButton_->setIcon(TImageList::Icon(TImageList::EmergencyOff));
    emergencyButton_->setText(QStringLiteral("NOTAUS"));
    form.AddControl(emergencyButton_, ControlClass::SpeedButton)->SetHint("Steckdosen NOTAUS ");
    row->addWidget(emergencyButton_, 0, Qt::AlignCenter);
    return panel1_;
}

QWidget* TProgramView::BuildSocketArea(QtForm& form) {
    // The page control: the four slots above, the tabs at the bottom.
    auto* area = new QFrame;
    area->setFrameShape(QFrame::StyledPanel);
    area->setFixedHeight(kSocketAreaHeight);
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(kSocketAreaMargin, kSocketAreaMargin, kSocketAreaMargin, 0);
    column->setSpacing(0);

    tabs_ = new TSocketTabBar(area);
    Name(tabs_, "TabControl_AC_Dosen");
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->setFont(BoldPixelFont(area->font(), 0));
    tabs_->setExpanding(false);
    tabs_->setDrawBase(false);
    tabs_->setUsesScrollButtons(false);
    tabs_->setElideMode(Qt::ElideNone);
    form.AddControl(tabs_, ControlClass::Other);

    for (int k = 1; k <= SlotCount; ++k) BuildSlot(area, form, k);
    for (const Slot& slot : slots_) column->addWidget(slot.panel);
    column->addStretch(1);
    column->addWidget(tabs_);
    return area;
}

void TProgramView::BuildSlot(QWidget* parent, QtForm& form, int k) {
    Slot& slot = slots_[k - 1];
    const QFont base = parent->font();

    slot.panel = new QFrame(parent);
    slot.panel->setObjectName(SlotPanelName(k));
    slot.panel->setFixedHeight(kSlotHeight);
    form.AddControl(slot.panel, ControlClass::Panel);
    auto* row = new QHBoxLayout(slot.panel);
    row->setContentsMargins(kSlotMargin, kSlotMargin, kSlotMargin, kSlotMargin);
    row->setSpacing(0);

    slot.button = new QToolButton(slot.panel);
    slot.button->setObjectName(QStringLiteral("SpeedButton_ACX%1").arg(k));
    slot.button->setFixedSize(kSlotButtonWidth, kSlotButtonHeight);
    slot.button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    slot.button->setIconSize(QSize(64, 64));
    slot.button->setIcon(QIcon(TImageList::Glyph(TImageList::GlyphGray)));
    slot.button->setToolTipDuration(kHintDelayMs);
    if (!hintDelay_) hintDelay_ = new TPageHintDelay(window_);
    slot.button->installEventFilter(hintDelay_);
    form.AddControl(slot.button, ControlClass::SpeedButton);
    row->addWidget(slot.button, 0, Qt::AlignLeft | Qt::AlignVCenter);
    row->addStretch(1);

    slot.group = new QGroupBox(SlotCaption(k), slot.panel);
    slot.group->setObjectName(QStringLiteral("GroupBox_ACX%1").arg(k));
    slot.group->setFixedSize(kSlotGroupWidth, kSlotGroupHeight);
    slot.group->setFont(BoldPixelFont(base, 0));
    form.AddControl(slot.group, ControlClass::GroupBox);
    row->addWidget(slot.group, 0, Qt::AlignRight | Qt::AlignVCenter);

    slot.name = new QLabel(QStringLiteral("Steckdosenname"), slot.group);
    slot.name->setTextFormat(Qt::PlainText);  // the name from the box file, as typed
    slot.name->setObjectName(QStringLiteral("ACNameX%1").arg(k));
    slot.name->setFont(BoldPixelFont(base, 15));
    slot.name->setGeometry(12, 25, kSlotGroupWidth - 12 - 6, 20);
    form.AddControl(slot.name, ControlClass::Label)->SetHelpContext(kHelpSocketName);

    slot.edit = new QToolButton(slot.group);
    slot.edit->setObjectName(QStringLiteral("SpeedButton_EditX%1").arg(k));
    slot.edit->setGeometry(kEditButtonX, kEditButtonY, kEditButtonWidth, kEditButtonHeight);
    slot.edit->setToolButtonStyle(Qt::ToolButtonIconOnly);
    slot.edit->setIconSize(QSize(16, 16));
    slot.edit->setIcon(TImageList::Icon(TImageList::Edit));
    slot.edit->setFont(base);
    form.AddControl(slot.edit, ControlClass::SpeedButton);
}

QWidget* TProgramView::BuildStatusLine(QtForm& form) {
    statusLine_ = new QFrame;
    Name(statusLine_, "Panel_AC_Steckdosen");
    statusLine_->setFixedHeight(kStatusLineHeight);
    form.AddControl(statusLine_, ControlClass::Panel);
    auto* row = new QHBoxLayout(statusLine_);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(4);

    labelAC_ = new QLabel(QStringLiteral("AC-Dosen"), statusLine_);
    Name(labelAC_, "Label_AC");
    form.AddControl(labelAC_, ControlClass::Label);
    row->addWidget(labelAC_);
    row->addStretch(1);

    statusCombo_ = new QComboBox(statusLine_);
    Name(statusCombo_, "ComboBox_AC_Steckdosen");
    statusCombo_->setFixedWidth(259);
    form.AddControl(statusCombo_, ControlClass::ComboBox);
    row->addWidget(statusCombo_);
    return statusLine_;
}

void TProgramView::BuildStatusBar(QMainWindow* window, QtForm& form) {
    statusBar_ = new QStatusBar(window);
    Name(statusBar_, "StatusBar_DateActive");
    statusBar_->setFixedHeight(kStatusBarHeight);
    statusBar_->setSizeGripEnabled(false);
    form.AddControl(statusBar_, ControlClass::Other);

    statusPanels_[0] = new QLabel(QStringLiteral("Datum:"), statusBar_);
    statusPanels_[0]->setMinimumWidth(155);  // the status clock widens it to its text
    statusPanels_[1] = new QLabel(QStringLiteral("Aktiv ca.:"), statusBar_);
    statusPanels_[1]->setMinimumWidth(50);
    statusBar_->addWidget(statusPanels_[0]);
    statusBar_->addWidget(statusPanels_[1], 1);
    window->setStatusBar(statusBar_);
}

QFrame* TProgramView::SlotPanel(int k) const {
    return k >= 1 && k <= SlotCount ? slots_[k - 1].panel : nullptr;
}
QToolButton* TProgramView::SpeedButton_ACX(int k) const {
    return k >= 1 && k <= SlotCount ? slots_[k - 1].button : nullptr;
}
QGroupBox* TProgramView::GroupBox_ACX(int k) const {
    return k >= 1 && k <= SlotCount ? slots_[k - 1].group : nullptr;
}
QLabel* TProgramView::ACNameX(int k) const { return k >= 1 && k <= SlotCount ? slots_[k - 1].name : nullptr; }
QToolButton* TProgramView::SpeedButton_EditX(int k) const {
    return k >= 1 && k <= SlotCount ? slots_[k - 1].edit : nullptr;
}
QLabel* TProgramView::StatusPanel(int index) const {
    return index >= 0 && index < 2 ? statusPanels_[index] : nullptr;
}
