// One QApplication for every test of this executable, made on the main thread before the first
// test, in a scratch folder: the window makes its music folder in the current directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_folder =
            std::filesystem::temp_directory_path() / ("melvora-e2e-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
        std::filesystem::current_path(m_folder);
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        m_application = std::make_unique<QApplication>(m_argc, m_argv.data());
    }

    void TearDown() override {
        m_application.reset();
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(m_folder, ignored);
    }

private:
    int m_argc = 1;
    char m_programName[10] = "e2e_tests";
    std::array<char*, 2> m_argv{m_programName, nullptr};
    std::filesystem::path m_folder;
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment());

}  // namespace
