#pragma once

// Shows the end-user licence agreement compiled into the program.

#include <QDialog>

namespace Ui {
class Eula;
}

class Eula : public QDialog
{
    Q_OBJECT

public:
    explicit Eula(QWidget *parent = nullptr);
    ~Eula() override;

    // The agreement as read from ":/EULA.html" (empty when it is missing).
    static QString agreementText();

private slots:
    void on_pushButton_clicked();

private:
    Ui::Eula *m_ui;
};
