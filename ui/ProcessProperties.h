#pragma once

// Property dialog of a process item: shape, label, meta information (code),
// size, description and background colour. Sizes are taken as typed; there
// is no automatic size.

#include "LabelCheck.h"

#include <QColor>
#include <QDialog>
#include <QString>

#include <memory>

class SizeFields;

namespace Ui {
class ProcessProperties;
}

class ProcessProperties : public QDialog
{
    Q_OBJECT

public:
    explicit ProcessProperties(QWidget *parent = nullptr);
    ~ProcessProperties() override;

    QString label() const { return m_label; }
    void setLabel(const QString &label) { m_label = label; }
    // The "Meta:" text.
    QString code() const { return m_code; }
    void setCode(const QString &code) { m_code = code; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    int width() const { return m_width; }
    void setWidth(int width) { m_width = width; }
    int height() const { return m_height; }
    void setHeight(int height) { m_height = height; }
    // 1 rectangular, 2 rounded.
    int shape() const { return m_shape; }
    void setShape(int shape) { m_shape = shape; }
    // The C module style of the state machine the item stands for: "",
    // "classic" or "instance"; the choice is shown only for such items.
    QString codeStyle() const { return m_codeStyle; }
    void setCodeStyle(const QString &style) { m_codeStyle = style; }
    void setCodeStyleShown(bool shown) { m_codeStyleShown = shown; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour) { m_backgroundColour = colour; }
    QColor pickedColour() const { return m_pickedColour; }
    void setPickedColour(const QColor &colour) { m_pickedColour = colour; }

    // Asked on OK whether the entered label may be taken; a refusal keeps
    // the dialog open. None by default.
    void setLabelCheck(const LabelCheck &check) { m_labelCheck = check; }

    // Loads the widgets from the fields and paints the colour swatch.
    void refresh();

    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    Ui::ProcessProperties *ui;
    std::unique_ptr<SizeFields> m_size;
    LabelCheck m_labelCheck;
    QString m_label;
    QString m_code;
    QString m_description;
    QString m_codeStyle;
    bool m_codeStyleShown = false;
    int m_width = 0;
    int m_height = 0;
    int m_shape = 1;
    QColor m_backgroundColour;
    QColor m_pickedColour;
};
