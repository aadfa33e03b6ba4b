#include <gtest/gtest.h>

#include "app/device_types.h"
#include "app/startup.h"

namespace morvane {
namespace {

struct TypeRow {
    int letter;
    const char* filter;
    bool known;
    int deviceType;
    int configuratorType;
    const char* text;
    StartWindow window;
};

TEST(DeviceTypes, TableOfLetters) {
    const TypeRow rows[] = {
        {'H', "0", true, 'H', 'H', "Tarvex GSM", StartWindow::DoorOrConfigurator},
        {'N', "0", true, 'N', 'N', "Tarvex GSM 4G", StartWindow::DoorOrConfigurator},
        {'I', "0", true, 'I', 'I', "Zelbrin GSM", StartWindow::DoorOrConfigurator},
        {'J', "0", true, 'J', 'J', "Quendor GSM", StartWindow::Configurator},
        {'Q', "0", true, 'Q', 'Q', "Quendor GSM_4G", StartWindow::Configurator},
        {'K', "0", true, 'K', 'K', "Halvoret GSM", StartWindow::DoorPhone},
        {'O', "0", true, 'O', 'O', "Halvoret GSM 4G", StartWindow::DoorPhone},
        {'L', "0", true, 'L', 'L', "Tessaly GPS", StartWindow::Configurator},
        {'P', "0", true, 'P', 'P', "Pomerand 4G", StartWindow::Configurator},
        {'>', "0", true, '>', '>', "VUZ-AD8", StartWindow::Extension},
        {'d', "0", true, 'd', 'd', "WiFi-Gate-1", StartWindow::None},
        {'e', "0", true, 'd', 'd', "WiFi-Gate-2", StartWindow::None},
        {'G', "ALL", true, 'H', 'G', "Ostrel", StartWindow::DoorOrConfigurator},
        {'G', "0", false, 0, 0, "", StartWindow::None},
        {'G', "all", false, 0, 0, "", StartWindow::None},
        {'F', "ALL", false, 0, 0, "", StartWindow::None},
        {0, "0", false, 0, 0, "", StartWindow::None},
    };
    for (const TypeRow& r : rows) {
        SCOPED_TRACE(std::string("letter ") + static_cast<char>(r.letter) + " filter " + r.filter);
        auto info = LookupDeviceType(r.letter, ProductNames, r.filter);
        ASSERT_EQ(info.has_value(), r.known);
        if (!r.known) continue;
        EXPECT_EQ(info->deviceType, r.deviceType);
        EXPECT_EQ(info->configuratorType, r.configuratorType);
        EXPECT_EQ(info->productText, r.text);
        EXPECT_EQ(info->window, r.window);
        // Start opens a window exactly for the types that offer it.
        EXPECT_EQ(StartOpensWindow(info->deviceType), r.window != StartWindow::None);
    }
    EXPECT_EQ(LookupDeviceType('G', ProductNames, "ALL")->firstText, "Ostrel module!");
}

TEST(DeviceTypes, FourGSuffixOfTarvexIsAddedOnce) {
    ProductNameList names = ProductNames;
    names[0] = "Tarvex GSM 4G";
    EXPECT_EQ(ProductTextFor('N', names), "Tarvex GSM 4G");
    names[0] = "Tarvex GSM 4GX";
    EXPECT_EQ(ProductTextFor('N', names), "Tarvex GSM 4GX 4G");
    // The suffix belongs to the 'N' text only: the Tarvex name itself is unchanged.
    EXPECT_EQ(ProductTextFor('H', ProductNames), "Tarvex GSM");
}

TEST(DeviceTypes, WindowClassPerTypeAndDoorBox) {
    struct Row {
        int type;
        bool door;
        const char* window;
    } rows[] = {
        {'H', false, "TQ7Form1"}, {'H', true, "Tdoor"},     {'N', true, "Tdoor"},    {'I', true, "Tdoor"},
        {'J', true, "TQ7Form1"},  {'Q', false, "TQ7Form1"}, {'K', false, "TDPhone1"}, {'O', true, "TDPhone1"},
        {'>', false, "TQ7IO8"},   {'L', true, "TQ7Form1"},  {'F', false, "TQ7Form1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(1, static_cast<char>(r.type)) + (r.door ? " door" : ""));
        EXPECT_EQ(WindowClassFor(r.type, r.door), r.window);
    }
}

}  // namespace
}  // namespace morvane
