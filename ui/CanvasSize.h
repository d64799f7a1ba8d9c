#pragma once

#include <QDialog>
#include <QSize>

namespace Ui {
class CanvasSize;
}

// Asks for the size of the scene of the canvas being shown. The window sets
// the current size, runs the dialog and reads the size back on accept.
class CanvasSize : public QDialog
{
    Q_OBJECT
public:
    explicit CanvasSize(QWidget *parent = nullptr);
    ~CanvasSize() override;

    int canvasWidth() const { return m_width; }
    int canvasHeight() const { return m_height; }
    // Also shown in the spin boxes (clamped to their range).
    void setCanvasWidth(int width);
    void setCanvasHeight(int height);
    // The area the shown diagram's items cover (from the scene origin): OK
    // refuses a smaller size with a message and keeps the dialog open.
    void setRequiredSize(const QSize &size) { m_required = size; }
    QSize requiredSize() const { return m_required; }

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    Ui::CanvasSize *ui;
    int m_width = 0;
    int m_height = 0;
    QSize m_required;
};
