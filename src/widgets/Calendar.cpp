// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/Calendar.h"

#include <QCalendarWidget>
#include <QVBoxLayout>

Calendar::Calendar(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Calendar"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Calendar1 = new QCalendarWidget(this);
    Calendar1->setGridVisible(true);
    layout->addWidget(Calendar1);
    setFixedSize(sizeHint());
    connect(Calendar1, &QCalendarWidget::clicked, this,
            [this](QDate day) { Calendar1_DateClick(day); });
    // Enter on a day chooses it as a click does.
    connect(Calendar1, &QCalendarWidget::activated, this,
            [this](QDate day) { Calendar1_DateClick(day); });
}

void Calendar::Calendar1_DateClick(QDate dateClicked)
{
    DateVal = dateClicked;
    accept();
}
