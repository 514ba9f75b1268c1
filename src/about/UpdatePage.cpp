// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/UpdatePage.h"

#include <cstdlib>

QString UpdateLabelText(const ProgramVersion &version)
{
    return QStringLiteral("   [Your current Version: ") + versionNumbers(version) +
           QStringLiteral("]   Close Almarik down before attempting to replace the program file "
                          "with that contained within the Update");
}

int WebHeight(int innerHeight, int labelHeight)
{
    return std::abs(innerHeight - labelHeight);
}

QString RefusedAddressReason(const QUrl &address)
{
    if (!address.isValid() || address.isRelative())
        return QStringLiteral("The address \"") + address.toString() +
               QStringLiteral("\" is not a complete web address.");
    const QString scheme = address.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return QStringLiteral("The address \"") + address.toString() +
               QStringLiteral("\" is not a web address.");
    if (address.host().isEmpty())
        return QStringLiteral("The address \"") + address.toString() +
               QStringLiteral("\" names no server.");
    return {};
}

PageLink ClickedLink(const QUrl &page, const QUrl &link)
{
    PageLink out{page.resolved(link), {}};
    out.refusal = RefusedAddressReason(out.address);
    if (!out.refusal.isEmpty())
        out.refusal += QStringLiteral(" The link is not opened.");
    return out;
}

QString ErrorPageHtml(const QUrl &address, const QString &reason)
{
    return QStringLiteral("<html><body><h3>The update page could not be shown</h3><p>") +
           address.toDisplayString().toHtmlEscaped() + QStringLiteral("</p><p>") +
           reason.toHtmlEscaped() + QStringLiteral("</p></body></html>");
}
