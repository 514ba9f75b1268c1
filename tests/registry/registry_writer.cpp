// A second process for the registry store tests: writes the values
// <prefix>0 to <prefix><count - 1> under key Race beside another writer and
// prints how many calls answered True.

#include "RegTestSupport.h"

#include <QTextStream>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 3;
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    ScriptedPrompts prompts; // message boxes answer OK by themselves
    int written = 0;
    for (int i = 0, n = QByteArray(argv[2]).toInt(); i < n; ++i)
        written += SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Race"),
                               prefix + QString::number(i), QString::number(i), prompts);
    QTextStream(stdout) << written;
    return prompts.boxes.isEmpty() ? 0 : 1;
}
