// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own registry: a hierarchical key/value store with the two
// roots HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, one .reg text file per
// root. Its operations mirror the Windows registry calls and answer with the
// Windows result codes, so that the registry procedures above it behave as
// they do on Windows. No operation throws.

#include <QString>
#include <QStringList>
#include <memory>

// Root keys, passed and stored as signed 32-bit numbers.
inline constexpr qint32 HKEY_CURRENT_USER = qint32(0x80000001u);
inline constexpr qint32 HKEY_LOCAL_MACHINE = qint32(0x80000002u);

// Access masks.
inline constexpr quint32 KEY_QUERY_VALUE = 0x1;
inline constexpr quint32 KEY_SET_VALUE = 0x2;
inline constexpr quint32 KEY_CREATE_SUB_KEY = 0x4;
inline constexpr quint32 KEY_ENUMERATE_SUB_KEYS = 0x8;
inline constexpr quint32 KEY_CREATE_LINK = 0x20;
inline constexpr quint32 KEY_ALL_ACCESS = 0x3F;

// Value types.
inline constexpr quint32 REG_NONE = 0;
inline constexpr quint32 REG_SZ = 1;
inline constexpr quint32 REG_EXPAND_SZ = 2;
inline constexpr quint32 REG_BINARY = 3;
inline constexpr quint32 REG_DWORD = 4;

// Result codes.
inline constexpr qint32 ERROR_SUCCESS = 0;
inline constexpr qint32 ERROR_FILE_NOT_FOUND = 2;
inline constexpr qint32 ERROR_ACCESS_DENIED = 5;
inline constexpr qint32 ERROR_INVALID_HANDLE = 6;
inline constexpr qint32 ERROR_OUTOFMEMORY = 14;
inline constexpr qint32 ERROR_INVALID_PARAMETER = 87;
inline constexpr qint32 ERROR_MORE_DATA = 234;
inline constexpr qint32 ERROR_NO_MORE_ITEMS = 259;
inline constexpr qint32 ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr qint32 ERROR_KEY_DELETED = 1018;

// An open key: which root, which path below it, and the access it was
// opened with. Closing it makes every further use fail with
// ERROR_INVALID_HANDLE, as does a key whose open failed.
struct RegKey
{
    qint32 root = 0;
    QStringList path;
    quint32 access = 0;
    bool open = false;
};

class RegistryFile;
class RegistryNode;

class RegistryStore
{
public:
    // The files lie where the environment says (see userFolder and
    // machineFolder), looked up again at every operation.
    RegistryStore();
    ~RegistryStore();
    RegistryStore(const RegistryStore &) = delete;
    RegistryStore &operator=(const RegistryStore &) = delete;

    // $XDG_CONFIG_HOME/Almarik2/registry (~/.config/Almarik2/registry, also
    // when XDG_CONFIG_HOME is not an absolute path).
    static QString userFolder();
    // The first folder of $XDG_CONFIG_DIRS + /Almarik2/registry
    // (/etc/xdg/Almarik2/registry).
    static QString machineFolder();
    // The file that holds a root, or "" for a number that is no root.
    static QString fileFor(qint32 root);
    // The root's name as the file writes it, or "" for no root.
    static QString rootName(qint32 root);
    // True when the root's file may be written: the environment variable
    // ALMARIK_REGISTRY_READONLY (root names, comma-separated) does not name
    // it, and the file and its folder (or the nearest folder that exists)
    // allow writing.
    static bool mayWrite(qint32 root);

    // Opens an existing key. An access mask that includes writing needs a
    // root that may be written.
    qint32 RegOpenKeyEx(qint32 root, const QString &subKey, quint32 samDesired, RegKey &result);
    // Opens a key, creating it and every missing key along the path. A path
    // deeper than 512 keys, or a key name longer than 255 characters, is
    // refused with ERROR_INVALID_PARAMETER (as by RegOpenKeyEx).
    qint32 RegCreateKeyEx(qint32 root, const QString &subKey, quint32 samDesired, RegKey &result);
    // dataLength is the buffer's size in characters on the way in, the
    // data's length on the way out (a string counts its terminating zero,
    // which data then holds as its last character). ERROR_MORE_DATA when the
    // buffer is too small. Data of other types comes back byte by byte.
    qint32 RegQueryValueEx(const RegKey &key, const QString &valueName, quint32 &type,
                           QString &data, quint32 &dataLength);
    // Writes a string value: the first dataLength characters of data plus
    // its terminating zero.
    qint32 RegSetValueEx(const RegKey &key, const QString &valueName, quint32 type,
                         const QString &data, quint32 dataLength);
    qint32 RegDeleteValue(const RegKey &key, const QString &valueName);
    // Subkeys in name order. nameLength is the buffer's size on the way in
    // and the name's length (without its zero) on the way out.
    qint32 RegEnumKeyEx(const RegKey &key, quint32 index, QString &name, quint32 &nameLength,
                        QString &className, quint32 &classLength);
    // Values in the order they were first written; lengths as for
    // RegEnumKeyEx and RegQueryValueEx.
    qint32 RegEnumValue(const RegKey &key, quint32 index, QString &name, quint32 &nameLength,
                        quint32 &type, QString &data, quint32 &dataLength);
    qint32 RegCloseKey(RegKey &key);

    // A batch of changes written once: from beginBatch() to endBatch() every
    // call answers as it would alone, but a change stays in memory, and each
    // root's lock, once a change took it, is kept to the end, so that no
    // other writer comes between. (A batch still running after a few
    // seconds writes what it has and locks again, before other writers
    // would take its lock over as stale.) Batches do not nest.
    void beginBatch();
    // Writes each root the batch changed and gives its lock back. Returns
    // ERROR_SUCCESS or the first failed write's code, as a single change's
    // failed write answers it; a root whose write failed keeps its file as
    // it was, and the batch's changes to it are dropped.
    qint32 endBatch();

    // What the user is to be told about the files since the last call (one
    // text per file that could not be read whole); the caller shows them.
    QStringList takeNotices();

private:
    qint32 openOrCreate(qint32 root, const QString &subKey, quint32 samDesired, bool create,
                        RegKey &result);
    RegistryFile *fileOf(qint32 root);
    // Runs operation(file, node) on the key's node when the key is open with
    // access; a change runs under the root's lock, on the file as it is now.
    template <typename F>
    qint32 withKey(const RegKey &key, quint32 access, bool change, F &&operation);

    std::unique_ptr<RegistryFile> m_user;
    std::unique_ptr<RegistryFile> m_machine;
};

// The process's registry.
RegistryStore &registryStore();
