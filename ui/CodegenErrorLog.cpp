#include "CodegenErrorLog.h"
#include "ui_CodegenErrorLog.h"

#include <QStyle>
#include <QTableWidgetItem>

CodegenErrorLog::CodegenErrorLog(QWidget *parent)
    : QDialog(parent), m_ui(new Ui::CodegenErrorLog), m_headerLabels { QStringLiteral("Error Description") }
{
    m_ui->setupUi(this);
}

CodegenErrorLog::~CodegenErrorLog() = default;

void CodegenErrorLog::setErrors(const QStringList &errors)
{
    QVector<Row> rows;
    for (const QString &text : errors) {
        Row row;
        row.finding.text = text;
        rows << row;
    }
    setRows(rows);
}

QString CodegenErrorLog::rowText(const DesignFinding &finding)
{
    if (finding.fromCompiler)
        return (finding.severity == DesignFinding::Error ? QStringLiteral("C compiler error: ")
                                                         : QStringLiteral("C compiler warning: "))
            + finding.text;
    if (finding.severity == DesignFinding::Warning)
        return QStringLiteral("Warning: ") + finding.text;
    return finding.text;
}

void CodegenErrorLog::setRows(const QVector<Row> &rows)
{
    m_rows = rows;
    QTableWidget *table = m_ui->tableWidget;
    table->clearContents();
    table->setColumnCount(1);
    table->setColumnWidth(0, 600);
    table->setRowCount(rows.size());
    table->setHorizontalHeaderLabels(m_headerLabels);
    const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int row = 0; row < rows.size(); ++row) {
        const Row &r = rows.at(row);
        auto *item = new QTableWidgetItem(rowText(r.finding));
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        if (r.finding.severity == DesignFinding::Warning)
            item->setIcon(warningIcon);
        // Long compiler messages do not fit the column; the tip shows them whole.
        item->setToolTip(r.navigable ? item->text() + QStringLiteral("\n\nDouble-click to show this item on its diagram")
                                     : item->text());
        table->setItem(row, 0, item);
    }
}

QStringList CodegenErrorLog::rowTexts() const
{
    QStringList texts;
    for (int row = 0; row < m_ui->tableWidget->rowCount(); ++row) {
        const QTableWidgetItem *item = m_ui->tableWidget->item(row, 0);
        texts << (item ? item->text() : QString());
    }
    return texts;
}

void CodegenErrorLog::activateRow(int row)
{
    if (row < 0 || row >= m_rows.size() || !m_rows.at(row).navigable)
        return;
    // The item is centred in the window behind; the log steps aside to the
    // window's right edge so that it does not hide it.
    if (QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect area = owner->frameGeometry();
        move(area.right() - frameGeometry().width(), area.top() + (area.height() - frameGeometry().height()) / 2);
    }
    emit itemRequested(m_rows.at(row).nodePath, m_rows.at(row).finding.item);
}

void CodegenErrorLog::on_tableWidget_cellDoubleClicked(int row, int)
{
    activateRow(row);
}

void CodegenErrorLog::on_pushButton_clicked()
{
    close();
}
