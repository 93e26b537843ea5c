#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <array>
#include <filesystem>
#include <memory>

#include "app/ChineseFont.h"
#include "app/tests/QtTestSupport.h"

namespace melvora::testing {

namespace {

// One application object for every test, made before the first test and on the main thread.
// The tests run in a scratch folder, because creating the window makes the folder "MP3" in the
// current directory.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("melvora-app-tests-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
        std::filesystem::current_path(m_folder);
        // Run off-screen unless told otherwise, also when started by hand.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        m_application = std::make_unique<QApplication>(m_argc, m_argv.data());
        UseChineseFont();
    }

    void TearDown() override {
        m_application.reset();
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(m_folder, ignored);
    }

private:
    int m_argc = 1;
    char m_programName[11] = "qt_testing";
    std::array<char*, 2> m_argv{m_programName, nullptr};
    std::filesystem::path m_folder;
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment());

}  // namespace

ControlWidgets WidgetsOf(const QObject& window) {
    const auto parts = FindControl<QWidget>(window, "状态条1")
                           ->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    return {.resultList = FindControl<QTableWidget>(window, "歌曲超级列表框"),
            .statusParts = {parts.value(0), parts.value(1)},
            .playAfterDownload = FindControl<QCheckBox>(window, "选择框1"),
            .docking = FindControl<QCheckBox>(window, "选择框2"),
            .searchBox = FindControl<QLineEdit>(window, "搜索框")};
}

bool ProcessEventsUntil(const std::function<bool()>& condition, int limitMs) {
    QElapsedTimer guard;
    guard.start();
    while (!condition()) {
        if (guard.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void ProcessEventsBriefly() {
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < 50) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton answer) : m_answer(answer) {
    connect(&m_poll, &QTimer::timeout, this, [this] { AnswerActiveBox(); });
    m_poll.start(5);
}

void MessageBoxAnswerer::AnswerActiveBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
        return;
    }
    m_boxes.push_back({
        .text = box->text(),
        .caption = box->windowTitle(),
        .buttons = box->standardButtons(),
        .defaultButton = box->standardButton(box->defaultButton()),
        .icon = box->icon(),
        .modality = box->windowModality(),
        .hasOwner = box->parentWidget() != nullptr,
    });
    if (QAbstractButton* button = box->button(m_answer); button != nullptr) {
        button->click();
    } else {
        box->reject();
    }
}

}  // namespace melvora::testing
