#pragma once
// The main window: the month list and the commands around it.

#include <QMainWindow>
#include <QStringList>

class Main final : public QMainWindow
{
    Q_OBJECT
public:
    explicit Main(QWidget *parent = nullptr);

    // The start-up sequence; false when the program is to end at once.
    bool Form_Load(const QStringList &arguments);
};
