#pragma once

// The part shared by the property dialogs of links, memory items and
// dataflows: label, datatype, description and background colour, edited
// in a form whose widgets each dialog hands over once its form is set up.
// Filled and read back by the owning item; the fields change only when the
// dialog is accepted.

#include "LabelCheck.h"

#include <QColor>
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QTabWidget;
class QTextEdit;

class LabelledPropertiesDialog : public QDialog
{
    Q_OBJECT

public:
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

    // Asked on OK whether the entered label may be taken; a refusal keeps
    // the dialog open. With a check the label is also trimmed; without one
    // (links, dataflows) it is taken as typed.
    void setLabelCheck(const LabelCheck &check) { m_labelCheck = check; }

    // Loads the widgets from the fields and paints the colour swatch.
    void refresh();

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    // The widgets of a concrete dialog's form, all required.
    struct Editors
    {
        QTabWidget *tabs;
        QLineEdit *label;
        QLineEdit *datatype;
        QTextEdit *description;
        QLabel *swatch;   // shows the colour; a click on it picks another
    };

    explicit LabelledPropertiesDialog(QWidget *parent);
    // Called once by the concrete dialog right after setting up its form.
    void setEditors(const Editors &editors);

protected slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    Editors m_editors {};
    LabelCheck m_labelCheck;
    QString m_label;
    QString m_datatype;
    QString m_description;
    QColor m_backgroundColour;
    QColor m_pickedColour;
};
