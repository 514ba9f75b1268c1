// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ExchangeText.h"

#include "platform/AppError.h"
#include "platform/Windows1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace {

bool startsWith(const QByteArray &bytes, const char *mark, int n)
{
    return bytes.size() >= n && memcmp(bytes.constData(), mark, size_t(n)) == 0;
}

// Where well-formed UTF-8 ends (no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing past U+10FFFF): the offset of the
// first byte that breaks it, -1 when none does.
qsizetype firstInvalidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        int more = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            // Eight ASCII bytes at a time: most of a calendar is ASCII.
            ++i;
            quint64 word = 0;
            while (i + 8 <= n &&
                   (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080ULL) == 0))
                i += 8;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            cp = b & 0x07;
        } else {
            return i;
        }
        if (i + more >= n)
            return i;
        for (int k = 1; k <= more; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return i;
        i += more + 1;
    }
    return -1;
}

bool validUtf8(const QByteArray &bytes)
{
    return firstInvalidUtf8(bytes) < 0;
}

bool isAscii(const QByteArray &bytes)
{
    for (const char b : bytes) {
        if (quint8(b) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

TextForm detectTextForm(const QByteArray &bytes)
{
    if (startsWith(bytes, "\xEF\xBB\xBF", 3))
        return TextForm::Utf8Bom;
    if (startsWith(bytes, "\xFF\xFE", 2))
        return TextForm::Utf16LE;
    if (startsWith(bytes, "\xFE\xFF", 2))
        return TextForm::Utf16BE;
    if (isAscii(bytes))
        return TextForm::Undecided;
    return validUtf8(bytes) ? TextForm::Utf8 : TextForm::Windows1252;
}

QString decodeText(const QByteArray &bytes)
{
    switch (detectTextForm(bytes)) {
    case TextForm::Utf8Bom: {
        // A mark before bytes that are no UTF-8 does not make them UTF-8.
        const QByteArray rest = bytes.mid(3);
        return validUtf8(rest) ? QString::fromUtf8(rest) : fromWindows1252(rest);
    }
    case TextForm::Utf16LE:
        return QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(2));
    case TextForm::Utf16BE:
        return QStringDecoder(QStringDecoder::Utf16BE)(bytes.mid(2));
    case TextForm::Utf8:
        return QString::fromUtf8(bytes);
    case TextForm::Windows1252:
        return fromWindows1252(bytes);
    case TextForm::Undecided:
        break;
    }
    return QString::fromLatin1(bytes);
}

bool fitsWindows1252(const QString &text)
{
    for (const QChar c : text) {
        if (windows1252Byte(c.unicode()) < 0)
            return false;
    }
    return true;
}

QByteArray encodeText(const QString &text, TextForm form)
{
    if (form == TextForm::Undecided)
        form = fitsWindows1252(text) ? TextForm::Windows1252 : TextForm::Utf8;
    switch (form) {
    case TextForm::Windows1252: {
        QByteArray out(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int b = windows1252Byte(text[i].unicode());
            if (b < 0)
                throw AppError(ErrNo::InvalidCall,
                               QStringLiteral("The file is in the Windows-1252 code page, which "
                                              "has no place for the character \"") +
                                   text[i] + QStringLiteral("\"."));
            out[i] = char(b);
        }
        return out;
    }
    case TextForm::Utf16LE:
        return QStringEncoder(QStringEncoder::Utf16LE)(text);
    case TextForm::Utf16BE:
        return QStringEncoder(QStringEncoder::Utf16BE)(text);
    default:
        return text.toUtf8();
    }
}

TextForm fileForm(const QString &text, TextForm form)
{
    if (form != TextForm::Undecided)
        return form;
    return fitsWindows1252(text) ? TextForm::Windows1252 : TextForm::Utf8Bom;
}

QByteArray encodeFile(const QString &text, TextForm form)
{
    form = fileForm(text, form);
    return byteOrderMark(form) + encodeText(text, form);
}

QByteArray byteOrderMark(TextForm form)
{
    switch (form) {
    case TextForm::Utf8Bom:
        return QByteArrayLiteral("\xEF\xBB\xBF");
    case TextForm::Utf16LE:
        return QByteArrayLiteral("\xFF\xFE");
    case TextForm::Utf16BE:
        return QByteArrayLiteral("\xFE\xFF");
    default:
        return {};
    }
}

QStringList textLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

int invalidUtf8Line(const QByteArray &bytes)
{
    const qsizetype at = firstInvalidUtf8(bytes);
    if (at < 0)
        return 0;
    return int(std::count(bytes.constData(), bytes.constData() + at, '\n')) + 1;
}
