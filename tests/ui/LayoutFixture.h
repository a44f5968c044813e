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

class LayoutFixture : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtTestApp();
        window = std::make_unique<QMainWindow>();
        form = std::make_unique<QtForm>(window.get());
        view = std::make_unique<TProgramView>(window.get(), *form);
        sockets = std::make_unique<TSocketActions>(window.get(), *form);
        actions = std::make_unique<TProgramActions>(window.get(), *form);
        menus = std::make_unique<TMainMenus>(window.get(), *form, *actions, *sockets);
        view->BindActions(*form, *actions);
        trayMenu = sockets->CreateTraySocketMenu(window.get());
    }

    void TearDown() override {
        menus.reset();
        actions.reset();
        sockets.reset();
        view.reset();
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
    std::unique_ptr<TProgramView> view;
    std::unique_ptr<TSocketActions> sockets;
    std::unique_ptr<TProgramActions> actions;
    std::unique_ptr<TMainMenus> menus;
    QMenu* trayMenu = nullptr;
};
