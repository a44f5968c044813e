#include "toolkit/qt/QtApplication.h"

#include <QCoreApplication>
#include <QGuiApplication>

void QtApplication::ProcessMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::string QtApplication::Title() const {
    return QGuiApplication::applicationDisplayName().toStdString();
}

void QtApplication::SetTitle(const std::string& title) {
    QGuiApplication::setApplicationDisplayName(QString::fromStdString(title));
}
