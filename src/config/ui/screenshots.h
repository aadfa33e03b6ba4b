#pragma once
// Screen images of the program for one device type: the launcher with the
// device detected and every page and sub-page of the configurator as it is
// shaped for that type and firmware version, one PNG file each.
#include <string>
#include <vector>

namespace morvane {

class Program;

struct ScreenshotResult {
    std::vector<std::string> files;  // written, in page order
    std::string error;               // empty on success
};

// File name of a view: the captions from the main page down, joined by "-",
// with accents dropped and other characters outside [A-Za-z0-9.+] as "_".
std::string ScreenshotFileName(const std::vector<std::string>& captions);

// Shapes the program's windows for the device type letter and firmware
// version (as a start without a device would) and writes the images into dir
// (created when missing). The windows are rendered off the screen.
ScreenshotResult WriteScreenshots(Program& program, const std::string& dir, int deviceType, int version);

}  // namespace morvane
