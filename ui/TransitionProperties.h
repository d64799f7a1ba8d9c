#pragma once

// Property dialog of a transition: label, condition, action code, size,
// description and background colour. Filled and read back by the owning
// item; the fields change only when the dialog is accepted.

#include "AutoSize.h"

#include <QColor>
#include <QDialog>
#include <QString>

#include <memory>

class SizeFields;

namespace Ui {
class TransitionProperties;
}

class TransitionProperties : public QDialog
{
    Q_OBJECT

public:
    explicit TransitionProperties(QWidget *parent = nullptr);
    ~TransitionProperties() override;

    int width() const { return m_width; }
    void setWidth(int width) { m_width = width; }
    int height() const { return m_height; }
    void setHeight(int height) { m_height = height; }
    QString label() const { return m_label; }
    void setLabel(const QString &label) { m_label = label; }
    QString action() const { return m_action; }
    void setAction(const QString &action) { m_action = action; }
    QString condition() const { return m_condition; }
    void setCondition(const QString &condition) { m_condition = condition; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour) { m_backgroundColour = colour; }
    QColor pickedColour() const { return m_pickedColour; }
    void setPickedColour(const QColor &colour) { m_pickedColour = colour; }

    // Size that fits label, condition and action (see transitionAutoSize).
    void autoSize();
    void autoSize(const TextMetrics &metrics);
    // The metrics of the font the item's diagram draws with (by default
    // the application's); autoSize() and the size on OK use them.
    void setMetrics(const TextMetrics &metrics) { m_metrics = metrics; }
    int autoWidth() const { return m_autoWidth; }
    int autoHeight() const { return m_autoHeight; }

    // Loads the widgets from the fields and paints the colour swatch.
    void refresh();

    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_pushButton_2_clicked();
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    void clearFlags();

    Ui::TransitionProperties *ui;
    TextMetrics m_metrics;
    std::unique_ptr<SizeFields> m_size;
    int m_width = 0;
    int m_height = 0;
    QString m_label;
    QString m_action;
    QString m_condition;
    QString m_description;
    QColor m_backgroundColour;
    QColor m_pickedColour;
    int m_autoWidth = 0;
    int m_autoHeight = 0;
    bool m_textEdited = false;
};
