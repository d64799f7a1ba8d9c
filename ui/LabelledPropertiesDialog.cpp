#include "LabelledPropertiesDialog.h"

#include "ColourSwatch.h"
#include "LabelEntry.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextEdit>

LabelledPropertiesDialog::LabelledPropertiesDialog(QWidget *parent)
    : QDialog(parent)
{
}

void LabelledPropertiesDialog::setEditors(const Editors &editors)
{
    m_editors = editors;
    m_editors.swatch->installEventFilter(this);
}

void LabelledPropertiesDialog::refresh()
{
    m_editors.tabs->setCurrentIndex(0);
    LabelEntry::clearRefusal(m_editors.label);
    m_editors.label->setText(m_label);
    m_editors.datatype->setText(m_datatype);
    m_editors.description->setPlainText(m_description);
    ColourSwatch::paint(m_editors.swatch, m_backgroundColour);
}

bool LabelledPropertiesDialog::eventFilter(QObject *watched, QEvent *event)
{
    ColourSwatch::pickOnPress(watched, event, m_editors.swatch, this, &m_pickedColour);
    return false;
}

void LabelledPropertiesDialog::on_buttonBox_accepted()
{
    QString label = m_editors.label->text();
    if (m_labelCheck && !LabelEntry::take(this, m_editors.label, m_labelCheck, &label))
        return;
    m_label = label;
    m_datatype = m_editors.datatype->text();
    m_description = m_editors.description->toPlainText();
    m_backgroundColour = m_pickedColour;
    accept();
}

void LabelledPropertiesDialog::on_buttonBox_rejected()
{
    reject();
}
