// Test entry for Qt tests: an offscreen application object exists before any test runs.
#include <QApplication>
#include <gtest/gtest.h>

namespace {

// The offscreen platform reports every window feature it lacks; that says nothing about the
// program and would bury real warnings.
QtMessageHandler StandardHandler = nullptr;

void QuietMessageHandler(QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
    if (!Text.startsWith("This plugin does not support"))
        StandardHandler(Type, Context, Text);
}

} // namespace

int main(int argc, char** argv) {
    StandardHandler = qInstallMessageHandler(QuietMessageHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
