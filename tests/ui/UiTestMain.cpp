#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/ui/QtDialogs.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A settings path a test forgets to give ends up here, never in the user's own folder.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    qunsetenv("TUNDRIX_SETTINGS");

    QApplication app(argc, argv);
    // A box nobody answers fails its test instead of hanging the suite.
    ModalWatchdog watchdog;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
