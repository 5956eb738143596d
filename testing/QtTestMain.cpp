// The main of every test that needs Qt: an offscreen QApplication and a settings folder of its
// own, so that no test needs a display or touches the user's settings.

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

// Removes the private settings folder when the tests end, whatever their outcome.
class PrivateConfigDir {
public:
    PrivateConfigDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessary-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
            setenv("XDG_CONFIG_HOME", m_path.c_str(), 1);
        }
    }
    ~PrivateConfigDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    PrivateConfigDir(const PrivateConfigDir&) = delete;
    PrivateConfigDir& operator=(const PrivateConfigDir&) = delete;

private:
    std::string m_path;
};

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    PrivateConfigDir config;
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
