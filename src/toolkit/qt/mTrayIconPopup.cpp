#include "toolkit/qt/mTrayIconPopup.h"

#include <QActionEvent>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <exception>

#include "toolkit/mAboutVersion.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muTraceScope.h"

using Kind = TmTraceScope::Kind;

namespace {

constexpr int kAboutBitmapNumber = 218;
constexpr int kScreenDpi = 96;  // the resolution the band fonts are defined at
constexpr int kArrowSpace = 20;
constexpr int kCaptionSpace = 12;

// The unit's picture, shared by all popups.
TAboutBitmapRef g_unitBitmap;

// a * b / c rounded to the nearest integer (a, b, c >= 0, c > 0).
int MulDiv(int a, int b, int c) { return (a * b + c / 2) / c; }

// The record's 32 x 32 picture: the two bands in small. Registered once
// unless the program registered a picture of its own under the number.
void EnsureAboutBitmap() {
    if (LoadAboutBitmapResource(kAboutBitmapNumber)) return;
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.fillRect(QRect(0, 0, 8, 32), QColor(128, 128, 128));
        p.fillRect(QRect(8, 0, 8, 32), QColor(0, 0, 255));
        p.setPen(QColor(64, 64, 64));
        for (int y = 6; y < 32; y += 7) p.drawLine(20, y, 29, y);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    RegisterAboutBitmapResource(kAboutBitmapNumber, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

void SetBandDefaults(TmBandType& band, const char* name, const QColor& background) {
    band.Name = QString::fromLatin1(name);
    band.Font = QFont(QStringLiteral("Tahoma"));
    band.Font.setPointSize(7);
    band.Font.setBold(true);
    band.FontColor = Qt::white;
    band.BackgroundColor = background;
    band.Orient = TmOrientation::mLeft;
}

void LimitFont(QFont& font) {
    if (TmTrayIconPopup::FontSize(font) > TmTrayIconPopup::MaxFontSize)
        font.setPointSize(TmTrayIconPopup::MaxFontSize);
}

QString WithoutMnemonic(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

}  // namespace

TmTrayIconPopup::TmTrayIconPopup(QWidget* parent) : QMenu(parent) {
    CreateLogging(this, log_, "mTrayIconPopup", "LOG_STD", false, true);
    const int h = log_->addCall({"addCls", "Create", "None", "Klasse " + log_->CompoName() + " erstellen"});
    operationSystem_ = new TmuOperationSystem(this);
    firm_ = new TmFirmType;
    SetBandDefaults(*firm_, "Default firm", QColor(128, 128, 128));
    prog_ = new TmProgramType;
    SetBandDefaults(*prog_, "Default program", QColor(0, 0, 255));
    // Owner drawing: every item is painted across the whole width (the
    // bands over its left part), so its rectangle starts at the left edge,
    // and a submenu opening to the left lies beside the bands, not on them.
    setContentsMargins(0, 0, 0, 0);
    EnsureAboutBitmap();
    about_ = CreateAboutVersion("mTrayIconPopup", "1.0.0.4", "21.06.2018", kAboutBitmapNumber, g_unitBitmap);
    UpdateMinimumSize();
    log_->exitCls(h);
}

TmTrayIconPopup::~TmTrayIconPopup() {
    const int h = log_->addCall({"addCls", "Destroy", "None", "Klasse " + log_->CompoName() + " vernichten"});
    delete firm_;
    firm_ = nullptr;
    delete prog_;
    prog_ = nullptr;
    delete operationSystem_;
    operationSystem_ = nullptr;
    log_->exitCls(h);
    delete about_;
    about_ = nullptr;
    delete log_;
    log_ = nullptr;
}

void TmTrayIconPopup::SetPopupHeight(int value) {
    popupHeight_ = value;
    UpdateMinimumSize();
}

void TmTrayIconPopup::SetItemCaption(QAction* item, const QString& caption) {
    if (!item) return;
    captions_.insert(item, caption);
    UpdateMinimumSize();
    update();
}

QString TmTrayIconPopup::ItemCaption(QAction* item) const {
    const auto it = captions_.constFind(item);
    if (it != captions_.constEnd()) return *it;
    return item ? item->text() : QString();
}

// ---------------------------------------------------------------------------
// Geometry

int TmTrayIconPopup::FontSize(const QFont& font) {
    if (font.pointSize() > 0) return font.pointSize();
    if (font.pixelSize() > 0) return MulDiv(font.pixelSize(), 72, kScreenDpi);
    return 0;
}

void TmTrayIconPopup::SetFontHeight(QFont& font, int height) {
    const int pixels = height < 0 ? -height : height;
    font.setPointSize(std::max(1, MulDiv(pixels, 72, kScreenDpi)));
}

QFont TmTrayIconPopup::TurnedFont(const QFont& font) {
    // Height -MulDiv(size, 96, 72) (negative: the character height), minus 2.
    const int height = -MulDiv(std::max(FontSize(font), 1), kScreenDpi, 72);
    QFont turned(font);
    turned.setPixelSize(-(height - 2));
    return turned;
}

int TmTrayIconPopup::CalcPosition(TmOrientation orient, int height, int length, int size) {
    const int mid = (height - length * size) / 2;
    switch (orient) {
        case TmOrientation::mLeft:
            return mid > 0 ? mid - size : -size;
        case TmOrientation::mCenter:
            return mid > 0 ? mid : size;
        case TmOrientation::mRight:
            return mid > 0 ? mid + size : size;
    }
    return 0;
}

int TmTrayIconPopup::getPosition(TmOrientation orient, int height, int length, int size) {
    TmTraceScope trace(log_, Kind::Function, "getPosition");
    const int result = CalcPosition(orient, height, length, size);
    log_->addVarInteger("r_iResult", result);
    return result;
}

TmBarLayout TmTrayIconPopup::CalcBarLayout() {
    TmBarLayout layout;
    try {
        if (operationSystem_->Get_MajorVersion_Vista()) layout.extra = 10;
    } catch (const std::exception&) {
        // A system that refuses its version has no newer frame to allow for.
        layout.extra = 0;
    }
    lastExtra_ = layout.extra;

    LimitFont(firm_->Font);
    LimitFont(prog_->Font);
    layout.firm.fontSize = FontSize(firm_->Font);
    layout.prog.fontSize = FontSize(prog_->Font);
    layout.firm.extent = layout.firm.fontSize * static_cast<int>(firm_->Name.size());
    layout.prog.extent = layout.prog.fontSize * static_cast<int>(prog_->Name.size());

    popupHeight_ =
        std::max({popupHeight_, layout.firm.extent + layout.extra, layout.prog.extent + layout.extra});
    layout.popupHeight = popupHeight_;

    layout.firm.offset =
        getPosition(firm_->Orient, popupHeight_, static_cast<int>(firm_->Name.size()), layout.firm.fontSize);
    layout.prog.offset =
        getPosition(prog_->Orient, popupHeight_, static_cast<int>(prog_->Name.size()), layout.prog.fontSize);

    layout.firm.band = QRect(0, 0, BandWidth, popupHeight_);
    layout.firm.textOrigin = QPoint(2, layout.firm.extent + layout.firm.offset);
    layout.prog.band = QRect(BandWidth, 0, BandWidth, popupHeight_);
    layout.prog.textOrigin = QPoint(BandWidth + 2, layout.prog.extent + layout.prog.offset);
    return layout;
}

int TmTrayIconPopup::RequiredHeight() const {
    const int firmSize = std::min(FontSize(firm_->Font), static_cast<int>(MaxFontSize));
    const int progSize = std::min(FontSize(prog_->Font), static_cast<int>(MaxFontSize));
    return std::max({popupHeight_, firmSize * static_cast<int>(firm_->Name.size()) + lastExtra_,
                     progSize * static_cast<int>(prog_->Name.size()) + lastExtra_});
}

void TmTrayIconPopup::UpdateMinimumSize() {
    // Wide enough for the drawn captions (which may be longer than the
    // actions' own), tall enough for the bands and their names.
    const QFontMetrics fm = fontMetrics();
    int captionWidth = 0;
    for (QAction* a : actions()) {
        if (!a->isVisible() || a->isSeparator()) continue;
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(WithoutMnemonic(ItemCaption(a))));
    }
    const int frame = style()->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
    const int width = ItemLeft + captionWidth + kCaptionSpace + kArrowSpace + 2 * frame;
    setMinimumSize(width, RequiredHeight());
}

QSize TmTrayIconPopup::sizeHint() const {
    return QMenu::sizeHint().expandedTo(minimumSize()).expandedTo(QSize(0, RequiredHeight()));
}

// ---------------------------------------------------------------------------
// Painting

void TmTrayIconPopup::DrawItemCaption(QAction* item, const QString& caption, bool selected, const QRect& rect,
                                      QPainter* canvas) {
    TmTraceScope trace(log_, Kind::Procedure, "DrawItemCaption");
    caption_ = caption;
    DrawItem(item, canvas, selected, rect);
}

void TmTrayIconPopup::DrawItem(QAction* item, QPainter* canvas, bool selected, const QRect& rect) {
    TmTraceScope trace(log_, Kind::Procedure, "DrawItem");
    log_->addVarString("i_ACanvas", "ACanvas");
    log_->addVarString("i_ARect", "ARect");
    log_->addVarBoolean("i_bSelected", selected);

    const QPalette pal = palette();
    QRect r = rect;
    r.setLeft(ItemLeft);
    canvas->fillRect(r, pal.color(selected ? QPalette::Highlight : QPalette::Window));

    const bool enabled = !item || item->isEnabled();
    QColor text = pal.color(selected ? QPalette::HighlightedText : QPalette::WindowText);
    if (!enabled) text = pal.color(QPalette::Disabled, QPalette::WindowText);
    canvas->setPen(text);
    canvas->setFont(font());
    canvas->drawText(
        r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip,
        caption_);

    DrawBar(canvas);
}

void TmTrayIconPopup::DrawBar(QPainter* canvas) {
    TmTraceScope trace(log_, Kind::Procedure, "DrawBar");
    PaintBands(canvas, CalcBarLayout());
}

void TmTrayIconPopup::PaintBands(QPainter* canvas, const TmBarLayout& layout) {
    // A menu taller than PopupHeight gets bands down to its bottom edge.
    const int bandHeight = std::max(layout.popupHeight, height());
    struct Band {
        const TmBandType* type;
        const TmBandLayout* layout;
    };
    for (const Band& band : {Band{firm_, &layout.firm}, Band{prog_, &layout.prog}}) {
        QRect fill = band.layout->band;
        fill.setHeight(bandHeight);
        canvas->fillRect(fill, band.type->BackgroundColor);

        const QFont turned = TurnedFont(band.type->Font);
        canvas->save();
        canvas->setFont(turned);
        canvas->setPen(band.type->FontColor);
        canvas->translate(band.layout->textOrigin);
        canvas->rotate(-90);  // counter-clockwise: the text runs upward
        canvas->drawText(QPoint(0, QFontMetrics(turned).ascent()), band.type->Name);
        canvas->restore();
    }
}

void TmTrayIconPopup::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));

    bool painted = false;
    for (QAction* a : actions()) {
        if (!a->isVisible()) continue;
        const QRect geometry = actionGeometry(a);
        if (!geometry.isValid()) continue;
        if (a->isSeparator()) {
            const int y = geometry.center().y();
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(ItemLeft, y, width() - 4, y);
            p.setPen(palette().color(QPalette::Light));
            p.drawLine(ItemLeft, y + 1, width() - 4, y + 1);
            continue;
        }
        const QRect itemRect(0, geometry.top(), width(), geometry.height());
        const bool selected = a == activeAction();
        DrawItemCaption(a, ItemCaption(a), selected, itemRect, &p);
        painted = true;
        if (a->menu()) {
            QStyleOption arrow;
            arrow.initFrom(this);
            const int size = geometry.height() / 2;
            arrow.rect = QRect(width() - kArrowSpace + (kArrowSpace - size) / 2,
                               geometry.top() + (geometry.height() - size) / 2, size, size);
            arrow.palette.setColor(QPalette::ButtonText, palette().color(selected ? QPalette::HighlightedText
                                                                                  : QPalette::WindowText));
            arrow.state = selected ? QStyle::State_Selected | QStyle::State_Enabled : QStyle::State_Enabled;
            style()->drawPrimitive(QStyle::PE_IndicatorArrowRight, &arrow, &p, this);
        }
    }
    if (!painted) DrawBar(&p);

    const int frameWidth = style()->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
    if (frameWidth > 0) {
        QStyleOptionFrame frame;
        frame.rect = rect();
        frame.palette = palette();
        frame.state = QStyle::State_None;
        frame.lineWidth = frameWidth;
        frame.midLineWidth = 0;
        style()->drawPrimitive(QStyle::PE_FrameMenu, &frame, &p, this);
    }
}

void TmTrayIconPopup::actionEvent(QActionEvent* event) {
    QMenu::actionEvent(event);
    if (event->type() == QEvent::ActionRemoved) captions_.remove(event->action());
    UpdateMinimumSize();
}

void TmTrayIconPopup::changeEvent(QEvent* event) {
    QMenu::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) UpdateMinimumSize();
}
