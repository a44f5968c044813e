#include "control/SocketSelection.h"

#include <algorithm>
#include <set>

#include "toolkit/muStringTools.h"

namespace {

bool Digits(const std::string& text) {
    return !text.empty() && text.size() <= 6 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One element of a list: "5" or "2-5". False with `error` set when it is
// neither or leaves the box.
bool AddElement(const std::string& part, int count, std::set<int>& into, std::string& error) {
    const std::size_t dash = part.find('-');
    const std::string first = dash == std::string::npos ? part : part.substr(0, dash);
    const std::string last = dash == std::string::npos ? part : part.substr(dash + 1);
    if (!Digits(first) || !Digits(last)) {
        error = "ungültige Steckdosenangabe \"" + part + "\"";
        return false;
    }
    const int from = std::stoi(first);
    const int to = std::stoi(last);
    if (from > to) {
        error = "ungültiger Bereich \"" + part + "\"";
        return false;
    }
    if (from < 1 || to > count) {
        error = "Steckdose " + std::to_string(from < 1 ? from : to) + " gibt es nicht (die Box hat " +
                std::to_string(count) + " Steckdosen)";
        return false;
    }
    for (int n = from; n <= to; ++n) into.insert(n);
    return true;
}

// Only digits, commas and dashes: a number list, never a name.
bool NumberList(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == ',' || c == '-';
    });
}

}  // namespace

TSocketSelection SelectSockets(const std::string& text, const std::vector<std::string>& names) {
    TSocketSelection result;
    const int count = static_cast<int>(names.size());
    if (count == 0) {
        result.error = "keine Box erkannt";
        return result;
    }
    if (SameAsciiText(text, "all")) {
        for (int n = 1; n <= count; ++n) result.sockets.push_back(n);
        return result;
    }
    if (NumberList(text)) {
        std::set<int> chosen;
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = text.find(',', start);
            const std::string part =
                text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            if (!AddElement(part, count, chosen, result.error)) return result;
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        result.sockets.assign(chosen.begin(), chosen.end());
        return result;
    }
    for (int n = 1; n <= count; ++n)
        if (SameAsciiText(text, names[static_cast<std::size_t>(n - 1)])) result.sockets.push_back(n);
    if (result.sockets.empty()) {
        result.error = "keine Steckdose heißt \"" + text + "\"";
    } else if (result.sockets.size() > 1) {
        std::string list;
        for (int n : result.sockets) list += (list.empty() ? "" : ", ") + std::to_string(n);
        result.error = "der Name \"" + text + "\" ist mehrdeutig (Steckdosen " + list + ")";
        result.sockets.clear();
    }
    return result;
}
