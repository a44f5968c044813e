// The data holder's paths and typed access, driven by a program of
// operations taken from the input.
//
// Invariants, checked against a small model of the store:
// - A path parses by its rules: empty, ending with "|" or of four or more
//   parts is refused; one part lands in DEFAULT|PRG, two name index and
//   value, three index, section and value; a path without "|" is first
//   completed by UseIndex and UseSection.
// - Names match ignoring ASCII case; registering a key that exists changes
//   nothing; a set reaches only registered keys; what was set (or
//   registered) is read back, in the slot of its own type.
// - The store only grows, by at most one index and one value per
//   registration, and a walk by position visits every value of an index.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"
#include "toolkit/muLogging.h"

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct Parsed {
    bool ok = false;
    std::string index;
    std::string key;  // "Section|Name" or "Name"
};

// The path rules, written out plainly.
Parsed ParsePath(const std::string& path, const std::string& useIndex, const std::string& useSection) {
    std::string text = path;
    if (path.find('|') == std::string::npos) {
        std::string prefix;
        if (!useIndex.empty()) prefix += useIndex + "|";
        if (!useSection.empty()) prefix += useSection + "|";
        text = prefix + path;
    }
    Parsed p;
    if (text.empty() || text.back() == '|') return p;
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == '|')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    switch (parts.size()) {
        case 1:
            p = {true, "DEFAULT", "PRG|" + parts[0]};
            break;
        case 2:
            p = {true, parts[0], parts[1]};
            break;
        case 3:
            p = {true, parts[0], parts[1].empty() ? parts[2] : parts[1] + "|" + parts[2]};
            break;
        default:
            break;
    }
    return p;
}

struct ModelValue {
    std::string text;
    std::int32_t integer = 0;
    bool boolean = false;
};

// Names and texts from a small alphabet, so that paths meet each other.
std::string Name(FuzzReader& in) {
    static const char kAlphabet[] = "aAbB|c|||INIini_01 \xC3\xA4";
    const std::size_t length = in.Byte() % 12;
    std::string s;
    for (std::size_t i = 0; i < length; ++i) s += kAlphabet[in.Byte() % (sizeof(kAlphabet) - 1)];
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FakePlatform platform;
    platform.currentDir = EmptyFolder();
    TmuDataholder holder;
    // The traces would only go nowhere, one file check per line.
    holder.Log()->SetActiveLog(false);
    FuzzReader in(data, size);

    // Folded index name -> folded key -> value.
    std::map<std::string, std::map<std::string, ModelValue>> model;
    std::size_t values = 0;

    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        const std::uint8_t op = in.Byte();
        if (op % 16 == 15) {
            holder.UseIndex = Name(in);
            holder.UseSection = Name(in);
            continue;
        }
        if (op % 16 == 14) {
            holder.clearUseIndexSection();
            FUZZ_CHECK(holder.UseIndex.empty() && holder.UseSection.empty(),
                       "clearUseIndexSection left a name");
            continue;
        }
        std::string path = Name(in);
        // Now and then the same path in other letter case.
        if (op & 0x80) path = Upper(path);
        const Parsed p = ParsePath(path, holder.UseIndex, holder.UseSection);
        const std::string fi = Upper(p.index);
        const std::string fk = Upper(p.key);
        auto indexIt = model.find(fi);
        const bool known = p.ok && indexIt != model.end() && indexIt->second.count(fk) != 0;
        const std::size_t indexesBefore = holder.Indexes().size();

        switch (op % 16) {
            case 0: {
                std::string index, section, name;
                const bool ok = holder.CheckValueOfSection(path, index, section, name);
                FUZZ_CHECK(ok == p.ok, "a path is accepted or refused against its rules");
                if (ok) {
                    FUZZ_CHECK(holder.get_IdxName() == p.index, "a path names another index");
                    FUZZ_CHECK(holder.get_ValueKey() == p.key, "a path names another value key");
                } else {
                    FUZZ_CHECK(holder.get_IdxName().empty() && holder.get_ValueKey().empty(),
                               "a refused path leaves a current index or key");
                }
                break;
            }
            case 1:
            case 2: {
                const std::string text = in.Text(16);
                const bool ok = holder.InitValueString(path, text);
                FUZZ_CHECK(ok == p.ok, "a string registration answers against the path rules");
                if (ok && !known) {
                    model[fi][fk].text = text;
                    ++values;
                }
                break;
            }
            case 3: {
                const std::int32_t value = static_cast<std::int8_t>(in.Byte()) * 1000;
                const bool ok = holder.InitValueInteger(path, value);
                FUZZ_CHECK(ok == p.ok, "an integer registration answers against the path rules");
                if (ok && !known) {
                    model[fi][fk].integer = value;
                    ++values;
                }
                break;
            }
            case 4: {
                const bool value = (in.Byte() & 1) != 0;
                const bool ok = holder.InitValueBoolean(path, value);
                FUZZ_CHECK(ok == p.ok, "a Boolean registration answers against the path rules");
                if (ok && !known) {
                    model[fi][fk].boolean = value;
                    ++values;
                }
                break;
            }
            case 5:
            case 6: {
                const std::string text = in.Text(16);
                FUZZ_CHECK(holder.setValueString(path, text) == known, "a string set reaches an unknown key");
                if (known) model[fi][fk].text = text;
                break;
            }
            case 7: {
                const std::int32_t value = static_cast<std::int32_t>(in.Byte()) - 128;
                FUZZ_CHECK(holder.setValueInteger(path, value) == known,
                           "an integer set reaches an unknown key");
                if (known) model[fi][fk].integer = value;
                break;
            }
            case 8: {
                const bool value = (in.Byte() & 1) != 0;
                FUZZ_CHECK(holder.setValueBoolean(path, value) == known,
                           "a Boolean set reaches an unknown key");
                if (known) model[fi][fk].boolean = value;
                break;
            }
            case 9:
            case 10: {
                const ModelValue expected = known ? model[fi][fk] : ModelValue{};
                FUZZ_CHECK(holder.getValueString(path) == expected.text, "a string is read back differently");
                FUZZ_CHECK(holder.getValueInteger(path) == expected.integer,
                           "an integer is read back differently");
                FUZZ_CHECK(holder.getValueBoolean(path) == expected.boolean,
                           "a Boolean is read back differently");
                break;
            }
            case 11: {
                // addValueString registers under an existing index only.
                const std::string text = in.Text(16);
                const bool indexKnown = p.ok && indexIt != model.end();
                FUZZ_CHECK(holder.addValueString(path, text) == indexKnown,
                           "a run-time text lands outside an existing index");
                if (indexKnown) {
                    if (!known) ++values;
                    model[fi][fk].text = text;
                }
                break;
            }
            default: {
                // A walk by position over the path's index.
                if (!p.ok) break;
                holder.set_IdxName(p.index);
                holder.clearNextValueID();
                const std::int32_t secPos = holder.SearchIndex(p.index);
                const std::size_t expected = indexIt == model.end() ? 0 : indexIt->second.size();
                FUZZ_CHECK((secPos != 0) == (indexIt != model.end()), "an index is found against the model");
                FUZZ_CHECK(static_cast<std::size_t>(holder.getDataCount()) == expected,
                           "an index holds another number of values");
                for (std::size_t i = 0; i < expected; ++i) {
                    const std::int32_t id = holder.getNextValueID();
                    FUZZ_CHECK(id == static_cast<std::int32_t>(i + 1), "a walk skips a value");
                    std::string key;
                    FUZZ_CHECK(holder.getValuenameAsID(secPos, id, key), "a walked value has no name");
                    FUZZ_CHECK(indexIt->second.count(Upper(key)) != 0,
                               "a walk finds a value never registered");
                }
                std::string key;
                FUZZ_CHECK(!holder.getValuenameAsID(secPos, static_cast<std::int32_t>(expected) + 1, key),
                           "a walk finds a value past the end");
                break;
            }
        }
        FUZZ_CHECK(holder.Indexes().size() >= indexesBefore, "the store lost an index");
        FUZZ_CHECK(holder.Indexes().size() <= indexesBefore + 1, "one operation added several indexes");
        FUZZ_CHECK(holder.Indexes().size() == model.size(), "the store holds another number of indexes");
        std::size_t stored = 0;
        for (const auto& index : holder.Indexes()) stored += index.Data.size();
        FUZZ_CHECK(stored == values, "the store holds another number of values");
    }
    return 0;
}
