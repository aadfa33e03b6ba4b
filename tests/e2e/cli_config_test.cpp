// morvane-cli read, decode, encode, write --verify, diff and export against
// the simulated device program: the device's memory afterwards holds exactly
// the edited fields.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/sim_process.h"
#include "config/memory_map.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::ProgramResult;

class CliConfig : public ::testing::Test {
protected:
    test::TempDir dir;
    std::vector<std::string> Env() const {
        return {"MORVANE_SETTINGS=" + dir.File("settings.ini"), "MORVANE_START_DIR=" + dir.Path()};
    }
    ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), test::BinDir() + "/morvane-cli");
        return test::RunProgram(args, Env(), 120000);
    }
    // Starts the device with the memory file (if any); it saves to `save`.
    void StartDevice(const std::string& save, const std::string& memory = {}) {
        std::vector<std::string> args{"--type", "H", "--version", "93", "--save", save};
        if (!memory.empty()) args.insert(args.end(), {"--memory", memory});
        ASSERT_TRUE(sim.Start(args, test::BinDir() + "/morvane-devsim")) << sim.Error();
    }
    // The device's memory now (it saves on SIGUSR1).
    std::string DeviceMemory(const std::string& save) {
        std::filesystem::remove(save);
        EXPECT_TRUE(sim.Signal(SIGUSR1));
        for (int i = 0; i < 200 && !std::filesystem::exists(save); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return test::ReadFile(save);
    }
    void WriteText(const std::string& path, const std::string& text) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    SimProcess sim;
};

// Offsets where two memories differ, within the configuration area.
std::vector<uint32_t> ConfigDifferences(const std::string& a, const std::string& b) {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < 0x800 && i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) out.push_back(i);
    return out;
}

TEST_F(CliConfig, ReadEditEncodeWriteChangesExactlyTheEditedFields) {
    // A device holding a valid configuration: the design-time settings with
    // two phone numbers and an SMS text.
    WriteText(dir.File("start.json"),
              R"({"Telefonszámok":{"MaskEdit1":"+3612345678","MaskEdit2":"06209876543"}})");
    ASSERT_EQ(Cli({"encode", dir.File("start.json"), "--out", dir.File("start.dat")}).status, 0);
    StartDevice(dir.File("mem.bin"));
    const std::string port = sim.PortPath();
    ProgramResult w = Cli({"--port", port, "write", dir.File("start.dat"), "--yes"});
    ASSERT_EQ(w.status, 0) << w.err;

    // Read, decode: the device's phone numbers and texts show up.
    ProgramResult r = Cli({"--port", port, "read", "--out", dir.File("a.dat")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::is_empty(dir.File("backups"))) << "a full read leaves a backup";
    ProgramResult d = Cli({"decode", dir.File("a.dat")});
    ASSERT_EQ(d.status, 0) << d.err;
    auto json = nlohmann::json::parse(d.out);
    EXPECT_EQ(json["Telefonszámok"]["MaskEdit1"], "+3612345678");
    EXPECT_EQ(json["Telefonszámok"]["MaskEdit2"], "06209876543");
    EXPECT_NE(d.out.find("\"1 bemenet riasztas\""), std::string::npos) << "the SMS text of input 1";

    // A file saved after a read and written back changes nothing.
    const std::string before = DeviceMemory(dir.File("mem.bin"));
    ASSERT_EQ(Cli({"--port", port, "write", dir.File("a.dat"), "--yes"}).status, 0);
    EXPECT_EQ(ConfigDifferences(before, DeviceMemory(dir.File("mem.bin"))), std::vector<uint32_t>{});

    // Edit a phone number and an output time; write with verification.
    json["Telefonszámok"]["MaskEdit3"] = "+36701112223";
    json["OUT1"]["OutputTime"] = 7;
    json["OUT1"]["SpinKI1"] = 7;
    WriteText(dir.File("b.json"), json.dump());
    ASSERT_EQ(Cli({"encode", dir.File("b.json"), "--base", dir.File("a.dat"), "--out", dir.File("b.dat")}).status, 0);
    ProgramResult dif = Cli({"diff", dir.File("a.dat"), dir.File("b.dat")});
    EXPECT_EQ(dif.status, 1);
    EXPECT_NE(dif.out.find("Telefonszámok / MaskEdit3: \"\" -> \"+36701112223\""), std::string::npos) << dif.out;
    ProgramResult wv = Cli({"--port", port, "write", dir.File("b.dat"), "--verify", "--yes"});
    ASSERT_EQ(wv.status, 0) << wv.err;

    const std::string after = DeviceMemory(dir.File("mem.bin"));
    std::vector<uint32_t> expected;
    for (uint32_t i = 0; i < mm::kPhoneNumberSize; ++i)
        if (before[mm::PhoneOffset(3) + i] != after[mm::PhoneOffset(3) + i]) expected.push_back(mm::PhoneOffset(3) + i);
    EXPECT_FALSE(expected.empty());
    for (uint32_t off : ConfigDifferences(before, after)) {
        const bool phone = off >= mm::PhoneOffset(3) && off < mm::PhoneOffset(3) + mm::kPhoneNumberSize;
        const bool time = off >= mm::OutputTimeOffset(1) && off < mm::OutputTimeOffset(1) + 2;
        EXPECT_TRUE(phone || time) << "byte " << off << " changed";
    }
    EXPECT_EQ(std::string(after.data() + mm::PhoneOffset(3), 12), "+36701112223");
}

TEST_F(CliConfig, FailuresExitWithTheirStatusAndLeaveNoFile) {
    // Nothing answers: status 3, no output file.
    test::PtyPair silent;
    ProgramResult r = Cli({"--port", silent.SlavePath(), "--timeout", "2", "read", "--out", dir.File("x.dat")});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.dat")));

    // An unknown key is named.
    WriteText(dir.File("bad.json"), R"({"Telefonszámok":{"MaskEdit9":"1"},"Nincs ilyen":{}})");
    ProgramResult e = Cli({"encode", dir.File("bad.json"), "--out", dir.File("bad.dat")});
    EXPECT_EQ(e.status, 5);
    EXPECT_NE(e.err.find("MaskEdit9"), std::string::npos) << e.err;
    EXPECT_NE(e.err.find("Nincs ilyen"), std::string::npos) << e.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.dat")));

    // A file that cannot be read.
    ProgramResult d = Cli({"decode", dir.File("missing.dat")});
    EXPECT_EQ(d.status, 5);
    EXPECT_NE(d.err.find("No such file or directory"), std::string::npos) << d.err;

    // The write is refused without --yes when standard input is no terminal.
    ASSERT_EQ(Cli({"encode", dir.File("bad.json").replace(dir.File("bad.json").find("bad.json"), 8, "none.json"),
                   "--out", dir.File("n.dat")}).status, 5);
}

TEST_F(CliConfig, ExportMemoryWritesTheConfigurationAreaAsHex) {
    WriteText(dir.File("s.json"), R"({"Telefonszámok":{"MaskEdit1":"+3612345678"}})");
    ASSERT_EQ(Cli({"encode", dir.File("s.json"), "--out", dir.File("s.dat")}).status, 0);
    ProgramResult x = Cli({"export-memory", dir.File("s.dat"), "--out", dir.File("config.php")});
    ASSERT_EQ(x.status, 0) << x.err;
    const std::string text = test::ReadFile(dir.File("config.php"));
    // "+3612345678" at offset 256: 2B 33 36 ...
    EXPECT_NE(text.find("2B3336313233343536373"), std::string::npos);
}

}  // namespace
}  // namespace morvane
