#pragma once
// A QApplication for the application-shell tests (offscreen) and a private
// temporary folder per test.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

inline QApplication* EnsureAppTestApplication() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tavrin-app-tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);  // lives until the process ends
}
