#pragma once
// The about box: program name, file version, date line, description and the
// operating system's version.
// A dialog of its own, created once at start and kept for the whole run.
#include <QDialog>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class TAC_AboutBox : public QDialog, public TComponent {
    Q_OBJECT
public:
    explicit TAC_AboutBox(QWidget* parent = nullptr);
    ~TAC_AboutBox() override;

    // The controls of the dialog as the binding services see them.
    QtForm& Form() { return form_; }

private:
    QtForm form_;
};

// The one instance, from its creation to its destruction.
extern TAC_AboutBox* AC_AboutBox;
