#pragma once
// The settings dialog: options of the box and of the program, and the memo
// `Memo_COMPort` that shows the serial exchange (lines "SEND: ", "RECV: ",
// "PROG: "). The memo exists from the dialog's creation on, so the port
// search at start already has somewhere to write.
#include <QDialog>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class QPlainTextEdit;

class TAC_Einstellung : public QDialog, public TComponent {
    Q_OBJECT
public:
    explicit TAC_Einstellung(QWidget* parent = nullptr);
    ~TAC_Einstellung() override;

    QtForm& Form() { return form_; }
    QPlainTextEdit* Memo_COMPort() const { return memoCOMPort_; }

private:
    QtForm form_;
    QPlainTextEdit* memoCOMPort_ = nullptr;
};

extern TAC_Einstellung* AC_Einstellung;
