#include "app/Main.h"

Main::Main(QWidget *parent) : QMainWindow(parent)
{
    resize(640, 480);
}

bool Main::Form_Load(const QStringList &)
{
    setWindowTitle(QStringLiteral("Almarik"));
    return true;
}
