#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Velmora 2");
    QMainWindow window;
    window.setWindowTitle("Velmora 2");
    window.showMaximized();
    return QApplication::exec();
}
