#include <QCoreApplication>
#include <gtest/gtest.h>

// Qt's network and timer classes need an application object; the tests drive the main
// queue themselves, so its event loop never runs here.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
