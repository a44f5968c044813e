// Editing a socket: the dialog filled from the data holder, the values
// stored however it is closed, the page showing the new name at once.
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "SocketFixture.h"
#include "ui/AC_Prg_Edit.h"
#include "ui/SocketEditor.h"

namespace {

class SocketEditorTest : public SocketFixture {
protected:
    void SetUp() override {
        SocketFixture::SetUp();
        MakeTabs(8);
        dialog = std::make_unique<TAC_Edit>();
        editor = std::make_unique<TSocketEditor>(
            TSocketEditor::TParts{
                .window = *window, .form = *form, .actions = *sockets, .pages = *pages, .hub = *hub},
            TSocketEditor::THooks{.programLogging = [] { return static_cast<TmuLogging*>(nullptr); },
                                  .dialog = [this] { return dialog.get(); },
                                  .locked = {}});
    }
    void TearDown() override {
        editor.reset();
        dialog.reset();
        SocketFixture::TearDown();
    }

    // Runs `inside` once the dialog's own loop runs (the dialog is modal).
    void WhileShown(std::function<void(TAC_Edit&)> inside) {
        QTimer::singleShot(0, dialog.get(), [this, inside] {
            seenVisible = dialog->isVisible();
            inside(*dialog);
        });
    }

    std::string Text(const std::string& path) { return hub->Dataholder()->getValueString(path); }
    bool Flag(const std::string& path) { return hub->Dataholder()->getValueBoolean(path); }

    std::unique_ptr<TAC_Edit> dialog;
    std::unique_ptr<TSocketEditor> editor;
    bool seenVisible = false;
};

TEST_F(SocketEditorTest, EditingSocketSevenShowsItsValuesAndItsNewNameOnThePage) {
    TmuDataholder& h = *hub->Dataholder();
    h.setValueString("AC01|AC|AC_Name07", "Drucker");
    h.setValueBoolean("AC01|AC|AC_Down07", true);
    h.setValueBoolean("AC01|AC|ACWDown07", true);
    view->TabControl_AC_Dosen()->setCurrentIndex(1);

    std::string shownName;
    bool shownCheck = false;
    int shownEntry = -1;
    QString title;
    WhileShown([&](TAC_Edit& d) {
        shownName = d.Edit1()->text().toStdString();
        shownCheck = d.CheckBox_WDown()->isChecked();
        shownEntry = d.ComboBox_AC_WindowsOFF()->currentIndex();
        title = d.AC_Edit_Label()->text();
        d.Edit1()->setText(QStringLiteral("Kühlschrank "));
        d.ComboBox_AC_WindowsOFF()->setCurrentIndex(TAC_Edit::EntryKeep);
        d.OKButton_Info()->click();
    });
    // The page's edit button of slot 3 runs socket 7's edit action.
    pages->Init_AC_DosenChange();
    form->ControlOf(view->SpeedButton_EditX(3))->Click();

    EXPECT_TRUE(seenVisible);
    EXPECT_EQ(shownName, "Drucker");
    EXPECT_TRUE(shownCheck);
    EXPECT_EQ(shownEntry, TAC_Edit::EntrySwitchOff);
    EXPECT_EQ(title, QStringLiteral("Editieren Steckdose..."));
    EXPECT_EQ(dialog->result(), 1);

    EXPECT_EQ(Text("AC01|AC|AC_Name07"), "Kühlschrank ");  // as typed, blanks kept
    EXPECT_TRUE(Flag("AC01|AC|AC_Down07"));
    EXPECT_FALSE(Flag("AC01|AC|ACWDown07"));
    EXPECT_EQ(view->ACNameX(3)->text(), QStringLiteral("Kühlschrank "));
    EXPECT_TRUE(h.UseIndex.empty());
    EXPECT_TRUE(h.UseSection.empty());
}

TEST_F(SocketEditorTest, EveryWayOfClosingStoresTheDialogsValues) {
    struct Case {
        const char* how;
        std::function<void(TAC_Edit&)> close;
    };
    const Case cases[] = {
        {"OK", [](TAC_Edit& d) { d.OKButton_Info()->click(); }},
        {"close box", [](TAC_Edit& d) { d.close(); }},
        {"Escape", [](TAC_Edit& d) { d.reject(); }},
    };
    int n = 1;
    for (const Case& c : cases) {
        const std::string NN = TSocketActions::TwoDigits(n).toStdString();
        const QString name = QStringLiteral("Dose %1").arg(c.how);
        bool closedByItself = false;
        WhileShown([&](TAC_Edit& d) {
            d.Edit1()->setText(name);
            d.CheckBox_WDown()->setChecked(true);
            d.ComboBox_AC_WindowsOFF()->setCurrentIndex(TAC_Edit::EntrySwitchOff);
            c.close(d);
            closedByItself = true;
        });
        editor->Multi_Action_Steckdose_EditExecute(n);
        EXPECT_TRUE(closedByItself) << c.how;
        EXPECT_FALSE(dialog->isVisible()) << c.how;
        EXPECT_EQ(Text("AC01|AC|AC_Name" + NN), name.toStdString()) << c.how;
        EXPECT_TRUE(Flag("AC01|AC|AC_Down" + NN)) << c.how;
        EXPECT_TRUE(Flag("AC01|AC|ACWDown" + NN)) << c.how;
        ++n;
    }
}

TEST_F(SocketEditorTest, EnterTakesTheDefaultButton) {
    WhileShown([](TAC_Edit& d) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(d.Edit1(), &press);
        if (d.isVisible()) d.done(7);
    });
    editor->Multi_Action_Steckdose_EditExecute(2);
    EXPECT_EQ(dialog->result(), 1);
}

TEST_F(SocketEditorTest, WithNoEntrySelectedTheSwitchOffFollowsTheCheckBox) {
    for (bool checked : {true, false}) {
        hub->Dataholder()->setValueBoolean("AC01|AC|ACWDown04", !checked);
        WhileShown([&](TAC_Edit& d) {
            d.CheckBox_WDown()->setChecked(checked);
            d.ComboBox_AC_WindowsOFF()->setCurrentIndex(-1);
            d.close();
        });
        editor->Multi_Action_Steckdose_EditExecute(4);
        EXPECT_EQ(Flag("AC01|AC|AC_Down04"), checked);
        EXPECT_EQ(Flag("AC01|AC|ACWDown04"), checked);
    }
}

TEST_F(SocketEditorTest, TheDialogHasItsFormAndSitsBesideTheMainWindow) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Edit"));
    EXPECT_EQ(dialog->size(), QSize(TAC_Edit::ClientWidth, TAC_Edit::ClientHeight));
    EXPECT_EQ(dialog->property("helpContext").toInt(), 170);
    EXPECT_EQ(dialog->OKButton_Info()->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(dialog->OKButton_Info()->isDefault());
    ASSERT_EQ(dialog->ComboBox_AC_WindowsOFF()->count(), 2);
    EXPECT_EQ(dialog->ComboBox_AC_WindowsOFF()->itemText(0), QStringLiteral("Einstellung so lassen"));
    EXPECT_EQ(dialog->ComboBox_AC_WindowsOFF()->itemText(1), QStringLiteral("Ausschalten"));
    EXPECT_EQ(dialog->CheckBox_WDown()->text(), QStringLiteral("Beim Beenden von Windows"));
    EXPECT_EQ(dialog->GroupBox_WDown()->title(), QStringLiteral(" Events beim Beenden von Windows"));
    for (const char* name :
         {"AC_Edit_Label", "Edit1", "CheckBox_WDown", "ComboBox_AC_WindowsOFF", "OKButton_Info"})
        EXPECT_NE(dialog->Form().FindControl(name), nullptr) << name;

    window->move(600, 300);
    QPoint shownAt;
    WhileShown([&](TAC_Edit& d) {
        shownAt = d.pos();
        d.close();
    });
    editor->Multi_Action_Steckdose_EditExecute(1);
    // Left of the main window by a third of the dialog's width, below its top.
    EXPECT_LT(shownAt.x(), 600);
    EXPECT_GT(shownAt.x(), 600 - TAC_Edit::ClientWidth);
    EXPECT_GT(shownAt.y(), 300);
    // The name field carries the help topic of editing a socket.
    EXPECT_EQ(dialog->Edit1()->property("helpContext").toInt(), 1050);
}

}  // namespace
