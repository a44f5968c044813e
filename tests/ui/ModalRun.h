#pragma once
// Runs test code inside a modal dialog's own loop, once the dialog has become
// the active window (the offscreen platform activates a window shortly after
// it is shown, so the activation handler has run by then).
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Arms `inside` for the next modal loop of `dialog`; returns a flag that
// tells afterwards whether the dialog was active when `inside` ran.
inline std::shared_ptr<bool> RunWhenActive(QWidget* dialog, std::function<void()> inside) {
    auto active = std::make_shared<bool>(false);
    auto* poll = new QTimer(dialog);
    poll->setInterval(0);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, dialog, [=] {
        if (!dialog->isActiveWindow() && ++*tries < 1000) return;
        poll->stop();
        poll->deleteLater();
        *active = dialog->isActiveWindow();
        inside();
    });
    poll->start();
    return active;
}
