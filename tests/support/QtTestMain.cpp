// Shared main for every test executable: a QApplication exists for the whole run,
// so widget, timer and event-loop tests can use the window thread as the game does.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's data folder (statistics) is one of the run's own, never the user's.
    QTemporaryDir dataHome;
    if (!dataHome.isValid()) {
        std::fprintf(stderr, "no temporary folder for the program's data\n");
        return 1;
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindletop"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
