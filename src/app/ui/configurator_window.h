#pragma once
// The configurator window (TQ7Form1) lives beside the settings pages it shows.
#include "config/ui/configurator_window.h"
