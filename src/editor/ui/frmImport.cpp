// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/frmImport.h"

#include "editor/ui/ImportListModel.h"
#include "widgets/EnterKey.h"
#include "widgets/ImageList.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

// Where the controls sit, in twips; sizes and the column's left edge follow
// the window's outer size in Form_Resize.
constexpr double kMargin = 120;
constexpr double kLabelHeight = 300;
constexpr double kButtonWidth = 1455;
constexpr double kButtonHeight = 375;
constexpr double kButtonGap = 120;

// The caption broken into lines no wider than width: the design's check box
// is two lines tall and wraps its caption, which Qt's check box does not.
QString wrapped(const QString &caption, const QFontMetrics &metrics, int width)
{
    QStringList lines;
    for (const QString &word : caption.split(QLatin1Char(' '))) {
        if (!lines.isEmpty() &&
            metrics.horizontalAdvance(lines.last() + QLatin1Char(' ') + word) <= width)
            lines.last() += QLatin1Char(' ') + word;
        else
            lines << word;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

frmImport::frmImport(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Import Events"));
    setWindowIcon(appIcon());
    Label1 = new QLabel(
        QStringLiteral("Select Events to be Imported.  Those not selected already exist."), this);
    List1 = new QListView(this);
    items = new ImportListModel(this);
    List1->setModel(items);
    // Same-sized rows: the view never measures 100,000 items one by one.
    List1->setUniformItemSizes(true);
    List1->setIconSize(QSize(16, 16));
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Check1 = new QCheckBox(QStringLiteral("OverWrite existing Events"), this);
    const QStringList captions = {QStringLiteral("Select All"), QStringLiteral("Select None"),
                                  QStringLiteral("Import"), QStringLiteral("Cancel")};
    for (int i = 0; i < 4; ++i) {
        cmd[size_t(i)] = new QPushButton(captions[i], this);
        cmd[size_t(i)]->setAutoDefault(false);
        enterPressesButton(cmd[size_t(i)]);
        connect(cmd[size_t(i)], &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    }
    Label1->setGeometry(twipsRect(kMargin, kMargin / 2, 6000, kLabelHeight));
    for (int i = 0; i < 4; ++i)
        cmd[size_t(i)]->resize(twipsRect(0, 0, kButtonWidth, kButtonHeight).size());
    Check1->resize(twipsRect(0, 0, kButtonWidth, 2 * kButtonHeight).size());
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, Check1) +
                          style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, Check1);
    Check1->setText(wrapped(Check1->text(), Check1->fontMetrics(), Check1->width() - indicator));
    Check1->resize(Check1->width(), std::max(Check1->height(), Check1->sizeHint().height()));
    resize(twipsRect(0, 0, 7200, 5400).size());
    Form_Load();
}

void frmImport::Form_Load()
{
    gblCancel = true;
}

void frmImport::cmd_Click(int index)
{
    switch (index) {
    case 0:
        items->setAllChecked(true);
        break;
    case 1:
        items->setAllChecked(false);
        break;
    case 2:
        gblCancel = false;
        accept(); // hides the window; its controls stay readable
        break;
    case 3:
        reject();
        break;
    default:
        break;
    }
}

void frmImport::Form_Resize()
{
    const QRect outer = frameGeometry();
    const double W = pixelsToTwips(outer.width());
    const double H = pixelsToTwips(outer.height());
    const double top = kMargin / 2 + kLabelHeight;
    List1->setGeometry(twipsRect(kMargin, top, std::abs(W - 1680), std::abs(H - 800)));
    const double left = std::abs(W - 1575);
    double y = top;
    for (QPushButton *button : cmd) {
        button->move(twipsRect(left, y, 0, 0).topLeft());
        y += kButtonHeight + kButtonGap;
    }
    Check1->move(twipsRect(left, y, 0, 0).topLeft());
}

void frmImport::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}
