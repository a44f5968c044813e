#pragma once
// One QApplication for a whole test executable (the offscreen platform is
// set by CTest; it is the fallback here when nothing else is set).
#include <QApplication>
#include <cstdlib>

inline QApplication* EnsureQtTestApp() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tavrin-tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);  // lives until the process ends
}
