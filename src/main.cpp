// The program: create the application and run the start-up of the main window.

#include "app/Main.h"
#include "platform/QtPrompts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Almarik2"));
    QApplication::setApplicationVersion(QStringLiteral(ALMARIK_VERSION));
    QtPrompts prompts;
    setAppPrompts(&prompts);

    Main window;
    if (!window.Form_Load(QApplication::arguments().mid(1)))
        return 0;
    window.show();
    return app.exec();
}
