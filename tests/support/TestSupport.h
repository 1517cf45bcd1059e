#pragma once

#include <QApplication>
#include <QByteArray>
#include <QStandardPaths>
#include <QString>
#include <QTest>

namespace testsupport {

void writeBytes(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);
// The names in a folder, hidden ones included, sorted.
QStringList folderEntries(const QString &path);

} // namespace testsupport

// A QtTest main that never touches the user's own folders and needs no display.
#define SHELFMASTER_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))                                         \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication application(argc, argv);                                                      \
        QStandardPaths::setTestModeEnabled(true);                                                  \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
