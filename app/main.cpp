#include <QApplication>
#include <QGuiApplication>
#include <filesystem>
#include <memory>

#include "app/ChineseFont.h"
#include "app/Program.h"
#include "app/StartUp.h"
#include "docking/NullWindowSystem.h"
#include "docking/XcbWindowSystem.h"
#include "download/Mpg123SdlPlayer.h"
#include "search/Endpoints.h"

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

    const std::unique_ptr<WindowSystem> windowSystem = ConnectWindowSystem();
    download::Mpg123SdlPlayer player;
    // Chosen once: beside the program, or in the user's music folder for an installed copy that
    // the user cannot write beside.
    Program program({.windowSystem = *windowSystem,
                     .endpoints = Endpoints::FromEnvironment(),
                     .musicFolder = MusicFolderOfThisRun(),
                     .player = player});
    program.Window().show();
    const int exitCode = QApplication::exec();
    // Closing the window has cancelled and joined the tasks; this makes sure of it before the
    // player and the search they use go.
    program.End();
    return exitCode;
}
