// A user's whole journey through the real program, started as a user starts it, on a private X
// server with a window manager: searching, downloading and playing, a broken download and its
// resumption, a row without an address, docking beside the music client and closing. Everything
// is done with the real mouse and keyboard and watched from outside: the window manager's view,
// the files in the music folder, the fake music service's log and the sound written to disk.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/DesktopInput.h"
#include "e2e/FileTree.h"
#include "e2e/ListRows.h"
#include "e2e/PrimarySelection.h"
#include "testing/Eventually.h"
#include "testing/fake_service/FakeCatalogue.h"
#include "testing/fake_service/FakeMusicService.h"
#include "testing/x11/ChildProcess.h"
#include "testing/x11/FakeClient.h"
#include "testing/x11/VirtualDisplay.h"
#include "testing/x11/XWindowProbe.h"

namespace melvora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::DesktopInput;
using testing::DrawnRow;
using testing::FakeClient;
using testing::FakeHitsFor;
using testing::FakeMusicService;
using testing::FileContent;
using testing::FilesUnder;
using testing::FileTree;
using testing::HttpRequestHead;
using testing::PrimarySelection;
using testing::ScreenRect;
using testing::VirtualDisplay;
using testing::XWindowProbe;

// A safety net per step against hanging, never a measurement.
constexpr auto kStepLimit = 30s;
// Long enough for dozens of docking ticks, to show that something does not happen.
constexpr auto kManyTicks = 500ms;

bool Eventually(const std::function<bool()>& condition) {
    return testing::Eventually(condition, kStepLimit);
}

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Point& point) {
        return out << "(" << point.x << ", " << point.y << ")";
    }
};

// Places in the main window's client area, from its layout.
constexpr Point kSearchBox{86 + 80, 13 + 11};
constexpr Point kDockingBox{512 + 40, 17 + 8};
// The result list sits at (4, 15) in the group box at (2, 39), 226 pixels tall.
constexpr Point kListOrigin{2 + 4, 39 + 15};
constexpr int32_t kListHeight = 226;
// Inside the song column (0 to 120), where a click picks the row.
constexpr int32_t kSongColumnX = 60;
// Just right of the line between the hash and the ID columns (120 + 80 + 200): the IDs are short
// and centred in their 120 pixels, so this column of pixels crosses every row where it is blank.
constexpr int32_t kBlankColumnX = 120 + 80 + 200 + 8;

// The first two demo hits as the list shows them, tags stripped.
constexpr const char* kFirstSong = "Demo 晴空";
constexpr const char* kSecondSong = "夜曲 (Demo)";

// What a box's title bar and text say, byte for byte.
constexpr const char* kInformationCaption = "信息：";
constexpr const char* kQuestionCaption = "提示：";

bool HasNonZeroByte(const std::string& bytes) {
    return bytes.find_first_not_of('\0') != std::string::npos;
}

class JourneyTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("melvora-journey-" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(ProgramFolder());
        fs::create_directories(ScratchFolder() / "home");
        // The program keeps its music beside itself, so a copy in a folder of its own keeps the
        // build tree clean and every run independent. Everything else the run writes (the sound,
        // the home folder, the pixels read off the screen) goes to the scratch folder beside it.
        fs::copy_file(MELVORA_PROGRAM, ProgramFolder() / "melvora");
        m_soundFile = ScratchFolder() / "sound.raw";

        // Wide enough that the window docked right of an 800-pixel client is wholly on screen.
        m_display = VirtualDisplay::Start({.width = 1920, .height = 1080});
        ASSERT_NE(m_display, nullptr) << "Xvfb with openbox did not start";
        m_probe = XWindowProbe::Connect(m_display->Name());
        ASSERT_NE(m_probe, nullptr);
        m_selection = PrimarySelection::Connect(m_display->Name());
        ASSERT_NE(m_selection, nullptr);
        m_input = std::make_unique<DesktopInput>(m_display->Name());
        ASSERT_TRUE(m_service.Start());
    }

    void TearDown() override {
        m_program.reset();
        m_client.reset();
        m_display.reset();
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    fs::path ProgramFolder() const { return m_folder / "program"; }
    fs::path ScratchFolder() const { return m_folder / "scratch"; }
    fs::path MusicFolder() const { return ProgramFolder() / "MP3"; }

    void StartProgram() {
        m_program = ChildProcess::Start({
            .arguments = {(ProgramFolder() / "melvora").string()},
            .environment = {{"DISPLAY", m_display->Name()},
                            {"MELVORA_SEARCH_HOST", m_service.HostAndPort()},
                            {"MELVORA_PLAY_HOST", m_service.HostAndPort()},
                            {"SDL_AUDIODRIVER", "disk"},
                            {"SDL_DISKAUDIOFILE", m_soundFile.string()},
                            {"HOME", (ScratchFolder() / "home").string()},
                            {"no_proxy", "127.0.0.1,localhost"},
                            {"NO_PROXY", "127.0.0.1,localhost"}},
            .removedVariables = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_MUSIC_DIR",
                                 "XDG_CONFIG_HOME"},
            // Started from elsewhere, as from a menu: the program finds its own folder.
            .workingDirectory = (ScratchFolder() / "home").string(),
        });
        ASSERT_NE(m_program, nullptr);
        ASSERT_TRUE(Eventually([&] {
            m_window = m_probe->FindClientByTitle("Melvora").value_or(0);
            return m_window != 0 && m_probe->FrameExtentsOf(m_window).has_value() &&
                   FramePosition() == Point{50, 50};
        })) << "no managed window titled Melvora came up at (50, 50)";
    }

    std::optional<Point> FramePosition() {
        const auto frame = m_probe->FrameRect(m_window);
        return frame ? std::optional<Point>(Point{frame->x, frame->y}) : std::nullopt;
    }

    bool IsOnTop() { return m_probe->HasWmState(m_window, "_NET_WM_STATE_ABOVE"); }

    Point ClientOrigin() {
        const auto client = m_probe->ClientRect(m_window);
        EXPECT_TRUE(client.has_value());
        return client ? Point{client->x, client->y} : Point{};
    }

    void ClickInWindow(Point place, int count = 1) {
        const Point origin = ClientOrigin();
        ASSERT_TRUE(m_input->Click(origin.x + place.x, origin.y + place.y, count));
    }

    // The keyword replaces whatever the box held (a triple-click selects all of it).
    void SearchFor(const std::string& keyword) {
        ClickInWindow(kSearchBox, 3);
        ASSERT_TRUE(m_input->Type(keyword));
        ASSERT_TRUE(m_input->Key("Return"));
    }

    std::vector<DrawnRow> DrawnRows() {
        const Point origin = ClientOrigin();
        return testing::RowsInColumn(m_input->GreyColumn(origin.x + kListOrigin.x + kBlankColumnX,
                                                         origin.y + kListOrigin.y, kListHeight,
                                                         ScratchFolder() / "column.gray"));
    }

    void DoubleClickRow(std::size_t row) {
        ASSERT_LT(row, m_rows.size());
        ClickInWindow({kListOrigin.x + kSongColumnX, kListOrigin.y + m_rows[row].Centre()}, 2);
    }

    void SaveWindowPicture(const std::string& name) {
        const auto frame = m_probe->FrameRect(m_window);
        ASSERT_TRUE(frame.has_value());
        EXPECT_TRUE(m_input->SaveScreenshot(*frame, fs::path(MELVORA_ARTIFACTS_DIR) / name));
    }

    // The message box with this title, once the window manager has framed it.
    uint32_t WaitForMessageBox(const std::string& caption) {
        uint32_t box = 0;
        EXPECT_TRUE(Eventually([&] {
            box = m_probe->FindClientByTitle(caption).value_or(0);
            return box != 0 && m_probe->FrameExtentsOf(box).has_value();
        })) << "no message box titled "
            << caption;
        return box;
    }

    // The box's text, read as a user would copy it: a triple-click on the text selects all of
    // it. The text sits above the buttons, which take the bottom 40 pixels.
    std::string MessageText(uint32_t box) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto area = m_probe->ClientRect(box);
            if (!area || !m_selection->Claim()) {
                continue;
            }
            if (!m_input->Click(area->x + area->width * 3 / 5, area->y + (area->height - 40) / 2,
                                3)) {
                continue;
            }
            if (auto text = m_selection->WaitForText(5s)) {
                return *text;
            }
        }
        return {};
    }

    // Return presses the default button: OK, or Yes in the resume question.
    void PressReturnIn(uint32_t box, const std::string& caption) {
        ASSERT_TRUE(m_input->Key("Return"));
        EXPECT_TRUE(Eventually([&] {
            return m_probe->FindClientByTitle(caption).value_or(0) != box;
        })) << "the box titled "
            << caption << " stayed open";
    }

    bool HoldsTheWholeTrack(const fs::path& file) {
        return fs::exists(file) && FileContent(file) == m_service.MediaBytes();
    }

    std::vector<HttpRequestHead> MediaRequests() {
        std::vector<HttpRequestHead> media;
        for (HttpRequestHead& request : m_service.Requests()) {
            if (request.target.starts_with("/media/")) {
                media.push_back(std::move(request));
            }
        }
        return media;
    }

    // 1. A keyword typed into the search box and Enter fill the list.
    void SearchFillsTheList() {
        const auto& hits = FakeHitsFor(testing::kDemoKeyword);
        ASSERT_NO_FATAL_FAILURE(SearchFor(std::string(testing::kDemoKeyword)));
        ASSERT_TRUE(m_service.WaitForRequests(hits.size() + 1, kStepLimit));
        ASSERT_TRUE(Eventually([&] { return m_service.RepliesSent() >= hits.size() + 1; }));
        const std::vector<HttpRequestHead> requests = m_service.Requests();
        ASSERT_EQ(requests.size(), hits.size() + 1);
        EXPECT_TRUE(requests[0].target.starts_with("/song_search_v2?&keyword=demo&"))
            << requests[0].target;
        for (std::size_t i = 0; i < hits.size(); ++i) {
            EXPECT_TRUE(requests[i + 1].target.starts_with(
                "/yy/index.php?r=play/getdata&hash=" + hits[i].fileHash + "&"))
                << requests[i + 1].target;
        }
        EXPECT_TRUE(Eventually([&] {
            m_rows = DrawnRows();
            return m_rows.size() == hits.size();
        })) << "the screen shows "
            << m_rows.size() << " rows";
        ASSERT_FALSE(m_rows.empty());
        SaveWindowPicture("journey-1-search.png");
    }

    // 2. A double-click on the first row downloads the track and plays it.
    void DoubleClickDownloadsAndPlays() {
        ASSERT_NO_FATAL_FAILURE(DoubleClickRow(0));
        const fs::path track = MusicFolder() / (std::string(kFirstSong) + ".mp3");
        EXPECT_TRUE(Eventually([&] { return HoldsTheWholeTrack(track); }))
            << track << " is not the served MP3";
        EXPECT_FALSE(fs::exists(track.string() + ".tmp"));

        // The player writes decoded sound, not silence, and keeps writing while it plays.
        std::uintmax_t written = 0;
        EXPECT_TRUE(Eventually([&] {
            std::error_code error;
            written = fs::file_size(m_soundFile, error);
            return !error && written > 0 && HasNonZeroByte(FileContent(m_soundFile));
        })) << "no decoded sound reached "
            << m_soundFile;
        EXPECT_TRUE(Eventually([&] {
            std::error_code error;
            return fs::file_size(m_soundFile, error) > written;
        })) << "the sound stopped growing at "
            << written << " bytes";
        SaveWindowPicture("journey-2-playing.png");
    }

    // 3. A connection that breaks mid-way is reported and leaves the bytes received so far.
    void BrokenDownloadLeavesItsPart() {
        const std::string& media = m_service.MediaBytes();
        m_brokenAt = media.size() / 3;
        m_service.ArmMediaDrop(FakeHitsFor(testing::kDemoKeyword)[1].fileHash, m_brokenAt);
        ASSERT_NO_FATAL_FAILURE(DoubleClickRow(1));

        const uint32_t box = WaitForMessageBox(kInformationCaption);
        ASSERT_NE(box, 0U);
        EXPECT_EQ(MessageText(box), "读文件出错!");
        ASSERT_NO_FATAL_FAILURE(PressReturnIn(box, kInformationCaption));

        // The downloader closes the file once the box is gone.
        const fs::path track = MusicFolder() / (std::string(kSecondSong) + ".mp3");
        const std::string partial = media.substr(0, m_brokenAt);
        EXPECT_TRUE(Eventually([&] { return FileContent(track.string() + ".tmp") == partial; }))
            << "the partial file holds " << FileContent(track.string() + ".tmp").size()
            << " bytes, not the " << m_brokenAt << " received";
        EXPECT_FALSE(fs::exists(track));
    }

    // 4. The next double-click offers to resume; Yes asks only for the missing bytes.
    void ResumingCompletesTheTrack() {
        m_service.ClearRequests();
        ASSERT_NO_FATAL_FAILURE(DoubleClickRow(1));

        const uint32_t box = WaitForMessageBox(kQuestionCaption);
        ASSERT_NE(box, 0U);
        EXPECT_EQ(MessageText(box), "文件已存在，是否断点续传？");
        ASSERT_NO_FATAL_FAILURE(PressReturnIn(box, kQuestionCaption));

        const fs::path track = MusicFolder() / (std::string(kSecondSong) + ".mp3");
        EXPECT_TRUE(Eventually([&] { return HoldsTheWholeTrack(track); }))
            << track << " is not the served MP3";
        EXPECT_FALSE(fs::exists(track.string() + ".tmp"));
        const std::vector<HttpRequestHead> media = MediaRequests();
        ASSERT_EQ(media.size(), 1U);
        const std::string rangeLine = "Range:bytes=" + std::to_string(m_brokenAt) + "-\r\n";
        EXPECT_NE(media[0].headerLines.find(rangeLine), std::string::npos) << media[0].headerLines;
    }

    // 5. A row whose address is empty cannot be opened, and nothing is made for it.
    void RowWithoutAddressIsRefused() {
        const auto& hits = FakeHitsFor(testing::kRestrictedKeyword);
        m_service.ClearRequests();
        const std::size_t repliesBefore = m_service.RepliesSent();
        ASSERT_NO_FATAL_FAILURE(SearchFor(std::string(testing::kRestrictedKeyword)));
        ASSERT_TRUE(m_service.WaitForRequests(hits.size() + 1, kStepLimit));
        ASSERT_TRUE(
            Eventually([&] { return m_service.RepliesSent() >= repliesBefore + hits.size() + 1; }));
        std::size_t blankRow = hits.size();
        for (std::size_t i = 0; i < hits.size(); ++i) {
            if (hits[i].fileHash == testing::kEmptyAddressHash) {
                blankRow = i;
            }
        }
        ASSERT_LT(blankRow, hits.size());
        std::vector<DrawnRow> rows;
        EXPECT_TRUE(Eventually([&] {
            rows = DrawnRows();
            return rows.size() == hits.size();
        })) << "the screen shows "
            << rows.size() << " rows";

        const FileTree before = FilesUnder(ProgramFolder());
        m_service.ClearRequests();
        ASSERT_NO_FATAL_FAILURE(DoubleClickRow(blankRow));
        const uint32_t box = WaitForMessageBox(kInformationCaption);
        ASSERT_NE(box, 0U);
        EXPECT_EQ(MessageText(box), "不能打开该URL!");
        ASSERT_NO_FATAL_FAILURE(PressReturnIn(box, kInformationCaption));

        EXPECT_TRUE(m_service.Requests().empty()) << "an empty address reached the service";
        EXPECT_EQ(FilesUnder(ProgramFolder()), before);
    }

    // 6. The window docks beside the music client; unticking 吸附酷狗 leaves it where it is.
    void DocksBesideTheClientUntilUnticked() {
        m_client = FakeClient::Start(MELVORA_FAKE_KUGOU, m_display->Name());
        ASSERT_NE(m_client, nullptr) << "the stand-in client did not come up";
        const auto clientFrame = m_probe->FrameRect(m_client->Window());
        ASSERT_TRUE(clientFrame.has_value());
        const Point docked{clientFrame->x + clientFrame->width - 8, clientFrame->y + 18};
        EXPECT_TRUE(Eventually([&] { return FramePosition() == docked; }))
            << "now at " << FramePosition().value_or(Point{}) << ", docked is " << docked;
        EXPECT_TRUE(Eventually([&] { return IsOnTop(); }));

        ASSERT_NO_FATAL_FAILURE(ClickInWindow(kDockingBox));
        EXPECT_TRUE(Eventually([&] { return !IsOnTop(); }));
        ASSERT_TRUE(m_client->MoveFrame(clientFrame->x + 200, clientFrame->y + 100));
        std::this_thread::sleep_for(kManyTicks);
        EXPECT_EQ(FramePosition(), docked);
        SaveWindowPicture("journey-6-undocked.png");
    }

    // 7. Closing the window ends the program and leaves only the finished tracks: no temporary
    // file, and nothing else beside the program.
    void ClosingEndsTheProgram() {
        ASSERT_TRUE(m_probe->RequestClose(m_window));
        EXPECT_EQ(m_program->WaitForExit(kStepLimit), 0);
        EXPECT_FALSE(m_program->WasSignalled());
        const std::uintmax_t trackSize = m_service.MediaBytes().size();
        const FileTree expected = {{"MP3/", 0},
                                   {"MP3/" + std::string(kFirstSong) + ".mp3", trackSize},
                                   {"MP3/" + std::string(kSecondSong) + ".mp3", trackSize},
                                   {"melvora", fs::file_size(ProgramFolder() / "melvora")}};
        EXPECT_EQ(FilesUnder(ProgramFolder()), expected);
    }

    fs::path m_folder;
    fs::path m_soundFile;
    std::unique_ptr<VirtualDisplay> m_display;
    std::unique_ptr<XWindowProbe> m_probe;
    std::unique_ptr<PrimarySelection> m_selection;
    std::unique_ptr<DesktopInput> m_input;
    FakeMusicService m_service;
    std::unique_ptr<ChildProcess> m_program;
    std::unique_ptr<FakeClient> m_client;
    uint32_t m_window = 0;
    std::vector<DrawnRow> m_rows;
    std::size_t m_brokenAt = 0;
};

TEST_F(JourneyTest, SearchDownloadResumeRefuseDockAndClose) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    EXPECT_TRUE(fs::is_directory(MusicFolder())) << "the music folder is made beside the program";
    {
        SCOPED_TRACE("1. search");
        ASSERT_NO_FATAL_FAILURE(SearchFillsTheList());
    }
    {
        SCOPED_TRACE("2. download and play");
        ASSERT_NO_FATAL_FAILURE(DoubleClickDownloadsAndPlays());
    }
    {
        SCOPED_TRACE("3. broken download");
        ASSERT_NO_FATAL_FAILURE(BrokenDownloadLeavesItsPart());
    }
    {
        SCOPED_TRACE("4. resume");
        ASSERT_NO_FATAL_FAILURE(ResumingCompletesTheTrack());
    }
    {
        SCOPED_TRACE("5. empty address");
        ASSERT_NO_FATAL_FAILURE(RowWithoutAddressIsRefused());
    }
    {
        SCOPED_TRACE("6. docking");
        ASSERT_NO_FATAL_FAILURE(DocksBesideTheClientUntilUnticked());
    }
    {
        SCOPED_TRACE("7. close");
        ClosingEndsTheProgram();
    }
}

}  // namespace
}  // namespace melvora
