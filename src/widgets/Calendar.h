// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small date-picking window: the caller sets Calendar1's date, shows it
// modally and reads DateVal, which only a click on a day changes.

#include <QDate>
#include <QDialog>

class QCalendarWidget;

class Calendar final : public QDialog
{
    Q_OBJECT
public:
    explicit Calendar(QWidget *parent = nullptr);

    // The day last clicked; left as it was when the window closes otherwise.
    QDate DateVal;

    // DateVal = the clicked day, then the window closes.
    void Calendar1_DateClick(QDate dateClicked);

    QCalendarWidget *Calendar1 = nullptr;
};
