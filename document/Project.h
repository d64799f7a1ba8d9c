#pragma once

// The open project: one canvas per tree node (the level-1 canvas first),
// the project tree, the file the project belongs to, the undo history of
// every canvas and whether anything changed since the project was read or
// saved. At most one project is open; without one the canvas list is empty.
//
// The project owns its canvases and, through them, every item. It listens
// to its canvases and does the structural work their edits need (a node
// and a canvas for a new process item); the window and its helpers listen
// to the project's signals and never to a canvas.
//
// Modified flag: the project is modified while an undo stack is away from
// its clean state, or after an edit no undo stack holds. Every edit of the
// diagrams, the structure and the name is a step on the stack of the canvas
// where it happened, so undoing back to the saved state of every stack
// makes the project unmodified again. Saving makes every stack clean.

#include "CanvasSetup.h"
#include "ItemChange.h"
#include "LoadNote.h"
#include "ProjectStructure.h"
#include "SimulationSettings.h"
#include "SubMachineStructure.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QVector>

class Canvas;
class ProcessItem;
class QGraphicsItem;
class QMenu;
class QTimer;
class QUndoGroup;
class StateItem;
class TreeModel;
struct ProjectDocument;
struct ProjectRecordLists;

class Project : public QObject
{
    Q_OBJECT

public:
    explicit Project(QObject *parent = nullptr);
    ~Project() override;

    // --- how canvases are made ------------------------------------------------------
    // The item context menus every canvas hands to its items, in the order
    // of the kinds' menu indexes (the window's; none in tests without one).
    void setContextMenus(const QVector<QMenu *> &menus);
    // Scene size of canvases made from now on.
    QSize canvasSize() const { return m_canvasSize; }
    void setCanvasSize(const QSize &size);
    // The user's new size for `canvas` and the canvases made after it, as
    // one undo step on that canvas's stack.
    void resizeCanvas(Canvas *canvas, const QSize &size);
    CanvasSetup canvasSetup() const;

    // --- contents ---------------------------------------------------------------------
    bool isOpen() const { return !m_canvases.isEmpty(); }
    // Whether a canvas has not made its items yet (see open()).
    bool hasPendingItems() const;
    const QList<Canvas *> &canvases() const { return m_canvases; }
    TreeModel *treeModel() const { return m_treeModel; }
    // The level-1 node's name (empty without a project).
    QString name() const;
    QUndoGroup *undoGroup() const { return m_undoGroup; }
    // The project's file; the generator writes beside it.
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString &path);

    // A new, empty canvas for a tree node, set up like every canvas of the
    // project, appended to the list.
    Canvas *createCanvas(const CanvasIdentity &identity);

    // The canvas the window shows; its undo stack is the active one.
    Canvas *shownCanvas() const;
    void showCanvas(Canvas *canvas);

    // --- opening, saving, closing -----------------------------------------------------------
    // Replaces whatever was open by the project the records hold: the tree
    // from its text, one canvas per Process record and the items placed on
    // them. The result is unmodified; what could not be placed is returned.
    // A canvas's items are made when it is shown or first asked for, and
    // the rest one canvas at a time while the event loop is idle, so a large
    // project shows its first diagram without waiting for all of them.
    LoadNotes open(const ProjectRecordLists &records);
    // Destroys every canvas (and with them all items and undo history) and
    // empties the tree.
    void close();
    // What a save writes (see ProjectSnapshot); false, saying why, when the
    // canvases cannot be stored.
    bool snapshot(ProjectDocument *document, QString *error = nullptr) const;
    // Writes the project to `path`, which need not be its own file: the
    // file path and the modified flag stay as they are.
    bool writeTo(const QString &path, QString *error = nullptr) const;

    // --- modified flag -------------------------------------------------------------------
    bool isModified() const { return m_modified; }
    // An edit that no undo stack holds.
    void markModified();
    // The project equals its file: every stack is clean, no edit is pending.
    void markSaved();

    // --- project structure ------------------------------------------------------------------
    // The structural operations on the canvases and the tree.
    ProjectStructure structure();
    // The process dialog changed a process item on `canvas` (the item is in
    // its after state): one undo step, and its node and canvas take its
    // label.
    void processItemEdited(Canvas *canvas, const QVector<ItemChange> &changes);
    // The node and canvas of `item` on `canvas` take its label.
    void followProcessLabel(Canvas *canvas, ProcessItem *item);
    // Deletes a process item with its node and every diagram below it, as
    // one undo step on the stack of `canvas`.
    ProjectStructure::DeleteResult deleteProcessItem(Canvas *canvas, ProcessItem *item);
    // --- sub-machines ----------------------------------------------------------------
    // The sub-machines of the states, their diagrams and nodes.
    SubMachineStructure subMachines();
    // `state` on `canvas` gets a sub-machine of `mode` (SubMachineStart,
    // SubMachineResume) with an empty diagram and its node, as one undo
    // step on the stack of `canvas`; returns the diagram, or null when the
    // state cannot get one (it holds one, or its diagram is the deepest).
    Canvas *addSubMachine(Canvas *canvas, StateItem *state, const QString &mode);
    // `state` loses its sub-machine with every diagram below it, as one
    // undo step; false when it holds none.
    bool removeSubMachine(Canvas *canvas, StateItem *state);
    // The Delete command on the selection of `canvas` when selected states
    // hold sub-machines: their sub-machines go with them, all in one undo
    // step (Canvas::deleteSelection does the rest).
    bool deleteSelectionWithSubMachines(Canvas *canvas);

    // The level-1 canvas and node take a new name, as one undo step on the
    // level-1 canvas's stack.
    bool rename(const QString &name);
    // The same without an undo step (the step's own work).
    void applyName(const QString &name);
    // The project's default C module style ("", "classic", "instance"),
    // kept on the level-1 canvas; a change is one undo step on its stack.
    QString codeStyle() const;
    void setCodeStyle(const QString &style);
    // How the project's machines are simulated on the host (include folders,
    // prelude), saved with the project; a change is one undo step on the
    // level-1 canvas's stack.
    const SimulationSettings &simulationSettings() const { return m_simulationSettings; }
    void setSimulationSettings(const SimulationSettings &settings);
    // The same without an undo step (the step's own work).
    void applySimulationSettings(const SimulationSettings &settings) { m_simulationSettings = settings; }
    // The C type of the machines' time in state, as stored ("" for
    // uint32_t), kept and changed as the style is.
    QString counterType() const;
    void setCounterType(const QString &type);

signals:
    void modifiedChanged(bool modified);
    void filePathChanged(const QString &path);
    // An insertion or connection on `canvas` is done (its drawing tool
    // has done its work).
    void itemAdded(Canvas *canvas, QGraphicsItem *item);
    // A process item was inserted on `canvas`; `opened` is its new canvas.
    void processItemAdded(Canvas *canvas, ProcessItem *item, Canvas *opened);
    void processItemRenamed(Canvas *canvas, ProcessItem *item);
    // A process item left `canvas`, with the diagrams below it.
    void processItemRemoved(Canvas *canvas);
    // Undo or redo took a process item with its diagrams away from `canvas`
    // or put it back: canvases, nodes and ids changed.
    void structureChanged(Canvas *canvas);
    // Scene size of canvases made from now on.
    void canvasSizeChanged(const QSize &size);
    void canvasShown(Canvas *canvas);
    // The user asked for the properties of an item (a double-click).
    void propertiesRequested(Canvas *canvas, QGraphicsItem *item);
    // The canvases are about to be destroyed.
    void aboutToClose();

private:
    // Listens to a canvas and adds its undo stack to the group.
    void adopt(Canvas *canvas);
    void processItemInserted(Canvas *canvas, ProcessItem *item);
    void updateModified();
    // Makes the pending items of the first canvas that has them, and comes
    // back for the next one after the events waiting meanwhile.
    void fillNextCanvas();

    QList<Canvas *> m_canvases;
    QTimer *m_filling = nullptr;
    TreeModel *m_treeModel = nullptr;
    QUndoGroup *m_undoGroup = nullptr;
    QPointer<Canvas> m_shownCanvas;
    QVector<QMenu *> m_menus;
    QSize m_canvasSize = QSize(2000, 1050);
    QString m_filePath;
    SimulationSettings m_simulationSettings;
    bool m_pendingEdits = false;
    bool m_modified = false;
};
