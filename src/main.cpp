// SPDX-License-Identifier: GPL-3.0-or-later
// The program: create the application, its shared objects and the main
// window, and run the window's start-up.

#include "app/Main.h"
#include "app/Application.h"
#include "editor/ui/NotepadProgram.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // Past a file-size limit a write fails (and is reported) instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Almarik2"));
    QApplication::setApplicationVersion(QStringLiteral(ALMARIK_VERSION));
    // The Notepad stand-in: a program of its own that happens to live in
    // this file, so it opens no database and touches no settings.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--notepad"))
        return runNotepad(arguments[2]);
    // Declared after app and before the window: closed after the window
    // is gone and before QApplication ends.
    Application shared;

    Main window(shared.db(), shared.prompts(), shared.clock());
    if (!window.Form_Load(arguments.mid(1)))
        return 0;
    window.show();
    return app.exec();
}
