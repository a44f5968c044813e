#pragma once
// The silent-start window: one pixel at the screen origin, borderless,
// disabled and visible from its creation on. Shown while the message loop
// starts, it carries the deferred part of the start-up.
#include <QWidget>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class TAC_Silent : public QWidget, public TComponent {
    Q_OBJECT
public:
    explicit TAC_Silent(QWidget* parent = nullptr);
    ~TAC_Silent() override;

    QtForm& Form() { return form_; }

private:
    QtForm form_;
};

extern TAC_Silent* AC_Silent;
