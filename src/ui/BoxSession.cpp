#include "ui/BoxSession.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QTabBar>
#include <QWidget>

#include "device/BoxController.h"
#include "device/ComPortMap.h"
#include "device/PosixSerialPort.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/ProgramView.h"
#include "ui/SocketPages.h"
#include "ui/SocketSwitching.h"

namespace {

constexpr int kAllSockets = 24;
constexpr int kSlots = 4;
constexpr int kPages = 6;

// The memo shows program texts (UTF-8) and port bytes (one character per
// byte); a line that is no valid UTF-8 carries port bytes and is shown with
// one character per byte.
QString MemoText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The device behind the box's COM name while its port is open: the path the
// real port opened (another port: the COM map's device of its name) and its
// /dev/serial/by-id name.
QString PortDevice(const TBoxController* controller) {
    const SerialPort* port = controller ? controller->Port() : nullptr;
    if (port == nullptr || !port->Connected()) return {};
    const auto* posix = dynamic_cast<const PosixSerialPort*>(port);
    const std::string device = posix ? posix->DevicePath() : TComPortMap::DevicePath(port->Port());
    return QString::fromStdString(TComPortMap::DeviceSummary(device));
}

}  // namespace

TBoxSession::TBoxSession(TParts parts) : parts_(std::move(parts)) {}

void TBoxSession::Init_AC_Active() { parts_.controller->Init_AC_Active(); }

void TBoxSession::AddLogLine(const std::string& text) {
    TAC_Einstellung* settings = Settings();
    if (settings == nullptr) return;
    if (QPlainTextEdit* memo = settings->Memo_COMPort()) memo->appendPlainText(MemoText(text));
}

void TBoxSession::ShowStatus(const std::string& text) {
    QComboBox* combo = parts_.view->ComboBox_AC_Steckdosen();
    if (combo == nullptr) return;
    combo->clear();
    combo->addItem(QString::fromStdString(text));
    combo->setCurrentIndex(0);
    combo->setToolTip(PortDevice(parts_.controller));
    combo->repaint();
}

void TBoxSession::ShowSocket(int n, bool on) { parts_.switching->ShowState(n, on); }

void TBoxSession::HideSockets() {
    TSocketPages& pages = *parts_.pages;
    pages.set_Visible_Index_MenuItems("ItemSteckdose", kAllSockets, false);
    pages.set_Visible_Index_MenuItems("Tray_Steckdose", kAllSockets, false);
    pages.set_Enable_Index_Speedbutton("SpeedButton_ACX", kSlots, false);
    pages.set_Enable_Index_Speedbutton("SpeedButton_EditX", kSlots, false);
}

void TBoxSession::ShowModel(int sockets, const std::vector<std::string>& tabs) {
    TSocketPages& pages = *parts_.pages;
    pages.set_Visible_Index_MenuItems("ItemSteckdose", sockets, true);
    pages.set_Visible_Index_MenuItems("Tray_Steckdose", sockets, true);
    pages.set_Enable_Index_Speedbutton("SpeedButton_ACX", kSlots, true);
    pages.set_Enable_Index_Speedbutton("SpeedButton_EditX", kSlots, true);
    if (QTabBar* bar = parts_.view->TabControl_AC_Dosen()) {
        // The page is bound explicitly afterwards; the tab changes made here
        // are no page change of the user.
        const QSignalBlocker blocker(bar);
        while (bar->count() > 0) bar->removeTab(bar->count() - 1);
        for (const std::string& caption : tabs) bar->addTab(QString::fromStdString(caption));
        bar->setCurrentIndex(0);
    }
}

void TBoxSession::ShowPages(bool known) {
    parts_.pages->Init_AC_DosenChange();
    // Binding the page's actions enables the slot buttons; without a known
    // model they stay disabled.
    if (!known) {
        parts_.pages->set_Enable_Index_Speedbutton("SpeedButton_ACX", kSlots, false);
        parts_.pages->set_Enable_Index_Speedbutton("SpeedButton_EditX", kSlots, false);
    }
    if (parts_.window) parts_.window->repaint();
}

void TBoxSession::ShowAllOff() {
    // The name labels show the page that is shown.
    QTabBar* bar = parts_.view->TabControl_AC_Dosen();
    const int tabIndex = bar ? bar->currentIndex() : -1;
    if (tabIndex >= 0 && tabIndex < kPages)
        parts_.pages->SetACName(tabIndex * kSlots + 1, tabIndex * kSlots + kSlots);
    for (int k = 1; k <= kSlots; ++k) parts_.switching->SetSpeedButtonGray(parts_.view->SpeedButton_ACX(k));
}

void TBoxSession::ShowDelay(int seconds) {
    TAC_Einstellung* settings = Settings();
    if (settings == nullptr) return;
    settings->SelectDelay(seconds);
    settings->SetDelayActive(true);
    settings->repaint();
}

void TBoxSession::RunDelayOption() {
    if (TAC_Einstellung* settings = Settings()) settings->Action_NELTA_PULSTIMEExecute();
}
