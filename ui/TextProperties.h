#pragma once

// Property dialog of a text item: the kind of text (0 free code, 1 includes,
// 2 macros), the text itself and the size. Text items have no colour swatch;
// the background colour is only carried along for the item.

#include "AutoSize.h"

#include <QColor>
#include <QDialog>
#include <QString>

#include <memory>

class SizeFields;

namespace Ui {
class TextProperties;
}

class TextProperties : public QDialog
{
    Q_OBJECT

public:
    explicit TextProperties(QWidget *parent = nullptr);
    ~TextProperties() override;

    int width() const { return m_width; }
    void setWidth(int width) { m_width = width; }
    int height() const { return m_height; }
    void setHeight(int height) { m_height = height; }
    QString action() const { return m_action; }
    void setAction(const QString &action) { m_action = action; }
    // 0 "Default", 1 "Includes", 2 "Macros".
    int textType() const { return m_textType; }
    void setTextType(int type) { m_textType = type; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour) { m_backgroundColour = colour; }

    // Size that fits the text (see textAutoSize).
    void autoSize();
    void autoSize(const TextMetrics &metrics);
    // The metrics of the font the item's diagram draws with (by default
    // the application's); autoSize() and the size on OK use them.
    void setMetrics(const TextMetrics &metrics) { m_metrics = metrics; }
    int autoWidth() const { return m_autoWidth; }
    int autoHeight() const { return m_autoHeight; }

    // Loads the widgets from the fields.
    void refresh();

private slots:
    void on_pushButton_clicked();
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    void clearFlags();

    Ui::TextProperties *ui;
    TextMetrics m_metrics;
    std::unique_ptr<SizeFields> m_size;
    int m_width = 0;
    int m_height = 0;
    QString m_action;
    int m_textType = 0;
    QColor m_backgroundColour;
    int m_autoWidth = 0;
    int m_autoHeight = 0;
    bool m_textEdited = false;
};
