// Program entry: sets the application title and runs the main window.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora Carnetique 97"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Vellora Carnetique 97"));
    window.resize(632, 453);
    window.show();
    return QApplication::exec();
}
