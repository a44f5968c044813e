#pragma once
// The serial interface dialog: the port and its line settings.
// A dialog of its own, created once at start and kept for the whole run.
#include <QDialog>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class TAC_COM : public QDialog, public TComponent {
    Q_OBJECT
public:
    explicit TAC_COM(QWidget* parent = nullptr);
    ~TAC_COM() override;

    // The controls of the dialog as the binding services see them.
    QtForm& Form() { return form_; }

private:
    QtForm form_;
};

// The one instance, from its creation to its destruction.
extern TAC_COM* AC_COM;
