#include <QCoreApplication>
#include <gtest/gtest.h>

// The engine's timer needs an application object; the tests drive the ticks themselves.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
