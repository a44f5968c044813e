#include "ui/ImageList.h"

#include <array>

// The resources live in the ui library, which is linked statically: their
// registration has to be pulled in by name.
static void InitTavrinResources() { Q_INIT_RESOURCE(tavrin); }

namespace {

const char* const kIconNames[TImageList::Count] = {
    "socket_off", "socket_on", "emergency_off", "settings", "show", "info",     "help",
    "update",     "edit",      "file",          "quit",     "hide", "unlocked", "locked",
};

void EnsureResources() {
    static const bool done = [] {
        InitTavrinResources();
        return true;
    }();
    (void)done;
}

// Built on first use and kept for the run (never destroyed, so that no icon
// outlives the application object in a static destructor).
const std::array<QIcon, TImageList::Count>& Icons() {
    static const auto* icons = [] {
        EnsureResources();
        auto* list = new std::array<QIcon, TImageList::Count>;
        for (int i = 0; i < TImageList::Count; ++i) {
            QIcon icon;
            icon.addFile(TImageList::IconPath(i, 16), QSize(16, 16));
            icon.addFile(TImageList::IconPath(i, 32), QSize(32, 32));
            (*list)[i] = icon;
        }
        return list;
    }();
    return *icons;
}

}  // namespace

QString TImageList::IconPath(int index, int size) {
    if (index < 0 || index >= Count || (size != 16 && size != 32)) return {};
    return QStringLiteral(":/images/list%1/%2_%3.png")
        .arg(size)
        .arg(index, 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(kIconNames[index]));
}

QIcon TImageList::Icon(int index) {
    if (index < 0 || index >= Count) return {};
    return Icons()[index];
}

int TImageList::IndexOf(const QIcon& icon) {
    if (icon.isNull()) return -1;
    const auto& icons = Icons();
    for (int i = 0; i < Count; ++i) {
        if (icons[i].cacheKey() == icon.cacheKey()) return i;
    }
    return -1;
}

QPixmap TImageList::Glyph(int resourceNumber) {
    if (resourceNumber < GlyphGray || resourceNumber > GlyphRed) return {};
    EnsureResources();
    return QPixmap(QStringLiteral(":/images/glyph_%1.png").arg(resourceNumber));
}

QIcon TImageList::ProgramIcon() {
    EnsureResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/images/tavrin_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QPixmap TImageList::Banner() {
    EnsureResources();
    return QPixmap(QStringLiteral(":/images/banner.png"));
}
