#include "ui/AC_Prg_Edit.h"

TAC_Edit* AC_Edit = nullptr;

TAC_Edit::TAC_Edit(QWidget* parent) : QDialog(parent), form_(this) {
    AC_Edit = this;
    setObjectName(QStringLiteral("AC_Edit"));
    SetName("AC_Edit");
    setWindowTitle(QStringLiteral("Edit"));
}

TAC_Edit::~TAC_Edit() {
    if (AC_Edit == this) AC_Edit = nullptr;
}
