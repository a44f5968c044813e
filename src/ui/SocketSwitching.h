#pragma once
// The widgets of one socket's switching state: the toggle action
// Action_Std<NN>_Toggle that the main-menu and tray entries show (caption
// "Steckdose <n> - ON/OFF", image 1 or 0), and the glyph of the page button
// while the socket's page is shown. The state itself (AC01|AC|ACPower<NN>)
// and the commands to the box belong to the box controller; the socket
// operations here forward to it.
#include <QIcon>
#include <QPixmap>

class QToolButton;
class QtForm;
class TBoxController;
class TmVedadAzaro;
class TProgramView;
class TSocketActions;

class TSocketSwitching {
public:
    static constexpr int SlotCount = 4;
    static constexpr int PageCount = 6;

    // The parts of the main window this one works with; all outlive it.
    struct TParts {
        QtForm* form = nullptr;
        TProgramView* view = nullptr;
        TSocketActions* actions = nullptr;
        TmVedadAzaro* hub = nullptr;  // data holder (help table)
        TBoxController* controller = nullptr;
    };

    explicit TSocketSwitching(TParts parts);
    ~TSocketSwitching();

    TSocketSwitching(const TSocketSwitching&) = delete;
    TSocketSwitching& operator=(const TSocketSwitching&) = delete;

    // The operations on one socket (the controller's; the socket actions'
    // handlers call the controller's entry points directly).
    void MultiAction_Steckdose_Toggle(int n);
    void MultiAction_Steckdose_Init(int n);
    void MultiAction_Steckdose_OFF(int n);

    // Socket n shown on or off: its toggle action and, when its page is the
    // one shown, its page button's glyph; the button gets the socket topic.
    void ShowState(int n, bool on);

    // ---- Glyphs ----------------------------------------------------------------
    // Loads the three button glyphs (grey 1000, green 1001, red 1002) once and
    // puts the grey one on the four page buttons.
    void LoadGlyphs();
    // Releases the glyphs (at the end of the program).
    void FreeGlyphs();
    void SetSpeedButtonGreen(QToolButton* button);
    void SetSpeedButtonGray(QToolButton* button);
    // The shared glyphs as the buttons show them (null before LoadGlyphs).
    const QIcon& GlyphGreen() const { return green_; }
    const QIcon& GlyphGray() const { return gray_; }
    const QIcon& GlyphRed() const { return red_; }

    // Socket n lies on the page with this tab index (0 for 1-4 ... 5 for 21-24).
    static bool OnPage(int n, int tabIndex);

private:
    void SetButtonHelpContext(QToolButton* button);

    TParts parts_;
    QPixmap grayPixmap_;
    QPixmap greenPixmap_;
    QPixmap redPixmap_;
    QIcon gray_;
    QIcon green_;
    QIcon red_;
};
