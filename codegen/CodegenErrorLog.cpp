#include "CodegenErrorLog.h"
#include "ui_CodegenErrorLog.h"

#include <QTableWidgetItem>

CodegenErrorLog::CodegenErrorLog(QWidget *parent)
    : QDialog(parent), m_ui(new Ui::CodegenErrorLog), m_headerLabels { QStringLiteral("Error Description") }
{
    m_ui->setupUi(this);
}

CodegenErrorLog::~CodegenErrorLog() = default;

void CodegenErrorLog::setErrors(const QStringList &errors)
{
    QTableWidget *table = m_ui->tableWidget;
    table->clearContents();
    table->setColumnCount(1);
    table->setColumnWidth(0, 600);
    table->setRowCount(errors.size());
    table->setHorizontalHeaderLabels(m_headerLabels);
    for (int row = 0; row < errors.size(); ++row)
        table->setItem(row, 0, new QTableWidgetItem(errors.at(row)));
}

void CodegenErrorLog::on_pushButton_clicked()
{
    close();
}
