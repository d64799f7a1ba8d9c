#pragma once

// Which projects' C may run on this computer. A simulation compiles and runs
// the C written in a project's actions and conditions, and every file of the
// project's folder is on its include path, so trust is given to a folder
// (or to one run, which needs no record). The user's own work is trusted
// without a question: projects created in Kestro are recorded by file, and
// the bundled examples and their copies are trusted for the session by the
// window that opens them. QtCore only.
//
// The record is a private file, <data>/Orvanta/Kestro/trust/trusted (0600
// in a 0700 folder; <data> is QStandardPaths' GenericDataLocation, so
// kestro-cli reads the answers given in the application), one entry a line:
// "folder PATH" or "project PATH", PATH canonical.

#include <QString>
#include <QStringList>

class TrustStore
{
public:
    // The record's file (`root` empty: the user's data folder).
    explicit TrustStore(const QString &root = QString());

    QString filePath() const;

    // The project's folder was trusted, or the project is the user's own.
    bool isTrusted(const QString &projectPath) const;

    // Records the answer "Trust This Folder"; false (with `error`) when the
    // record could not be written.
    bool trustFolder(const QString &folder, QString *error = nullptr);
    // Records a project created in Kestro (its file, not its folder: a new
    // project may be saved among files of any origin).
    bool trustProject(const QString &projectPath, QString *error = nullptr);

    // For this run of the program only, never written: the examples and
    // their copies, projects created in it.
    static void trustFolderForSession(const QString &folder);
    static void trustProjectForSession(const QString &projectPath);

    // The longest record that is read.
    static constexpr qint64 MaxSize = 1024 * 1024;

private:
    QStringList entries() const;
    bool add(const QString &entry, QString *error);

    QString m_root;
};
