// The Qt tests share one application object, made before the first test and destroyed after the
// last, on the main thread that runs the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class CQtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "zelvane-tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new CQtApplicationEnvironment);

}  // namespace
