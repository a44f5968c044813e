#pragma once
// The main window's image list `ImageList1` (menus, actions, tray) and the
// program's other pictures: the three 64 x 64 socket button glyphs kept under
// the resource numbers 1000 (grey, off), 1001 (green, on) and 1002 (red), the
// program icon and the banner background. All pictures are compiled into the
// program (resources/tavrin.qrc, drawn by scripts/make-images.sh).
#include <QIcon>
#include <QPixmap>

class TImageList {
public:
    // The entries of the image list.
    enum Index {
        SocketOff = 0,
        SocketOn = 1,
        EmergencyOff = 2,
        Settings = 3,
        Show = 4,
        Info = 5,
        Help = 6,
        Update = 7,
        Edit = 8,
        File = 9,
        Quit = 10,
        Hide = 11,
        Unlocked = 12,  // lock item while the window is not pinned on top
        Locked = 13,    // lock item while the window is pinned on top
    };
    static constexpr int Count = 14;

    // Resource numbers of the socket button glyphs.
    static constexpr int GlyphGray = 1000;
    static constexpr int GlyphGreen = 1001;
    static constexpr int GlyphRed = 1002;

    // The image list entry with its 16 and 32 pixel sizes; a null icon for an
    // index outside 0 to Count - 1.
    static QIcon Icon(int index);
    // The index of an icon handed out by Icon(), or -1 (for a null icon and
    // any other icon). Lets callers and tests tell which entry a control shows.
    static int IndexOf(const QIcon& icon);

    // A glyph by its resource number (1000 to 1002); a null pixmap otherwise.
    static QPixmap Glyph(int resourceNumber);

    // The program icon in all its sizes (16 to 256 pixels).
    static QIcon ProgramIcon();
    // The banner background that the windows stretch over their banner.
    static QPixmap Banner();

    // Path of an entry's file in the compiled resources ("" when out of range).
    static QString IconPath(int index, int size);
};
