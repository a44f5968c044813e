#include "ui/AC_Prg_COM.h"

TAC_COM* AC_COM = nullptr;

TAC_COM::TAC_COM(QWidget* parent) : QDialog(parent), form_(this) {
    AC_COM = this;
    setObjectName(QStringLiteral("AC_COM"));
    SetName("AC_COM");
    setWindowTitle(QStringLiteral("Schnittstelle"));
}

TAC_COM::~TAC_COM() {
    if (AC_COM == this) AC_COM = nullptr;
}
