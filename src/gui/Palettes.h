#pragma once

// A dark palette for the Fusion style, as desktops with a dark theme give it: the pictures of
// tools/screenshots and the widget tests show the windows in it.

#include <QPalette>

QPalette DarkFusionPalette();
