#include "editor/ExchangeText.h"

#include "platform/AppError.h"
#include "platform/RegistryText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// Windows-1252's bytes 0x80-0x9F, as fromWindows1252 reads them.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of c, or -1 when it has none.
int windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == c)
            return 0x80 + i;
    }
    return -1;
}

bool startsWith(const QByteArray &bytes, const char *mark, int n)
{
    return bytes.size() >= n && memcmp(bytes.constData(), mark, size_t(n)) == 0;
}

bool validUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
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
    case TextForm::Utf8Bom:
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
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

QByteArray byteOrderMark(TextForm form)
{
    switch (form) {
    case TextForm::Utf8Bom: return QByteArrayLiteral("\xEF\xBB\xBF");
    case TextForm::Utf16LE: return QByteArrayLiteral("\xFF\xFE");
    case TextForm::Utf16BE: return QByteArrayLiteral("\xFE\xFF");
    default: return {};
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
