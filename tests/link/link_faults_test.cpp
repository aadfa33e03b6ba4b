// The link on a bad line: a full configuration read against the simulated
// device over a pseudo-terminal while the device drops requests, damages
// check bytes, splits its replies and sends stray bytes. Whatever the line
// does, the read must end with the same image as the device's memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/poll_loop.h"
#include "app/view.h"
#include "config/config_image.h"
#include "devsim/devsim.h"
#include "link/link.h"
#include "support/link_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using namespace std::chrono_literals;

using Form = test::LinkForm;

// The regions a full read of a type 'H' device moves: the configuration
// area, the server records and the BUS channel records.
struct Region {
    uint32_t from, to;
};
constexpr Region kReadRegions[] = {
    {0, ConfigImage::kConfigAreaSize},
    {ConfigImage::kServerRecords, ConfigImage::kServerExtraPage},
    {ConfigImage::kBusChannels, ConfigImage::kBusChannels + 16 * 256},
};
constexpr int kPagesRead = 8 + 4 + 16;

struct FaultCase {
    const char* name;
    double drop;
    double corrupt;
    double stray;
    bool fragment;
    uint64_t seed;
};

// Seeds are fixed so every run meets the same faults; each fault case's seed
// makes the fault happen at least once during the read.
const FaultCase kFaultCases[] = {
    {"Clean", 0, 0, 0, false, 1},
    {"DroppedRequests", 0.10, 0, 0, false, 11},
    {"CorruptedCheckBytes", 0, 0.05, 0, false, 19},
    {"FragmentedReplies", 0, 0, 0, true, 13},
    {"StrayBytes", 0, 0, 0.10, false, 14},
    {"AllTogether", 0.10, 0.05, 0.10, true, 15},
};

class LinkFaultsTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LinkFaultsTest, FullReadEndsWithTheDeviceMemory) {
    const FaultCase& fc = GetParam();
    test::TempDir dir;
    test::ScopedEnv settings("MORVANE_SETTINGS", dir.File("settings.ini"));
    devsim::Options o;
    o.typeCode = 'H';
    o.version = 93;
    o.seed = fc.seed;
    o.drop = fc.drop;
    o.corrupt = fc.corrupt;
    o.stray = fc.stray;
    o.fragment = fc.fragment;
    devsim::DeviceModel model(o);
    std::mt19937 rng(uint32_t(fc.seed));
    for (const Region& r : kReadRegions)
        for (uint32_t a = r.from; a < r.to; ++a)
            if (a != devsim::DeviceModel::kVersionAddress && a != devsim::DeviceModel::kTypeAddress)
                model.Write(a, uint8_t(rng()));
    test::PtyLinkForm pty(model, 'H', 93);
    ASSERT_TRUE(pty.started) << pty.error;
    devsim::PtyDevice& device = pty.device;
    Form& f = pty.f;
    PollLoop& loop = pty.loop;

    f.link.StartRead();
    // What the image must look like afterwards: as the read started, with
    // the read regions replaced by the device's memory and nothing else touched.
    std::vector<uint8_t> expected(f.image.Data(), f.image.Data() + f.image.Size());
    {
        auto lock = device.Lock();
        for (const Region& r : kReadRegions)
            std::copy(model.Memory().begin() + r.from, model.Memory().begin() + r.to, expected.begin() + r.from);
    }

    const bool done = loop.RunUntil([&] { return f.link.TxCel == 0; }, 240s);
    device.Stop();  // the request log is read below without the lock
    ASSERT_TRUE(done) << "TxCel " << f.link.TxCel << " TransferIndex " << f.link.TransferIndex;

    EXPECT_EQ(f.form.StatusPanels[3], "Successful readout!");
    EXPECT_TRUE(f.view.messages.empty()) << f.view.messages.front();
    EXPECT_EQ(f.link.BlockErrorCount, 0);
    EXPECT_TRUE(f.form.Controls()[linkctl::ReadButton].enabled);
    ASSERT_EQ(f.image.Size(), expected.size());
    const auto diff = std::mismatch(expected.begin(), expected.end(), f.image.Data());
    EXPECT_TRUE(diff.first == expected.end())
        << "first differing byte at 0x" << std::hex << (diff.first - expected.begin());

    int pageReads = 0;
    for (const devsim::RequestLogEntry& e : model.RequestLog())
        if (e.bytes.size() == 6 && e.bytes[1] == 0xF7) ++pageReads;
    if (fc.drop > 0 || fc.corrupt > 0 || fc.stray > 0)
        EXPECT_GT(pageReads, kPagesRead) << "the seed met no fault; the case proves nothing";
    else
        EXPECT_GE(pageReads, kPagesRead);
}

INSTANTIATE_TEST_SUITE_P(Faults, LinkFaultsTest, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// A silent device during the configuration write: the page write of the
// first configuration page goes out 30 times, then the write is abandoned
// with the block error message. (The read side is covered with the other
// end-to-end tests of the link.)
TEST(LinkFaultsSilentTest, SilentDeviceAbandonsTheBlockWriteAfterThirtyRequests) {
    test::PtyPair pair;
    Form f('H', 93, pair.SlavePath());
    for (uint32_t a = 0; a < 256; ++a) f.image[a] = uint8_t(a * 7 + 1);
    f.link.StartWrite();
    std::string wire;
    int ticks = 0;
    while (f.link.TxCel != 0 && ticks < 5000) {
        f.link.AdasTimer();
        ++ticks;
        wire += pair.ReadMaster(0);
    }
    wire += pair.ReadMaster(200);
    EXPECT_EQ(f.link.TxCel, 0);

    // Page write of configuration page 0: data sum, 0xF6, B = 0, D = 0, check pair, 256 data bytes.
    std::string request(262, '\0');
    uint8_t sum = 0;
    for (int i = 0; i < 256; ++i) {
        request[6 + size_t(i)] = char(f.image[size_t(i)]);
        sum = uint8_t(sum + f.image[size_t(i)]);
    }
    request[0] = char(sum);
    request[1] = char(0xF6);
    const uint8_t k = uint8_t(sum + 0xF6 - 1);
    request[4] = char(255 - k);
    request[5] = char(k);
    ASSERT_EQ(wire.size(), 30 * request.size());
    for (size_t i = 0; i < wire.size(); i += request.size()) EXPECT_EQ(wire.substr(i, request.size()), request) << i;
    EXPECT_EQ(f.form.StatusPanels[3], "ERROR");
    ASSERT_EQ(f.view.messages.size(), 1u);
    EXPECT_EQ(f.view.messages[0], "ERROR Communication");
    EXPECT_EQ(f.link.BlockErrorCount, 0);
    EXPECT_TRUE(f.form.Controls()[linkctl::SendButton].enabled);
    EXPECT_TRUE(f.form.Controls()[linkctl::ReadButton].enabled);
    EXPECT_FALSE(f.form.Controls()[linkctl::Progress].visible);
}

}  // namespace
}  // namespace morvane
