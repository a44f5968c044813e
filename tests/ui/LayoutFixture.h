#pragma once
// The main window's content as the program builds it: the view, the socket
// actions, the program actions and the menu bar, all registered with one
// form, over a plain QMainWindow.
#include <gtest/gtest.h>

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "toolkit/qt/QtForm.h"
#include "ui/MainMenus.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/WindowParts.h"

class LayoutFixture : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtTestApp();
        window = std::make_unique<QMainWindow>();
        form = std::make_unique<QtForm>(window.get());
        parts = std::make_unique<TWindowParts>(TWindowParts::TWindow{
            .window = window.get(), .form = form.get(), .hub = nullptr, .programLogging = {}});
        parts->BuildView();
        view = parts->View();
        sockets = parts->SocketActions();
        actions = parts->ProgramActions();
        menus = parts->MainMenus();
        trayMenu = sockets->CreateTraySocketMenu(window.get());
    }

    void TearDown() override {
        parts.reset();
        form.reset();
        window.reset();
    }

    std::vector<std::string> RegisteredNames() const {
        std::vector<std::string> names;
        for (Control* c : form->OwnedControls()) names.push_back(c->Name());
        return names;
    }

    QtControl* Find(const std::string& name, ControlClass cls = ControlClass::Control) const {
        return form->FindControl(name, cls);
    }

    std::unique_ptr<QMainWindow> window;
    std::unique_ptr<QtForm> form;
    std::unique_ptr<TWindowParts> parts;
    // The parts' own, as the main window builds them.
    TProgramView* view = nullptr;
    TSocketActions* sockets = nullptr;
    TProgramActions* actions = nullptr;
    TMainMenus* menus = nullptr;
    QMenu* trayMenu = nullptr;
};
