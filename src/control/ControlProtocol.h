#pragma once
// The requests that scripts send to the running program over its local
// socket, and its answers. Text lines, one request per line:
//
//   TAVRIN/1 <verb> [<argument> ...]\n
//
// Verbs: status, on, off, toggle (one argument: the sockets), all-off,
// show, hide, quit. Arguments are separated by one blank and percent-encoded
// ("%20" for a blank, "%25" for "%", every byte below 0x21 and above 0x7e).
// The answer to every request, also a malformed one, is one block:
//
//   TAVRIN/1 <code> <message>\n          code: TControlCode, message encoded
//   model <model>\n                       optional
//   port <port>\n                         optional
//   socket <n> <on> <endAction> <endOff> <name>\n   (0 or 1; name encoded)
//   end\n
//
// A request longer than kMaxRequest bytes is not read on; its answer is an
// error. A later start of the program still sends the one line "raise\n"
// (answered "ok\n"), so that starts of any version find each other.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "control/ControlTypes.h"

namespace ControlProtocol {

constexpr const char* kVersion = "TAVRIN/1";
constexpr std::size_t kMaxRequest = 1024;
constexpr std::size_t kMaxArguments = 4;
// The one line of a later start, and its answer.
constexpr const char* kRaise = "raise\n";
constexpr const char* kRaiseAnswer = "ok\n";

enum class TVerb { Status, On, Off, Toggle, AllOff, Show, Hide, Quit };

struct TRequest {
    TVerb verb = TVerb::Status;
    std::vector<std::string> arguments;
};

std::string Encode(const std::string& text);
// Nullopt when the text holds a malformed escape.
std::optional<std::string> Decode(const std::string& text);

const char* VerbName(TVerb verb);

// A request line without its line end.
std::string FormatRequest(const TRequest& request);
// The request of a line (without its line end), or the error answer's
// result (Usage) when the line is no request of this version.
struct TParsed {
    std::optional<TRequest> request;
    TControlResult error;
};
TParsed ParseRequest(const std::string& line);

std::string FormatResult(const TControlResult& result);

// Reads answers piece by piece: Feed the received bytes; once a block is
// complete, Done() is true and Result() holds it.
class TResultReader {
public:
    // False when the bytes cannot belong to an answer (the reader stops).
    bool Feed(const std::string& bytes);
    bool Done() const { return done_; }
    bool Failed() const { return failed_; }
    const TControlResult& Result() const { return result_; }

private:
    bool Line(const std::string& line);

    std::string pending_;
    TControlResult result_;
    bool header_ = false;
    bool done_ = false;
    bool failed_ = false;
};

}  // namespace ControlProtocol
