#pragma once
// The main window's pixel layout: the heights of its bands from the banner
// down to the status bar and the geometry of a socket slot. The window code
// builds from these values, and the end-to-end harness (tests/e2e/lib.sh)
// reads the ones it needs from this file by name to find the controls by
// position, each from its line of the form `constexpr int kName = <number>;`:
// keep each value a plain number on a line of its own.
namespace WindowLayout {

// Heights of the window's bands, top to bottom (the menu bar above them
// takes the height of its font).
constexpr int kBannerHeight = 44;
constexpr int kEmergencyBarHeight = 41;
constexpr int kSocketAreaHeight = 364;
constexpr int kStatusLineHeight = 33;
constexpr int kStatusBarHeight = 25;

// The socket area: its four slots stacked from the top inside this margin
// (left, top and right), the page tabs at its bottom.
constexpr int kSocketAreaMargin = 2;

// A slot: its page button on the left, its group box (name and edit button)
// on the right, both inside the slot's margin.
constexpr int kSlotHeight = 81;
constexpr int kSlotMargin = 1;
constexpr int kSlotButtonWidth = 78;
constexpr int kSlotButtonHeight = 79;
constexpr int kSlotGroupWidth = 228;
constexpr int kSlotGroupHeight = 79;

// The edit button inside the slot's group box.
constexpr int kEditButtonX = 160;
constexpr int kEditButtonY = 49;
constexpr int kEditButtonWidth = 54;
constexpr int kEditButtonHeight = 22;

}  // namespace WindowLayout
