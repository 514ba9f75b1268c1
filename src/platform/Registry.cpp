// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Registry.h"

#include "platform/ErrorStyles.h"
#include "platform/RegistryFile.h"
#include "platform/RegistryLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <new>
#include <optional>
#include <unistd.h>

namespace {

const QString kSubFolder = QStringLiteral("/Almarik2/registry");

// The key path as its names; false for a path that names an empty key, a
// name too long, one the file form cannot hold, or too many levels. A
// trailing backslash is allowed.
bool splitPath(const QString &subKey, QStringList &parts)
{
    parts.clear();
    if (subKey.isEmpty())
        return true;
    parts = subKey.split(QLatin1Char('\\'));
    if (parts.last().isEmpty())
        parts.removeLast();
    if (parts.size() > kMaxKeyDepth)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > kMaxKeyNameLength || !isStorableName(part))
            return false;
    }
    return true;
}

bool folderMayBeWritten(const QString &folder)
{
    // The folder is made when the first value is written: what counts then
    // is the nearest folder that exists.
    QFileInfo info(folder);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return false;
        info = QFileInfo(parent);
    }
    return info.isDir() &&
           ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) == 0;
}

bool wantsWrite(quint32 samDesired)
{
    return samDesired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK);
}

} // namespace

RegistryStore::RegistryStore()
    : m_user(std::make_unique<RegistryFile>(HKEY_CURRENT_USER)),
      m_machine(std::make_unique<RegistryFile>(HKEY_LOCAL_MACHINE))
{
}

RegistryStore::~RegistryStore() = default;

QString RegistryStore::userFolder()
{
    // A relative XDG_CONFIG_HOME is invalid and is ignored, as the XDG rules
    // say.
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome) + kSubFolder;
    return QDir::homePath() + QStringLiteral("/.config") + kSubFolder;
}

QString RegistryStore::machineFolder()
{
    const QStringList dirs =
        qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : dirs) {
        if (QDir::isAbsolutePath(dir))
            return QDir::cleanPath(dir) + kSubFolder;
    }
    return QStringLiteral("/etc/xdg") + kSubFolder;
}

QString RegistryStore::rootName(qint32 root)
{
    if (root == HKEY_CURRENT_USER)
        return QStringLiteral("HKEY_CURRENT_USER");
    if (root == HKEY_LOCAL_MACHINE)
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    return {};
}

QString RegistryStore::fileFor(qint32 root)
{
    const QString name = rootName(root);
    if (name.isEmpty())
        return {};
    return (root == HKEY_CURRENT_USER ? userFolder() : machineFolder()) + QLatin1Char('/') + name +
           QStringLiteral(".reg");
}

bool RegistryStore::mayWrite(qint32 root)
{
    const QString name = rootName(root);
    if (name.isEmpty())
        return false;
    const QStringList readOnly =
        qEnvironmentVariable("ALMARIK_REGISTRY_READONLY").split(QLatin1Char(','));
    for (const QString &entry : readOnly) {
        if (entry.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return false;
    }
    const QString path = fileFor(root);
    const QFileInfo info(path);
    if (info.exists() && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return false;
    return folderMayBeWritten(info.absolutePath());
}

QStringList RegistryStore::takeNotices()
{
    QStringList notices;
    for (RegistryFile *file : {m_user.get(), m_machine.get()}) {
        const QString notice = file->takeNotice();
        if (!notice.isEmpty())
            notices << notice;
    }
    return notices;
}

RegistryFile *RegistryStore::fileOf(qint32 root)
{
    if (root == HKEY_CURRENT_USER)
        return m_user.get();
    if (root == HKEY_LOCAL_MACHINE)
        return m_machine.get();
    return nullptr;
}

namespace {

// Every operation answers with a code: a failure inside the store (out of
// memory, a prompt that fails) is a code too, never an exception.
template <typename F> qint32 guarded(F &&operation)
{
    qint32 rc = ERROR_SUCCESS;
    showingErrors([&] { rc = operation(); },
                  [&rc](const AppError &e) {
                      rc = e.number() == ErrNo::OutOfMemory ? ERROR_OUTOFMEMORY
                                                            : ERROR_REGISTRY_IO_FAILED;
                  });
    return rc;
}

} // namespace

template <typename F>
qint32 RegistryStore::withKey(const RegKey &key, quint32 access, bool change, F &&operation)
{
    if (!key.open)
        return ERROR_INVALID_HANDLE;
    if (!(key.access & access))
        return ERROR_ACCESS_DENIED;
    RegistryFile *file = fileOf(key.root);
    if (!file)
        return ERROR_INVALID_HANDLE;
    return guarded([&] {
        // A change holds the root's lock from reading the file to saving it.
        std::optional<RegistryLock> lock;
        if (change) {
            if (const qint32 rc = file->lockForChange(lock))
                return rc;
        }
        RegistryNode *node = file->tree(change).find(key.path);
        return node ? operation(*file, *node) : ERROR_KEY_DELETED;
    });
}

void RegistryStore::beginBatch()
{
    m_user->beginBatch();
    m_machine->beginBatch();
}

qint32 RegistryStore::endBatch()
{
    qint32 first = ERROR_SUCCESS;
    for (RegistryFile *file : {m_user.get(), m_machine.get()}) {
        const qint32 rc = guarded([file] { return file->endBatch(); });
        if (first == ERROR_SUCCESS)
            first = rc;
    }
    return first;
}

qint32 RegistryStore::openOrCreate(qint32 root, const QString &subKey, quint32 samDesired,
                                   bool create, RegKey &result)
{
    result = RegKey{};
    RegistryFile *file = fileOf(root);
    if (!file)
        return ERROR_INVALID_HANDLE;
    QStringList parts;
    if (!splitPath(subKey, parts))
        return ERROR_INVALID_PARAMETER;
    return guarded([&] {
        std::optional<RegistryLock> lock;
        if (create) {
            if (const qint32 rc = file->lockForChange(lock))
                return rc;
        }
        RegistryNode &top = file->tree(create);
        RegistryNode *node = top.find(parts);
        if (!node) {
            if (!create)
                return ERROR_FILE_NOT_FOUND;
            if (!file->writable())
                return ERROR_ACCESS_DENIED;
            node = &top;
            for (const QString &part : parts)
                node = node->addChild(part);
            if (const qint32 rc = file->changed())
                return rc;
        } else if (wantsWrite(samDesired) && !file->writable()) {
            return ERROR_ACCESS_DENIED;
        }
        result = RegKey{root, parts, samDesired, true};
        return ERROR_SUCCESS;
    });
}

qint32 RegistryStore::RegOpenKeyEx(qint32 root, const QString &subKey, quint32 samDesired,
                                   RegKey &result)
{
    return openOrCreate(root, subKey, samDesired, false, result);
}

qint32 RegistryStore::RegCreateKeyEx(qint32 root, const QString &subKey, quint32 samDesired,
                                     RegKey &result)
{
    return openOrCreate(root, subKey, samDesired, true, result);
}

namespace {

// The data of a value as the calls hand it out: a string with its
// terminating zero, other types byte by byte.
QString dataOf(const RegistryValue &v)
{
    if (v.isString())
        return v.text + QChar(0);
    return QString::fromLatin1(v.bytes);
}

} // namespace

qint32 RegistryStore::RegQueryValueEx(const RegKey &key, const QString &valueName, quint32 &type,
                                      QString &data, quint32 &dataLength)
{
    return withKey(key, KEY_QUERY_VALUE, false, [&](RegistryFile &, RegistryNode &node) {
        const RegistryValue *v = node.value(valueName);
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        const QString d = dataOf(*v);
        type = v->type;
        if (quint32(d.size()) > dataLength) {
            dataLength = quint32(d.size());
            return ERROR_MORE_DATA;
        }
        data = d;
        dataLength = quint32(d.size());
        return ERROR_SUCCESS;
    });
}

qint32 RegistryStore::RegSetValueEx(const RegKey &key, const QString &valueName, quint32 type,
                                    const QString &data, quint32 dataLength)
{
    return withKey(key, KEY_SET_VALUE, true, [&](RegistryFile &file, RegistryNode &node) {
        if ((type != REG_SZ && type != REG_EXPAND_SZ) || valueName.size() > 16383 ||
            !isStorableName(valueName))
            return ERROR_INVALID_PARAMETER;
        if (!file.writable())
            return ERROR_ACCESS_DENIED;
        QString text = QString(data + QChar(0)).left(qsizetype(dataLength));
        if (text.endsWith(QChar(0)))
            text.chop(1);
        node.setValue(RegistryValue{valueName, type, text, {}});
        return file.changed();
    });
}

qint32 RegistryStore::RegDeleteValue(const RegKey &key, const QString &valueName)
{
    return withKey(key, KEY_SET_VALUE, true, [&](RegistryFile &file, RegistryNode &node) {
        if (!node.value(valueName))
            return ERROR_FILE_NOT_FOUND;
        if (!file.writable())
            return ERROR_ACCESS_DENIED;
        node.removeValue(valueName);
        return file.changed();
    });
}

qint32 RegistryStore::RegEnumKeyEx(const RegKey &key, quint32 index, QString &name,
                                   quint32 &nameLength, QString &className, quint32 &classLength)
{
    return withKey(key, KEY_ENUMERATE_SUB_KEYS, false, [&](RegistryFile &, RegistryNode &node) {
        if (index >= quint32(node.childCount()))
            return ERROR_NO_MORE_ITEMS;
        const QString &childName = node.childAt(int(index))->name();
        if (quint32(childName.size()) >= nameLength)
            return ERROR_MORE_DATA;
        name = childName;
        nameLength = quint32(childName.size());
        className.clear();
        classLength = 0;
        return ERROR_SUCCESS;
    });
}

qint32 RegistryStore::RegEnumValue(const RegKey &key, quint32 index, QString &name,
                                   quint32 &nameLength, quint32 &type, QString &data,
                                   quint32 &dataLength)
{
    return withKey(key, KEY_QUERY_VALUE, false, [&](RegistryFile &, RegistryNode &node) {
        if (index >= quint32(node.values().size()))
            return ERROR_NO_MORE_ITEMS;
        const RegistryValue &v = node.values()[index];
        const QString d = dataOf(v);
        if (quint32(v.name.size()) >= nameLength)
            return ERROR_MORE_DATA;
        if (quint32(d.size()) > dataLength) {
            dataLength = quint32(d.size());
            return ERROR_MORE_DATA;
        }
        name = v.name;
        nameLength = quint32(v.name.size());
        type = v.type;
        data = d;
        dataLength = quint32(d.size());
        return ERROR_SUCCESS;
    });
}

qint32 RegistryStore::RegCloseKey(RegKey &key)
{
    if (!key.open)
        return ERROR_INVALID_HANDLE;
    key = RegKey{};
    return ERROR_SUCCESS;
}

RegistryStore &registryStore()
{
    static RegistryStore store;
    return store;
}
