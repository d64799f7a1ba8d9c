#pragma once

// Cut, Copy, Paste, Duplicate and Select All of the Edit menu, on the
// diagram shown. Copy puts the selected items on the system clipboard as
// Kestro's own MIME type (their records as project-file XML) and as plain
// text (their labels), so that another Kestro window of the session can
// paste them. Paste puts the clip's items on a diagram of the same kind,
// with the group's top-left corner at the mouse pointer when it is over the
// diagram, else 20 px further right and down than the copy each time; the
// pasted items are selected and are one undo step. Duplicate does Copy and
// Paste at once, 20 px off, without touching the clipboard. Cut is Copy
// followed by the window's Delete. Copied states that hold sub-machines
// bring their diagrams (and those below) in a second part of the clip
// (SubMachineClip), which paste and duplicate make anew; a paste that would
// put sub-machines deeper than they may go is not offered.

#include <QObject>
#include <QPointer>
#include <QPointF>

#include "ProjectRecords.h"

class Canvas;
class Project;
class QAction;
class QGraphicsView;
class QKeySequence;
class QMenu;

class ClipboardActions : public QObject
{
    Q_OBJECT
public:
    // The actions go into `menu` before `before` (appended when null).
    ClipboardActions(Project *project, QGraphicsView *view, QAction *deleteAction, QMenu *menu,
                     QAction *before, QObject *parent = nullptr);

    // Whether the window's context allows editing at all.
    void setAllowed(bool allowed);

    QAction *cutAction() const { return m_cut; }
    QAction *copyAction() const { return m_copy; }
    QAction *pasteAction() const { return m_paste; }
    QAction *duplicateAction() const { return m_duplicate; }
    QAction *selectAllAction() const { return m_selectAll; }

    void copy();
    void cut();
    void paste();
    void duplicate();
    void selectAll();

private:
    QAction *addAction(QMenu *menu, QAction *before, const char *name, const QString &text, const QKeySequence &keys,
                       void (ClipboardActions::*slot)());
    Canvas *canvas() const;
    // Takes the clip from the clipboard (nothing when it holds none).
    void readClipboard();
    // The mouse pointer in scene coordinates while it is over the diagram.
    bool pointerInScene(QPointF *point) const;
    void watchCanvas();
    void refresh();
    // Pastes records (with `subMachines`, the clip's second part) as one
    // undo step.
    void pasteRecords(Canvas *canvas, const ProjectRecordLists &records,
                      const ProjectRecordLists &subMachines, const QPointF &offset);

    Project *m_project;
    QGraphicsView *m_view;
    QPointer<QAction> m_delete;
    QAction *m_cut = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_paste = nullptr;
    QAction *m_duplicate = nullptr;
    QAction *m_selectAll = nullptr;
    bool m_allowed = false;
    QPointer<Canvas> m_watched;
    ProjectRecordLists m_clip;
    ProjectRecordLists m_subMachineClip;
    // Pastes of the current clip that were not at the pointer.
    int m_cascade = 0;
};
