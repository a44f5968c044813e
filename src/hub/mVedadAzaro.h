#pragma once
// The toolkit hub: one place to reach every toolkit service. It creates and
// owns one instance of each service, lets the control text binder read from
// the hub's own data holder, pushes the settings of its logger to the loggers
// of all services whenever that logger is switched on, and hands the
// application object down to the services that need it.
//
// The services are reached through read-only accessors named after them:
//
//     hub->IniIO()  hub->FileIO()  hub->OperationSystem()  hub->StringTools()
//     hub->Dataholder()  hub->DataConvert()  hub->Components()  hub->FormTools()
//     hub->About()  hub->Log()
//
// The hub owns what they return and frees it; the hub adds no forwarding
// operations. Components() names the control text binder; the list of owned
// components of the base stays reachable as TComponent::Components().
#include "toolkit/Application.h"
#include "toolkit/Component.h"

class TmAboutVersion;
class TmuCompoLogging;
class TmuComponents;
class TmuDataConvert;
class TmuDataholder;
class TmuFileIO;
class TmuFormTools;
class TmuIniIO;
class TmuOperationSystem;
class TmuStringTools;

class TmVedadAzaro : public TComponent {
public:
    explicit TmVedadAzaro(TComponent* owner = nullptr);
    ~TmVedadAzaro() override;

    TmAboutVersion* About() const { return about_; }
    TmuCompoLogging* Log() const { return log_; }
    TmuIniIO* IniIO() const { return iniIO_; }
    TmuFileIO* FileIO() const { return fileIO_; }
    TmuOperationSystem* OperationSystem() const { return operationSystem_; }
    TmuStringTools* StringTools() const { return stringTools_; }
    TmuDataholder* Dataholder() const { return dataholder_; }
    TmuDataConvert* DataConvert() const { return dataConvert_; }
    TmuComponents* Components() const { return binder_; }
    TmuFormTools* FormTools() const { return formTools_; }

    Application* getApplication() const;
    // Stores a new application and passes it to IniIO, FileIO,
    // OperationSystem and Dataholder; the same one again changes nothing.
    void setApplication(Application* app);

    // Raised as the OnLogging notification of Log: copies the settings of Log
    // (all but its name) to the logger of every service that has one.
    void InitClassLogging(TComponent* sender = nullptr);

private:
    TmAboutVersion* about_ = nullptr;
    TmuCompoLogging* log_ = nullptr;
    TmuIniIO* iniIO_ = nullptr;
    TmuFileIO* fileIO_ = nullptr;
    TmuOperationSystem* operationSystem_ = nullptr;
    TmuStringTools* stringTools_ = nullptr;
    TmuDataholder* dataholder_ = nullptr;
    TmuDataConvert* dataConvert_ = nullptr;
    TmuComponents* binder_ = nullptr;
    TmuFormTools* formTools_ = nullptr;
    Application* application_ = nullptr;
};
