// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keys and values of one registry root in memory. Names compare by one
// rule for keys and values alike (see sameRegName); the first spelling is kept.

#include "platform/Registry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

// The limits Windows sets: a key path at most 512 levels deep, each key name
// at most 255 characters. They keep a file from growing without bound.
inline constexpr int kMaxKeyDepth = 512;
inline constexpr int kMaxKeyNameLength = 255;

// Names compare by simple case folding, letter by letter, as Windows
// compares them: "Straße" and "STRASSE" stay two names.
inline int compareRegNames(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive);
}
inline bool sameRegName(const QString &a, const QString &b)
{
    return compareRegNames(a, b) == 0;
}

struct RegistryValue
{
    QString name; // "" for the key's default value
    quint32 type = REG_SZ;
    QString text;     // string types (REG_SZ, REG_EXPAND_SZ)
    QByteArray bytes; // every other type

    bool isString() const { return type == REG_SZ || type == REG_EXPAND_SZ; }
};

class RegistryNode
{
public:
    explicit RegistryNode(QString name) : m_name(std::move(name)) {}

    const QString &name() const { return m_name; }

    // Subkeys in name order (letter case ignored).
    int childCount() const { return int(m_children.size()); }
    RegistryNode *childAt(int index) const;
    RegistryNode *child(const QString &name) const;
    // The existing subkey of that name, or a new one.
    RegistryNode *addChild(const QString &name);
    // Removes a subkey with everything below it; false when there is none.
    bool removeChild(const QString &name);
    // The key at the end of path, or nullptr when one is missing.
    RegistryNode *find(const QStringList &path);

    // Values in the order they were first written.
    const std::vector<RegistryValue> &values() const { return m_values; }
    const RegistryValue *value(const QString &name) const;
    // Replaces the value of the same name in its place, or appends it.
    void setValue(RegistryValue value);
    bool removeValue(const QString &name);

private:
    struct NameLess
    {
        bool operator()(const QString &a, const QString &b) const
        {
            return compareRegNames(a, b) < 0;
        }
    };

    QString m_name;
    std::map<QString, std::unique_ptr<RegistryNode>, NameLess> m_children;
    std::vector<RegistryValue> m_values;
};

// True for a key or value name the file form can hold.
bool isStorableName(const QString &name);
