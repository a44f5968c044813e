// Program entry: replaced by the start-up sequence as it lands.
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}
