// morvane-cli detect against the simulated device on pseudo-terminals.
#include <gtest/gtest.h>

#include <memory>

#include "app/sim_process.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::Program;
using test::ProgramResult;

class CliDetect : public ::testing::Test {
protected:
    test::TempDir dir;
    std::vector<std::string> Env() const {
        return {"MORVANE_SETTINGS=" + dir.File("settings.ini"), "MORVANE_START_DIR=" + dir.Path()};
    }
    std::string Cli() const { return test::BinDir() + "/morvane-cli"; }
    std::string Devsim() const { return test::BinDir() + "/morvane-devsim"; }
};

TEST_F(CliDetect, NamesTheProductOfEveryTypeLetter) {
    struct Case { std::string type; std::string expected; };
    const std::vector<Case> cases = {
        {"H", "type=H product=Tarvex GSM"},     {"N", "type=N product=Tarvex GSM 4G"},
        {"I", "type=I product=Zelbrin GSM"},    {"J", "type=J product=Quendor GSM"},
        {"Q", "type=Q product=Quendor GSM_4G"}, {"K", "type=K product=Halvoret GSM"},
        {"O", "type=O product=Halvoret GSM 4G"}, {"L", "type=L product=Tessaly GPS"},
        {"P", "type=P product=Pomerand 4G"},    {">", "type=> product=VUZ-AD8"},
        {"d", "type=d product=WiFi-Gate-1"},    {"e", "type=d product=WiFi-Gate-2"},
        // "G" is accepted only with the "ALL" device filter; a letter outside
        // the table prints the letter with an empty product.
        {"G", "type=G product="},               {"Z", "type=Z product="},
    };
    // Every case runs at once: each detection takes a few launcher ticks.
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<std::unique_ptr<Program>> runs;
    for (const auto& c : cases) {
        auto sim = std::make_unique<SimProcess>();
        ASSERT_TRUE(sim->Start({"--type", c.type}, Devsim())) << sim->Error();
        runs.push_back(std::make_unique<Program>(
            std::vector<std::string>{Cli(), "--port", sim->PortPath(), "--timeout", "20", "detect"}, Env()));
        sims.push_back(std::move(sim));
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        ProgramResult r = runs[i]->Wait();
        EXPECT_EQ(r.status, 0) << cases[i].type << ": " << r.err;
        EXPECT_EQ(r.out, cases[i].expected + "\n") << cases[i].type;
    }
}

TEST_F(CliDetect, StartsItsOwnSimulatedDevice) {
    ProgramResult r = test::RunProgram({Cli(), "--sim", "Q", "--timeout", "20", "detect"}, Env());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "type=Q product=Quendor GSM_4G\n");
}

TEST_F(CliDetect, TraceRecordsTheProbeAndTheAnswer) {
    ProgramResult r = test::RunProgram(
        {Cli(), "--sim", "H", "--timeout", "20", "--trace", dir.File("trace.txt"), "detect"}, Env());
    ASSERT_EQ(r.status, 0) << r.err;
    auto trace = test::ReadFile(dir.File("trace.txt"));
    EXPECT_NE(trace.find(" open /dev/pts/"), std::string::npos) << trace;
    EXPECT_NE(trace.find("TX  TxCel=- 00 00 FF 00 01 FE"), std::string::npos) << trace;
    // The device's answer: six bytes whose fourth is the type letter 'H' (48).
    EXPECT_NE(trace.find(" 48 "), trace.find("RX ")) << trace;
    EXPECT_NE(trace.find("RX "), std::string::npos) << trace;
    EXPECT_NE(trace.find(" close"), std::string::npos) << trace;
}

TEST_F(CliDetect, SilentPortEndsWithStatus3NamingThePort) {
    test::PtyPair pty;  // nobody answers on it
    ProgramResult r = test::RunProgram({Cli(), "--port", pty.SlavePath(), "--timeout", "2", "detect"}, Env());
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("error: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(pty.SlavePath()), std::string::npos) << r.err;
}

TEST_F(CliDetect, PortThatCannotBeOpenedGivesTheSystemsReason) {
    ProgramResult r = test::RunProgram({Cli(), "--port", dir.File("no-such-tty"), "detect"}, Env());
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
}

TEST_F(CliDetect, BadUsageGivesStatus2AndTheUsageLine) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"--timeout", "x", "detect"}, {"--port"}, {"--port", "a", "--sim", "H", "detect"}}) {
        std::vector<std::string> full{Cli()};
        full.insert(full.end(), args.begin(), args.end());
        ProgramResult r = test::RunProgram(full, Env());
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage: morvane-cli"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace morvane
