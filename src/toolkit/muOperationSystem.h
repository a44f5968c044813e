#pragma once
// Operating system services of the toolkit: the system's version as a
// display text, keeping windows on top, placing windows and dialogs inside
// the visible desktop, the resize rule of fixed-size windows, short
// message-pump pauses and shell links (autostart, desktop icons).
// Everything reaches the system through the platform seam (GetPlatform()).
#include <cstdint>
#include <string>

#include "toolkit/Application.h"
#include "toolkit/Component.h"
#include "toolkit/Platform.h"

class Form;
class TmuCompoLogging;

// Location codes of CreateShortcut and getSpecialFolder.
enum TmShortcutLocation : int {
    SL_Desktop = 0,
    SL_QuickLaunch = 1,
    SL_SendTo = 2,
    SL_StartMenu = 3,
    SL_GivenFolder = 4,
    SL_Startup = 5,
};

class TmuOperationSystem : public TComponent {
public:
    explicit TmuOperationSystem(TComponent* owner = nullptr);
    ~TmuOperationSystem() override;

    TmuCompoLogging* Log() const { return log_; }

    void setApplication(Application* app) { application_ = app; }
    Application* getApplication() const { return application_; }

    // Placement word for CheckFormPositionOfScreen ("TopLeft", "TopRight", ...).
    const std::string& DesktopPosition() const { return desktopPosition_; }
    void SetDesktopPosition(const std::string& value) { desktopPosition_ = value; }

    // Extra pixels for the newer window frames; 0 means unset and reads as 15.
    std::int32_t getFormular_Extra_Width();
    void setFormular_Extra_Width(std::int32_t value);

    // The version record as the last GetWindowsVersion left it.
    const TOsVersionInfo& VersionInfo() const { return versionInfo_; }

    // Fills the version record; throws std::runtime_error("Error calling
    // GetVersionEx") when the system refuses.
    void GetWindowsVersion();
    bool Windows10FromRegistry();
    // Overwrites the build number of the version record.
    bool WindowsBuildFromRegistry();
    // The system's display text ("Windows 10 Professional"; on Linux the
    // distribution's name). Lets the error of GetWindowsVersion pass.
    std::string GetWinVersion();
    bool Get_MajorVersion_Vista();

    void Set_WindowOnTheTop(Form* form);
    void Delete_WindowOnTheTop(Form* form);

    // Keeps a window rectangle (left, top, width, height) on the desktop.
    TRect SetFormularposition(const TRect& rect);
    TRect CheckFormCanResize(Form* form);
    // The can-resize rule: the width stays fixed (plus the extra frame width),
    // token "<>" holds the height, "<" keeps it from falling below height.
    void CheckFormCanResize(int newWidth, int width, int newHeight, int height, int& actualWidth,
                            int& actualHeight, const std::string& token);
    TRect getDialogPosition(Form* parent, Form* dialog);
    // Width and height of the primary screen as the last two values; the
    // first two are taken over from rect.
    TRect get_SysScreen(const TRect& rect = TRect{});
    // Positions are returned as x and y of the result; width and height are
    // the ones given.
    TRect Calc_FormPositionOfScreen(int x, int y, int width, int height);
    TRect CheckFormPositionOfScreen(int x, int y, int formWidth, int formHeight);

    // count times: let the application process pending messages, then sleep 1 ms.
    void SetProcessMessages(int count);

    // Creates a shell link to sourceFileName (a program path, possibly
    // followed by its arguments) in the folder of the location code. On
    // success the link's path is stored in linkPath and the result is true;
    // without a folder, or when saving fails, linkPath stays as it was.
    bool CreateShortcut(const std::string& sourceFileName, int location, const std::string& subFolder,
                        const std::string& workingDirectory, const std::string& arguments,
                        const std::string& description, std::string& linkPath);
    std::string getSpecialFolder(int location);
    int getShortcutLocation(int choice);

private:
    std::string ShortcutFolder(int location, const std::string& subFolder);

    TmuCompoLogging* log_ = nullptr;
    Application* application_ = nullptr;
    TOsVersionInfo versionInfo_;
    std::string desktopPosition_;
    std::int32_t formularExtraWidth_ = 0;
};
