#pragma once

// Property dialog of a dataflow between a process and a memory item: label, datatype, description and background
// colour. Filled and read back by the owning item; the fields change only
// when the dialog is accepted.

#include <QColor>
#include <QDialog>
#include <QString>

namespace Ui {
class DataflowProperties;
}

class DataflowProperties : public QDialog
{
    Q_OBJECT

public:
    explicit DataflowProperties(QWidget *parent = nullptr);
    ~DataflowProperties() override;

    QString label() const { return m_label; }
    void setLabel(const QString &label) { m_label = label; }
    QString datatype() const { return m_datatype; }
    void setDatatype(const QString &datatype) { m_datatype = datatype; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour) { m_backgroundColour = colour; }
    QColor pickedColour() const { return m_pickedColour; }
    void setPickedColour(const QColor &colour) { m_pickedColour = colour; }

    // Loads the widgets from the fields and paints the colour swatch.
    void refresh();

    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    Ui::DataflowProperties *ui;
    QString m_label;
    QString m_datatype;
    QString m_description;
    QColor m_backgroundColour;
    QColor m_pickedColour;
};
