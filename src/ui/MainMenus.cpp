#include "ui/MainMenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <algorithm>

#include "toolkit/qt/ColumnMenu.h"
#include "toolkit/qt/QtForm.h"
#include "ui/ImageList.h"
#include "ui/ProgramActions.h"
#include "ui/SocketActions.h"

namespace {

// The menu bar shows an item's image and caption side by side (the window
// system's own style shows only the image of an item that has both).
class TMenuBarStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuBarItem || !item || item->icon.isNull() || item->text.isEmpty()) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionMenuItem background = *item;
        background.text.clear();
        background.icon = QIcon();
        QProxyStyle::drawControl(element, &background, painter, widget);

        const bool enabled = item->state & State_Enabled;
        const bool active = (item->state & State_Selected) && (item->state & State_Sunken);
        const int iconSize = pixelMetric(PM_SmallIconSize, option, widget);
        const QSize text = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
        const int width = iconSize + kGap + text.width();
        QRect content(0, 0, width, item->rect.height());
        content.moveCenter(item->rect.center());

        const QPixmap pixmap = item->icon.pixmap(iconSize, enabled ? QIcon::Normal : QIcon::Disabled);
        const QRect iconRect(content.left(), content.center().y() - iconSize / 2, iconSize, iconSize);
        painter->drawPixmap(iconRect, pixmap);
        const QRect textRect(iconRect.right() + 1 + kGap, content.top(), text.width(), content.height());
        proxy()->drawItemText(
            painter, textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine,
            item->palette, enabled, item->text, active ? QPalette::HighlightedText : QPalette::WindowText);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuBarItem || !item || item->icon.isNull() || item->text.isEmpty())
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        const int iconSize = pixelMetric(PM_SmallIconSize, option, widget);
        const QSize text = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
        const QSize contents(iconSize + kGap + text.width(), std::max(iconSize, text.height()));
        return QProxyStyle::sizeFromContents(type, option, contents, widget);
    }

private:
    static constexpr int kGap = 4;
};

QMenu* AddSubmenu(QWidget* parent, QtForm& form, const char* name, const char* caption, int imageIndex,
                  int helpContext, bool columns = false) {
    QMenu* menu = columns ? new TColumnMenu(QString::fromUtf8(caption), parent)
                          : new QMenu(QString::fromUtf8(caption), parent);
    menu->setObjectName(QString::fromLatin1(name));
    menu->setIcon(TImageList::Icon(imageIndex));
    QtControl* control = form.AddControl(menu, ControlClass::MenuItem);
    if (helpContext) control->SetHelpContext(helpContext);
    return menu;
}

// A menu item of its own, bound to `action`.
QAction* AddItem(QWidget* container, QtForm& form, const char* name, QAction* action) {
    auto* item = new QAction(container);
    item->setObjectName(QString::fromLatin1(name));
    container->addAction(item);
    form.AddControl(item, ControlClass::MenuItem)->SetAction(AsAction(action));
    return item;
}

}  // namespace

TMainMenus::TMainMenus(QMainWindow* window, QtForm& form, const TProgramActions& actions,
                       TSocketActions& sockets) {
    menuBar_ = new QMenuBar(window);
    menuBar_->setObjectName(QStringLiteral("MainMenu1"));
    auto* style = new TMenuBarStyle;
    style->setParent(menuBar_);
    menuBar_->setStyle(style);
    form.AddControl(menuBar_, ControlClass::Other);

    datei_ = AddSubmenu(menuBar_, form, "Menu_Datei", "&Datei", TImageList::File, HelpMenuDatei);
    menuBar_->addMenu(datei_);
    AddItem(datei_, form, "Tavrin_schliesen", actions.Action_AC_Prg_Hide());
    datei_->addSeparator();
    AddItem(datei_, form, "Beenden", actions.Action_TrayPrg_CloseExecute());

    einstellungen_ = AddItem(menuBar_, form, "Menu_Einstellungen", actions.Action_AC_Prg_Setup());

    steckdosen_ = AddSubmenu(menuBar_, form, "Menu_Steckdosen", "&Steckdosen", TImageList::SocketOff,
                             HelpMenuSteckdosen, /*columns=*/true);
    menuBar_->addMenu(steckdosen_);
    sockets.AddMainMenuEntries(steckdosen_);

    hilfe_ = AddSubmenu(menuBar_, form, "Menu_Hilfe", "", TImageList::Help, 0);
    menuBar_->addMenu(hilfe_);
    AddItem(hilfe_, form, "Hilfe", actions.Action_AC_Prg_Help());
    QAction* info = AddItem(hilfe_, form, "Info", actions.Action_AC_Prg_Info());
    form.ControlOf(info)->SetHelpContext(HelpInfo);

    lock_ = AddItem(menuBar_, form, "ActionLook_Or_Unlook", actions.Action_Lock_Unlook());
    lock_->setIcon(TImageList::Icon(TImageList::Unlocked));
    lock_->setProperty("tag", 0);

    window->setMenuBar(menuBar_);
}
