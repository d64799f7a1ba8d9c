#pragma once

// Lists the design errors of one code-generation run, one per table row.

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class CodegenErrorLog;
}

class CodegenErrorLog : public QDialog
{
    Q_OBJECT

public:
    explicit CodegenErrorLog(QWidget *parent = nullptr);
    ~CodegenErrorLog() override;

    // Replaces the table's rows with the given texts, in order.
    void setErrors(const QStringList &errors);
    QStringList headerLabels() const { return m_headerLabels; }

private slots:
    void on_pushButton_clicked();

private:
    std::unique_ptr<Ui::CodegenErrorLog> m_ui;
    QStringList m_headerLabels;
};
