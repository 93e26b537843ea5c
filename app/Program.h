#pragma once

#include <filesystem>

#include "app/MainWindow.h"
#include "docking/WindowSystem.h"
#include "download/Player.h"
#include "search/Endpoints.h"
#include "search/SongSearch.h"

namespace melvora {

// What the program is made of that differs between a real run and a test of the whole window.
struct ProgramParts {
    WindowSystem& windowSystem;
    Endpoints endpoints;
    // Chosen once at start-up; the window's created event makes it, downloads go there.
    std::filesystem::path musicFolder;
    download::Player& player;
};

// The program wired together: the main window, its search task running the song search, and
// its double-click and stop button running the track activation and the player.
class Program {
public:
    explicit Program(ProgramParts parts);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    MainWindow& Window() { return m_window; }
    [[nodiscard]] const SongSearch& Search() const { return m_search; }

    // Cancels the running download and search and waits for their threads.
    void End();

private:
    SongSearch m_search;
    std::filesystem::path m_musicFolder;
    download::Player& m_player;
    // Declared last, so its task threads end before the search they run goes.
    MainWindow m_window;
};

}  // namespace melvora
