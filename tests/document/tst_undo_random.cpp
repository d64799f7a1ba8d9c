// Seeded sequences of random edits of every kind the undo stacks hold,
// mixed with undo and redo on the stacks of several canvases of one
// project. After every step the scenes, the registries, the items' own
// lists, the initial marker and the tree agree and the project can be
// saved; undoing everything gives back the file the sequence started
// from, byte for byte, and redoing everything the file saved before.
// Runs on the Project without a window.

#include "Project.h"
#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RandomProject.h"
#include "UndoSession.h"

#include <QtTest>

namespace {

QByteArray startingFile(quint32 seed)
{
    RandomProjectOptions options;
    options.hardwareModules = 1;
    options.microcontrollers = 2;
    options.softwareModules = 1;
    options.stateMachines = 2;
    options.statesPerMachine = 4;
    options.transitionsPerMachine = 5;
    options.textsPerMachine = 1;
    options.linksPerCanvas = 1;
    options.memoriesPerCanvas = 1;
    options.dataflowsPerCanvas = 1;
    ProjectDocument document = randomProject(seed, options);
    document.treeText = treeTextFromBlocks(document);
    QByteArray bytes;
    ProjectFileWriter writer;
    if (!writer.writeToBytes(document, &bytes))
        return QByteArray();
    return bytes;
}

bool openBytes(Project *project, const QByteArray &bytes)
{
    ProjectFileReader reader;
    if (!reader.loadData(bytes))
        return false;
    // The random projects hold a few items the loader leaves out (and
    // reports): the sequence starts from what it placed.
    project->open(reader.takeRecords());
    return project->isOpen();
}

// The first line where two files differ, for failure messages.
QString firstDifference(const QByteArray &a, const QByteArray &b)
{
    const QList<QByteArray> left = a.split('\n');
    const QList<QByteArray> right = b.split('\n');
    for (int i = 0; i < qMax(left.size(), right.size()); ++i) {
        if (left.value(i) != right.value(i))
            return QStringLiteral("line %1:\n%2\n%3").arg(i + 1).arg(QString::fromUtf8(left.value(i)),
                                                                       QString::fromUtf8(right.value(i)));
    }
    return QString();
}

} // namespace

class TestUndoRandom : public QObject
{
    Q_OBJECT

private slots:
    void randomEditsUndoAndRedoExactly()
    {
        constexpr int sequences = 500;
        constexpr int steps = 14;
        QVector<QByteArray> starts;
        for (quint32 seed = 1; seed <= 5; ++seed) {
            starts.append(startingFile(seed));
            QVERIFY(!starts.last().isEmpty());
        }
        // How often the sequences gave states sub-machines, took them away
        // and deleted their holders: the edits reach every level.
        QHash<QString, int> subMachineSteps;
        for (int sequence = 0; sequence < sequences; ++sequence) {
            QRandomGenerator random(quint32(9000 + sequence));
            Project project;
            QVERIFY(openBytes(&project, starts.at(sequence % starts.size())));
            const QByteArray start = UndoSession::save(project);
            QVERIFY(!start.isEmpty());
            QStringList done;
            for (int step = 0; step < steps; ++step) {
                done << UndoSession::randomStep(project, random);
                const QString problem = UndoSession::inconsistency(project);
                QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("sequence %1 after %2: %3")
                                                           .arg(sequence)
                                                           .arg(done.join(QStringLiteral(", ")), problem)));
            }
            for (const QString &step : qAsConst(done)) {
                if (step.contains(QLatin1String("sub-machine")) || step.contains(QLatin1String("holder")))
                    ++subMachineSteps[step];
            }
            const QByteArray edited = UndoSession::save(project);
            const QString steps = QStringLiteral("sequence %1: %2").arg(sequence).arg(done.join(QStringLiteral(", ")));
            QVERIFY2(!edited.isEmpty(), qPrintable(steps));

            const UndoSession::StackMarks marks = UndoSession::marks(project);
            UndoSession::undoAll(project);
            QVERIFY2(UndoSession::inconsistency(project).isEmpty(), qPrintable(steps));
            QVERIFY2(UndoSession::save(project) == start,
                     qPrintable(QStringLiteral("undo all: ") + steps + QLatin1Char('\n')
                                + firstDifference(UndoSession::save(project), start)));
            QVERIFY2(!project.isModified(), qPrintable(steps));

            UndoSession::redoAll(project, marks);
            QVERIFY2(UndoSession::inconsistency(project).isEmpty(), qPrintable(steps));
            QVERIFY2(UndoSession::save(project) == edited,
                     qPrintable(QStringLiteral("redo all: ") + steps + QLatin1Char('\n')
                                + firstDifference(UndoSession::save(project), edited)));
        }
        QVERIFY(subMachineSteps.value(QStringLiteral("add sub-machine")) > 20);
        QVERIFY(subMachineSteps.value(QStringLiteral("remove sub-machine")) > 0);
        QVERIFY(subMachineSteps.value(QStringLiteral("delete holder state")) > 0);
    }
};

QTEST_MAIN(TestUndoRandom)
#include "tst_undo_random.moc"
