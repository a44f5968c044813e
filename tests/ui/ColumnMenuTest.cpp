// A menu laid out in columns: breaks, folded separators, hidden items, and
// choosing items by mouse and keyboard.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "QtTestApp.h"
#include "toolkit/qt/ColumnMenu.h"

namespace {

class ColumnMenuTest : public ::testing::Test {
protected:
    // 24 entries in groups of four with a separator between the groups and
    // column breaks before 9 and 17, as the socket menus have them.
    void SetUp() override {
        EnsureQtTestApp();
        menu = std::make_unique<TColumnMenu>(QStringLiteral("Steckdosen"));
        for (int n = 1; n <= 24; ++n) {
            if (n > 1 && (n - 1) % 4 == 0) menu->addSeparator();
            QAction* a = menu->addAction(QStringLiteral("Steckdose %1 - OFF").arg(n));
            a->setObjectName(QStringLiteral("S%1").arg(n));
            entries.push_back(a);
        }
        TColumnMenu::SetColumnBreak(entries[8]);
        TColumnMenu::SetColumnBreak(entries[16]);
    }

    QAction* Entry(int n) const { return entries[n - 1]; }

    // Each column as "1 2 3 4 - 5 6 7 8".
    QStringList Layout() const {
        QStringList out;
        for (const auto& column : menu->Columns()) {
            QStringList items;
            for (QAction* a : column)
                items << (a->isSeparator() ? QStringLiteral("-") : a->objectName().mid(1));
            out << items.join(QLatin1Char(' '));
        }
        return out;
    }

    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(menu.get(), &press);
    }

    void Mouse(QEvent::Type type, const QPoint& pos) {
        const QPoint global = menu->mapToGlobal(pos);
        QMouseEvent e(type, QPointF(pos), QPointF(global), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(menu.get(), &e);
    }

    std::unique_ptr<TColumnMenu> menu;
    std::vector<QAction*> entries;
};

TEST_F(ColumnMenuTest, ThreeColumnsOfTwoGroupsOfFour) {
    EXPECT_EQ(Layout(),
              (QStringList{"1 2 3 4 - 5 6 7 8", "9 10 11 12 - 13 14 15 16", "17 18 19 20 - 21 22 23 24"}));
    // The menu's actions stay in their order; only the painting is in columns.
    EXPECT_EQ(menu->actions().size(), 24 + 5);

    // Side by side, tops aligned, one size for all items.
    const QRect r1 = menu->ItemRect(Entry(1));
    const QRect r9 = menu->ItemRect(Entry(9));
    const QRect r17 = menu->ItemRect(Entry(17));
    EXPECT_EQ(r1.top(), r9.top());
    EXPECT_EQ(r9.top(), r17.top());
    EXPECT_GT(r9.left(), r1.right());
    EXPECT_GT(r17.left(), r9.right());
    EXPECT_EQ(menu->ItemRect(Entry(8)).bottom(), menu->ItemRect(Entry(24)).bottom());
    EXPECT_GT(menu->ItemRect(Entry(5)).top(), menu->ItemRect(Entry(4)).bottom() + 1);  // the separator
    EXPECT_TRUE(menu->rect().contains(menu->ItemRect(Entry(24))) || menu->sizeHint().width() > r17.right());
    EXPECT_GE(menu->sizeHint().width(), r17.right() + 1);
    EXPECT_GE(menu->sizeHint().height(), menu->ItemRect(Entry(24)).bottom() + 1);
    EXPECT_LT(menu->sizeHint().height(), 11 * r1.height() + 40);  // not one long column
}

TEST_F(ColumnMenuTest, HiddenItemsTakeTheirBreaksAndSeparatorsWithThem) {
    struct Case {
        int shown;  // sockets 1..shown are visible, as for a box of that size
        QStringList layout;
    };
    const Case cases[] = {
        {4, {"1 2 3 4"}},
        {8, {"1 2 3 4 - 5 6 7 8"}},
        {12, {"1 2 3 4 - 5 6 7 8", "9 10 11 12"}},
        {20, {"1 2 3 4 - 5 6 7 8", "9 10 11 12 - 13 14 15 16", "17 18 19 20"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        for (int n = 1; n <= 24; ++n) Entry(n)->setVisible(n <= c.shown);
        EXPECT_EQ(Layout(), c.layout);
        EXPECT_FALSE(menu->ItemRect(Entry(c.shown)).isEmpty());
        if (c.shown < 24) {
            EXPECT_TRUE(menu->ItemRect(Entry(c.shown + 1)).isEmpty());
        }
    }
}

TEST_F(ColumnMenuTest, ClickOnAnItemInTheSecondColumnTriggersItAndCloses) {
    std::vector<QAction*> triggered;
    QObject::connect(menu.get(), &QMenu::triggered, [&](QAction* a) { triggered.push_back(a); });
    menu->popup(QPoint(100, 100));
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->size(), menu->sizeHint());

    const QPoint at = menu->ItemRect(Entry(14)).center();
    EXPECT_EQ(menu->ItemAt(at), Entry(14));
    Mouse(QEvent::MouseMove, at);
    EXPECT_EQ(menu->activeAction(), Entry(14));
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(triggered, std::vector<QAction*>{Entry(14)});
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(ColumnMenuTest, SeparatorsAndDisabledItemsAreNotChosen) {
    int runs = 0;
    QObject::connect(menu.get(), &QMenu::triggered, [&] { ++runs; });
    Entry(3)->setEnabled(false);
    menu->popup(QPoint(50, 50));
    const QRect four = menu->ItemRect(Entry(4));
    const QPoint separator(four.center().x(), four.bottom() + 2);
    EXPECT_EQ(menu->ItemAt(separator), nullptr);
    for (const QPoint& at : {separator, menu->ItemRect(Entry(3)).center()}) {
        Mouse(QEvent::MouseMove, at);
        Mouse(QEvent::MouseButtonPress, at);
        Mouse(QEvent::MouseButtonRelease, at);
    }
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

TEST_F(ColumnMenuTest, ArrowKeysWalkRowsAndColumns) {
    menu->popup(QPoint(50, 50));
    menu->setActiveAction(Entry(2));
    Key(Qt::Key_Right);
    EXPECT_EQ(menu->activeAction(), Entry(10));
    Key(Qt::Key_Right);
    EXPECT_EQ(menu->activeAction(), Entry(18));
    Key(Qt::Key_Right);  // no fourth column
    EXPECT_EQ(menu->activeAction(), Entry(18));
    Key(Qt::Key_Left);
    EXPECT_EQ(menu->activeAction(), Entry(10));

    menu->setActiveAction(Entry(4));
    Key(Qt::Key_Down);  // over the separator
    EXPECT_EQ(menu->activeAction(), Entry(5));
    menu->setActiveAction(Entry(8));
    Key(Qt::Key_Down);  // on into the next column
    EXPECT_EQ(menu->activeAction(), Entry(9));
    Key(Qt::Key_Up);
    EXPECT_EQ(menu->activeAction(), Entry(8));

    int runs = 0;
    QObject::connect(Entry(8), &QAction::triggered, [&] { ++runs; });
    Key(Qt::Key_Return);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(menu->isVisible());
}

}  // namespace
