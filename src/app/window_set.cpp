#include "app/window_set.h"

namespace morvane {

namespace {

constexpr std::array<WindowInfo, WindowCount> kWindows = {{
    {1, "TForm1", "GSM read", "launcher, main window", "the runtime, at start"},
    {2, "TForm8", "Keresés... GSM.", "device-search splash with product panels and language LEDs",
     "no path opens it"},
    {3, "TForm7", "", "jet-ski unit configurator", "launcher button Button1 (not visible)"},
    {4, "TForm2", "Form2",
     "chooser of older sibling products (8-input GPRS module with line simulator, monitoring-receiver "
     "converter, jet-ski program, rally setter) with a \"Program inditás\" panel",
     "sibling editors"},
    {5, "TForm3", "Form3", "progress gauge titled \"Olvasás\" (reading)", "sibling editors"},
    {6, "TForm4", "ContactID_SMS konfigurátor", "Contact ID / SMS configurator with its own serial port",
     "none"},
    {7, "TForm5", "Konverter", "GPRS/LAN converter configurator", "sibling editors"},
    {8, "TForm6", "Form6", "converter user guide texts and a \"TELNET mode\" button", "converter configurator"},
    {9, "TrajzGPS14", "rajzGPS14", "GPS drawing picture with an exit button", "rally configurator"},
    {10, "Trallymain", "ZARIR konfigurációs lap", "rally GPS configurator",
     "none (the launcher only resets one of its fields)"},
    {11, "TQ7Form1", "Morvane Firmware:",
     "the configurator: device link, configuration image, settings pages, maintenance",
     "launcher, after detection or a try button"},
    {12, "TQ7Form2", "Modul állapot", "module status window", "configurator menu"},
    {13, "Tcomprt", "comprt", "COM port chooser", "only from window 2"},
    {14, "TForm10", "Language/nyelv",
     "language chooser with four flag pictures (Hungarian, English, German, Italian)", "no path opens it"},
    {15, "TQ7Form3", "Monitor", "monitor of the device's AT/terminal traffic, clear and save to file",
     "configurator menu"},
    {16, "TQ7Form4", "Bekötési rajz", "wiring diagram pictures per product and language", "configurator menu"},
    {17, "Tq7Form5", "q7Form5", "event log window with a grid, \"Export CSV\" and stop-reading buttons",
     "configurator menu"},
    {18, "TQ7Form6", "Karb", "GSM signal strength history chart", "configurator menu \"Térerő\""},
    {19, "TQ7Form7", "Képernyőfelbontás", "window size choice (600 x 480 up to 1600 x 1280)",
     "configurator menu"},
    {20, "TQ7Form8", "Kapcsolat", "seller contact text", "configurator menu"},
    {21, "TFirmware", "Firmware", "holder of the built-in firmware images and the image buffer; never shown",
     "none"},
    {22, "TQ7Form9", "", "firmware download progress window", "configurator menu"},
    {23, "TQ7Form10", "Q7Form10",
     "GSM module information (network, module software, jammer detect, IMEI, SIM number, SMS service "
     "number, network type)",
     "configurator menu"},
    {24, "TDPhone1", "9", "door-phone editor", "launcher, for Halvoret devices"},
    {25, "TtestGSM", "testGSM", "GSM test bench", "configurator menu"},
    {26, "TSMSk", "SMSk", "SMS centre number with operator presets", "configurator menu"},
    {27, "TForm11", "Form11", "store of seller logo pictures", "none (pictures only)"},
    {28, "TMESS1", "MESS1", "\"Lekérés folyamatban, kérem várjon\" (request in progress) message with a memo",
     "configurator"},
    {29, "Tdoor", "door", "door (gate) controller editor", "launcher, when the \"door\" box is ticked"},
    {30, "TQ7Form11", "BUS panel", "BUS panel (16 channels)", "configurator menu"},
    {31, "Tdoor2", "door2", "door controller, notification numbers and SMS texts", "door editor"},
    {32, "TQ7IO8", "Q7IO8", "eight-output extension editor", "launcher, for the extension module"},
    {33, "TQ7BUS2", "Q7BUS2", "BUS module channel editor", "BUS panel"},
    {34, "TWifi", "WiFi/BT Controller", "WiFi and Bluetooth controller settings", "launcher button \"WiFi set\""},
    {35, "TUSBset", "USBset", "virtual COM port choice (\"Virtuális COM:\", \"Mentés\")",
     "launcher button \"USB connection\""},
    {36, "Tuserpass", "userpass", "relay account (user, password, place)", "launcher, Internet connection"},
    {37, "THELPweb", "HELPweb", "embedded web browser for help pages", "configurator menu"},
}};

}  // namespace

const std::array<WindowInfo, WindowCount>& WindowSet() { return kWindows; }

const WindowInfo* FindWindowInfo(std::string_view className) {
    for (const WindowInfo& w : kWindows)
        if (w.className == className) return &w;
    return nullptr;
}

}  // namespace morvane
