// The link over a real pseudo-terminal: the simulated device on the other
// side, hosted by PollLoop as the command-line tool does.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

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

bool SameBytes(const ConfigImage& image, const devsim::DeviceModel& model, uint32_t from, uint32_t to) {
    return std::equal(image.Data() + from, image.Data() + to, model.Memory().begin() + from);
}

TEST(LinkE2ETest, FullReadAndWriteAgainstTheSimulatedDevice) {
    test::TempDir dir;
    test::ScopedEnv settings("MORVANE_SETTINGS", dir.File("settings.ini"));
    devsim::Options o;
    o.typeCode = 'H';
    o.version = 93;
    devsim::DeviceModel model(o);
    std::mt19937 rng(7);
    for (uint32_t a = 0; a < 0x800; ++a)
        if (a != 0xFE && a != 0xFF) model.Write(a, uint8_t(rng()));
    for (uint32_t a = 0x350000; a < 0x355000; ++a) model.Write(a, uint8_t(rng()));
    test::PtyLinkForm pty(model, 'H', 93);
    ASSERT_TRUE(pty.started) << pty.error;
    devsim::PtyDevice& device = pty.device;
    Form& f = pty.f;
    PollLoop& loop = pty.loop;

    f.link.StartRead();
    ASSERT_TRUE(loop.RunUntil([&] { return f.link.TxCel == 0; }, 60s)) << "TxCel " << f.link.TxCel;
    EXPECT_EQ(f.form.StatusPanels[3], "Successful readout!");
    EXPECT_TRUE(f.link.LinkOpen);
    {
        auto lock = device.Lock();
        EXPECT_TRUE(SameBytes(f.image, model, 0, 0x800));
        EXPECT_TRUE(SameBytes(f.image, model, 0x350000, 0x350400));
        EXPECT_TRUE(SameBytes(f.image, model, 0x354000, 0x355000));
    }

    for (uint32_t a = 0; a < 0x800; ++a)
        if (a != 0xFE && a != 0xFF) f.image[a] = uint8_t(rng());
    for (uint32_t a = 0x350000; a < 0x355000; ++a) f.image[a] = uint8_t(rng());
    f.link.StartWrite();
    ASSERT_TRUE(loop.RunUntil([&] { return f.link.TxCel == 0; }, 60s)) << "TxCel " << f.link.TxCel;
    EXPECT_EQ(f.form.StatusPanels[3], "Data sent successful!");
    {
        auto lock = device.Lock();
        EXPECT_TRUE(SameBytes(f.image, model, 0, 0x800));
        EXPECT_TRUE(SameBytes(f.image, model, 0x350000, 0x350500));
        EXPECT_TRUE(SameBytes(f.image, model, 0x354000, 0x355000));
        EXPECT_EQ(model.ClockText().size(), 12u);
    }
    // The idle wait runs out and the link closes its port.
    ASSERT_TRUE(loop.RunUntil([&] { return !f.link.LinkOpen; }, 30s));
    EXPECT_FALSE(f.link.Port().IsOpen());
}

// Full read and write of each transfer form over a pseudo-terminal: the
// requests the device received follow the orders, and the image and the
// device's memory agree afterwards.
struct PtyTransferCase {
    char type;
    int version;
    bool cid;
};

class PtyTransferTest : public ::testing::TestWithParam<PtyTransferCase> {};

TEST_P(PtyTransferTest, ReadAndWriteFollowTheOrders) {
    const PtyTransferCase c = GetParam();
    test::TempDir dir;
    test::ScopedEnv settings("MORVANE_SETTINGS", dir.File("settings.ini"));
    devsim::Options o;
    o.typeCode = c.type;
    o.version = c.version;
    devsim::DeviceModel model(o);
    std::mt19937 rng(c.version * 31 + c.type);
    for (uint32_t a = 0; a < 0x2000; ++a)
        if (a != 0xFE && a != 0xFF) model.Write(a, uint8_t(rng()));
    for (uint32_t a = 0x340000; a < 0x355000; ++a) model.Write(a, uint8_t(rng()));
    test::PtyLinkForm pty(model, c.type, c.version);
    ASSERT_TRUE(pty.started) << pty.error;
    devsim::PtyDevice& device = pty.device;
    Form& f = pty.f;
    PollLoop& loop = pty.loop;
    f.form.Controls()[linkctl::ContactIdOption].checked = c.cid;
    const TransferOptions opts{c.type, c.version, c.cid, false};
    auto requests = [&] {
        auto lock = device.Lock();
        std::vector<devsim::Bytes> out;
        for (const auto& e : model.RequestLog()) out.push_back(e.bytes);
        model.ClearRequestLog();
        return out;
    };
    auto sameUnits = [&](const std::vector<TransferPhase>& order) {
        auto lock = device.Lock();
        for (const TransferPhase& p : order)
            for (int u : p.units) {
                uint32_t offset = PageOffset(u), size = 256;
                if (p.txCel == 100 || p.txCel == 101) offset = uint32_t(u), size = 1;
                if (p.txCel == 103) offset = uint32_t(u) * 32, size = 32;
                if (!std::equal(f.image.Data() + offset, f.image.Data() + offset + size,
                                model.Memory().begin() + offset))
                    return ::testing::AssertionFailure() << "state " << p.txCel << " unit " << u;
            }
        return ::testing::AssertionSuccess();
    };

    f.link.StartRead();
    ASSERT_TRUE(loop.RunUntil([&] { return f.link.TxCel == 0; }, 120s)) << "TxCel " << f.link.TxCel;
    EXPECT_EQ(f.form.StatusPanels[3], "Successful readout!");
    EXPECT_EQ(test::Phases(requests()), FullReadOrder(opts));
    EXPECT_TRUE(sameUnits(FullReadOrder(opts)));

    if (c.type != 'd') {
        for (uint32_t a = 0; a < 0x800; ++a)
            if (a != 0xFE && a != 0xFF) f.image[a] = uint8_t(rng());
        for (uint32_t a = 0x340000; a < 0x355000; ++a) f.image[a] = uint8_t(rng());
        f.link.StartWrite();
        ASSERT_TRUE(loop.RunUntil([&] { return f.link.TxCel == 0; }, 120s)) << "TxCel " << f.link.TxCel;
        EXPECT_EQ(test::Phases(requests()), FullWriteOrder(opts));
        EXPECT_TRUE(sameUnits(FullWriteOrder(opts)));
        auto lock = device.Lock();
        EXPECT_EQ(model.ClockText().size(), 12u);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, PtyTransferTest,
                         ::testing::Values(PtyTransferCase{'H', 93, true}, PtyTransferCase{'J', 85, true},
                                           PtyTransferCase{'J', 85, false}, PtyTransferCase{'Q', 93, true},
                                           PtyTransferCase{'Q', 93, false}, PtyTransferCase{'H', 72, true},
                                           PtyTransferCase{'d', 90, true}));

TEST(LinkE2ETest, ModuleInformationOverThePortWithAnswersInPieces) {
    test::TempDir dir;
    test::ScopedEnv settings("MORVANE_SETTINGS", dir.File("settings.ini"));
    devsim::Options o;
    o.fragment = true;  // every answer in up to four pieces with gaps
    o.seed = 11;
    devsim::DeviceModel model(o);
    test::PtyLinkForm pty(model, 'H', 93, 9600);
    ASSERT_TRUE(pty.started) << pty.error;
    Form& f = pty.f;
    PollLoop& loop = pty.loop;
    f.link.OpenModuleInfo();
    f.link.StartModuleInfo();
    ASSERT_TRUE(loop.RunUntil([&] { return f.link.TxCel == 0; }, 60s)) << "TxCel " << f.link.TxCel;
    // Pieces may be taken for a while as incomplete, never as a wrong text.
    EXPECT_EQ(f.link.ModuleInfo.Text(modinfo::Imei), "356938035643809");
    EXPECT_EQ(f.link.ModuleInfo.Text(modinfo::Software), "Revision:1418B05SIM800C24");
    EXPECT_EQ(f.link.ModuleInfo.Text(modinfo::Jammer), "Enabled");
    EXPECT_EQ(f.link.ModuleInfo.Text(modinfo::SimNumber), "216301234567890");
    EXPECT_EQ(f.link.ModuleInfo.Text(modinfo::ServiceNumber), "+36309888000\",145");
    EXPECT_EQ(f.link.ModuleInfo.Text(modinfo::NetworkType), "EGSM_DCS_MODE");
    EXPECT_EQ(f.link.ModuleInfo.Text(modinfo::NetworkName), "0,\"Telekom HU\"");

    f.link.StartImei();
    ASSERT_TRUE(loop.RunUntil([&] { return f.link.TxCel == 0; }, 60s)) << "TxCel " << f.link.TxCel;
    EXPECT_EQ(f.view.messages, std::vector<std::string>{"IMEI number:356938035643809"});
}

TEST(LinkE2ETest, SilentDeviceAbandonsTheBlockReadAfterThirtyRequests) {
    test::PtyPair pair;
    Form f('H', 93, pair.SlavePath());
    f.link.StartRead();
    std::string wire;
    int ticks = 0;
    while (f.link.TxCel != 0 && ticks < 5000) {
        f.link.AdasTimer();
        ++ticks;
        wire += pair.ReadMaster(0);
    }
    wire += pair.ReadMaster(200);
    EXPECT_EQ(f.link.TxCel, 0);
    const std::string request("\x00\xF7\x00\x00\x09\xF6", 6);
    ASSERT_EQ(wire.size(), 30 * request.size());
    for (size_t i = 0; i < wire.size(); i += 6) EXPECT_EQ(wire.substr(i, 6), request);
    EXPECT_EQ(f.form.StatusPanels[3], "ERROR");
    ASSERT_EQ(f.view.messages.size(), 1u);
    EXPECT_EQ(f.view.messages[0], "ERROR Communication");
    EXPECT_EQ(f.link.BlockErrorCount, 0);
    EXPECT_TRUE(f.form.Controls()[linkctl::ReadButton].enabled);
    EXPECT_FALSE(f.form.Controls()[linkctl::Progress].visible);
    // The port is closed after the idle wait.
    for (int i = 0; i < 60 && f.link.LinkOpen; ++i) f.link.AdasTimer();
    EXPECT_FALSE(f.link.LinkOpen);
    EXPECT_FALSE(f.link.Port().IsOpen());
}

TEST(LinkE2ETest, OversizedInputIsTakenOffThePort) {
    test::PtyPair pair;
    Form f('H', 93, pair.SlavePath());
    f.link.StartRead();
    f.link.AdasTimer();  // opens the port and sends the first request
    ASSERT_TRUE(f.link.Port().IsOpen());
    pair.ReadMaster(200);
    pair.WriteMaster(std::string(2001, '\x11'));
    for (int i = 0; i < 200 && f.link.Port().InQueue() < 2001; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(f.link.Port().InQueue(), 2001);
    f.link.OnReceive(2001);
    EXPECT_EQ(f.link.RxCount, 0);
    EXPECT_EQ(f.link.Port().InQueue(), 0);
    EXPECT_EQ(f.link.TxCel, 110);
}

}  // namespace
}  // namespace morvane
