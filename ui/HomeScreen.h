#pragma once

// The scene the main window's view shows while no project is open: a plain
// background with a centred welcome text.

#include <QGraphicsScene>

class HomeScreen : public QGraphicsScene
{
    Q_OBJECT

public:
    // The one home screen of the application, created on first use.
    static HomeScreen *instance();

    QString welcomeText() const { return m_welcomeText; }

    // The area the text is centred in: the part of the scene the painter's
    // device shows (so that repainting a small exposed part draws the text at
    // the same place), or rect when the painter has no device.
    static QRectF textArea(const QPainter *painter, const QRectF &rect);

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;

private:
    explicit HomeScreen(QObject *parent = nullptr);

    QString m_welcomeText;
};
