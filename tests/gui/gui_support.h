#pragma once
// Shared by the GUI test files: one QApplication for the test program (on the
// off-screen platform unless another is chosen) and a wait that keeps the
// event loop running.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <memory>

namespace morvane::test {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QCoreApplication::instance()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "morvane_tests_gui";
            static char* argv[] = {name, nullptr};
            app_ = std::make_unique<QApplication>(argc, argv);
        }
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

// Registered once for the whole test program.
inline ::testing::Environment* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Runs the event loop until cond holds or timeoutMs passed; cond's last value.
inline bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!cond()) {
        if (clock.elapsed() > timeoutMs) return cond();
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace morvane::test
