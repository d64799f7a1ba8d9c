#pragma once

// The choices of Export Diagram and Export All Diagrams: the format, and
// the settings that apply to it (scale and background for PNG, the page
// for PDF). Settings of other formats are shown disabled. Export All also
// offers one PDF holding every diagram. The window keeps one dialog, so
// the last choices are offered again.

#include "ExportOptions.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace Ui {
class ExportOptionsDialog;
}

class ExportOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    // The paper sizes offered besides fitting the page to the diagram.
    static const QList<QPageSize::PageSizeId> &papers();

    explicit ExportOptionsDialog(QWidget *parent = nullptr);
    ~ExportOptionsDialog() override;

    // allDiagrams: the dialog of Export All (title, and the one-PDF choice).
    void prepare(bool allDiagrams);

    ExportOptions options() const;
    void setOptions(const ExportOptions &options);
    // Export All as PDF: every diagram as a page of one file.
    bool onePdf() const;

    QComboBox *formatBox() const;
    QSpinBox *scaleBox() const;
    QComboBox *backgroundBox() const;
    QComboBox *pageBox() const;
    QCheckBox *onePdfBox() const;

private:
    void enableForFormat();

    std::unique_ptr<Ui::ExportOptionsDialog> ui;
    bool m_allDiagrams = false;
};
