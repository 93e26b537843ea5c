// The real window, search and downloader against a music service that means harm or is broken:
// names that climb out of the music folder or hold control characters, a play address on the
// local disk, a 50 MB reply, binary junk, a reply with a NUL byte and a 100 KB header block.
// The program must stay up, write nothing outside its music folder and say what went wrong.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/Program.h"
#include "app/tests/QtTestSupport.h"
#include "docking/NullWindowSystem.h"
#include "download/RecordingPlayer.h"
#include "e2e/FileTree.h"
#include "testing/fake_service/FakeCatalogue.h"
#include "testing/fake_service/FakeMusicService.h"

namespace melvora {
namespace {

namespace fs = std::filesystem;
using download::RecordingPlayer;
using testing::FakeMusicService;
using testing::FileContent;
using testing::FilesUnder;
using testing::FileTree;
using testing::MessageBoxAnswerer;

// A generous guard against hanging, not a measurement. The 50 MB reply takes the longest.
bool ProcessEventsUntil(const std::function<bool()>& condition) {
    return testing::ProcessEventsUntil(condition, 90000);
}

class HostileServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.Start());
        m_endpoints.searchHost = m_service.HostAndPort();
        m_endpoints.playHost = m_service.HostAndPort();
        // Two folders deep inside the watched tree, so a name that climbs two levels up would
        // still land where the test sees it.
        m_root = fs::current_path() / ("hostile-" + std::to_string(m_testNumber++));
        m_musicFolder = m_root / "a" / "b" / "MP3";
        fs::create_directories(m_musicFolder);

        // Wired as the program wires itself, with a player that only keeps a log.
        m_program = std::make_unique<Program>(ProgramParts{.windowSystem = m_windowSystem,
                                                           .endpoints = m_endpoints,
                                                           .musicFolder = m_musicFolder,
                                                           .player = m_player});
        m_window = &m_program->Window();
        m_window->show();
        m_searchBox = m_window->findChild<QLineEdit*>(QString::fromUtf8("搜索框"));
        m_list = m_window->findChild<QTableWidget*>(QString::fromUtf8("歌曲超级列表框"));
        m_countPart = m_window->findChild<QLabel*>(QString::fromUtf8("状态条1_部分0"));
        ASSERT_NE(m_searchBox, nullptr);
        ASSERT_NE(m_list, nullptr);
        ASSERT_NE(m_countPart, nullptr);
    }

    void TearDown() override {
        m_program.reset();
        m_window = nullptr;
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    // Everything the test can see being written: the scratch folder the whole test runs in.
    static FileTree WatchedTree() { return FilesUnder(fs::current_path()); }

    void Search(const std::string& keyword) {
        m_searchBox->setFocus();
        m_searchBox->selectAll();
        QInputMethodEvent typing;
        typing.setCommitString(QString::fromStdString(keyword));
        QApplication::sendEvent(m_searchBox, &typing);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(m_searchBox, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(m_searchBox, &release);
    }

    bool WaitForCount(std::size_t count) {
        const QString wanted = QString::fromUtf8("歌曲数量：") + QString::number(count);
        return ProcessEventsUntil([&] { return m_countPart->text() == wanted; });
    }

    std::vector<std::string> Cells(int column) const {
        std::vector<std::string> cells;
        for (int row = 0; row < m_list->rowCount(); ++row) {
            const QTableWidgetItem* item = m_list->item(row, column);
            cells.push_back(item ? item->text().toStdString() : std::string());
        }
        return cells;
    }

    // A double-click on the row, as the user gives it; returns once the activation has ended.
    void Activate(int row) {
        const QRect cell = m_list->visualRect(m_list->model()->index(row, 0));
        // The first click of a double-click is a click of its own; the list acts on the second
        // only when it hits the row the first one pressed.
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        ASSERT_TRUE(ProcessEventsUntil([&] { return !m_window->IsDownloading(); }));
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : m_boxes.Boxes()) {
            EXPECT_EQ(box.caption.toStdString(), "信息：");
            texts.push_back(box.text.toStdString());
        }
        return texts;
    }

    bool AnyMediaRequestFor(const std::string& fileHash) const {
        for (const auto& request : m_service.Requests()) {
            if (request.target.starts_with("/media/" + fileHash)) {
                return true;
            }
        }
        return false;
    }

    static inline int m_testNumber = 0;
    FakeMusicService m_service;
    Endpoints m_endpoints;
    NullWindowSystem m_windowSystem;
    RecordingPlayer m_player;
    fs::path m_root;
    fs::path m_musicFolder;
    MessageBoxAnswerer m_boxes{QMessageBox::Ok};
    std::unique_ptr<Program> m_program;
    MainWindow* m_window = nullptr;
    QLineEdit* m_searchBox = nullptr;
    QTableWidget* m_list = nullptr;
    QLabel* m_countPart = nullptr;
};

TEST_F(HostileServiceTest, NamesAndAddressesThatLeaveTheMusicFolderAreRefused) {
    Search(std::string(testing::kHostileNamesKeyword));
    const auto& hits = testing::FakeHitsFor(testing::kHostileNamesKeyword);
    ASSERT_TRUE(WaitForCount(hits.size())) << m_countPart->text().toStdString();
    ASSERT_EQ(Cells(0),
              (std::vector<std::string>{"Passwd", "../../x", "Bell\aRing", "Detour", "Calm"}));
    EXPECT_EQ(Cells(4)[0], testing::kLocalFileAddress);

    struct Refusal {
        int row;
        const char* message;
    };
    const std::vector<Refusal> refusals = {
        {0, "不能打开该URL!"},
        {1, "不能打开本地的文件!"},
        {2, "不能打开本地的文件!"},
        // The service redirects the track to a local file, which is never followed.
        {3, "不能打开该URL!"},
    };
    const FileTree before = WatchedTree();
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE("row " + std::to_string(refusal.row));
        m_boxes.Forget();
        ASSERT_NO_FATAL_FAILURE(Activate(refusal.row));
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{refusal.message});
        EXPECT_EQ(WatchedTree(), before);
        const std::string& fileHash = hits[static_cast<std::size_t>(refusal.row)].fileHash;
        EXPECT_EQ(AnyMediaRequestFor(fileHash), fileHash == testing::kRedirectToFileHash)
            << "only the redirected track is asked for";
    }
    EXPECT_TRUE(m_player.Calls().empty());

    // An ordinary row of the same reply still downloads, into the music folder and nowhere else.
    m_boxes.Forget();
    ASSERT_NO_FATAL_FAILURE(Activate(4));
    EXPECT_TRUE(BoxTexts().empty());
    const fs::path track = m_musicFolder / "Calm.mp3";
    EXPECT_TRUE(FileContent(track) == m_service.MediaBytes()) << track << " is not the served MP3";
    FileTree expected = before;
    expected[fs::path(track).lexically_relative(fs::current_path()).string()] =
        m_service.MediaBytes().size();
    EXPECT_EQ(WatchedTree(), expected);
    EXPECT_EQ(m_player.Calls(),
              (std::vector<RecordingPlayer::Call>{{RecordingPlayer::Call::Kind::Play, track}}));
}

struct BrokenReply {
    const char* keyword;
    // The song names the list shows afterwards.
    std::vector<std::string> songs;
};

// Names the case after its keyword in the test's output.
void PrintTo(const BrokenReply& reply, std::ostream* out) {
    *out << reply.keyword;
}

class BrokenReplyTest : public HostileServiceTest,
                        public ::testing::WithParamInterface<BrokenReply> {};

TEST_P(BrokenReplyTest, ListsWhatCanBeReadAndKeepsWorking) {
    const BrokenReply& reply = GetParam();
    const FileTree before = WatchedTree();
    Search(reply.keyword);
    ASSERT_TRUE(WaitForCount(reply.songs.size())) << m_countPart->text().toStdString();
    EXPECT_EQ(Cells(0), reply.songs);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(WatchedTree(), before);

    // The window takes the next search as if nothing had happened.
    Search(std::string(testing::kShiftKeyword));
    EXPECT_TRUE(WaitForCount(testing::FakeHitsFor(testing::kShiftKeyword).size()))
        << m_countPart->text().toStdString();
    EXPECT_EQ(Cells(0), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
}

INSTANTIATE_TEST_SUITE_P(HostileService, BrokenReplyTest,
                         ::testing::Values(BrokenReply{"huge", {"Needle"}}, BrokenReply{"junk", {}},
                                           // The text of a reply ends at its first NUL byte.
                                           BrokenReply{"nul", {"Before One", "Before Two"}},
                                           BrokenReply{"bighead", {"Heavy Head", "Long Lines"}}),
                         [](const ::testing::TestParamInfo<BrokenReply>& info) {
                             return std::string(info.param.keyword);
                         });

}  // namespace
}  // namespace melvora
