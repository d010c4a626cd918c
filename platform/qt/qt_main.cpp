// The process's entry on Qt: the application object lives as long as the program runs.

#include <QApplication>

#include "platform/window/application.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return ProgramMain();
}
