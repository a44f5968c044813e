#include "toolkit/qt/ColumnMenu.h"

#include <QActionEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <algorithm>
#include <cstdlib>

namespace {

constexpr const char* kColumnBreakProperty = "columnBreak";
// Space between two columns; a vertical line runs down its middle.
constexpr int kColumnGap = 7;

}  // namespace

TColumnMenu::TColumnMenu(QWidget* parent) : QMenu(parent) {}

TColumnMenu::TColumnMenu(const QString& title, QWidget* parent) : QMenu(title, parent) {}

void TColumnMenu::SetColumnBreak(QAction* action, bool on) {
    if (action) action->setProperty(kColumnBreakProperty, on);
}

bool TColumnMenu::ColumnBreak(const QAction* action) {
    return action && action->property(kColumnBreakProperty).toBool();
}

void TColumnMenu::Invalidate() {
    dirty_ = true;
    updateGeometry();
    update();
}

const std::vector<TColumnMenu::Item>& TColumnMenu::Layout() const {
    if (!dirty_) return items_;
    dirty_ = false;
    items_.clear();

    // Lets the plain menu compute what the style options carry (the widest
    // icon, the shortcut column).
    (void)QMenu::sizeHint();

    // Columns of shown items, separators folded.
    std::vector<std::vector<QAction*>> columns;
    std::vector<QAction*> current;
    auto closeColumn = [&] {
        while (!current.empty() && current.back()->isSeparator()) current.pop_back();
        if (!current.empty()) columns.push_back(current);
        current.clear();
    };
    for (QAction* a : actions()) {
        if (!a->isVisible()) continue;
        if (a->isSeparator()) {
            if (!current.empty() && !current.back()->isSeparator()) current.push_back(a);
            continue;
        }
        if (ColumnBreak(a) && !current.empty()) closeColumn();
        current.push_back(a);
    }
    closeColumn();

    QStyle* s = style();
    const int fw = s->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
    const int hmargin = s->pixelMetric(QStyle::PM_MenuHMargin, nullptr, this);
    const int vmargin = s->pixelMetric(QStyle::PM_MenuVMargin, nullptr, this);
    const int iconSize = s->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);

    // Item sizes as the plain menu measures them.
    auto measure = [&](QAction* a) {
        QStyleOptionMenuItem opt;
        initStyleOption(&opt, a);
        QSize size;
        if (a->isSeparator()) {
            size = QSize(2, 2);
        } else {
            const QFontMetrics& fm = opt.fontMetrics;
            QString text = a->text();
            const qsizetype tab = text.indexOf(QLatin1Char('\t'));
            if (tab >= 0) text = text.left(tab);
            size.setWidth(fm.boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic, text).width());
            size.setHeight(fm.height());
            if (!a->icon().isNull()) size.setHeight(std::max(size.height(), iconSize));
        }
        return s->sizeFromContents(QStyle::CT_MenuItem, &opt, size, this);
    };

    columnCount_ = static_cast<int>(columns.size());
    columnWidth_ = 0;
    std::vector<std::vector<QSize>> sizes;
    for (const auto& column : columns) {
        sizes.emplace_back();
        for (QAction* a : column) {
            sizes.back().push_back(measure(a));
            columnWidth_ = std::max(columnWidth_, sizes.back().back().width());
        }
    }

    const int left = fw + hmargin;
    const int top = fw + vmargin;
    int bottom = top;
    for (int c = 0; c < columnCount_; ++c) {
        const int x = left + c * (columnWidth_ + kColumnGap);
        int y = top;
        for (std::size_t i = 0; i < columns[c].size(); ++i) {
            const int h = sizes[c][i].height();
            items_.push_back(Item{columns[c][i], QRect(x, y, columnWidth_, h), c});
            y += h;
        }
        bottom = std::max(bottom, y);
    }
    const int width = columnCount_ > 0
                          ? 2 * left + columnCount_ * columnWidth_ + (columnCount_ - 1) * kColumnGap
                          : 2 * left + 20;
    size_ = QSize(width, bottom + vmargin + fw).expandedTo(minimumSize());
    return items_;
}

QList<QList<QAction*>> TColumnMenu::Columns() const {
    QList<QList<QAction*>> out;
    for (const Item& item : Layout()) {
        while (out.size() <= item.column) out.append(QList<QAction*>());
        out[item.column].append(item.action);
    }
    return out;
}

QRect TColumnMenu::ItemRect(QAction* action) const {
    for (const Item& item : Layout())
        if (item.action == action) return item.rect;
    return {};
}

QAction* TColumnMenu::ItemAt(const QPoint& pos) const {
    for (const Item& item : Layout())
        if (item.rect.contains(pos)) return item.action->isSeparator() ? nullptr : item.action;
    return nullptr;
}

QSize TColumnMenu::sizeHint() const {
    Layout();
    return size_;
}

bool TColumnMenu::Selectable(const Item& item) const {
    return !item.action->isSeparator() && item.action->isEnabled();
}

void TColumnMenu::actionEvent(QActionEvent* event) {
    QMenu::actionEvent(event);
    Invalidate();
}

void TColumnMenu::changeEvent(QEvent* event) {
    QMenu::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) Invalidate();
}

void TColumnMenu::paintEvent(QPaintEvent* event) {
    (void)event;
    const auto& items = Layout();
    QPainter p(this);
    QStyle* s = style();

    QStyleOptionMenuItem panel;
    panel.initFrom(this);
    panel.state = QStyle::State_None;
    panel.checkType = QStyleOptionMenuItem::NotCheckable;
    panel.maxIconWidth = 0;
    panel.reservedShortcutWidth = 0;
    s->drawPrimitive(QStyle::PE_PanelMenu, &panel, &p, this);
    panel.menuItemType = QStyleOptionMenuItem::EmptyArea;
    panel.rect = rect();
    panel.menuRect = rect();
    s->drawControl(QStyle::CE_MenuEmptyArea, &panel, &p, this);

    for (const Item& item : items) {
        QStyleOptionMenuItem opt;
        initStyleOption(&opt, item.action);
        opt.rect = item.rect;
        opt.menuRect = rect();
        p.save();
        p.setClipRect(item.rect);
        s->drawControl(QStyle::CE_MenuItem, &opt, &p, this);
        p.restore();
    }

    // A line between two columns, like the window system's bar break.
    const int fw = s->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
    const int vmargin = s->pixelMetric(QStyle::PM_MenuVMargin, nullptr, this);
    const int hmargin = s->pixelMetric(QStyle::PM_MenuHMargin, nullptr, this);
    for (int c = 1; c < columnCount_; ++c) {
        const int x = fw + hmargin + c * (columnWidth_ + kColumnGap) - (kColumnGap + 1) / 2;
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(x, fw + vmargin, x, height() - fw - vmargin - 1);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(x + 1, fw + vmargin, x + 1, height() - fw - vmargin - 1);
    }

    if (fw > 0) {
        QStyleOptionFrame frame;
        frame.rect = rect();
        frame.palette = palette();
        frame.state = QStyle::State_None;
        frame.lineWidth = fw;
        frame.midLineWidth = 0;
        s->drawPrimitive(QStyle::PE_FrameMenu, &frame, &p, this);
    }
}

void TColumnMenu::mouseMoveEvent(QMouseEvent* event) {
    // Outside: the plain menu passes the move on to the menus it came from.
    if (!rect().contains(event->position().toPoint())) {
        QMenu::mouseMoveEvent(event);
        return;
    }
    QAction* action = ItemAt(event->position().toPoint());
    if (action && !action->isEnabled()) action = nullptr;
    if (action != activeAction()) {
        setActiveAction(action);
        update();
    }
    event->accept();
}

void TColumnMenu::mousePressEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) {
        QMenu::mousePressEvent(event);  // a click outside closes the menu
        return;
    }
    event->accept();
}

void TColumnMenu::mouseReleaseEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) {
        QMenu::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    QAction* action = ItemAt(event->position().toPoint());
    if (action && action->isEnabled() && event->button() == Qt::LeftButton) Choose(action);
}

void TColumnMenu::Choose(QAction* action) {
    setActiveAction(action);
    // The plain menu's Return closes every menu of the chain and then
    // triggers the active item, with all the signals a click gives.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QMenu::keyPressEvent(&enter);
}

void TColumnMenu::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && activeAction() &&
        ItemRect(activeAction()).isValid()) {
        Choose(activeAction());
        return;
    }
    if (MoveSelection(key)) {
        event->accept();
        return;
    }
    QMenu::keyPressEvent(event);
}

bool TColumnMenu::MoveSelection(int key) {
    if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right) return false;
    const auto& items = Layout();
    std::vector<int> selectable;
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (Selectable(items[i])) selectable.push_back(i);
    if (selectable.empty()) return key != Qt::Key_Left;

    int current = -1;
    for (int i = 0; i < static_cast<int>(selectable.size()); ++i)
        if (items[selectable[i]].action == activeAction()) current = i;

    int next = -1;
    if (key == Qt::Key_Down) {
        next = current < 0 ? 0 : (current + 1) % static_cast<int>(selectable.size());
    } else if (key == Qt::Key_Up) {
        const int n = static_cast<int>(selectable.size());
        next = current < 0 ? n - 1 : (current + n - 1) % n;
    } else {
        if (current < 0) {
            if (key == Qt::Key_Left) return false;
            next = 0;
        } else {
            const Item& from = items[selectable[current]];
            const int column = from.column + (key == Qt::Key_Right ? 1 : -1);
            if (column < 0) return false;  // the plain menu goes back to the menu it came from
            if (column >= columnCount_) return true;
            int best = -1;
            int bestDistance = 0;
            for (int i = 0; i < static_cast<int>(selectable.size()); ++i) {
                const Item& candidate = items[selectable[i]];
                if (candidate.column != column) continue;
                const int distance = std::abs(candidate.rect.center().y() - from.rect.center().y());
                if (best < 0 || distance < bestDistance) {
                    best = i;
                    bestDistance = distance;
                }
            }
            if (best < 0) return true;
            next = best;
        }
    }
    setActiveAction(items[selectable[next]].action);
    update();
    return true;
}
