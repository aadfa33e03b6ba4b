// The rules of the settings pages: what they change in the model (values,
// enabled states, captions), what they show or ask, and what they start.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/settings_values.h"
#include "app/view.h"
#include "config/config_image.h"
#include "config/page_rules.h"
#include "config/settings_codec.h"
#include "config/settings_model.h"
#include "devsim/devsim.h"
#include "link/link.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using Bytes = std::vector<uint8_t>;

class ScriptedView : public View {
public:
    std::vector<std::string> messages, questions;
    std::deque<std::optional<std::string>> prompts;  // answers in order; none left = cancel
    bool answer = false;
    void Message(const std::string& t) override { messages.push_back(t); }
    bool Confirm(const std::string& t) override {
        questions.push_back(t);
        return answer;
    }
    std::optional<std::string> Prompt(const std::string& title, const std::string& text, const std::string&) override {
        questions.push_back(title + ": " + text);
        if (prompts.empty()) return std::nullopt;
        auto a = prompts.front();
        prompts.pop_front();
        return a;
    }
};

struct FakeCommands : PageCommands {
    std::vector<std::string> calls;
    int State() const override { return 0; }
    void StartNumberListRead() override { calls.push_back("list-read"); }
    void StartNumberListWrite() override { calls.push_back("list-write"); }
    void StartPhonebookRead() override { calls.push_back("sim-read"); }
    void StartPhonebookWrite() override { calls.push_back("sim-write"); }
    void StartPstnSend() override { calls.push_back("pstn"); }
    void StartPcCodeChange(const std::string& o, const std::string& n) override { calls.push_back("pc " + o + "/" + n); }
};

class PageRulesTest : public ::testing::Test {
protected:
    Configurator form{"\\software\\GSM\\test"};
    SettingsModel model;
    ScriptedView view;
    PageRules rules{form, model, view};
    FakeCommands commands;

    PageRulesTest() { form.DeviceType = 'H'; }
    void Set(const std::string& key, int value) {
        model.SetValue(key, value);
        rules.ControlChanged(key);
    }
};

TEST_F(PageRulesTest, AccentWarningOncePerPageShow) {
    struct Step {
        const char* page;     // shown first, or null
        const char* textKey;  // the model text set (before the change event)
        const char* text;
        const char* changed;  // the control whose change runs the check
        bool warns;
    };
    const Step steps[] = {
        {nullptr, "riasztas", "abcé", "riasztas", true},
        {nullptr, "riasztas2", "á", "riasztas2", false},  // already shown
        {"Bemenet 2.", "riasztas2", "xá", "riasztas2", true},
        {"Tamper", "riasztas9", "í", "riasztas9", false},  // í is fine
        {"Tamper", "riasztas9", "", "riasztas9", false},
        {"Tamper", "riasztas5", "é", "riasztas5", false},  // speed text: input 4's text decides
        {"Tamper", "riasztas4", "abÓ", "riasztas5", true},
        {"Tamper", "riasztas9", "ű", "riasztas13", true},  // temperature text: tamper's decides
        {"Tamper", "riasztas10", "Ü", "Edit18", true},     // closing text: power's decides
        {"Tamper", "Edit8", "Visszaallas:ő", "Edit8", true},
        {"Tamper", "Edit2", "é", "Edit2", false},  // customer data is no SMS text
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.changed) + " " + s.text);
        if (s.page) rules.PageShown(s.page);
        view.messages.clear();
        model.SetText(s.textKey, s.text);
        rules.ControlChanged(s.changed);
        EXPECT_EQ(view.messages, s.warns ? std::vector<std::string>{kAccentWarningText} : std::vector<std::string>{});
        EXPECT_EQ(model.Text(s.textKey), s.text);  // the text stays as typed
    }
}

TEST_F(PageRulesTest, RecipientListsFollowThePhoneNumbers) {
    model.SetText("MaskEdit1", "+3630111");
    model.SetText("MaskEdit2", " 123");  // first position blank: not set
    struct Case {
        int type;
        const char* list;
        const char* item0;
        const char* item1;
        const char* item4;
    };
    const Case cases[] = {
        {'P', "SMSst1", "+3630111", "Phone2", ""},
        {'P', "VOICEst9", "+3630111", "Phone2", ""},
        {'P', "SMSst11", "+3630111", "Phone2", ""},
        {'P', "SMSst3", "+3630111", "Phone2", "Phone5"},
        {'H', "SMSst1", "+3630111", "Phone2", "Phone5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, char(c.type)) + c.list);
        form.DeviceType = c.type;
        rules.AccentWarningShown = true;
        rules.PageShown("Bemenet 1.");
        const SettingControl& l = model.At(c.list);
        ASSERT_EQ(l.items.size(), 8u);
        EXPECT_EQ(l.items[0], c.item0);
        EXPECT_EQ(l.items[1], c.item1);
        EXPECT_EQ(l.items[4], c.item4);
        EXPECT_EQ(l.itemEnabled, 0x01);
        EXPECT_FALSE(rules.AccentWarningShown);
    }
    EXPECT_EQ(form.Controls()["SMSst7"].items[0], "+3630111");

    // "Egyéb": the forwarding target keeps its selection over the new captions.
    model.SetValue("ComboBox11", 2);
    model.SetValue("ComboBox15", 1);
    rules.PageShown("Egyéb");
    EXPECT_EQ(model.At("ComboBox11").items[0], "+3630111");
    EXPECT_EQ(model.Value("ComboBox11"), 2);
    EXPECT_EQ(model.ForwardingTarget, 2);
    EXPECT_TRUE(model.Enabled("CheckBox12"));
}

TEST_F(PageRulesTest, TypeChoicesAndDependentControls) {
    struct SetStep {
        const char* key;
        int value;
        bool rule = true;  // false: set without the change event
    };
    struct Case {
        int type;
        std::vector<SetStep> steps;
        const char* key;
        int value;    // expected value, or -99 when not checked
        int enabled;  // expected enabled state, or -1 when not checked
    };
    const Case cases[] = {
        {'P', {{"ComboBox1", 3}}, "ComboBox1", 0, -1},
        {'P', {{"ComboBox1", 3}}, "SMSst1", -99, 0},
        {'H', {{"ComboBox1", 3}}, "ComboBox1", 3, -1},
        {'H', {{"ComboBox1", 0}}, "VOICEst1", -99, 0},
        {'H', {{"ComboBox3", 0}}, "VOICEst3", -99, 0},
        {'H', {{"ComboBox5", 2}}, "SMSst5", -99, 1},
        {'H', {{"ComboBox9", 0}}, "SMSst9", -99, 0},
        {'P', {{"ComboBox17", 8}}, "ComboBox17", 6, -1},
        {'P', {{"ComboBox16", 9}}, "ComboBox16", 7, -1},
        {'H', {{"ComboBox16", 9}}, "ComboBox16", 9, -1},
        {'H', {{"ComboBox4", 0, false}, {"ComboBox18", 1}}, "SMSst4", -99, 0},
        {'H', {{"ComboBox10", 0, false}, {"ComboBox20", 3}}, "VOICEst10", -99, 0},
        {'H', {{"ComboBox13", 0}}, "hkompmin", -99, 0},
        {'H', {{"ComboBox13", 0}}, "SpinEdit6", -99, 0},
        {'H', {{"hkompmax", 1}}, "SpinEdit6", -99, 1},
        {'H', {{"CheckBox11", 1}}, "SpinEdit3", -99, 1},
        {'H', {{"CheckEgyeb2", 1}}, "ComboBox11", -99, 1},
        {'H', {{"AUTOCLOSE", 1}}, "SpinEdit20", -99, 1},
        {'H', {{"AUTOCLOSE", 1}, {"AUTOCLOSE", 0}}, "SpinEdit20", -99, 0},
        {'H', {{"ComboBox15", 1}}, "jammerKI2", -99, 0},
        {'H', {{"ComboBox15", 1}}, "CheckBox12", -99, 1},
        {'H', {{"ComboBox15", 1}}, "CheckBox2", -99, 0},
        {'H', {{"ComboBox15", 2}}, "CheckBox2", -99, 1},
        {'H', {{"ComboBox15", 1}, {"ComboBox15", 0}}, "jammerKI2", -99, 1},
        {'H', {{"CheckBox1KI2", 1}}, "CheckBox3KI2", -99, 1},
        {'H', {{"CheckBox1KI1", 0}}, "CheckBox3KI1", -99, 0},
        {'P', {{"ComboKi1", 4}}, "ComboKi1", 0, -1},
        {'H', {{"ComboKi1", 4}}, "ComboKi1", 4, -1},
        {'H', {{"ComboKi2", 1}}, "SpinKI2", -99, 0},
        {'H', {{"ComboKi2", 1}, {"ComboKi2", 3}}, "KI2SECMIN", -99, 0},  // other types leave them
        {'H', {{"ComboKi1", 0}}, "KI1SECMIN", -99, 1},
        {'H', {{"SMSst16", 3}}, "CheckBox11", 1, -1},  // a recipient click switches the heartbeat on
        {'H', {{"SMSst16", 3}}, "SpinEdit1", -99, 1},
    };
    for (const Case& c : cases) {
        model.ResetToDesign();
        form.DeviceType = c.type;
        std::string trace(1, char(c.type));
        for (const SetStep& s : c.steps) {
            trace += std::string(" ") + s.key + "=" + std::to_string(s.value);
            if (s.rule) Set(s.key, s.value);
            else model.SetValue(s.key, s.value);
        }
        SCOPED_TRACE(trace + " -> " + c.key);
        if (c.value != -99) {
            EXPECT_EQ(model.Value(c.key), c.value);
        }
        if (c.enabled != -1) {
            EXPECT_EQ(model.Enabled(c.key), c.enabled == 1);
        }
    }
}

TEST_F(PageRulesTest, PanelTypeHidesTheOtherOutputs) {
    Set("ComboBox15", 1);
    for (const char* p : {"page:OUT2", "page:OUT3", "page:OUT4"}) EXPECT_FALSE(form.Controls()[p].visible) << p;
    Set("ComboBox15", 0);
    EXPECT_TRUE(form.Controls()["page:OUT4"].visible);
}

TEST_F(PageRulesTest, OutputTimeFollowsTheUnit) {
    struct Step {
        const char* key;
        int value;
        int shown;  // SpinKIn afterwards
        int seconds;  // OutputTime afterwards
    };
    struct Case {
        int n;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {1, {{"KI1SECMIN", 1, 1, 60}, {"KI1SECMIN", 0, 60, 60}}},
        {2, {{"SpinKI2", 90, 90, 90}, {"KI2SECMIN", 1, 1, 60}}},
        {3, {{"SpinKI3", 150, 150, 150}, {"KI3SECMIN", 1, 2, 120}, {"SpinKI3", 5, 5, 300}, {"KI3SECMIN", 0, 300, 300}}},
        {4, {{"KI4SECMIN", 1, 1, 60}, {"SpinKI4", 2000, 1092, 65520}}},  // minutes stop at 1092
    };
    for (const Case& c : cases) {
        model.ResetToDesign();
        const std::string spin = "SpinKI" + std::to_string(c.n);
        for (const Step& s : c.steps) {
            SCOPED_TRACE(std::string(s.key) + "=" + std::to_string(s.value));
            Set(s.key, s.value);
            EXPECT_EQ(model.Value(spin), s.shown);
            EXPECT_EQ(model.OutputTime[size_t(c.n - 1)], s.seconds);
        }
    }
}

TEST_F(PageRulesTest, OtherPageChecksAndSmallEdits) {
    struct Case {
        const char* code;
        bool warns;
    };
    for (const Case& c : {Case{"5382", false}, Case{"538", true}, Case{"53820", true}, Case{"", true}}) {
        view.messages.clear();
        model.SetText("Edit1", c.code);
        rules.PageLeft("Egyéb");
        EXPECT_EQ(view.messages.size(), c.warns ? 1u : 0u) << c.code;
        if (c.warns) {
            EXPECT_EQ(view.messages[0], kSecurityPinText);
        }
    }
    view.messages.clear();
    rules.PageLeft("Tápmonitor");
    EXPECT_TRUE(view.messages.empty());

    model.SetText("Edit12", "Árvíz ");  // characters, not bytes
    rules.ControlChanged("Edit12");
    EXPECT_EQ(form.Controls()[pagekey::HeaderLeftLabel].text, "114");

    model.SetText("MaskEdit4", "123456");
    EXPECT_TRUE(rules.PhoneMenu(4, "+3620"));
    EXPECT_EQ(model.Text("MaskEdit4"), "+3620           ");
    EXPECT_TRUE(rules.PhoneMenu(4, "Delete"));
    EXPECT_FALSE(model.PhoneSet(4));
    EXPECT_FALSE(rules.PhoneMenu(4, "Copy"));
}

TEST_F(PageRulesTest, EndpointPresetAndMemoryLoad) {
    Set("ComboBox14", 1);
    EXPECT_EQ(model.Text("Edit10"), ServiceEndpointPreset::kHost);
    EXPECT_EQ(model.Text("Edit11"), ServiceEndpointPreset::kAddress);
    Set("ComboBox14", 0);
    EXPECT_EQ(model.Text("Edit10"), "");

    form.LanguageCode = "1";
    rules.MemoryLoad();
    EXPECT_EQ(model.Text("Edit11"), ServiceEndpointPreset::kAddress);
    EXPECT_EQ(model.Cid.zones[1].code, "01001");
    EXPECT_EQ(model.Cid.zones[21].code, "?????");
    EXPECT_EQ(model.Cid.events[1].code, "E130");
    EXPECT_EQ(model.Cid.events[46].code, "E381");
}

TEST_F(PageRulesTest, ExitQuestion) {
    struct Case {
        int txCel;
        bool confirmOff, answer, closes;
        const char* asked;  // null: nothing asked
    };
    const Case cases[] = {
        {0, false, true, true, kExitQuestion},
        {0, false, false, false, kExitQuestion},
        {0, true, false, true, nullptr},
        {115, true, false, false, kBusyExitQuestion},  // asked even with confirmations off
        {115, false, true, true, kBusyExitQuestion},
    };
    for (const Case& c : cases) {
        view.questions.clear();
        view.answer = c.answer;
        form.ConfirmOff = c.confirmOff;
        EXPECT_EQ(rules.MayClose(c.txCel), c.closes) << c.txCel << c.confirmOff;
        EXPECT_EQ(view.questions, c.asked ? std::vector<std::string>{c.asked} : std::vector<std::string>{});
    }
}

TEST_F(PageRulesTest, PcCodePrompts) {
    using Answers = std::vector<std::optional<std::string>>;
    const std::string longCode(31, '7');
    struct Case {
        Answers answers;
        std::vector<std::string> messages;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {{"old", "1234", "1234"}, {}, {"pc old/1234"}},
        {{"old", "1234", "1243"}, {kPcCodeBadRepeatText}, {}},
        {{"", longCode, longCode}, {kPcCodeTooLongText}, {"pc /" + longCode}},
        {{"old", "1234", std::nullopt}, {}, {}},  // cancelled: nothing is sent
        {{std::nullopt}, {}, {}},
    };
    for (const Case& c : cases) {
        view.messages.clear();
        commands.calls.clear();
        view.prompts.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(rules.ChangePcCode(commands), !c.calls.empty());
        EXPECT_EQ(view.messages, c.messages);
        EXPECT_EQ(commands.calls, c.calls);
    }
    view.questions.clear();
    view.prompts = {"a", "b", "b"};
    rules.ChangePcCode(commands);
    EXPECT_EQ(view.questions, (std::vector<std::string>{std::string(kPcCodeTitle) + ": " + kPcCodeOldPrompt,
                                                        std::string(kPcCodeTitle) + ": " + kPcCodeNewPrompt,
                                                        std::string(kPcCodeTitle) + ": " + kPcCodeRepeatPrompt}));
}

TEST_F(PageRulesTest, OptionsAreStoredInTheSettings) {
    test::TempDir dir;
    test::ScopedEnv env("MORVANE_SETTINGS", dir.File("settings.ini"));
    rules.SetConfirmOff(true);
    EXPECT_TRUE(Settings::ConfirmOff());
    EXPECT_TRUE(form.ConfirmOff);
    EXPECT_TRUE(form.Controls()[pagekey::ConfirmMenu].checked);
    rules.SetConfirmOff(false);
    EXPECT_EQ(Settings::Raw(setting::Confirm), "0");
    EXPECT_FALSE(form.ConfirmOff);

    rules.SetContactIdOption(false);
    EXPECT_EQ(Settings::Raw(setting::ContactIdSend), "0");
    EXPECT_FALSE(form.Controls()[pagekey::ContactIdOption].checked);
    rules.SetContactIdOption(true);
    EXPECT_TRUE(Settings::ContactIdSend());

    EXPECT_TRUE(rules.ToggleTopMenu());
    EXPECT_TRUE(form.Controls()[pagekey::TopMenu].checked);
    EXPECT_FALSE(rules.ToggleTopMenu());
}

TEST_F(PageRulesTest, PhonebookButtons) {
    PhonebookGrid grid;
    for (int r = 0; r < grid.RowCount(); ++r) grid.rows[size_t(r)] = {"S", std::to_string(r), "n"};
    rules.PhonebookWrite(commands);
    EXPECT_EQ(grid.rows[3].number, "3");
    rules.PhonebookRead(grid, commands);
    EXPECT_EQ(grid.rows[0].number, "0");  // the header row stays
    EXPECT_EQ(grid.rows[10], PhonebookRow{});
    EXPECT_EQ(commands.calls, (std::vector<std::string>{"sim-write", "sim-read"}));
    for (const char* k : {linkctl::ReadButton, linkctl::SendButton, pagekey::SimRead, pagekey::SimWrite,
                          pagekey::ListRead, pagekey::ListWrite})
        EXPECT_FALSE(form.Controls()[k].enabled) << k;
    EXPECT_TRUE(form.Controls()[pagekey::SimProgress].visible);
}

// "PSTN send" against the simulated device in the same process: only the
// two gains change in the device, then the clock is set.
TEST(PstnSend, WritesTheTwoGainsThenTheClock) {
    Configurator form{"\\software\\GSM\\test"};
    form.DeviceType = 'H';
    form.DeviceVersion = 93;
    auto image = std::make_unique<ConfigImage>();
    RecordingView view;
    DeviceLink link{form, *image, view};
    SettingsModel model;
    PageRules rules{form, model, view};
    DeviceLinkCommands commands{link};
    devsim::DeviceModel device;
    const Bytes before = device.ReadRange(0, ConfigImage::kConfigAreaSize);
    std::deque<Bytes> replies;
    std::vector<Bytes> sent;
    link.LinkOpen = true;
    link.Transport = [&](const uint8_t* p, int n) {
        sent.emplace_back(p, p + n);
        Bytes r = device.Feed(sent.back());
        if (!r.empty()) replies.push_back(std::move(r));
    };

    model.SetValue("SpinEdit11", 21);
    model.SetValue("SpinEdit12", 33);
    CodecContext ctx;
    ctx.deviceType = 'H';
    ctx.deviceVersion = 93;
    rules.PstnSend(*image, ctx, commands);
    EXPECT_TRUE(link.ShortWriteFlag);
    EXPECT_EQ(link.ProgressMax, 2);
    EXPECT_FALSE(form.Controls()[linkctl::SendButton].enabled);
    EXPECT_EQ((*image)[94], 21);  // the pages went into the image
    EXPECT_EQ((*image)[95], 33);

    bool clock = false;
    for (int ticks = 0; ticks < 2000 && (link.TxCel != 0 || !replies.empty());) {
        if (link.TxCel == 210) clock = true;
        if (!replies.empty()) {
            Bytes r = std::move(replies.front());
            replies.pop_front();
            link.ReplyBytes(r.data(), int(r.size()));
            continue;
        }
        link.AdasTimer();
        ++ticks;
    }
    EXPECT_EQ(link.TxCel, 0);
    EXPECT_TRUE(clock);
    EXPECT_FALSE(link.ShortWriteFlag);
    const Bytes after = device.ReadRange(0, ConfigImage::kConfigAreaSize);
    for (size_t i = 0; i < after.size(); ++i) {
        const uint8_t expected = i == 94 ? 21 : i == 95 ? 33 : before[i];
        EXPECT_EQ(after[i], expected) << "byte " << i;
    }
}

}  // namespace
}  // namespace morvane
