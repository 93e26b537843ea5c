#include "e2e/DesktopInput.h"

#include <chrono>
#include <fstream>
#include <iterator>

#include "testing/x11/ChildProcess.h"

namespace melvora::testing {

namespace {

// Generous: a tool that hangs fails the step instead of the whole run.
constexpr auto kToolLimit = std::chrono::seconds(30);

std::string CropGeometry(const ScreenRect& area) {
    return std::to_string(area.width) + "x" + std::to_string(area.height) + "+" +
           std::to_string(area.x) + "+" + std::to_string(area.y);
}

}  // namespace

bool DesktopInput::Run(std::vector<std::string> arguments) const {
    auto tool = ChildProcess::Start({.arguments = std::move(arguments),
                                     .environment = {{"DISPLAY", m_displayName}},
                                     .silent = true});
    return tool && tool->WaitForExit(kToolLimit) == 0;
}

bool DesktopInput::Click(int32_t x, int32_t y, int count) const {
    // Clicks 80 ms apart count as one double- or triple-click for every toolkit.
    return Run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click",
                "--repeat", std::to_string(count), "--delay", "80", "1"});
}

bool DesktopInput::Type(const std::string& text) const {
    return Run({"xdotool", "type", "--delay", "30", text});
}

bool DesktopInput::Key(const std::string& keyName) const {
    return Run({"xdotool", "key", keyName});
}

bool DesktopInput::SaveScreenshot(const ScreenRect& area,
                                  const std::filesystem::path& pngFile) const {
    std::error_code error;
    std::filesystem::create_directories(pngFile.parent_path(), error);
    return Run(
        {"import", "-window", "root", "-crop", CropGeometry(area), "+repage", pngFile.string()});
}

std::vector<uint8_t> DesktopInput::GreyColumn(int32_t x, int32_t top, int32_t height,
                                              const std::filesystem::path& scratchFile) const {
    std::error_code error;
    std::filesystem::remove(scratchFile, error);
    if (!Run({"import", "-window", "root", "-crop", CropGeometry({x, top, 1, height}), "-depth",
              "8", "gray:" + scratchFile.string()})) {
        return {};
    }
    std::ifstream file(scratchFile, std::ios::binary);
    std::vector<uint8_t> levels{std::istreambuf_iterator<char>(file),
                                std::istreambuf_iterator<char>()};
    if (levels.size() != static_cast<std::size_t>(height)) {
        return {};
    }
    return levels;
}

}  // namespace melvora::testing
