#pragma once
// A popup menu that lays its items out in columns, as the window system's
// menus do with an item's column-break flag: an item marked with
// SetColumnBreak starts a new column while it is shown (a hidden item takes
// its break with it). Separators that would open or close a column, or that
// follow another separator, are left out, so hiding items never leaves a
// stray line.
//
// The items stay the menu's own actions (actions() lists them in order);
// they are painted by the style as in a plain menu, highlighted under the
// mouse, chosen by a click or by Return, and walked with the arrow keys
// (Up/Down in order, Left/Right across the columns).
#include <QMenu>
#include <QRect>
#include <QSize>
#include <vector>

class TColumnMenu : public QMenu {
    Q_OBJECT
public:
    explicit TColumnMenu(QWidget* parent = nullptr);
    explicit TColumnMenu(const QString& title, QWidget* parent = nullptr);

    // The column-break flag of an item (the dynamic property "columnBreak").
    static void SetColumnBreak(QAction* action, bool on = true);
    static bool ColumnBreak(const QAction* action);

    // The shown items column by column, separators included.
    QList<QList<QAction*>> Columns() const;
    // A shown item's rectangle in the menu's coordinates; empty otherwise.
    QRect ItemRect(QAction* action) const;
    // The item under `pos`; null over a separator, a gap or outside.
    QAction* ItemAt(const QPoint& pos) const;

    QSize sizeHint() const override;

protected:
    void actionEvent(QActionEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Item {
        QAction* action = nullptr;
        QRect rect;
        int column = 0;
    };

    const std::vector<Item>& Layout() const;
    void Invalidate();
    bool Selectable(const Item& item) const;
    // Runs the item as the menu does for Return: closes the menus and
    // triggers it.
    void Choose(QAction* action);
    // Arrow-key movement; false when the key is left to the plain menu.
    bool MoveSelection(int key);

    mutable std::vector<Item> items_;
    mutable QSize size_;
    mutable int columnCount_ = 0;
    mutable int columnWidth_ = 0;
    mutable bool dirty_ = true;
};
