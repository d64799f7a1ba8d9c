#include "ModuleFiles.h"

#include "CheckedSaveFile.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace {

QString filePath(const QString &directory, const QString &name)
{
    // An empty directory means the working directory, never the root.
    return directory.isEmpty() ? name : QDir(directory).filePath(name);
}

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

} // namespace

QString ModuleFiles::headerPath(const QString &directory, const GeneratedModule &module)
{
    return filePath(directory, module.headerFileName);
}

QString ModuleFiles::sourcePath(const QString &directory, const GeneratedModule &module)
{
    return filePath(directory, module.sourceFileName);
}

QStringList ModuleFiles::existing(const QString &directory, const GeneratedModule &module)
{
    QStringList found;
    for (const QString &path : { headerPath(directory, module), sourcePath(directory, module) }) {
        // A link is an existing file, dangling or not.
        if (CheckedSaveFile::existsOrIsLink(path))
            found << path;
    }
    return found;
}

ModuleFiles::Result ModuleFiles::write(const QString &directory, const GeneratedModule &module)
{
    const QString paths[2] = { headerPath(directory, module), sourcePath(directory, module) };
    const QString texts[2] = { module.header, module.source };
    std::unique_ptr<CheckedSaveFile> files[2];
    Result result;
    // Both files are written and on the disk before either replaces
    // anything, so the two renames that follow are all that separates the
    // old pair from the new one.
    for (int i = 0; i < 2; ++i) {
        files[i].reset(new CheckedSaveFile(paths[i]));
        CheckedSaveFile &file = *files[i];
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || !file.write(texts[i].toUtf8())
            || !file.prepare())
            result.errors << failure(paths[i], file.errorString());
    }
    if (!result.ok()) {
        for (auto &file : files)
            file->cancel();
        return result;
    }
    for (int i = 0; i < 2; ++i) {
        if (files[i]->commit())
            result.written << paths[i];
        else
            result.errors << failure(paths[i], files[i]->errorString());
    }
    return result;
}
