#pragma once
// The socket edit dialog: the name of a socket and its switch-off options.
// A dialog of its own, created once at start and kept for the whole run.
#include <QDialog>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class TAC_Edit : public QDialog, public TComponent {
    Q_OBJECT
public:
    explicit TAC_Edit(QWidget* parent = nullptr);
    ~TAC_Edit() override;

    // The controls of the dialog as the binding services see them.
    QtForm& Form() { return form_; }

private:
    QtForm form_;
};

// The one instance, from its creation to its destruction.
extern TAC_Edit* AC_Edit;
