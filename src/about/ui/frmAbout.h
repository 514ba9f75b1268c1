// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About box: the program's title, version and description, the maker's
// links, a disclaimer naming the open database, and a button that starts
// the system's information program. It shows beside the main window.

#include "about/ui/PageView.h"
#include "platform/Programs.h"

#include <QDialog>
#include <array>

class Prompts;
class QFrame;
class QLabel;
class QPushButton;
class RegistryStore;

class frmAbout final : public QDialog
{
    Q_OBJECT
public:
    // Over the program's prompts and registry; starts programs and opens
    // links for real.
    frmAbout(QWidget *parent, const QString &databasename);
    frmAbout(QWidget *parent, const QString &databasename, Prompts &prompts,
             RegistryStore &registry, ProgramStarter start, UrlOpener openUrl);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void lblLink_Click(int index);

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblVark = nullptr;
    QLabel *lblDescription = nullptr;
    std::array<QLabel *, 2> lblLink{};
    std::array<QFrame *, 2> Line1{};
    QLabel *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_databasename;
    Prompts &m_prompts;
    RegistryStore &m_registry;
    ProgramStarter m_start;
    UrlOpener m_openUrl;
};
