// The incoming number list page: rows and boxes against the image records,
// the list write and read, and both transfers through the link against the
// simulated device in the same process.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/view.h"
#include "config/config_image.h"
#include "config/memory_map.h"
#include "config/number_list.h"
#include "config/page_rules.h"
#include "devsim/devsim.h"
#include "link/link.h"

namespace morvane {
namespace {

using Bytes = std::vector<uint8_t>;

struct FakeCommands : PageCommands {
    std::vector<std::string> calls;
    int State() const override { return 0; }
    void StartNumberListRead() override { calls.push_back("list-read"); }
    void StartNumberListWrite() override { calls.push_back("list-write"); }
    void StartPhonebookRead() override { calls.push_back("sim-read"); }
    void StartPhonebookWrite() override { calls.push_back("sim-write"); }
    void StartPstnSend() override { calls.push_back("pstn"); }
    void StartPcCodeChange(const std::string&, const std::string&) override { calls.push_back("pc"); }
};

class NumberListTest : public ::testing::Test {
protected:
    Configurator form{"\\software\\GSM\\test"};
    std::unique_ptr<ConfigImage> image = std::make_unique<ConfigImage>();
    RecordingView view;
    NumberListPage page{form, *image, view};
    FakeCommands commands;

    NumberListTest() { form.DeviceVersion = 90; }
    uint8_t& Byte(int row, uint32_t b) { return (*image)[NumberListRowOffset(row) + b]; }
    const ControlState& C(const std::string& k) { return form.Controls()[k]; }
    int BoxMask() {
        int m = 0;
        for (int bit = 0; bit < 7; ++bit)
            if (C(numkey::Box(bit)).checked) m |= 1 << bit;
        return m;
    }
};

TEST_F(NumberListTest, SelectingARowLoadsItsBytesWithoutStoring) {
    struct Case {
        int version;
        bool demo;
        const char* number;
        uint8_t rights, zone;
        int boxes, zoneIndex;
        bool in4, in3, in3Enabled;
    };
    const Case cases[] = {
        {90, false, "111", 0x55, 0x0B, 0x55, 3, false, true, true},
        {85, false, "111", 0x55, 0x06, 0x00, 2, true, false, true},   // old firmware: no rights shown
        {85, true, "111", 0x55, 0x00, 0x55, 0, false, false, false},  // demo mode shows them
        {90, false, "111", 0x00, 0x08, 0x00, 0, false, false, false}, // IN3 needs a zone
        {90, false, "", 0x7F, 0x0F, 0x01, 0, false, false, false},    // empty row: the defaults
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.version) + " '" + c.number + "'");
        form.DeviceVersion = c.version;
        form.DemoMode = c.demo;
        page.Grid().rows[4].number = c.number;
        Byte(4, 14) = c.rights;
        Byte(4, 15) = c.zone;
        page.SelectRow(4);
        EXPECT_EQ(BoxMask(), c.boxes);
        EXPECT_EQ(C(numkey::Zone).itemIndex, c.zoneIndex);
        EXPECT_EQ(C(numkey::In4Disabled).checked, c.in4);
        EXPECT_EQ(C(numkey::In3Enabled).checked, c.in3);
        EXPECT_EQ(C(numkey::In3Enabled).enabled, c.in3Enabled);
        EXPECT_EQ(C(numkey::NumberLabel).text, c.number);
        EXPECT_EQ(Byte(4, 14), c.rights);
        EXPECT_EQ(Byte(4, 15), c.zone);
        EXPECT_FALSE(page.NumberListChanged);
    }
}

TEST_F(NumberListTest, BoxChangesStoreIntoTheSelectedRow) {
    // The window echoes every control change back as a box change: nothing
    // may be stored while the row is loading.
    form.Controls().OnChanged = [this](const std::string& k) {
        if (k.rfind("CONTR", 0) == 0) page.BoxesChanged();
    };
    page.SelectRow(5);  // empty row: OUT1 shown ticked, bytes untouched
    EXPECT_EQ(Byte(5, 14), 0);
    EXPECT_FALSE(page.NumberListChanged);

    page.SetBox(2, true);
    EXPECT_EQ(Byte(5, 14), 0x05);
    EXPECT_EQ(Byte(5, 15), 0);
    EXPECT_TRUE(page.NumberListChanged);
    EXPECT_EQ(C(pagekey::ListWrite).color, kHoverButtonColor);
    EXPECT_EQ(C(pagekey::ListRead).color, kNormalButtonColor);

    page.SetZone(2);
    page.SetIn3Enabled(true);
    page.SetIn4Disabled(true);
    EXPECT_EQ(Byte(5, 15), 2 + 4 + 8);
    page.SetZone(0);  // "Everytime enabled" unticks and disables IN3
    EXPECT_FALSE(C(numkey::In3Enabled).checked);
    EXPECT_FALSE(C(numkey::In3Enabled).enabled);
    EXPECT_EQ(Byte(5, 15), 4);

    form.DeviceVersion = 85;  // old firmware: the rights byte is stored as 0
    page.SetBox(6, true);
    EXPECT_EQ(Byte(5, 14), 0);
    EXPECT_EQ(Byte(5, 15), 4);
}

TEST_F(NumberListTest, NumberEditsAreCutAndLeavingWarnsUntilWritten) {
    page.PageEntered();
    EXPECT_FALSE(C(linkctl::ReadButton).visible);
    EXPECT_EQ(page.EditNumber(3, "+363012345678901"), "+3630123456789");
    EXPECT_EQ(page.Grid().rows[3].number, "+3630123456789");
    EXPECT_EQ(C(numkey::NumberLabel).text, "Number: +3630123456789");
    page.PageLeft();
    EXPECT_TRUE(C(linkctl::SendButton).visible);
    ASSERT_EQ(view.messages, std::vector<std::string>{kNumberNotSavedText});

    page.PageEntered();  // showing the page clears the mark
    page.PageLeft();
    EXPECT_EQ(view.messages.size(), 1u);

    page.EditNumber(3, "1");
    page.StartWrite(commands);  // writing clears it as well
    page.PageLeft();
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(NumberListTest, WriteStoresNumbersAndLeavesTheRowBytes) {
    page.Grid().rows[1].number = "+3630123456789";  // 14 characters: 13 are stored
    page.Grid().rows[3].number = "123";
    Byte(1, 14) = 0x11;
    Byte(1, 15) = 0x02;
    Byte(2, 0) = '5';
    Byte(1001, 0) = '7';                        // past the grid: written as empty
    (*image)[ConfigImage::kNumberListEnd] = 0x44;  // past the list: untouched
    page.StartWrite(commands);

    const std::string stored(reinterpret_cast<const char*>(image->Data() + NumberListRowOffset(1)), 13);
    EXPECT_EQ(stored, "+363012345678");
    EXPECT_EQ(Byte(1, 13), 0xFF);
    EXPECT_EQ(Byte(1, 14), 0x11);
    EXPECT_EQ(Byte(1, 15), 0x02);
    EXPECT_EQ(Byte(2, 0), 0xFF);
    EXPECT_EQ(Byte(3, 3), 0xFF);
    EXPECT_EQ(Byte(1001, 0), 0xFF);
    EXPECT_EQ((*image)[ConfigImage::kNumberListEnd], 0x44);
    EXPECT_EQ(commands.calls, std::vector<std::string>{"list-write"});
    EXPECT_FALSE(C(pagekey::ListRead).enabled);
    EXPECT_FALSE(C(pagekey::SimWrite).enabled);
    EXPECT_FALSE(C(linkctl::SendButton).enabled);
    EXPECT_EQ(C(pagekey::ListWrite).color, kSelectedButtonColor);
}

TEST_F(NumberListTest, CopyToAllAndSearch) {
    page.Grid().rows[2].number = "111";
    page.Grid().rows[7].number = "2236";
    page.Grid().rows[9].number = "3636";
    form.DeviceVersion = 85;  // the copy ignores the firmware rule
    page.SelectRow(2);
    page.SetBox(3, true);
    page.SetZone(1);
    EXPECT_EQ(page.CopySettingsToAll(), 3);
    for (int row : {2, 7, 9}) {
        EXPECT_EQ(Byte(row, 14), 0x08) << row;
        EXPECT_EQ(Byte(row, 15), 0x01) << row;
    }
    EXPECT_EQ(Byte(3, 14), 0);

    EXPECT_EQ(page.Search("36"), 7);
    EXPECT_EQ(page.Grid().currentRow, 7);
    EXPECT_EQ(page.Search("999"), 0);
    EXPECT_EQ(page.Grid().currentRow, 7);
    EXPECT_EQ(page.Search(""), 1);
}

// ---------------------------------------------------------------- through the link

struct LinkHarness {
    Configurator form{"\\software\\GSM\\test"};
    ConfigImage image;
    RecordingView view;
    DeviceLink link{form, image, view};
    DeviceLinkCommands commands{link};
    NumberListPage page{form, image, view};
    devsim::DeviceModel device;
    std::deque<Bytes> replies;

    LinkHarness() {
        form.DeviceType = 'H';
        form.DeviceVersion = 93;
        form.StartAction = Configurator::kStartNothing;
        link.LinkOpen = true;
        link.Transport = [this](const uint8_t* p, int n) {
            Bytes r = device.Feed(Bytes(p, p + n));
            if (!r.empty()) replies.push_back(std::move(r));
        };
        AttachNumberList(link, page);
    }
    void RunToIdle() {
        for (int ticks = 0; ticks < 5000;) {
            if (!replies.empty()) {
                Bytes r = std::move(replies.front());
                replies.pop_front();
                link.ReplyBytes(r.data(), int(r.size()));
                continue;
            }
            if (link.TxCel == 0) return;
            link.AdasTimer();
            ++ticks;
        }
        FAIL() << "link still busy in state " << link.TxCel;
    }
};

TEST(NumberListLink, WrittenListReadsBack) {
    LinkHarness h;
    NumberListGrid& grid = h.page.Grid();
    grid.rows[1].number = "+36301234567";
    grid.rows[17].number = "555";
    grid.rows[1000].number = "1000";
    h.page.SelectRow(17);
    h.page.SetBox(4, true);  // row 17: "Open/Close" alone

    h.page.StartWrite(h.commands);
    EXPECT_EQ(h.link.TxCel, 116);
    h.RunToIdle();
    EXPECT_EQ(h.device.Read(0x361000), '5');
    EXPECT_EQ(h.device.Read(0x361000 + 14), 0x10);
    EXPECT_TRUE(h.form.Controls()[pagekey::ListRead].enabled);
    EXPECT_EQ(h.form.Controls()[pagekey::ListWrite].color, kNormalButtonColor);
    EXPECT_FALSE(h.page.NumberListChanged);

    // A record holding 14 characters without a terminator keeps its
    // number to those 14; the rights and zone bytes are not part of it.
    const Bytes full = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2', '3', '4', 0x01, 0x00};
    h.device.WriteRange(0x3600F0, full);  // row 16

    grid = NumberListGrid{};
    h.image.Clear();
    h.page.StartRead(h.commands);
    EXPECT_EQ(h.link.TxCel, 115);
    EXPECT_FALSE(h.form.Controls()[linkctl::ReadButton].enabled);
    h.RunToIdle();
    EXPECT_EQ(grid.rows[1].number, "+36301234567");
    EXPECT_EQ(grid.rows[17].number, "555");
    EXPECT_EQ(grid.rows[1000].number, "1000");
    EXPECT_EQ(grid.rows[16].number, "12345678901234");
    EXPECT_EQ(grid.rows[2].number, "");
    EXPECT_EQ(h.image[NumberListRowOffset(17) + 14], 0x10);
    EXPECT_EQ(grid.currentRow, 1);
    EXPECT_TRUE(h.form.Controls()[pagekey::SimRead].enabled);
    EXPECT_TRUE(h.form.Controls()[linkctl::SendButton].enabled);
    EXPECT_FALSE(h.form.Controls()[numkey::Progress].visible);
    EXPECT_EQ(h.form.Controls()[pagekey::ListRead].color, kHoverButtonColor);
}

}  // namespace
}  // namespace morvane
