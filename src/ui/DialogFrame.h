#pragma once
// What the program's dialogs share: the banner at their top (the stretched
// banner background, the program icon and a white bold title such as
// "Einstellungen..." or "Info...", as the main window shows it; the two
// pictures carry the help context 600), their fonts, and their opening
// beside the main window with the hand-over of the main window's place on
// top while it is locked there.
#include <QFont>
#include <QString>

class TMainMenus;
struct TProgramLinks;
class QLabel;
class QWidget;
class Form;
class QtForm;
class TmuOperationSystem;

namespace DialogFrame {

// Height of the banner in pixels.
constexpr int kHeight = 44;
// Help context of the banner pictures.
constexpr int kHelpContext = 600;

// Tahoma 8 pt where the system has it, a close sans otherwise.
QFont BaseFont();
// The font bold at a pixel size.
QFont BoldPixelFont(const QFont& base, int pixels);

// Builds the banner as a widget of `parent` and registers its controls
// (Image_BK_Banner, Image_Job_Icon and the title label `titleName`) with
// `form`. The title label is returned through `title` when asked for.
QWidget* BuildBanner(QWidget* parent, QtForm& form, const QString& titleText, const char* titleName,
                     QLabel** title = nullptr);

// The main window's placement service; null without a main window.
TmuOperationSystem* Placement(const TProgramLinks& main);
// The main window is locked on top (tag 1 of its lock item).
bool MainWindowLocked(const TMainMenus* menus);
// While the main window is locked on top: the main window is taken off the
// top and the dialog put there instead.
void HandOverTop(const TProgramLinks& main, Form& dialog);
// Places the dialog beside `beside` (the main window when null).
void PlaceBeside(const TProgramLinks& main, Form& dialog, Form* beside = nullptr);

}  // namespace DialogFrame
