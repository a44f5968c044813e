#pragma once
// The behaviour of a NELTA power-socket box, without any port: bytes go in,
// answer bytes come out, each with the time at which the box sends it. The
// box simulator (tools/nelta-sim) puts it behind a pseudo-terminal on the
// real clock; SimulatedSerialPort puts it behind the SerialPort interface on
// the platform's clock (the virtual one in tests). Both answer alike.
//
// The box's line protocol:
// - A command is lower-case ASCII ended by a carriage return; line feeds are
//   ignored, letters of any case are accepted.
// - Every command is echoed, followed by CR LF, together with its reply
//   after the reply delay: ">" + reply + CR LF (a late box echoes at once).
// - "at" -> "OK"; "ati" -> the identification (default
//   "NELTA-<firmware>-<controller>-<model>", e.g. "NELTA-V1.4-BOX8-USB-NELTA8":
//   third "-" field the controller type, the model name inside);
//   "atv" -> a report of several lines, each ended by CR LF, the first after
//   the ">"; "atsn" -> "SN:" + serial number; "att" t (t 0..16), "atbon",
//   "atboff", "atrs" -> "OK"; anything else -> "ERROR".
// - Switching ("atn" n, "ato" n, "atoff"): the socket state changes at once.
//   With busy answers B > 0 the reply is "OK WAIT"; the next B - 1 bare
//   carriage returns are answered "WAIT" and the one after that
//   "SET PORT <n> ON" / "SET PORT <n> OFF" / "SET PORT ALL OFF". With B = 0
//   the "SET PORT ..." text is the reply itself.
// - A bare carriage return outside the busy handshake is answered "OK".
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class TNeltaFault {
    None,
    Late,     // echo at once, the reply only after LateMs
    Silent,   // no echo, no reply
    Garbage,  // random bytes instead of echo and reply
    Error,    // every reply is "ERROR"
    Wait,     // switching commands never leave the busy handshake
    Vanish,   // half the echo, then the box is gone (the port breaks)
};

struct TNeltaBoxConfig {
    std::string model = "USB-NELTA8";  // one of the six models USB-NELTA4 ... USB-NELTA24
    std::string serial = "NELTA-000123";
    std::string firmware = "V1.4";
    std::string ident;  // the "ati" reply; empty: made from firmware, controller and model
    int busyAnswers = 2;
    int replyDelayMs = 20;
    TNeltaFault fault = TNeltaFault::None;
    int faultAfter = 0;  // commands answered normally before the fault starts
    int lateMs = 1500;
    // Optional: a raw answer for a command (without its CR), sent as it is in
    // place of echo and reply; nullopt leaves the command to the box.
    std::function<std::optional<std::string>(const std::string& command)> script;
};

struct TNeltaCommand {
    std::int64_t timeMs;
    std::string text;  // without the carriage return; empty for a bare CR
};

class TNeltaBox {
public:
    explicit TNeltaBox(TNeltaBoxConfig config = {});

    // Model table: socket count and controller type of a model name; 0 and
    // empty for names outside the table.
    static int SocketsOfModel(const std::string& model);
    static std::string ControllerOfModel(const std::string& model);
    static TNeltaFault FaultOfName(const std::string& name, bool* ok = nullptr);

    // Bytes arriving from the computer at nowMs.
    void Receive(const std::string& bytes, std::int64_t nowMs);

    // Bytes the box has sent by nowMs and that have not been taken yet.
    int Available(std::int64_t nowMs) const;
    std::string Take(int maxCount, std::int64_t nowMs);
    // Time of the next byte not yet sent, if any.
    std::optional<std::int64_t> NextDue() const;
    // The box has gone (vanish fault) by nowMs.
    bool Vanished(std::int64_t nowMs) const;

    const TNeltaBoxConfig& Config() const { return config_; }
    std::string Ident() const;
    std::vector<std::string> VersionReport() const;
    int SocketCount() const { return static_cast<int>(sockets_.size()); }
    bool Socket(int n) const;  // 1-based
    void SetSocket(int n, bool on);
    int Delay() const { return delay_; }
    bool Beeper() const { return beeper_; }
    const std::vector<TNeltaCommand>& Commands() const { return commands_; }

    // Called for every command line received (the simulator's log).
    std::function<void(const TNeltaCommand&)> onCommand;

private:
    struct Chunk {
        std::int64_t due;
        std::string bytes;
        bool vanish = false;
    };
    void Command(const std::string& text, std::int64_t now);
    std::string Reply(const std::string& text);
    std::string SwitchReply(const std::string& done);
    void Send(std::int64_t due, std::string bytes, bool vanish = false);
    std::string Garbage();

    TNeltaBoxConfig config_;
    std::vector<bool> sockets_;
    int delay_ = 0;
    bool beeper_ = true;
    std::string line_;
    int busyLeft_ = 0;         // "WAIT" answers still to come for bare CRs
    std::string pendingDone_;  // the "SET PORT ..." text that ends the handshake
    int commandsSeen_ = 0;
    std::uint32_t random_ = 0x2545F491u;
    std::deque<Chunk> out_;
    std::vector<TNeltaCommand> commands_;
};
