// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryText.h"

#include "platform/RegistryTree.h"
#include "platform/Windows1252.h"

#include <QStringDecoder>
#include <QtEndian>

namespace {

const QString kHeader5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kHeader4 = QStringLiteral("REGEDIT4");

// Reads a quoted text starting at pos (on the opening quote), with "\\" and
// "\"" as the only escapes; pos ends after the closing quote.
bool readQuoted(const QString &s, qsizetype &pos, QString &out)
{
    out.clear();
    if (pos >= s.size() || s[pos] != QLatin1Char('"'))
        return false;
    ++pos;
    while (pos < s.size()) {
        const QChar c = s[pos];
        if (c == QLatin1Char('\\')) {
            if (pos + 1 >= s.size())
                return false;
            const QChar next = s[pos + 1];
            if (next != QLatin1Char('\\') && next != QLatin1Char('"'))
                return false;
            out += next;
            pos += 2;
        } else if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        } else {
            out += c;
            ++pos;
        }
    }
    return false;
}

QString quoted(const QString &s)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

bool parseHexBytes(const QString &list, QByteArray &out)
{
    out.clear();
    const QString trimmed = list.trimmed();
    if (trimmed.isEmpty())
        return true;
    for (const QString &part : trimmed.split(QLatin1Char(','))) {
        const QString b = part.trimmed();
        bool ok = false;
        const uint v = b.toUInt(&ok, 16);
        if (!ok || b.size() > 2 || v > 0xFF)
            return false;
        out.append(char(v));
    }
    return true;
}

QString utf16Text(const QByteArray &bytes)
{
    QString s(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        s[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * i));
    return s;
}

// A string value's bytes: UTF-16 in version 5 files, the 8-bit code page
// in REGEDIT4 ones; the terminating zero is dropped.
QString stringFromBytes(const QByteArray &bytes, bool unicode)
{
    QString s = unicode ? utf16Text(bytes) : fromWindows1252(bytes);
    if (s.endsWith(QChar(0)))
        s.chop(1);
    return s;
}

QByteArray utf16Bytes(const QString &s)
{
    QByteArray out;
    out.reserve((s.size() + 1) * 2);
    for (const QChar c : s) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    out.append('\0');
    out.append('\0');
    return out;
}

QString hexForm(const QString &prefix, const QByteArray &bytes)
{
    // Continued lines as regedit writes them, so that lines stay short.
    QString out = prefix;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += QLatin1Char(',');
            if (i % 25 == 0)
                out += QStringLiteral("\\\n  ");
        }
        out += QStringLiteral("%1").arg(uint(quint8(bytes[i])), 2, 16, QLatin1Char('0'));
    }
    return out;
}

QString valueLine(const RegistryValue &v)
{
    const QString name = v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name);
    if (v.isString()) {
        const bool plain = v.type == REG_SZ && !v.text.contains(QChar(0)) &&
                           !v.text.contains(QLatin1Char('\n')) &&
                           !v.text.contains(QLatin1Char('\r'));
        if (plain)
            return name + QLatin1Char('=') + quoted(v.text);
        return name + QStringLiteral("=") +
               hexForm(QStringLiteral("hex(%1):").arg(v.type, 0, 16), utf16Bytes(v.text));
    }
    if (v.type == REG_DWORD && v.bytes.size() == 4)
        return name + QStringLiteral("=dword:") +
               QStringLiteral("%1").arg(qFromLittleEndian<quint32>(v.bytes.constData()), 8, 16,
                                        QLatin1Char('0'));
    if (v.type == REG_BINARY)
        return name + QLatin1Char('=') + hexForm(QStringLiteral("hex:"), v.bytes);
    return name + QLatin1Char('=') +
           hexForm(QStringLiteral("hex(%1):").arg(v.type, 0, 16), v.bytes);
}

void writeKey(const RegistryNode &node, const QString &path, bool isRoot, QString &out)
{
    if (!isRoot || !node.values().empty()) {
        out += QStringLiteral("\n[") + path + QStringLiteral("]\n");
        for (const RegistryValue &v : node.values())
            out += valueLine(v) + QLatin1Char('\n');
    }
    for (int i = 0; i < node.childCount(); ++i) {
        const RegistryNode *child = node.childAt(i);
        writeKey(*child, path + QLatin1Char('\\') + child->name(), false, out);
    }
}

// One line of the file as text, or the reason it could not be decoded.
struct Line
{
    QString text;
    QString undecodable;
};

// The file's lines. A UTF-16 file (byte order mark FF FE) is decoded whole;
// other files line by line, as Windows-1252 when the header says REGEDIT4,
// otherwise as UTF-8, so that one bad byte costs only its own line.
std::vector<Line> splitLines(const QByteArray &raw)
{
    std::vector<Line> lines;
    if (raw.startsWith("\xFF\xFE")) {
        const QByteArray data = raw.mid(2);
        for (const QString &text : utf16Text(data).split(QLatin1Char('\n')))
            lines.push_back({text, {}});
        if (data.size() % 2 != 0)
            lines.back().undecodable = QStringLiteral("an odd number of bytes in UTF-16 text");
        return lines;
    }
    const QList<QByteArray> byteLines =
        (raw.startsWith("\xEF\xBB\xBF") ? raw.mid(3) : raw).split('\n');
    bool codePage = false;
    for (const QByteArray &b : byteLines) {
        if (!b.trimmed().isEmpty()) {
            codePage = b.trimmed() == "REGEDIT4";
            break;
        }
    }
    lines.reserve(size_t(byteLines.size()));
    for (const QByteArray &b : byteLines) {
        if (codePage) {
            lines.push_back({fromWindows1252(b), {}});
            continue;
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(b);
        if (decoder.hasError())
            lines.push_back({{}, QStringLiteral("the text is not UTF-8")});
        else
            lines.push_back({std::move(text), {}});
    }
    return lines;
}

// Reads the lines into a root, remembering the first it could not.
class Reader
{
public:
    Reader(std::vector<Line> lines, const QString &rootName, RegistryNode &root)
        : m_lines(std::move(lines)), m_rootName(rootName), m_root(root)
    {
    }

    RegTextFault run()
    {
        bool headerSeen = false;
        for (m_i = 0; m_i < m_lines.size(); ++m_i) {
            m_at = m_i;
            if (!m_lines[m_i].undecodable.isEmpty()) {
                fault(m_lines[m_i].undecodable);
                continue;
            }
            const QString line = m_lines[m_i].text.trimmed();
            if (line.isEmpty())
                continue;
            if (!headerSeen) {
                headerSeen = true;
                m_unicode = line != kHeader4;
                if (line == kHeader4 || line == kHeader5)
                    continue;
                // Without its header the file is still read as far as it
                // can be.
                fault(QStringLiteral("no registry file header"));
            }
            if (line.startsWith(QLatin1Char(';')))
                continue;
            if (line.startsWith(QLatin1Char('[')))
                section(line);
            else
                valueLine(line);
        }
        return m_fault;
    }

private:
    // Notes the line where the item being read starts; always false.
    bool fault(const QString &reason)
    {
        if (m_fault.line == 0)
            m_fault = {int(m_at + 1), reason};
        return false;
    }

    bool section(const QString &line)
    {
        m_current = nullptr; // the values of a section that cannot be read go nowhere
        if (!line.endsWith(QLatin1Char(']')) || line.size() < 3)
            return fault(QStringLiteral("unfinished key name"));
        const bool remove = line[1] == QLatin1Char('-');
        QStringList parts =
            line.mid(remove ? 2 : 1, line.size() - (remove ? 3 : 2)).split(QLatin1Char('\\'));
        if (!sameRegName(parts.first(), m_rootName))
            return fault(QStringLiteral("a key outside ") + m_rootName);
        parts.removeFirst();
        if (!parts.isEmpty() && parts.last().isEmpty())
            parts.removeLast();
        if (parts.size() > kMaxKeyDepth)
            return fault(QStringLiteral("a key more than %1 levels deep").arg(kMaxKeyDepth));
        for (const QString &part : parts) {
            if (part.isEmpty())
                return fault(QStringLiteral("an empty key name"));
            if (part.size() > kMaxKeyNameLength)
                return fault(
                    QStringLiteral("a key name longer than %1 characters").arg(kMaxKeyNameLength));
        }
        if (remove) {
            if (parts.isEmpty())
                return fault(QStringLiteral("a deletion of the whole root"));
            const QString last = parts.takeLast();
            if (RegistryNode *parent = m_root.find(parts))
                parent->removeChild(last);
            return true;
        }
        m_current = &m_root;
        for (const QString &part : parts)
            m_current = m_current->addChild(part);
        return true;
    }

    bool valueLine(const QString &line)
    {
        // A hex value's continuation lines belong to it, read or not.
        QString whole = line;
        while (whole.endsWith(QLatin1Char('\\')) && m_i + 1 < m_lines.size()) {
            whole.chop(1);
            whole += m_lines[++m_i].text.trimmed();
        }
        if (!m_current)
            return fault(QStringLiteral("a value outside any key"));
        RegistryValue value;
        qsizetype pos = 0;
        if (whole.startsWith(QLatin1Char('@')))
            pos = 1;
        else if (!readQuoted(whole, pos, value.name))
            return fault(QStringLiteral("a value name that cannot be read"));
        QString rest = whole.mid(pos).trimmed();
        if (!rest.startsWith(QLatin1Char('=')))
            return fault(QStringLiteral("no '=' after the value name"));
        rest = rest.mid(1).trimmed();
        if (rest == QLatin1String("-")) {
            m_current->removeValue(value.name);
            return true;
        }
        if (!readData(rest, value))
            return false;
        m_current->setValue(std::move(value));
        return true;
    }

    bool readData(const QString &rest, RegistryValue &value)
    {
        if (rest.startsWith(QLatin1Char('"'))) {
            qsizetype p = 0;
            if (!readQuoted(rest, p, value.text) || !rest.mid(p).trimmed().isEmpty())
                return fault(QStringLiteral("a text value that cannot be read"));
            value.type = REG_SZ;
            return true;
        }
        if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QString digits = rest.mid(6).trimmed();
            bool ok = false;
            const quint32 n = digits.toUInt(&ok, 16);
            if (!ok || digits.size() > 8)
                return fault(QStringLiteral("a dword value that cannot be read"));
            value.type = REG_DWORD;
            value.bytes.resize(4);
            qToLittleEndian(n, value.bytes.data());
            return true;
        }
        if (!rest.startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
            return fault(QStringLiteral("a value that cannot be read"));
        // "hex:" is binary; "hex(n):" names the type n in hexadecimal.
        const qsizetype colon = rest.indexOf(QLatin1Char(':'));
        const QString kind = colon < 0 ? QString() : rest.left(colon).mid(3);
        bool ok = colon >= 0;
        quint32 type = REG_BINARY;
        if (ok && !kind.isEmpty()) {
            ok = kind.size() >= 3 && kind.startsWith(QLatin1Char('(')) &&
                 kind.endsWith(QLatin1Char(')'));
            if (ok)
                type = kind.mid(1, kind.size() - 2).toUInt(&ok, 16);
        }
        if (!ok)
            return fault(QStringLiteral("a hex value type that cannot be read"));
        QByteArray bytes;
        if (!parseHexBytes(rest.mid(colon + 1), bytes))
            return fault(QStringLiteral("hex bytes that cannot be read"));
        value.type = type;
        if (!value.isString()) {
            value.bytes = bytes;
            return true;
        }
        if (m_unicode && bytes.size() % 2 != 0)
            return fault(QStringLiteral("an odd number of bytes in a text"));
        value.text = stringFromBytes(bytes, m_unicode);
        return true;
    }

    std::vector<Line> m_lines;
    const QString &m_rootName;
    RegistryNode &m_root;
    RegistryNode *m_current = nullptr;
    bool m_unicode = true;
    size_t m_i = 0;  // the line being read
    size_t m_at = 0; // the line where the item being read starts
    RegTextFault m_fault;
};

} // namespace

RegTextFault parseRegText(const QByteArray &raw, const QString &rootName, RegistryNode &root)
{
    return Reader(splitLines(raw), rootName, root).run();
}

QByteArray regText(const RegistryNode &root, const QString &rootName)
{
    QString out = kHeader5 + QLatin1Char('\n');
    writeKey(root, rootName, true, out);
    return out.toUtf8();
}
