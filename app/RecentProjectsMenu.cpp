#include "RecentProjectsMenu.h"

#include "RecentProjects.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>

RecentProjectsMenu::RecentProjectsMenu(RecentProjects *recent, QMenu *fileMenu, QAction *openAction,
                                       QObject *parent)
    : QObject(parent),
      m_recent(recent),
      m_openAction(openAction),
      m_menu(new QMenu(QStringLiteral("Open Recent"), fileMenu))
{
    m_menu->setObjectName(QStringLiteral("menuOpen_Recent"));
    m_menu->menuAction()->setObjectName(QStringLiteral("actionOpen_Recent"));
    m_menu->setToolTipsVisible(true);
    const QList<QAction *> actions = fileMenu->actions();
    const int at = actions.indexOf(openAction);
    QAction *before = at >= 0 && at + 1 < actions.size() ? actions.at(at + 1) : nullptr;
    fileMenu->insertMenu(before, m_menu);

    connect(m_menu, &QMenu::aboutToShow, this, &RecentProjectsMenu::rebuild);
    connect(m_recent, &RecentProjects::changed, this, &RecentProjectsMenu::updateEnabled);
    connect(m_openAction, &QAction::changed, this, &RecentProjectsMenu::updateEnabled);
    rebuild();
}

QString RecentProjectsMenu::entryText(int index, const QString &path, const QMenu *menu, int maxFolderWidth)
{
    const QFileInfo file(path);
    const QString number = index < 9 ? QStringLiteral("&%1").arg(index + 1) : QStringLiteral("1&0");
    const QString folder = QFontMetrics(menu->font())
                               .elidedText(QDir::toNativeSeparators(file.absolutePath()), Qt::ElideMiddle,
                                           maxFolderWidth);
    // A literal ampersand in a name would otherwise underline the next letter.
    QString name = file.fileName();
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QString where = folder;
    where.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("%1  %2  \u2014  %3").arg(number, name, where);
}

void RecentProjectsMenu::rebuild()
{
    m_menu->clear();
    const QStringList paths = m_recent->paths();
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths.at(i);
        QAction *entry = m_menu->addAction(entryText(i, path, m_menu));
        entry->setToolTip(QDir::toNativeSeparators(path));
        entry->setStatusTip(QDir::toNativeSeparators(path));
        connect(entry, &QAction::triggered, this, [this, path] { emit projectChosen(path); });
    }
    if (!paths.isEmpty()) {
        m_menu->addSeparator();
        m_menu->addAction(QStringLiteral("Clear Recently Opened"), m_recent, &RecentProjects::clear);
    }
    updateEnabled();
}

void RecentProjectsMenu::updateEnabled()
{
    m_menu->menuAction()->setEnabled(m_openAction->isEnabled() && !m_recent->paths().isEmpty());
}
