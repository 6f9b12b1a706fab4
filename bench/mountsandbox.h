#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QtTest/QTest>

// Real mounted volumes for tests, in a private mount namespace so that nothing
// a test mounts is seen outside its own process.
//
// enter() must run first thing in main, while the process has one thread
// (VEK_TEST_MAIN_WITH_MOUNTS does that). Mounting is refused unless it
// succeeded, so a test can never mount into the machine's own namespace.
// A MountSandbox unmounts what it mounted when destroyed; declare it after the
// QTemporaryDir that holds the mount points, so it goes first.
class MountSandbox
{
public:
    MountSandbox() = default;
    ~MountSandbox();
    MountSandbox(const MountSandbox &) = delete;
    MountSandbox &operator=(const MountSandbox &) = delete;

    static bool enter(QString *whyNot = nullptr);
    static bool available(QString *whyNot = nullptr);

    bool mountTmpfs(const QString &directory, qint64 sizeBytes, bool readOnly,
                    QString *error = nullptr);
    bool remountReadOnly(const QString &directory, QString *error = nullptr);
    bool unmount(const QString &directory, bool lazy = false, QString *error = nullptr);

private:
    QStringList mounted;
};

// QTEST_MAIN's own set-up, written out with public API only.
#define VEK_TEST_MAIN_WITH_MOUNTS(TestObject) \
    int main(int argc, char *argv[]) \
    { \
        MountSandbox::enter(); \
        QApplication app(argc, argv); \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        return QTest::qExec(&tc, argc, argv); \
    }

#define VEK_REQUIRE_MOUNTS() \
    do { \
        QString whyNoMounts_; \
        if (!MountSandbox::available(&whyNoMounts_)) \
            QSKIP(qPrintable(QStringLiteral("no private mount namespace: ") + whyNoMounts_)); \
    } while (false)
