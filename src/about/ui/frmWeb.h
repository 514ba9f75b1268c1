// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The update window: the running version and the advice to close the
// program before replacing it, above the maker's update page. It only
// shows the page; it compares, downloads and replaces nothing.

#include "about/ui/PageView.h"

#include <QUrl>
#include <QWidget>

class Prompts;
class QLabel;

class frmWeb final : public QWidget
{
    Q_OBJECT
public:
    // Over the program's prompts and the update page this build names;
    // web links open with the desktop's handler, a refused one is told
    // through prompts.
    explicit frmWeb(QWidget *parent);
    frmWeb(QWidget *parent, Prompts &prompts, const QUrl &address, UrlOpener openUrl);

    void Form_Load();
    void Form_Resize();

    QLabel *lblVersion = nullptr;
    PageView *Web = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    Prompts &m_prompts;
    QUrl m_address;
};
