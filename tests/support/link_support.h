#pragma once
// A configurator link as the tests drive it: the hand-over state of a
// detected device, its image, a recording view and the link on a port.
#include <string>

#include "app/configurator.h"
#include "app/view.h"
#include "config/config_image.h"
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

}  // namespace morvane::test
