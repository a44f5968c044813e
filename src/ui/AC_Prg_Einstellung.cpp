#include "ui/AC_Prg_Einstellung.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TAC_Einstellung* AC_Einstellung = nullptr;

TAC_Einstellung::TAC_Einstellung(QWidget* parent) : QDialog(parent), form_(this) {
    AC_Einstellung = this;
    setObjectName(QStringLiteral("AC_Einstellung"));
    SetName("AC_Einstellung");
    setWindowTitle(QStringLiteral("Tavrin"));

    memoCOMPort_ = new QPlainTextEdit(this);
    memoCOMPort_->setObjectName(QStringLiteral("Memo_COMPort"));
    memoCOMPort_->setReadOnly(true);
    memoCOMPort_->setLineWrapMode(QPlainTextEdit::NoWrap);
    form_.AddControl(memoCOMPort_, ControlClass::Memo);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memoCOMPort_);
}

TAC_Einstellung::~TAC_Einstellung() {
    if (AC_Einstellung == this) AC_Einstellung = nullptr;
}
