#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "testing/x11/XWindowProbe.h"

namespace melvora::testing {

// The real mouse and keyboard of a test's X server (through xdotool) and its screen (through
// ImageMagick's import), in screen coordinates.
class DesktopInput {
public:
    explicit DesktopInput(std::string displayName) : m_displayName(std::move(displayName)) {}

    // Moves the pointer there and clicks the left button `count` times in quick succession
    // (2 makes a double-click, 3 a triple-click). False when xdotool fails.
    bool Click(int32_t x, int32_t y, int count = 1) const;
    // Types `text` into the window that has the keyboard focus.
    bool Type(const std::string& text) const;
    // Presses and releases one key, named as xdotool names them ("Return", "Down").
    bool Key(const std::string& keyName) const;

    // Saves `area` of the screen as a PNG file, making its folder when needed.
    bool SaveScreenshot(const ScreenRect& area, const std::filesystem::path& pngFile) const;
    // The grey levels (0 black, 255 white) of the pixels of one column of the screen, from
    // (x, top) downwards; `scratchFile` holds them on the way. Empty when the capture fails.
    std::vector<uint8_t> GreyColumn(int32_t x, int32_t top, int32_t height,
                                    const std::filesystem::path& scratchFile) const;

private:
    bool Run(std::vector<std::string> arguments) const;

    std::string m_displayName;
};

}  // namespace melvora::testing
