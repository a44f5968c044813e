#include "hub/mVedadAzaro.h"

#include "hub/muComponents.h"
#include "hub/muFormTools.h"
#include "store/muDataConvert.h"
#include "store/muDataHolder.h"
#include "store/muFileIO.h"
#include "store/muIniIO.h"
#include "toolkit/mAboutVersion.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"

using Kind = TmTraceScope::Kind;

namespace {

// The unit's picture; each hub loads it anew into this slot.
TAboutBitmapRef g_hubBitmap;

template <class T>
void Free(T*& p) {
    delete p;
    p = nullptr;
}

}  // namespace

TmVedadAzaro::TmVedadAzaro(TComponent* owner) : TComponent(owner) {
    CreateLogging(this, log_, "mVedadAzaro", "LOG_STD", false, true);
    const int h = log_->addCall({"addCls", "Create", "None", "Klasse " + log_->CompoName() + " erstellen"});

    if (!iniIO_) iniIO_ = new TmuIniIO(this);
    if (!fileIO_) fileIO_ = new TmuFileIO(this);
    if (!operationSystem_) operationSystem_ = new TmuOperationSystem(this);
    if (!stringTools_) stringTools_ = new TmuStringTools(this);
    if (!dataholder_) dataholder_ = new TmuDataholder(this);
    if (!dataConvert_) dataConvert_ = new TmuDataConvert(this);
    if (!binder_) {
        binder_ = new TmuComponents(this);
        binder_->setDataholder(dataholder_);  // control texts read from the same store
    }
    if (!formTools_) formTools_ = new TmuFormTools(this);

    log_->SetOnLogging([this](TComponent* sender) { InitClassLogging(sender); });

    about_ = CreateAboutVersion("VedadAzaro", "1.0.1.22", "26.07.2021", 207, g_hubBitmap);

    log_->exitCls(h);
}

TmVedadAzaro::~TmVedadAzaro() {
    const int h = log_->addCall({"addCLS", "Destroy", "Klasse ", log_->CompoName() + " vernichten"});
    log_->exitCls(h);

    // No propagation into services that are going away.
    log_->SetOnLogging(nullptr);

    // The binding services first, the data holder last.
    Free(iniIO_);
    Free(fileIO_);
    Free(operationSystem_);
    Free(stringTools_);
    Free(dataConvert_);
    Free(binder_);
    Free(formTools_);
    Free(dataholder_);

    Free(about_);
    Free(log_);
}

Application* TmVedadAzaro::getApplication() const {
    TmTraceScope trace(log_, Kind::Function, "getApplication");
    log_->addVarString("r_TApplication", "TApplication");
    return application_;
}

void TmVedadAzaro::setApplication(Application* app) {
    const int h = log_->addFnc("setApplication");
    if (app != application_) {
        application_ = app;
        if (iniIO_) iniIO_->setApplication(app);
        if (fileIO_) fileIO_->setApplication(app);
        if (operationSystem_) operationSystem_->setApplication(app);
        if (dataholder_) dataholder_->setApplication(app);
    }
    log_->exitPro(h);
}

void TmVedadAzaro::InitClassLogging(TComponent* /*sender*/) {
    const int h = log_->addFnc("InitClassLogging");
    TmuCompoLogging* const services[] = {
        iniIO_ ? iniIO_->Log() : nullptr,
        fileIO_ ? fileIO_->Log() : nullptr,
        operationSystem_ ? operationSystem_->Log() : nullptr,
        dataholder_ ? dataholder_->Log() : nullptr,
        dataConvert_ ? dataConvert_->Log() : nullptr,
        binder_ ? binder_->Log() : nullptr,
        formTools_ ? formTools_->Log() : nullptr,
    };
    for (TmuCompoLogging* serviceLog : services) {
        if (!serviceLog) continue;
        TmuLogging_Parm parm;
        log_->getParm(parm);
        serviceLog->setParm(parm);
    }
    log_->exitPro(h);
}
