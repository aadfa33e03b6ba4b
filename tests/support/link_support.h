#pragma once
// A configurator link as the tests drive it: the hand-over state of a
// detected device, its image, a recording view and the link on a port.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/configurator.h"
#include "app/poll_loop.h"
#include "app/view.h"
#include "config/config_image.h"
#include "devsim/devsim.h"
#include "link/link.h"

namespace morvane::test {

struct LinkForm {
    Configurator form{"\\software\\GSM\\test"};
    ConfigImage image;
    RecordingView view;
    DeviceLink link{form, image, view};
    LinkForm(int type, int version, const std::string& port) {
        form.DeviceType = type;
        form.DeviceVersion = version;
        form.StartAction = Configurator::kStartNothing;
        form.PortHandedOver = true;
        link.PortOverride = port;
    }
};

// A link form on one side of a pseudo-terminal and the simulated device on
// the other, hosted by PollLoop as the command-line tool does. Check
// `started` (reason in `error`) before use; the end unhooks and stops.
struct PtyLinkForm {
    devsim::PtyDevice device;
    std::string error;
    bool started;
    LinkForm f;
    PollLoop loop;
    PtyLinkForm(devsim::DeviceModel& model, int type, int version, int baud = 0)
        : device(model, baud), started(device.Start(&error)), f(type, version, device.SlavePath()) {
        loop.AddTimer(f.link.Adas());
        loop.AddPort(f.link.Port());
    }
    ~PtyLinkForm() {
        loop.RemovePort(f.link.Port());
        loop.RemoveTimer(f.link.Adas());
        device.Stop();
    }
};

// The transfer phases as seen on the wire.
inline std::vector<TransferPhase> Phases(const std::vector<devsim::Bytes>& sent) {
    std::vector<TransferPhase> phases;
    for (const devsim::Bytes& r : sent) {
        int state = 0, unit = 0;
        const int c = r[1];
        if (c == 0xF7) {
            unit = r[2] | r[3] << 8;
            state = unit < 0x100 ? 110 : unit < 0x3480 ? 112 : 114;
        } else if (c == 0xF6 && r.size() == 262) {
            unit = r[2] << 8 | r[3];
            state = unit < 0x100 ? 111 : unit < 0x3480 ? 102 : 104;
        } else if (c == 0x00 && r.size() == 6) {
            state = 100, unit = r[0] << 8 | r[2];
        } else if (c == 0x01) {
            state = 101, unit = r[0] << 8 | r[2];
        } else if (c == 0x40) {
            state = 103, unit = r[2];
        } else if (c == 0xFC) {
            state = 210;
        } else {
            ADD_FAILURE() << "unexpected request " << devsim::Hex(r);
            continue;
        }
        if (phases.empty() || phases.back().txCel != state) phases.push_back({state, {}});
        if (state != 210) phases.back().units.push_back(unit);
    }
    return phases;
}

}  // namespace morvane::test
