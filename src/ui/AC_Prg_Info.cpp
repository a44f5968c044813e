#include "ui/AC_Prg_Info.h"

TAC_AboutBox* AC_AboutBox = nullptr;

TAC_AboutBox::TAC_AboutBox(QWidget* parent) : QDialog(parent), form_(this) {
    AC_AboutBox = this;
    setObjectName(QStringLiteral("AC_AboutBox"));
    SetName("AC_AboutBox");
    setWindowTitle(QStringLiteral("Tavrin"));
}

TAC_AboutBox::~TAC_AboutBox() {
    if (AC_AboutBox == this) AC_AboutBox = nullptr;
}
