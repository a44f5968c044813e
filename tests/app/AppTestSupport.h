#pragma once
// A QApplication for the application-shell tests (offscreen), serving its
// events until a condition holds, and an empty COM folder so that a main window's port search finds no port
// at all.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

inline QApplication* EnsureAppTestApplication() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tavrin-app-tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);  // lives until the process ends
}

// Serves the application's events until `done` holds or `limitMs` passed;
// whether it holds then.
template <class Pred>
bool ServeUntil(Pred done, int limitMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return done();
}

// Points TAVRIN_COM_DIR at an empty folder while it lives.
class ScopedEmptyComDir {
public:
    ScopedEmptyComDir() {
        if (const char* old = std::getenv("TAVRIN_COM_DIR")) previous_ = old;
        ::setenv("TAVRIN_COM_DIR", dir_.path().toLocal8Bit().constData(), 1);
    }
    ~ScopedEmptyComDir() {
        if (previous_)
            ::setenv("TAVRIN_COM_DIR", previous_->c_str(), 1);
        else
            ::unsetenv("TAVRIN_COM_DIR");
    }
    ScopedEmptyComDir(const ScopedEmptyComDir&) = delete;
    ScopedEmptyComDir& operator=(const ScopedEmptyComDir&) = delete;

private:
    QTemporaryDir dir_;
    std::optional<std::string> previous_;
};
