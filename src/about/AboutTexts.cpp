// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/AboutTexts.h"

#include <QStringList>

// The addresses come from the build (CMake cache variables), so that a
// packager can point them elsewhere.
#ifndef ALMARIK_PRODUCT_PAGE
#error "ALMARIK_PRODUCT_PAGE must be defined by the build"
#endif

ProgramVersion parseVersion(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    auto part = [&parts](int i) { return i < parts.size() ? parts[i].toInt() : 0; };
    return {part(0), part(1), part(2)};
}

ProgramVersion programVersion()
{
    return parseVersion(QStringLiteral(ALMARIK_VERSION));
}

QString versionNumbers(const ProgramVersion &version)
{
    return QString::number(version.major) + QLatin1Char('.') + QString::number(version.minor) +
           QLatin1Char('.') + QString::number(version.revision);
}

QString VersionText(const ProgramVersion &version)
{
    return QStringLiteral("Version ") + versionNumbers(version);
}

QString FileDescription()
{
    return QStringLiteral("Almarik shows a months upcoming events on startup");
}

QString LegalTrademarks()
{
    return QStringLiteral("Almarik");
}

QString LegalCopyright()
{
    return QStringLiteral("\u00a9 the Almarik developers");
}

QString VarkText()
{
    return LegalTrademarks() + QStringLiteral("       ") + LegalCopyright();
}

QString DisclaimerText(const QString &databasename)
{
    return QStringLiteral("Use this software at your own risk.\r\n\r\n") + databasename;
}

QString ProductPageAddress()
{
    return QStringLiteral(ALMARIK_PRODUCT_PAGE);
}

QString MailAddress()
{
    return QStringLiteral(ALMARIK_MAIL_LINK);
}

QString UpdatePageAddress()
{
    return QStringLiteral(ALMARIK_UPDATE_PAGE);
}
