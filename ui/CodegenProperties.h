#pragma once

// The code generator's properties dialog: output directory, author,
// organization, version and whether the generated modules are checked with
// the C compiler. The caller sets the values, calls refresh() to show them,
// runs the dialog and reads the values back only when it was accepted.

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CodegenProperties;
}

class CodegenProperties : public QDialog
{
    Q_OBJECT

public:
    explicit CodegenProperties(QWidget *parent = nullptr);
    ~CodegenProperties() override;

    QString outputDirectory() const { return m_outputDirectory; }
    void setOutputDirectory(const QString &directory) { m_outputDirectory = directory; }
    QString author() const { return m_author; }
    void setAuthor(const QString &author) { m_author = author; }
    QString organization() const { return m_organization; }
    void setOrganization(const QString &organization) { m_organization = organization; }
    double version() const { return m_version; }
    void setVersion(double version) { m_version = version; }
    bool compileCheck() const { return m_compileCheck; }
    void setCompileCheck(bool on) { m_compileCheck = on; }
    // The project's default module style: "" (classic), "classic" or
    // "instance"; a text this version does not know is kept unless changed.
    QString projectStyle() const { return m_projectStyle; }
    void setProjectStyle(const QString &style) { m_projectStyle = style; }
    // The project's type of the time in state: "" (uint32_t), "uint8_t",
    // "uint16_t" or "uint32_t"; a text this version does not know is shown
    // as no choice and kept unless changed.
    QString counterType() const { return m_counterType; }
    void setCounterType(const QString &type) { m_counterType = type; }

    // Loads the widgets from the four values.
    void refresh();

private slots:
    void on_toolButton_clicked();
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    std::unique_ptr<Ui::CodegenProperties> m_ui;
    QString m_outputDirectory;
    QString m_author;
    QString m_organization;
    double m_version = 1.0;
    bool m_compileCheck = false;
    QString m_projectStyle;
    QString m_counterType;
    QString m_lastDirectory;    // where the directory chooser opens next
};
