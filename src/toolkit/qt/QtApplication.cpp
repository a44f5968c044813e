#include "toolkit/qt/QtApplication.h"

#include <QCoreApplication>

namespace {
std::string& TitleStore() {
    static std::string title;
    return title;
}
}  // namespace

void QtApplication::ProcessMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::string QtApplication::Title() const { return TitleStore(); }

void QtApplication::SetTitle(const std::string& title) { TitleStore() = title; }

std::string QtApplication::ProgramTitle() { return TitleStore(); }
