#include "ui/AC_Prg_Info.h"

#include <QAction>
#include <QDateTime>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include "hub/mVedadAzaro.h"
#include "store/muFileIO.h"
#include "toolkit/Platform.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"
#include "ui/DialogFrame.h"
#include "ui/ImageList.h"
#include "ui/ProgramActions.h"
#include "ui/StatusClock.h"

TAC_AboutBox* AC_AboutBox = nullptr;

namespace {

const char* const kHelpContextProperty = "helpContext";

QLabel* AddLabel(QWidget* parent, QtForm& form, const char* name, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    form.AddControl(label, ControlClass::Label);
    return label;
}

}  // namespace

TAC_AboutBox::TAC_AboutBox(TProgramLinks main, QWidget* parent)
    // A dialog with the system menu (and its close box) only.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      main_(std::move(main)),
      form_(this) {
    AC_AboutBox = this;
    setObjectName(QStringLiteral("AC_AboutBox"));
    SetName("AC_AboutBox");
    setWindowTitle(QStringLiteral("Tavrin"));
    setModal(true);
    const QFont base = DialogFrame::BaseFont();
    setFont(base);
    setProperty(kHelpContextProperty, FormHelpContext);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(DialogFrame::BuildBanner(this, form_, QStringLiteral("Info..."), "Label_Info"));

    // The bevelled light-blue panel.
    auto* body = new QWidget(this);
    auto* bodyColumn = new QVBoxLayout(body);
    bodyColumn->setContentsMargins(8, 8, 8, 8);
    bodyColumn->setSpacing(8);
    auto* panel = new QFrame(body);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(218, 229, 248));
    panel->setPalette(palette);
    form_.AddControl(panel, ControlClass::Panel);
    auto* content = new QGridLayout(panel);
    content->setContentsMargins(10, 10, 10, 10);
    content->setHorizontalSpacing(10);
    content->setVerticalSpacing(6);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setFixedSize(65, 57);
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(TImageList::ProgramIcon().pixmap(48, 48));
    form_.AddControl(icon, ControlClass::Other);
    content->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);

    const QFont bold16 = DialogFrame::BoldPixelFont(base, 16);
    productName_ = AddLabel(panel, form_, "ProductName", QStringLiteral("Tavrin"), bold16);
    content->addWidget(productName_, 0, 1);
    auto* versionRow = new QHBoxLayout;
    versionRow->setSpacing(6);
    versionRow->addWidget(AddLabel(panel, form_, "Label_Version", QStringLiteral("Version:"), bold16));
    version_ = AddLabel(panel, form_, "Version", QString(), bold16);
    versionRow->addWidget(version_, 1);
    content->addLayout(versionRow, 1, 1);

    maker_ =
        AddLabel(panel, form_, "Copyright", QString::fromUtf8(kMaker), DialogFrame::BoldPixelFont(base, 13));
    content->addWidget(maker_, 2, 0, 1, 2);
    versionYear_ = AddLabel(panel, form_, "VersionYear", QString(), base);
    versionYear_->setFixedWidth(295);
    content->addWidget(versionYear_, 3, 0, 1, 2);
    comments_ = AddLabel(panel, form_, "Comments", QString(), base);
    comments_->setFixedSize(295, 57);
    comments_->setWordWrap(true);
    comments_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    content->addWidget(comments_, 4, 0, 1, 2);
    windowsVersion_ = AddLabel(panel, form_, "WindowsVersion", QString(), base);
    windowsVersion_->setWordWrap(true);
    content->addWidget(windowsVersion_, 5, 0, 1, 2);
    content->setRowStretch(6, 1);
    bodyColumn->addWidget(panel, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    okButton_ = new QPushButton(QStringLiteral("&OK"), body);
    okButton_->setObjectName(QStringLiteral("OKButton_Info"));
    okButton_->setDefault(true);
    okButton_->setMinimumWidth(90);
    form_.AddControl(okButton_, ControlClass::Button);
    connect(okButton_, &QPushButton::clicked, this, [this] { OKButton_InfoClick(); });
    buttons->addWidget(okButton_);
    buttons->addStretch(1);
    bodyColumn->addLayout(buttons);
    column->addWidget(body, 1);
    setFixedSize(ClientWidth, ClientHeight);

    // Closes no window by itself: its expiry presses "&OK".
    closeTimer_ = new TmCloseTimer(this);
    closeTimer_->SetName("mCloseTimer_5_Min");
    closeTimer_->SetTimerValue(TmStringTimer::Min_5);
    closeTimer_->SetOnCloseTimer([this](TComponent*) {
        closeTimer_->SetEnabled(false);
        okButton_->click();
    });

    if (main_.actions != nullptr)
        SetActionExecuteHandler(main_.actions->Action_AC_Prg_Info(), [this] { Action_AC_Prg_InfoExecute(); });
}

TAC_AboutBox::~TAC_AboutBox() {
    if (main_.actions != nullptr) SetActionExecuteHandler(main_.actions->Action_AC_Prg_Info(), {});
    if (AC_AboutBox == this) AC_AboutBox = nullptr;
}

QString TAC_AboutBox::DateLine(const QDate& today) {
    // The same short format as the status bar's date.
    return QStringLiteral("(17.11.2018 - ") +
           QLocale().toString(today, TStatusClock::ShortDateFormat(QLocale())) + QStringLiteral(")");
}

void TAC_AboutBox::Prepare() {
    TmuLogging* log = main_.Log();
    TmTraceScope trace(log, TmTraceScope::Kind::Procedure, "TTavrin1.Action_AC_Prg_InfoExecute");
    if (log != nullptr) log->addText("Info ausführen...");

    DialogFrame::HandOverTop(main_, form_);
    DialogFrame::PlaceBeside(main_, form_);
    setProperty(kHelpContextProperty, OpenedHelpContext);

    std::string fileVersion;
    std::string winVersion;
    if (main_.hub != nullptr)
        fileVersion = main_.hub->FileIO()->GetFileVersion(GetPlatform().ExecutablePath());
    if (main_.winVersion) winVersion = main_.winVersion();
    version_->setText(QString::fromStdString(fileVersion));
    windowsVersion_->setText(QString::fromStdString(winVersion));
    productName_->setText(QStringLiteral("Tavrin"));
    maker_->setText(QString::fromUtf8(kMaker));
    const QDate today = QDateTime::fromMSecsSinceEpoch(GetPlatform().NowMs()).date();
    versionYear_->setText(DateLine(today));
    comments_->setText(QString::fromUtf8(kComments));
}

void TAC_AboutBox::Action_AC_Prg_InfoExecute() {
    // Already open: it only comes to the front.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    Prepare();
    repaint();
    exec();
}

void TAC_AboutBox::FormActivate() { closeTimer_->SetEnabled(true); }

void TAC_AboutBox::OKButton_InfoClick() {
    closeTimer_->SetEnabled(false);
    done(1);
}

bool TAC_AboutBox::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && isVisible()) FormActivate();
    // However the box was closed, its countdown ends with it.
    if (e->type() == QEvent::Hide) closeTimer_->SetEnabled(false);
    return QDialog::event(e);
}
