#include "DiagramFiles.h"

#include "BackgroundWriter.h"
#include "Canvas.h"
#include "CanvasPaths.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "SubMachineLevels.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace DiagramFiles {

QString safeName(const QString &name)
{
    QString safe;
    for (const QChar c : name) {
        const bool keep = c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_');
        safe += keep ? c : QLatin1Char('_');
    }
    safe.truncate(MaxNameLength);
    // A leading '-' reads as an option to many tools.
    if (safe.startsWith(QLatin1Char('-')))
        safe[0] = QLatin1Char('_');
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

namespace {

// A safe name not yet taken among siblings (compared without case, for
// file systems that ignore it).
QString uniqueName(const QString &name, QSet<QString> *taken)
{
    const QString base = safeName(name);
    QString candidate = base;
    for (int n = 2; taken->contains(candidate.toLower()); ++n)
        candidate = base + QLatin1Char('_') + QString::number(n);
    taken->insert(candidate.toLower());
    return candidate;
}

struct Walk
{
    QHash<NodePath, Canvas *> index;
    QSet<Canvas *> seen;
    QList<DiagramEntry> entries;

    void visit(Canvas *canvas, const QString &path, const QString &stem, const ProcessItem *owner)
    {
        if (!canvas || seen.contains(canvas))
            return;
        seen.insert(canvas);
        entries << DiagramEntry{canvas, path, stem, owner};
        QSet<QString> taken;
        for (const ProcessItem *item : canvas->processItems()) {
            Canvas *child = index.value(CanvasPaths::childPath(canvas, item->id()));
            if (!child || seen.contains(child))
                continue;
            visit(child, path + QLatin1Char('/') + child->name(),
                  stem + QLatin1Char('/') + uniqueName(child->name(), &taken), item);
        }
        // A machine's states' sub-machines, in the order of their holders.
        if (!isMachineCanvasLevel(canvas->level()))
            return;
        for (const StateItem *state : canvas->states()) {
            if (!state->holdsSubMachine())
                continue;
            Canvas *child = index.value(CanvasPaths::childPath(canvas, state->subMachineId()));
            if (!child || seen.contains(child) || child->level() != canvas->level() + 1)
                continue;
            visit(child, path + QLatin1Char('/') + child->name(),
                  stem + QLatin1Char('/') + uniqueName(child->name(), &taken), nullptr);
        }
    }
};

QString stripped(QString path)
{
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QList<DiagramEntry> entries(const QList<Canvas *> &canvases)
{
    if (canvases.isEmpty())
        return {};
    Walk walk;
    walk.index = CanvasPaths::index(canvases);
    Canvas *root = canvases.first();
    walk.visit(root, root->name(), safeName(root->name()), nullptr);
    return walk.entries;
}

const DiagramEntry *find(const QList<DiagramEntry> &entries, const QString &path)
{
    QString wanted = stripped(path);
    for (const DiagramEntry &entry : entries) {
        if (entry.path == wanted || entry.fileStem == wanted)
            return &entry;
    }
    const QString suffix = QFileInfo(wanted).suffix();
    ExportOptions::Format format;
    if (ExportOptions::formatFromSuffix(suffix, &format)) {
        wanted.chop(suffix.size() + 1);
        for (const DiagramEntry &entry : entries) {
            if (entry.fileStem == wanted)
                return &entry;
        }
    }
    // A diagram's own name, or the module name `kestro-cli simulate` takes
    // (blanks as underscores), when no other diagram has it.
    if (wanted.contains(QLatin1Char('/')))
        return nullptr;
    const DiagramEntry *named = nullptr;
    for (const DiagramEntry &entry : entries) {
        const QString name = entry.canvas->name();
        if (name != wanted && QString(name).replace(QLatin1Char(' '), QLatin1Char('_')) != wanted)
            continue;
        if (named)
            return nullptr;
        named = &entry;
    }
    return named;
}

void prepare(const DiagramEntry &entry)
{
    // Pictures show the tags of the diagram's interface, whether or not
    // the diagram was ever shown.
    if (entry.owner)
        entry.canvas->rebuildFloatingEnds(entry.owner);
}

bool writeOne(const DiagramEntry &entry, const QString &filePath, const ExportOptions &options,
              QString *error)
{
    prepare(entry);
    QString reason;
    const QByteArray bytes = DiagramRender::fileBytes({entry.canvas, entry.path}, options, &reason);
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(filePath), reason);
        return false;
    }
    return BackgroundWriter::writeFile(filePath, bytes, error);
}

Result writeEach(const QList<DiagramEntry> &entries, const QString &directory,
                 const ExportOptions &options)
{
    Result result;
    const QString suffix = QLatin1Char('.') + ExportOptions::suffix(options.format);
    const QDir dir(directory);
    BackgroundWriter writer;
    for (const DiagramEntry &entry : entries) {
        const QString filePath = QDir::cleanPath(dir.absoluteFilePath(entry.fileStem + suffix));
        prepare(entry);
        QString reason;
        const QByteArray bytes = DiagramRender::fileBytes({entry.canvas, entry.path}, options, &reason);
        if (bytes.isEmpty())
            result.errors << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(filePath), reason);
        else
            writer.write(filePath, bytes);
    }
    for (const BackgroundWriter::Outcome &outcome : writer.finish()) {
        if (outcome.error.isEmpty())
            result.written << outcome.path;
        else
            result.errors << outcome.error;
    }
    return result;
}

bool writeBook(const QList<DiagramEntry> &entries, const QString &filePath,
               const ExportOptions &options, const QString &projectName, QString *error)
{
    QList<DiagramRender::Page> pages;
    for (const DiagramEntry &entry : entries) {
        prepare(entry);
        pages << DiagramRender::Page{entry.canvas, entry.path};
    }
    const QByteArray bytes = DiagramRender::pdf(pages, options, true, projectName);
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1: the PDF document could not be made")
                         .arg(QDir::toNativeSeparators(filePath));
        return false;
    }
    return BackgroundWriter::writeFile(filePath, bytes, error);
}

} // namespace DiagramFiles
