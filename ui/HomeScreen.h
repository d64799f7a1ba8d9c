#pragma once

// The scene the main window's view shows while no project is open: a plain
// background with a centred welcome text and, below it, the recent
// projects, each a row that opens its project when clicked.

#include <QGraphicsScene>
#include <QStringList>

#include "HomeLayout.h"

class QGraphicsView;

class HomeScreen : public QGraphicsScene
{
    Q_OBJECT

public:
    // The one home screen of the application, created on first use.
    static HomeScreen *instance();

    QString welcomeText() const { return m_welcomeText; }

    // The projects listed under the welcome text (none hides the list).
    void setRecentProjects(const QStringList &paths);
    QStringList recentProjects() const { return m_recent; }
    // What a row shows for a project file: its name and its folder.
    static QString rowText(const QString &path);

    // The area the text is centred in: the part of the scene the painter's
    // device shows (so that repainting a small exposed part draws the text at
    // the same place), or rect when the painter has no device.
    static QRectF textArea(const QPainter *painter, const QRectF &rect);
    // Where everything goes in `area` when drawn on `device`.
    HomeLayout layoutFor(const QRectF &area, const QPaintDevice *device) const;

signals:
    // A recent project was clicked in `view`.
    void recentProjectClicked(QGraphicsView *view, const QString &path);

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;

private:
    explicit HomeScreen(QObject *parent = nullptr);
    int rowAt(QGraphicsSceneMouseEvent *event, QGraphicsView **view) const;

    QString m_welcomeText;
    QStringList m_recent;
    int m_hovered = -1;
};
