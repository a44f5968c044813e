#pragma once
// The running program's side of the requests of scripts: every request is
// answered exactly once, and a switch goes through the box controller as a
// click does (stored state, window, menus and tray follow; it counts as
// activity; it waits its turn in the queue of exchanges; an emergency off
// drops it).
//
// A switch is answered when its command has been sent: the answer is an
// exchange of the queue that runs after it. A request whose answer is
// still waiting when the program ends is answered then.
#include <functional>
#include <string>

#include "control/ControlProtocol.h"

class TBoxController;
class TmuDataholder;

struct TControlHooks {
    std::function<void()> show;  // the window brought forward ("Tavrin öffnen")
    std::function<void()> hide;  // the window hidden in the tray ("Tavrin schließen")
    std::function<void()> quit;  // the program ends as "Beenden" ends it
};

class TControlService {
public:
    using TReply = std::function<void(const std::string& answer)>;

    TControlService(TBoxController& box, TmuDataholder& holder, TControlHooks hooks);

    // One request line (without its line end); `reply` gets the whole answer
    // block, at once or later, and exactly once.
    void Handle(const std::string& line, TReply reply);

    // The box as a script sees it: model, port and every socket.
    TControlResult Status() const;

private:
    void Switch(const ControlProtocol::TRequest& request, TReply reply);
    void AllOff(TReply reply);
    std::vector<std::string> Names() const;
    TSocketStatus Socket(int n) const;
    // Answers once the exchanges queued before have run.
    void AnswerAfterQueue(std::function<TControlResult()> result, TReply reply);

    TBoxController& box_;
    TmuDataholder& holder_;
    TControlHooks hooks_;
};
