// The data holder's trace: creation lines and the exact error texts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "store/muDataHolder.h"
#include "support/FakePlatform.h"
#include "toolkit/muLogging.h"

namespace {

// A working directory with "System/Logging" below it, reported by the fake
// platform, so that the holder's logger writes into it.
class DataHolderTrace : public ::testing::Test {
protected:
    DataHolderTrace() {
        static std::atomic<int> counter{0};
        root_ = std::filesystem::temp_directory_path() /
                ("tavrin-holdertrace-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "System" / "Logging");
        platform_.currentDir = root_.string();
    }
    ~DataHolderTrace() override {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    std::string Read() const {
        std::ifstream in(root_ / "System" / "Logging" / "mLogging.log", std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    void Clear() const { std::filesystem::remove(root_ / "System" / "Logging" / "mLogging.log"); }
    bool HasLine(const std::string& text) const { return Read().find(text + "\r\n") != std::string::npos; }
    static std::string Err(const std::string& text) { return "muDataholder - ErrorMsg : " + text; }

    // A holder that traces everything.
    std::unique_ptr<TmuDataholder> TracingHolder() {
        auto holder = std::make_unique<TmuDataholder>();
        holder->Log()->SetCompoID("LOG_ALL");
        Clear();
        return holder;
    }

    FakePlatform platform_;
    std::filesystem::path root_;
};

}  // namespace

TEST_F(DataHolderTrace, CreationAndDestructionAreTraced) {
    auto holder = std::make_unique<TmuDataholder>();
    EXPECT_EQ(holder->Log()->CompoName(), "muDataholder");
    EXPECT_EQ(holder->Log()->CompoID(), "LOG_STD");
    const std::string created = Read();
    EXPECT_NE(created.rfind("muDataholder - CreateLogging\r\n", 0), std::string::npos) << created;
    EXPECT_NE(created.find("muDataholder -->>     CLASS : Create\r\n"), std::string::npos) << created;
    EXPECT_NE(created.find(" muDataholder - Klasse muDataholder erstellen\r\n"), std::string::npos)
        << created;

    // At the standard level the store's work leaves no trace.
    Clear();
    holder->InitValueString("INI|TAVRIN|FormPos", "TopLeft");
    holder->setValueString("INI|", "x");
    EXPECT_EQ(Read(), "");

    holder->Log()->SetCompoID("LOG_ALL");
    holder.reset();
    EXPECT_TRUE(HasLine(" muDataholder - Klasse muDataholder vernichten")) << Read();
}

TEST_F(DataHolderTrace, ErrorLinesOfPathsCountsAndSearches) {
    auto holder = TracingHolder();
    std::int32_t valuePos = 0, indexPos = 0;
    EXPECT_FALSE(holder->SearchbIndex("INI", "TAVRIN|FormPos", valuePos, indexPos));
    EXPECT_TRUE(HasLine(Err("Kein Array bei FmSecDataArray[].Data"))) << Read();

    EXPECT_EQ(holder->get_ValueDataCount(), 0);
    EXPECT_TRUE(HasLine(Err("get_ValueDataCount # iSecPos = 0")));
    holder->set_IdxName("NONE");
    holder->set_SectionDatacount(3);
    EXPECT_TRUE(HasLine(Err("set_SectionDatacount # iSecPos = 0")));

    Clear();
    EXPECT_EQ(holder->getDataCount(), 0);
    EXPECT_EQ(Read().find("ErrorMsg"), std::string::npos);

    EXPECT_FALSE(holder->setValueString("INI|", "x"));
    EXPECT_TRUE(HasLine(Err("IDValue: (INI|) failed / Init IDValue?"))) << Read();
    EXPECT_FALSE(holder->setValueBoolean("", true));
    EXPECT_TRUE(HasLine(Err("IDValue: () failed / Init IDValue?")));

    // A failed lookup is no error in itself; neither is a failed registration.
    holder->InitValueString("INI|TAVRIN|FormPos", "TopLeft");
    Clear();
    EXPECT_FALSE(holder->setValueString("INI|TAVRIN|Missing", "x"));
    EXPECT_FALSE(holder->InitValueString("INI|", "x"));
    EXPECT_EQ(holder->getValueString("INI|TAVRIN|Missing"), "");
    EXPECT_EQ(Read().find("ErrorMsg"), std::string::npos) << Read();
}

TEST_F(DataHolderTrace, RegistrationNamesIndexAndType) {
    auto holder = TracingHolder();
    holder->InitValueString("INI|TAVRIN|FormPos", "TopLeft");
    EXPECT_TRUE(HasLine(" muDataholder - INIT sIdxName:INI")) << Read();

    struct Case {
        std::function<bool(TmuDataholder&)> registration;
        const char* text;
    };
    const Case cases[] = {
        {[](TmuDataholder& h) { return h.InitValueByte("T|A", 1); }, "INIT Byte"},
        {[](TmuDataholder& h) { return h.InitValueWord("T|B", 1); }, "INIT Word"},
        {[](TmuDataholder& h) { return h.InitValueLongword("T|C", 1); }, "INIT Longword"},
        {[](TmuDataholder& h) { return h.InitValueSingle("T|D", 1); }, "INIT Single"},
        {[](TmuDataholder& h) { return h.InitValueDouble("T|E", 1); }, "INIT Double"},
        {[](TmuDataholder& h) { return h.InitValueInteger("T|F", 1); }, "INIT Integer"},
        {[](TmuDataholder& h) { return h.InitValueInt64("T|G", 1); }, "INIT Int64"},
        {[](TmuDataholder& h) { return h.InitValueDatetime("T|H", 1); }, "INIT DateTime"},
        {[](TmuDataholder& h) { return h.InitValueChar("T|I", u'a'); }, "INIT Char"},
        {[](TmuDataholder& h) { return h.InitValueString("T|J", "a"); }, "INIT Strings"},
        {[](TmuDataholder& h) { return h.InitValueWideString("T|K", "a"); }, "INIT WideString"},
        {[](TmuDataholder& h) { return h.InitValueBoolean("T|L", true); }, "INIT Boolean"},
        {[](TmuDataholder& h) { return h.InitValueBuffer("T|M", nullptr); }, "INIT Buffer"},
        {[](TmuDataholder& h) { return h.InitValueMem("T|N", nullptr); }, "INIT MemoryStream"},
        {[](TmuDataholder& h) { return h.InitValueTANwithState("T|O", "1", 0); }, "INIT TAN"},
    };
    for (const auto& c : cases) {
        Clear();
        EXPECT_TRUE(c.registration(*holder)) << c.text;
        EXPECT_NE(Read().find(std::string("muDataholder - ") + c.text + "\r\n"), std::string::npos) << c.text;
    }
    // The index is announced only when it is created.
    EXPECT_EQ(Read().find("INIT sIdxName:"), std::string::npos);
}

TEST_F(DataHolderTrace, PositionalReadsReportTheirFaults) {
    auto holder = TracingHolder();
    std::string key;
    TmDataType tag{};
    TmVarType value;
    EXPECT_FALSE(holder->getValuenameAsID(1, 1, key));
    EXPECT_TRUE(HasLine(Err("getValuenameAsID # Kein Array bei FmSecDataArray"))) << Read();
    EXPECT_FALSE(holder->getDatatypeAsID(1, 1, tag));
    EXPECT_TRUE(HasLine(Err("getDatatypeAsID # Kein Array bei FmSecDataArray")));

    holder->InitValueList("INI", "S", {"A", 1, "B", 2});
    Clear();
    EXPECT_FALSE(holder->getDatatypeAsID(1, 5, tag));
    EXPECT_TRUE(HasLine(Err("getDatatypeAsID # iIdValue:5 <> iDataCount:2"))) << Read();
    Clear();
    EXPECT_TRUE(holder->getDefaultValueAsID(1, 0, value));
    EXPECT_TRUE(HasLine(Err("getDatatypeAsID # iIdValue:0 <> iDataCount:2"))) << Read();
    Clear();
    EXPECT_TRUE(holder->getDefaultValueAsID(1, 2, value));
    EXPECT_TRUE(HasLine(" muDataholder - Use DefaultDatatype")) << Read();

    Clear();
    EXPECT_TRUE(holder->getValueMultiAsID(1, 1, value));
    const std::string log = Read();
    EXPECT_NE(log.find("muDataholder -->>  FUNCTION : getValueMultiAsID\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("(i_iSecpos) ]: = 1\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("(i_iIdValue) ]: = 1\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("(mInteger) ]: = 1\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("(r_bResult) ]: = True\r\n"), std::string::npos) << log;
}

TEST_F(DataHolderTrace, OperationsTraceEntryArgumentsResultAndExit) {
    auto holder = TracingHolder();
    holder->InitValueInteger("INI|TAVRIN|PositionX", 150);
    Clear();
    EXPECT_EQ(holder->getValueInteger("INI|TAVRIN|PositionX"), 150);
    const std::string log = Read();
    const auto entry = log.find("muDataholder -->>  FUNCTION : getValueInteger\r\n");
    const auto arg = log.find("(i_sIdValue) ]: = INI|TAVRIN|PositionX\r\n");
    const auto result = log.find(" [Variable RETURN -  Integer         (r_iResult) ]: = 150\r\n");
    const auto exit = log.find("muDataholder <<--  FUNCTION : getValueInteger\r\n");
    ASSERT_NE(entry, std::string::npos) << log;
    ASSERT_NE(arg, std::string::npos) << log;
    ASSERT_NE(result, std::string::npos) << log;
    ASSERT_NE(exit, std::string::npos) << log;
    EXPECT_LT(entry, arg);
    EXPECT_LT(arg, exit);
    EXPECT_LT(result, exit);

    Clear();
    holder->InitArrayValueString("AC01", "AC", "AC_Name", 1, 2, "Steckdosenname", true);
    EXPECT_NE(Read().find("FUNCTION : InitArrayValueString with default value\r\n"), std::string::npos);
    EXPECT_NE(Read().find("(i_iRangeStop) ]: = 2\r\n"), std::string::npos);
}

// A value list is one procedure around the operations of its pairs, in the
// order of the list, each with its full path and value.
TEST_F(DataHolderTrace, ValueListsTraceThePairsOperationsInsideTheirProcedure) {
    const struct {
        const char* list;
        std::function<void(TmuDataholder&, const TmValueList&)> run;
        std::vector<std::string> inOrder;
    } cases[] = {
        {"InitValueList",
         [](TmuDataholder& h, const TmValueList& items) { h.InitValueList("INI", "S", items); },
         {"(i_sIndex) ]: = INI\r\n", "(i_sSection) ]: = S\r\n", "-->>  FUNCTION : InitValueInteger\r\n",
          "(i_sIdValue) ]: = INI|S|A\r\n", "(i_iDefault) ]: = 1\r\n", "-->>  FUNCTION : InitValueBoolean\r\n",
          "(i_sIdValue) ]: = INI|S|B\r\n", "(i_bDefault) ]: = True\r\n",
          "-->>  FUNCTION : InitValueString\r\n", "(i_sIdValue) ]: = INI|S|C\r\n",
          "(i_sDefault) ]: = c\r\n"}},
        {"setValueList",
         [](TmuDataholder& h, const TmValueList& items) { h.setValueList("INI", "S", items); },
         {"(i_sIndex) ]: = INI\r\n", "(i_sSection) ]: = S\r\n", "-->>  FUNCTION : setValueInteger\r\n",
          "(i_sIdValue) ]: = INI|S|A\r\n", "(i_iValue) ]: = 1\r\n", "-->>  FUNCTION : setValueBoolean\r\n",
          "(i_sIdValue) ]: = INI|S|B\r\n", "(i_bValue) ]: = True\r\n", "-->>  FUNCTION : setValueString\r\n",
          "(i_sIdValue) ]: = INI|S|C\r\n", "(i_sValue) ]: = c\r\n"}},
    };
    for (const auto& c : cases) {
        auto holder = TracingHolder();
        holder->InitValueList("INI", "S", {"A", 0, "B", false, "C", ""});
        Clear();
        // 2.5 is of no kind a list stores; 7 is no name.
        c.run(*holder, {"A", 1, "B", true, "C", "c", "D", 2.5, 7, 8});
        const std::string log = Read();
        const std::string entry =
            "muDataholder ----------------- \r\nmuDataholder -->> PROCEDURE : " + std::string(c.list) +
            "\r\n";
        const std::string exit = "muDataholder <<-- PROCEDURE : " + std::string(c.list) + "\r\n";
        EXPECT_EQ(log.rfind(entry, 0), 0u) << c.list << "\n" << log;
        ASSERT_GE(log.size(), exit.size()) << c.list;
        EXPECT_EQ(log.substr(log.size() - exit.size()), exit) << c.list << "\n" << log;
        std::size_t at = entry.size();
        for (const std::string& line : c.inOrder) {
            const std::size_t found = log.find(line, at);
            ASSERT_NE(found, std::string::npos) << c.list << ": " << line << "\n" << log;
            at = found + line.size();
        }
        EXPECT_EQ(log.find("INI|S|D"), std::string::npos) << c.list << "\n" << log;
    }
}
