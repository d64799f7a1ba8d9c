#pragma once

// Lists what one code-generation run found, one per table row: the design
// errors, then the design warnings (marked "Warning:"), then what the C
// compiler reported ("C compiler error:" or "C compiler warning:"). A row
// that names an item can be double-clicked: the log then asks for that
// item's diagram to be shown with the item selected.

#include "DesignFinding.h"

#include <QDialog>
#include <QStringList>
#include <QVector>

#include <memory>

namespace Ui {
class CodegenErrorLog;
}

class CodegenErrorLog : public QDialog
{
    Q_OBJECT

public:
    // One row: a finding and where its item is (the node path of the
    // machine's diagram), or plain text.
    struct Row
    {
        DesignFinding finding;
        QVector<int> nodePath;
        bool navigable = false;
    };

    explicit CodegenErrorLog(QWidget *parent = nullptr);
    ~CodegenErrorLog() override;

    // Replaces the table's rows with the given texts, in order.
    void setErrors(const QStringList &errors);
    void setRows(const QVector<Row> &rows);
    QStringList headerLabels() const { return m_headerLabels; }
    // The text shown in each row, in order.
    QStringList rowTexts() const;
    // What double-clicking `row` does.
    void activateRow(int row);

    // The text a finding is shown with.
    static QString rowText(const DesignFinding &finding);

signals:
    void itemRequested(const QVector<int> &nodePath, const ItemRef &item);

private slots:
    void on_pushButton_clicked();
    void on_tableWidget_cellDoubleClicked(int row, int column);

private:
    std::unique_ptr<Ui::CodegenErrorLog> m_ui;
    QStringList m_headerLabels;
    QVector<Row> m_rows;
};
