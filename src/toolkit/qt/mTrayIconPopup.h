#pragma once
// The tray icon's popup menu: an owner-drawn menu with two vertical colour
// bands along its left edge, each carrying a name turned by 90 degrees
// (running upward): the firm band (the maker's name on grey) and the program
// band (the program's name on blue). The items are painted to the right of
// the bands, from x = 45, by DrawItem; the owner tells each item the caption
// its draw handler passes on (SetItemCaption), so the drawn text may differ
// from the bound action's caption.
//
// The band geometry is computed apart from the painting (CalcBarLayout,
// getPosition), so it can be checked without a screen.
#include <QColor>
#include <QFont>
#include <QHash>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

#include "toolkit/Component.h"

class QPainter;
class TmAboutVersion;
class TmuCompoLogging;
class TmuOperationSystem;

// Where a band's text sits along the band.
enum class TmOrientation { mLeft, mCenter, mRight };

// One band: its name, the font of the name (owned by the band), the colour
// of the name and of the band, and the placement of the name.
class TmBandType {
public:
    QString Name;
    QFont Font;
    QColor FontColor = Qt::white;
    QColor BackgroundColor;
    TmOrientation Orient = TmOrientation::mLeft;
};

class TmFirmType : public TmBandType {};
class TmProgramType : public TmBandType {};

// One band as DrawBar paints it.
struct TmBandLayout {
    QRect band;         // the filled rectangle
    QPoint textOrigin;  // where the turned text starts; it runs upward from here
    int fontSize = 0;   // points, after the 7-point limit
    int extent = 0;     // fontSize x characters of the name
    int offset = 0;     // getPosition of the name
    bool operator==(const TmBandLayout&) const = default;
};

struct TmBarLayout {
    int extra = 0;        // 10 with the newer window frames, else 0
    int popupHeight = 0;  // PopupHeight after the rule "only grows"
    TmBandLayout firm;
    TmBandLayout prog;
};

class TmTrayIconPopup : public QMenu, public TComponent {
    Q_OBJECT
public:
    static constexpr int BandWidth = 20;
    static constexpr int ItemLeft = 45;
    static constexpr int MaxFontSize = 7;

    explicit TmTrayIconPopup(QWidget* parent = nullptr);
    ~TmTrayIconPopup() override;

    TmAboutVersion* About() const { return about_; }
    TmuCompoLogging* Log() const { return log_; }
    TmFirmType& Firm() { return *firm_; }
    TmProgramType& Prog() { return *prog_; }
    int PopupHeight() const { return popupHeight_; }
    void SetPopupHeight(int value);
    // The popup's own operating system service (window-frame check).
    TmuOperationSystem* OperationSystem() const { return operationSystem_; }

    // The caption the item's draw handler passes to DrawItemCaption; items
    // without one are drawn with their own text.
    void SetItemCaption(QAction* item, const QString& caption);
    QString ItemCaption(QAction* item) const;
    // The caption of the item being drawn (the last one DrawItemCaption got).
    const QString& Caption() const { return caption_; }

    // Stores the caption and paints the item (DrawItem).
    void DrawItemCaption(QAction* item, const QString& caption, bool selected, const QRect& rect,
                         QPainter* canvas);
    // Paints one item from x = 45 in the highlight or the menu colour, then
    // both bands.
    void DrawItem(QAction* item, QPainter* canvas, bool selected, const QRect& rect);
    // Paints both bands.
    void DrawBar(QPainter* canvas);
    // Offset of a band's text along a band of `height` pixels.
    int getPosition(TmOrientation orient, int height, int length, int size);

    // What DrawBar does before it paints: limits both fonts to 7 points,
    // lets PopupHeight grow to the longer name and places both texts.
    TmBarLayout CalcBarLayout();
    // getPosition without its trace.
    static int CalcPosition(TmOrientation orient, int height, int length, int size);
    // Point size of a font (a pixel-sized font converted at 96 dpi).
    static int FontSize(const QFont& font);
    // Sets a font by its character height in pixels as a negative number
    // (-9 is a 7-point font at 96 dpi).
    static void SetFontHeight(QFont& font, int height);
    // The turned font DrawBar writes with: the font's height minus 2.
    static QFont TurnedFont(const QFont& font);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void actionEvent(QActionEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PaintBands(QPainter* canvas, const TmBarLayout& layout);
    void UpdateMinimumSize();
    int RequiredHeight() const;

    TmuCompoLogging* log_ = nullptr;
    TmuOperationSystem* operationSystem_ = nullptr;
    TmFirmType* firm_ = nullptr;
    TmProgramType* prog_ = nullptr;
    TmAboutVersion* about_ = nullptr;
    int popupHeight_ = 0;
    int lastExtra_ = 0;
    QString caption_;
    QHash<QAction*, QString> captions_;
};
