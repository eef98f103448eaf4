#include <QApplication>

// The scheduler's window comes with its own change; for now the program
// only starts and ends.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return 0;
}
