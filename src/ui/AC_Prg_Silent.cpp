#include "ui/AC_Prg_Silent.h"

TAC_Silent* AC_Silent = nullptr;

TAC_Silent::TAC_Silent(QWidget* parent)
    // A tool window: it shows neither a frame nor a task-bar entry.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), form_(this) {
    AC_Silent = this;
    setObjectName(QStringLiteral("AC_Silent"));
    SetName("AC_Silent");
    setWindowTitle(QStringLiteral("Tavrin"));
    setEnabled(false);
    setFixedSize(1, 1);
    move(0, 0);
    show();
}

TAC_Silent::~TAC_Silent() {
    if (AC_Silent == this) AC_Silent = nullptr;
}
