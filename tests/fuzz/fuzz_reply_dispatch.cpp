// Random byte streams into the link's receive handler, in every request state.
//
// Input layout:
//   bytes 0-1  the request state: with the top bit set the low 15 bits are
//              taken as the state itself, otherwise they pick one of the
//              states the link knows
//   byte 2     device type (index into the type letters)
//   byte 3     firmware number
//   byte 4     flags: connection type (bits 0-1), Contact ID option off (2),
//              status reads (3), read after the version answer (4), 4800 baud
//              (5), short write (6), clock only (7)
//   then       chunks: a size byte and that many bytes; size 0 stands for a
//              link-timer expiry (the request of the state is sent again)
//
// The link runs without a port: its Transport discards what it sends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "app/configurator.h"
#include "app/view.h"
#include "config/config_image.h"
#include "link/link.h"

namespace {

using namespace morvane;

constexpr int kStates[] = {
    0,    5,    10,   20,   21,   70,   80,   81,   82,   98,   99,   100,  101,  102,  103,  104,
    110,  111,  112,  114,  115,  116,  120,  121,  130,  140,  180,  181,  190,  200,  202,  210,
    402,  403,  407,  408,  409,  499,  500,  501,  510,  600,  601,  602,  1000, 1001, 1010, 1011,
    1099, 1100, 1110, 1111, 1112, 8988, 8991, 9000, 9008, 9015, 9016, 10001, 100000,
};
constexpr char kTypes[] = "GHIJKLNOPQdF";

// The image is 4 MiB; one copy serves every run (its content does not
// decide where the handler writes).
ConfigImage& SharedImage() {
    static ConfigImage image;
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Keep the user's settings out of reach.
    setenv("MORVANE_SETTINGS", "/tmp/morvane-fuzz-settings.ini", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const unsigned sel = unsigned(data[0]) << 8 | data[1];
    const int state = (sel & 0x8000) ? int(sel & 0x7FFF) : kStates[sel % std::size(kStates)];
    const uint8_t flags = data[4];

    Configurator form("\\software\\GSM\\fuzz");
    form.DeviceType = kTypes[data[2] % (sizeof kTypes - 1)];
    form.DeviceVersion = data[3];
    form.ConnectionType = (flags & 3) == 3 ? 0 : flags & 3;
    form.Use4800Baud = (flags & 0x20) != 0;
    form.StartAction = (flags & 0x10) ? Configurator::kStartRead : Configurator::kStartNothing;
    form.PortHandedOver = true;
    RecordingView view;
    DeviceLink link(form, SharedImage(), view);
    link.Transport = [](const uint8_t*, int) {};
    link.OnRelaySend = [](const std::string&) {};
    link.OnFrameReply = [](int, const uint8_t* f) { return (f[3] & 1) != 0; };
    link.OnBlockReply = [](int, const uint8_t*) {};
    if (flags & 4) form.Controls()[linkctl::ContactIdOption].checked = false;
    link.StatusReadFlag = (flags & 8) != 0;
    link.ShortWriteFlag = (flags & 0x40) != 0;
    link.ClockOnlyFlag = (flags & 0x80) != 0;
    link.LinkOpen = true;

    // The state's request goes out first, as the sequencer would have sent it.
    link.TxCel = state;
    link.SequencerStep();
    if (link.TxCel == 0) link.TxCel = state;  // a state that sends once and idles still gets the bytes

    size_t at = 5;
    while (at < size) {
        const size_t want = data[at++];
        if (want == 0) {
            if (link.TxCel != 130 && link.TxCel != 403) link.RxCount = 0;
            link.SequencerStep();
            continue;
        }
        const size_t n = std::min(want, size - at);
        link.ReplyBytes(data + at, int(n));
        at += n;
    }
    return 0;
}
