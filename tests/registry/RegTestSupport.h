#pragma once
// What the registry tests share: a grid that records what the listings do,
// and direct access to the store's files.

#include "platform/AppError.h"
#include "platform/Registry.h"
#include "registry/FlexGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

class RecordingGrid final : public FlexGrid
{
public:
    QString typeName = QStringLiteral("MSFlexGrid");
    QStringList rows;
    QList<int> fixedRows;
    bool failAdd = false;

    QString TypeName() const override { return typeName; }
    void AddItem(const QString &item) override
    {
        if (failAdd)
            throw AppError(9, QStringLiteral("Subscript out of range"));
        rows << item;
    }
    void setFixedRows(int n) override { fixedRows << n; }
};

inline void writeStoreFile(qint32 root, const QByteArray &text)
{
    const QString path = RegistryStore::fileFor(root);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(text);
}

inline QByteArray readStoreFile(qint32 root)
{
    QFile f(RegistryStore::fileFor(root));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Makes a root read-only for the store while it lives.
class ReadOnlyRoot
{
public:
    explicit ReadOnlyRoot(const char *names) { qputenv("ALMARIK_REGISTRY_READONLY", names); }
    ~ReadOnlyRoot() { qunsetenv("ALMARIK_REGISTRY_READONLY"); }
};
