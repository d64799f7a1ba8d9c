#pragma once

// File > Open Recent: the recent projects as numbered entries, rebuilt
// each time the menu opens, and "Clear Recently Opened" at the end. The
// submenu is usable only while Open is (not during the tour) and the list
// holds something.

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class RecentProjects;

class RecentProjectsMenu : public QObject
{
    Q_OBJECT

public:
    // Inserts the submenu into fileMenu right after openAction.
    RecentProjectsMenu(RecentProjects *recent, QMenu *fileMenu, QAction *openAction, QObject *parent);

    QMenu *menu() const { return m_menu; }
    // "&1  Demo.qsmd  —  /home/user/projects": a number to type, the file
    // name, then its folder (elided in the middle to maxFolderWidth pixels).
    static QString entryText(int index, const QString &path, const QMenu *menu, int maxFolderWidth = 420);

    // Rebuilds the entries (also run whenever the menu is about to show).
    void rebuild();

signals:
    void projectChosen(const QString &path);

private:
    void updateEnabled();

    RecentProjects *m_recent;
    QAction *m_openAction;
    QMenu *m_menu;
};
