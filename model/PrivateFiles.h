#pragma once

// The folders and files Kestro keeps for itself (recovery copies, settings,
// locks, the instance socket) are the user's alone: folders 0700, files
// 0600, whatever the umask, so that another user of the machine reads
// neither a project its owner keeps private nor what the instance guard
// exchanges. QtCore and POSIX only.
//
// Nothing here follows a symbolic link: a link in Kestro's folders is left
// as it is and never made a way to change the mode of what it points to.

#include <QString>
#include <QStringList>

class PrivateFiles
{
public:
    // Makes `path` and any missing parent folder, each new one 0700, and
    // narrows `path` itself to 0700 when it is the user's and wider. False,
    // saying why, when `path` cannot be made or is not a folder the user owns.
    static bool makeFolder(const QString &path, QString *error = nullptr);

    // Narrows the entry at `path` (not followed if a link) to 0700 for a
    // folder and 0600 for anything else, when the user owns it and it is
    // wider. Entries of other users are left alone.
    static void narrow(const QString &path);
    // narrow() for `root` and everything below it.
    static void narrowTree(const QString &root);

    // Kestro's own folders and files, as narrowTree() roots: the data
    // folder that holds the recovery folders, the settings folder and the
    // fallback folder of the instance guard.
    static QStringList ownRoots();
    // Makes the data and settings folders (0700) if missing and narrows
    // what earlier versions left wider (run once at start).
    static void narrowOwnFiles();

    // The folder Kestro uses for its lock and socket when the runtime
    // folder cannot be used: "kestro" under the user's cache folder.
    static QString fallbackRuntimeFolder();
};
