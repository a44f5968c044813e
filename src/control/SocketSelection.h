#pragma once
// The sockets a script names: a number "5", a range "2-5", a list "1,3"
// (lists may hold ranges), "all", or a socket's name (the whole name, letter
// case ignored for ASCII letters). Numbers run from 1 to the box's socket
// count; a name that two sockets carry is ambiguous.
#include <string>
#include <vector>

struct TSocketSelection {
    // Ascending, each socket once.
    std::vector<int> sockets;
    // Empty when the text named sockets; else why not (German).
    std::string error;
    bool Ok() const { return error.empty(); }
};

// `names[i]` is the name of socket i + 1; its size is the box's socket count.
TSocketSelection SelectSockets(const std::string& text, const std::vector<std::string>& names);
