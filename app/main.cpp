#include <QApplication>
#include <QGuiApplication>
#include <filesystem>
#include <memory>

#include "app/ChineseFont.h"
#include "app/MainWindow.h"
#include "app/ProgramVariables.h"
#include "app/StartUp.h"
#include "docking/NullWindowSystem.h"
#include "docking/XcbWindowSystem.h"
#include "download/ActivateTrack.h"
#include "download/Mpg123SdlPlayer.h"
#include "search/Endpoints.h"
#include "search/SearchSongs.h"

namespace {

std::unique_ptr<melvora::WindowSystem> ConnectWindowSystem() {
    // Only an X11 window has an id the X server knows; other platforms (off-screen tests) get a
    // window system that does nothing.
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        return std::make_unique<melvora::XcbWindowSystem>();
    }
    return std::make_unique<melvora::NullWindowSystem>();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace melvora;

    // The music folder is chosen from the program's folder, wherever the program was started
    // from. If the folder cannot be entered the program still runs in the one it has.
    MakeProgramFolderCurrent();

    // The window docks and keeps itself on top through X11; a caller may still choose another
    // platform (the tests run off-screen).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication application(argc, argv);
    UseChineseFont();

    auto variables = std::make_unique<ProgramVariables>();
    const Endpoints endpoints = Endpoints::FromEnvironment();
    const std::unique_ptr<WindowSystem> windowSystem = ConnectWindowSystem();

    // Chosen once: beside the program, or in the user's music folder for an installed copy that
    // the user cannot write beside. The window's created event makes it; downloads go there.
    const std::filesystem::path musicFolder = MusicFolderOfThisRun();
    download::Mpg123SdlPlayer player;

    int exitCode = 0;
    {
        MainWindow window(
            *windowSystem,
            [&variables, &endpoints](Controls& controls, const CancellationToken& token) {
                SearchSongs(controls, variables->lastResponseText, endpoints, token);
            },
            {.activate =
                 [&musicFolder, &player](Controls& controls, const CancellationToken& token) {
                     download::ActivateTrack(controls, musicFolder, player, &token);
                 },
             .stop = [&player] { download::StopPlayback(player); }},
            musicFolder);
        window.UseProgramVariables(*variables);
        window.show();
        exitCode = QApplication::exec();
        // Closing the window has cancelled and joined the search; this makes sure of it before
        // the variables it writes are released.
        window.EndDownload();
        window.EndSearches();
    }
    variables.reset();
    return exitCode;
}
