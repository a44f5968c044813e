#include "toolkit/qt/QtPlatform.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "toolkit/qt/QtApplication.h"
#include "toolkit/qt/QtTimer.h"

namespace {

bool HaveWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

bool HaveScreens() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
           QGuiApplication::primaryScreen() != nullptr;
}

TRect ToRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

QMessageBox::Icon ToIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Timer* QtPlatform::CreateTimer() {
    if (!QCoreApplication::instance()) return StdPlatform::CreateTimer();
    return new QtTimer();
}

MsgResult QtPlatform::MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                                 MsgIcon icon) {
    if (!HaveWidgets()) return StdPlatform::MessageBox(text, caption, buttons, icon);
    QMessageBox box;
    box.setIcon(ToIcon(icon));
    box.setWindowTitle(QString::fromStdString(caption.empty() ? QtApplication::ProgramTitle() : caption));
    box.setTextFormat(Qt::PlainText);  // texts carry file names and values
    box.setText(QString::fromStdString(text));
    // Where Cancel is the default, OK is chosen on purpose: by click or Alt+O.
    QPushButton* ok = box.addButton(
        buttons == MsgButtons::OkCancelDefaultCancel ? QStringLiteral("&OK") : QStringLiteral("OK"),
        QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if (buttons == MsgButtons::OkCancel || buttons == MsgButtons::OkCancelDefaultCancel)
        cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    if (buttons == MsgButtons::OkCancelDefaultCancel) {
        box.setDefaultButton(cancel);
        cancel->setFocus();  // Space presses the focused button
    } else {
        box.setDefaultButton(ok);
    }
    box.setEscapeButton(cancel ? static_cast<QAbstractButton*>(cancel) : ok);
    box.exec();
    if (cancel && box.clickedButton() != ok) return MsgResult::Cancel;
    return MsgResult::Ok;
}

void QtPlatform::Beep() {
    if (HaveWidgets()) QApplication::beep();
}

TDesktopRect QtPlatform::DesktopRect() {
    if (!HaveScreens()) return StdPlatform::DesktopRect();
    QRect all;
    for (QScreen* s : QGuiApplication::screens()) all = all.united(s->geometry());
    return {all.left(), all.top(), all.left() + all.width(), all.top() + all.height()};
}

std::vector<TRect> QtPlatform::Monitors() {
    if (!HaveScreens()) return StdPlatform::Monitors();
    QScreen* primary = QGuiApplication::primaryScreen();
    std::vector<TRect> out{ToRect(primary->geometry())};
    for (QScreen* s : QGuiApplication::screens())
        if (s != primary) out.push_back(ToRect(s->geometry()));
    return out;
}

TRect QtPlatform::PrimaryScreenRect() {
    if (!HaveScreens()) return StdPlatform::PrimaryScreenRect();
    return ToRect(QGuiApplication::primaryScreen()->geometry());
}

TRect QtPlatform::WorkArea() {
    if (!HaveScreens()) return StdPlatform::WorkArea();
    return ToRect(QGuiApplication::primaryScreen()->availableGeometry());
}
