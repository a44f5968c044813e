#pragma once
// The data holder's paths of every value the program reads or writes, each
// in one place and typed with the type it is registered with. A path is
// handed to the holder letter for letter as written here (the holder's
// trace shows it); names match ignoring case, so a path may differ from the
// registered spelling in case only ("Actuall_Helpfile" is the registered
// Actuall_HelpFile).
//
//     const bool silent = Keys::Get(holder, Keys::Silent);   // getValueBoolean
//     Keys::Set(holder, Keys::PositionX, 150);                // setValueInteger
//     Keys::AddText(holder, Keys::BoxFileCount, "01");        // addValueString
//
// Get and Set use the slot of the key's type (getValueBoolean / Integer /
// String, setValue...); Text and AddText use the text slot of any key.
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "store/muDataHolder.h"

namespace Keys {

// A path of the data holder with the type of its value.
template <typename T>
struct Key {
    static_assert(std::is_same_v<T, bool> || std::is_same_v<T, std::int32_t> ||
                      std::is_same_v<T, std::string>,
                  "a key holds a Boolean, an Integer or a String");
    std::string path;
};

// The default context (UseIndex, UseSection) a short path is completed with.
struct Context {
    const char* index;
    const char* section;
};
inline constexpr Context kNoContext{"", ""};
// The logging settings of tavrin.ini.
inline constexpr Context kLoggingContext{"INI", "Logging"};
// The socket values of box 01.
inline constexpr Context kBoxContext{"AC01", "AC"};
// The line settings of box 01.
inline constexpr Context kBoxPortContext{"AC01", "COM"};

// Sets the holder's default context.
inline void Use(TmuDataholder& holder, const Context& context) {
    holder.UseIndex = context.index;
    holder.UseSection = context.section;
}

// How a value comes to be in the holder.
enum class Origin {
    Schema,        // registered by the settings schema at start
    AddedAtStart,  // added by the start-up (addValueString); no file carries it
    Unregistered,  // looked up, never registered: every read gives the empty default
};

// The index of tavrin.ini's values.
inline constexpr const char* kMainIndex = "INI";

// "INDEX|SECTION|NAME".
inline std::string Path(const std::string& index, const std::string& section, const std::string& name) {
    return index + "|" + section + "|" + name;
}

// A number below 100 with two digits ("05").
inline std::string TwoDigits(int n) { return (n >= 0 && n < 10 ? "0" : "") + std::to_string(n); }

// The index of box file nn (AC01 to AC16).
inline std::string BoxIndex(int box) { return "AC" + TwoDigits(box); }

// X(type, name, path, context, origin): every fixed path of the program.
// Paths without "|" are completed from the context given; with none they
// name index DEFAULT, section PRG (the run-time values).
#define TAVRIN_DATA_KEYS(X)                                                                          \
    /* tavrin.ini, section TAVRIN */                                                                 \
    X(bool, AutoStart, "INI|TAVRIN|AUTOSTART", kNoContext, Schema)                                   \
    X(bool, Silent, "INI|TAVRIN|SILENT", kNoContext, Schema)                                         \
    X(bool, PrgHide, "INI|TAVRIN|PrgHide", kNoContext, Schema)                                       \
    X(std::string, FormPos, "INI|TAVRIN|FormPos", kNoContext, Schema)                                \
    X(std::int32_t, PositionX, "INI|TAVRIN|PositionX", kNoContext, Schema)                           \
    X(std::int32_t, PositionY, "INI|TAVRIN|PositionY", kNoContext, Schema)                           \
    /* section Logging, read in its context */                                                       \
    X(std::string, LogFile, "INI|Logging|LogFile", kNoContext, Schema)                               \
    X(std::string, LogArt, "LogArt", kLoggingContext, Schema)                                        \
    X(bool, LogDeleteFile, "DeleteFile", kLoggingContext, Schema)                                    \
    X(bool, LogActive, "Logging", kLoggingContext, Schema)                                           \
    /* sections Path, AC_Config, HLP */                                                              \
    X(std::string, ProgFile, "INI|Path|ProgFile", kNoContext, Schema)                                \
    X(std::string, ProgLogFile, "INI|PATH|ProgLogFile", kNoContext, AddedAtStart)                    \
    X(std::string, BoxFilePattern, "INI|AC_Config|AC_File", kNoContext, Schema)                      \
    X(std::int32_t, BoxFileId, "INI|AC_Config|AC_ID", kNoContext, Schema)                            \
    X(std::int32_t, BoxFileCountSetting, "INI|AC_Config|COM_Count", kNoContext, Schema)              \
    X(std::string, HelpFile, "INI|HLP|HelpFile", kNoContext, Schema)                                 \
    X(std::string, HelpLanguage, "INI|HLP|LngType", kNoContext, Schema)                              \
    /* the hint table has no entry for the edit buttons */                                           \
    X(std::string, EditButtonHint, "INI|HintIndex|hntSteckdose_editieren", kNoContext, Unregistered) \
    /* box 01, section AC */                                                                         \
    X(std::string, Controller, "AC01|AC|AC_Controller", kNoContext, Schema)                          \
    X(bool, Beeper, "AC01|AC|AC_BEEPER", kNoContext, Schema)                                         \
    X(std::string, SerialNumber, "AC01|AC|AC_SN", kNoContext, Schema)                                \
    X(bool, Delay, "AC01|AC|AC_DELAY", kNoContext, Schema)                                           \
    X(std::int32_t, DelayTime, "AC01|AC|AC_DELAYTIME", kNoContext, Schema)                           \
    /* run-time values (DEFAULT, PRG) */                                                             \
    X(std::string, ResolvedBoxFile, "Actuall_AcFile", kNoContext, Schema)                            \
    X(std::string, ResolvedHelpFile, "Actuall_Helpfile", kNoContext, Schema)                         \
    X(std::string, ResolvedLogFile, "Actuall_LogFile", kNoContext, AddedAtStart)                     \
    /* the number of box files, kept as two-digit text by the start-up */                            \
    X(std::int32_t, BoxFileCount, "COM_Count", kNoContext, Schema)                                   \
    X(bool, WindowVisible, "AC_Visible", kNoContext, Schema)                                         \
    X(bool, ComFailed, "AC_COM_failed", kNoContext, Schema)

#define TAVRIN_DECLARE_KEY(type, name, text, context, origin) inline const Key<type> name{text};
TAVRIN_DATA_KEYS(TAVRIN_DECLARE_KEY)
#undef TAVRIN_DECLARE_KEY

// ---- Paths built from a number ----------------------------------------------

// The help context of a topic of the help table ("HLP|HelpIndex|<topic>").
inline Key<std::int32_t> HelpTopic(const std::string& topic) { return {"HLP|HelpIndex|" + topic}; }

// The socket values of box 01, socket n (1 to 24).
inline Key<std::string> SocketName(int n) { return {"AC01|AC|AC_Name" + TwoDigits(n)}; }
inline Key<bool> SocketPower(int n) { return {"AC01|AC|ACPower" + TwoDigits(n)}; }
// "Aktion beim Beenden" ticked.
inline Key<bool> SocketEndAction(int n) { return {"AC01|AC|AC_Down" + TwoDigits(n)}; }
// The action at the end is the switch-off.
inline Key<bool> SocketEndOff(int n) { return {"AC01|AC|ACWDown" + TwoDigits(n)}; }

// The same values by their short names, for the box context (kBoxContext);
// NN is the socket's number with two digits.
inline Key<std::string> ShortSocketName(const std::string& NN) { return {"AC_Name" + NN}; }
inline Key<bool> ShortSocketEndAction(const std::string& NN) { return {"AC_Down" + NN}; }
inline Key<bool> ShortSocketEndOff(const std::string& NN) { return {"ACWDown" + NN}; }

// ---- Access -------------------------------------------------------------------

template <typename T>
T Get(TmuDataholder& holder, const Key<T>& key) {
    if constexpr (std::is_same_v<T, bool>)
        return holder.getValueBoolean(key.path);
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return holder.getValueInteger(key.path);
    else
        return holder.getValueString(key.path);
}

template <typename T>
bool Set(TmuDataholder& holder, const Key<T>& key, const std::type_identity_t<T>& value) {
    if constexpr (std::is_same_v<T, bool>)
        return holder.setValueBoolean(key.path, value);
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return holder.setValueInteger(key.path, value);
    else
        return holder.setValueString(key.path, value);
}

// The text slot of any key (getValueString / addValueString).
template <typename T>
std::string Text(TmuDataholder& holder, const Key<T>& key) {
    return holder.getValueString(key.path);
}
template <typename T>
bool AddText(TmuDataholder& holder, const Key<T>& key, const std::string& text) {
    return holder.addValueString(key.path, text);
}

// ---- The list of the fixed keys ----------------------------------------------

template <typename T>
constexpr TmDataType TypeOf() {
    if constexpr (std::is_same_v<T, bool>)
        return TmDataType::Boolean;
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return TmDataType::Integer;
    else
        return TmDataType::String;
}

struct TDeclaredKey {
    const char* name;  // the constant's name
    std::string path;
    Context context;
    TmDataType type;
    Origin origin;
};

// Every key of TAVRIN_DATA_KEYS, in its order.
inline const std::vector<TDeclaredKey>& DeclaredKeys() {
#define TAVRIN_LIST_KEY(type, name, text, context, origin) \
    {#name, name.path, context, TypeOf<type>(), Origin::origin},
    static const std::vector<TDeclaredKey> keys = {TAVRIN_DATA_KEYS(TAVRIN_LIST_KEY)};
#undef TAVRIN_LIST_KEY
    return keys;
}

}  // namespace Keys
