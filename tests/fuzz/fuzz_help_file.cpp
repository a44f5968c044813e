// The help file's parser (THelpDocument; no window is made, so no display
// is needed), fed with arbitrary file text.
//
// Invariants:
// - A document that is read has topics, a title, a start topic, and every
//   topic is found by its own context number (positive, each used once),
//   with a name without blanks and a trimmed title that is not empty.
// - A text that is not read leaves the document empty and names the fault.
// - The bodies together are never longer than the text.
// - Reading is repeatable: a document that read another text first gives
//   the same result for the same text.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzCheck.h"
#include "ui/HelpViewer.h"

namespace {

bool HasSpace(const std::string& s) {
    for (char c : s)
        if (std::isspace(static_cast<unsigned char>(c))) return true;
    return false;
}

bool Same(const THelpDocument& a, const THelpDocument& b) {
    if (a.Title() != b.Title() || a.Topics().size() != b.Topics().size()) return false;
    for (std::size_t i = 0; i < a.Topics().size(); ++i) {
        const THelpPage& x = a.Topics()[i];
        const THelpPage& y = b.Topics()[i];
        if (x.context != y.context || x.name != y.name || x.title != y.title || x.html != y.html)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    THelpDocument doc;
    std::string error = "unset";
    const bool ok = doc.Parse(text, &error);
    if (!ok) {
        FUZZ_CHECK(doc.Empty() && doc.Topics().empty(), "a refused text leaves topics");
        FUZZ_CHECK(!error.empty() && error != "unset", "a refused text names no fault");
        FUZZ_CHECK(doc.StartTopic() == nullptr, "a refused text leaves a start topic");
    } else {
        FUZZ_CHECK(error.empty(), "a read document reports a fault");
        FUZZ_CHECK(!doc.Empty() && !doc.Title().empty(), "a read document has no topic or no title");
        FUZZ_CHECK(doc.StartTopic() != nullptr, "a read document has no start topic");
        std::set<int> contexts;
        std::size_t bodies = 0;
        for (const THelpPage& topic : doc.Topics()) {
            FUZZ_CHECK(topic.context > 0, "a topic has a context number below 1");
            FUZZ_CHECK(contexts.insert(topic.context).second, "a context number is used twice");
            FUZZ_CHECK(doc.TopicOf(topic.context) == &topic, "a topic is not found by its context number");
            FUZZ_CHECK(!topic.name.empty() && !HasSpace(topic.name), "a topic name is empty or has blanks");
            FUZZ_CHECK(!topic.title.empty(), "a topic has no title");
            FUZZ_CHECK(!std::isspace(static_cast<unsigned char>(topic.title.front())) &&
                           !std::isspace(static_cast<unsigned char>(topic.title.back())),
                       "a topic title is not trimmed");
            bodies += topic.html.size();
        }
        FUZZ_CHECK(bodies <= size, "the bodies are longer than the text");
        FUZZ_CHECK(doc.TopicOf(0) == nullptr && doc.TopicOf(-1) == nullptr, "a context below 1 has a topic");
    }

    // The same text read by a document that held another one before.
    THelpDocument other;
    other.Parse(std::string(THelpDocument::kMagic) + "\n@topic 7 hlp_x X\nbody\n");
    std::string error2;
    FUZZ_CHECK(other.Parse(text, &error2) == ok, "a second reading of the text answers differently");
    FUZZ_CHECK(error2 == (ok ? std::string() : error), "a second reading names another fault");
    FUZZ_CHECK(Same(doc, other), "a second reading gives another document");
    return 0;
}
