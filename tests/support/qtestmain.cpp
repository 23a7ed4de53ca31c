#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Views, the clipboard and Qt's network and timer classes need an application object; the
// tests drive the main queue themselves, so its event loop never runs here. Without a display
// (test discovery runs outside ctest's environment) the offscreen platform stands in.
int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
