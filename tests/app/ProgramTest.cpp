#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

TEST(Program, WithoutADisplayItSaysSoInOneLineAndFails) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QEL_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(program.exitCode(), 0);
    const QByteArray err = program.readAllStandardError();
    EXPECT_EQ(err, "QEL_Trekkel: cannot start: no display (DISPLAY or WAYLAND_DISPLAY is not "
                   "set)\n");
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
}

// A display that is named but has no server behind it.
TEST(Program, WithAnUnreachableDisplayItSaysSoInOneLineAndFails) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":9876"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QEL_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardError(),
              "QEL_Trekkel: cannot start: cannot open the display \":9876\"\n");
}

} // namespace
