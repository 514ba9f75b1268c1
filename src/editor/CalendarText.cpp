// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/CalendarText.h"

#include "editor/CalendarImport.h"
#include "editor/ExchangeText.h"
#include "platform/AppError.h"

#include <QStringDecoder>

#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// True when the first line of text that is not blank is first.
bool firstLineIs(const QByteArray &text, const QByteArray &first)
{
    qsizetype at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    if (text.size() - at < first.size() ||
        qstrnicmp(text.constData() + at, first.constData(), size_t(first.size())) != 0)
        return false;
    for (at += first.size(); at < text.size() && text[at] != '\n'; ++at) {
        if (!isBlank(text[at]))
            return false;
    }
    return true;
}

QByteArray fromUtf16(const QByteArray &bytes, QStringDecoder::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return {};
    return text.toUtf8();
}

} // namespace

QByteArray calendarFileText(const QByteArray &bytes, const QString &kind, const QByteArray &first)
{
    const TextForm form = detectTextForm(bytes.left(3)); // the mark alone
    const auto notBeginning = [&] {
        return unreadableFile(kind, QStringLiteral("it does not begin with ") +
                                        QString::fromLatin1(first) + QLatin1Char('.'));
    };
    if (form == TextForm::Utf16LE || form == TextForm::Utf16BE) {
        const auto encoding =
            form == TextForm::Utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE;
        // The head alone first: blank lines and the first line fit in it.
        QStringDecoder head(encoding, QStringDecoder::Flag::Stateless);
        if (!firstLineIs(QString(head(bytes.mid(2, 8192))).toUtf8(), first))
            throw notBeginning();
        const QByteArray text = bytes.size() % 2 == 0 ? fromUtf16(bytes.mid(2), encoding) : "";
        if (text.isEmpty())
            throw unreadableFile(kind, QStringLiteral("it is not UTF-16 text."));
        return text;
    }
    const QByteArray text = form == TextForm::Utf8Bom ? bytes.mid(3) : bytes;
    if (!firstLineIs(text.left(8192), first))
        throw notBeginning();
    return text;
}

int overlongLine(const QByteArray &bytes, qsizetype maxBytes)
{
    int number = 1;
    const char *data = bytes.constData();
    for (qsizetype from = 0; from < bytes.size(); ++number) {
        const auto *newline =
            static_cast<const char *>(std::memchr(data + from, '\n', size_t(bytes.size() - from)));
        const qsizetype end = newline ? newline - data : bytes.size();
        qsizetype length = end - from;
        if (length > 0 && end < bytes.size() && bytes[end - 1] == '\r')
            --length;
        if (length > maxBytes)
            return number;
        from = end + 1;
    }
    return 0;
}
