// rowbit: the desktop program.
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(rowbit);
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rowbit.svg")));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Rowbit"));
    window.setCentralWidget(new QLabel(QStringLiteral("Rowbit")));
    window.resize(640, 400);
    window.show();
    return QApplication::exec();
}
