#pragma once

// Reads a project file (".qsmd") into plain records. QtCore only.
//
// Both passes walk the same strict layout: the document start, the root
// QsmdProject, ProjectFiles with the tree text, one whitespace token,
// SceneData, one token, GraphicsItemList; then every Process, Link, Memory,
// Dataflow, StateItem, TransitionItem and TextItem element up to the end of
// GraphicsItemList is read by its item reader and every other element (the
// groups, nested in Process elements or not, or anything unknown) is passed
// over. The rest of the document must be well-formed too.
//
// check() is the first pass: it rejects a file before anything of the open
// project is touched. load() is the second pass and keeps the records. Both
// verify the same things (required attributes, the order of child elements
// each preceded by one whitespace token, every value readable), so a file
// that passes check() cannot fail load().

#include "ProjectRecords.h"

#include <QByteArray>
#include <QString>

class ProjectFileReader
{
public:
    // Files above this size are refused before they are read.
    static constexpr qint64 MaxFileSize = qint64(512) * 1024 * 1024;
    // Deepest element nesting accepted; saved files need fewer than ten.
    static constexpr int MaxDepth = 100;
    // Most attributes one start tag may carry; items have at most fifteen.
    // The XML parser checks attribute names pairwise, so a tag with
    // hundreds of thousands of them would take hours; such files are
    // refused before parsing.
    static constexpr int MaxAttributes = 256;

    // The text shown to the user when a file is rejected.
    static QString corruptMessage();

    // Pass 1: true when the file can be opened. Keeps no records.
    bool check(const QString &path);
    bool checkData(const QByteArray &data);

    // Pass 2: reads the tree text and the records (see records()).
    bool load(const QString &path);
    bool loadData(const QByteArray &data);

    // Reads only the text of ProjectFiles (see treeText()).
    bool readTreeText(const QString &path);
    bool readTreeTextData(const QByteArray &data);

    // The result of the last successful load(): records in file order and
    // the tree text (its line breaks as the XML parser reports them, "\n").
    const ProjectRecordLists &records() const { return m_records; }
    ProjectRecordLists takeRecords();
    QString treeText() const { return m_records.treeText; }

    // Why the last call failed, e.g. "line 12, column 9: StateItem: expected
    // element 'label', found 'parentId'". Empty after success.
    QString errorString() const { return m_error; }
    // Where and why the last call failed inside the document: the line and
    // column (from 1; 0 when the failure was not inside the document, such
    // as a file that cannot be opened) and the reason alone.
    int errorLine() const { return m_errorLine; }
    int errorColumn() const { return m_errorColumn; }
    QString errorReason() const { return m_errorReason.isEmpty() ? m_error : m_errorReason; }
    // "PATH:LINE:COLUMN: reason", or "PATH: reason" without a position.
    QString errorDetail(const QString &path) const;

private:
    enum class Mode { Check, Load, TreeText };
    bool readFile(const QString &path, Mode mode);
    bool run(const QByteArray &data, Mode mode);

    ProjectRecordLists m_records;
    QString m_error;
    int m_errorLine = 0;
    int m_errorColumn = 0;
    QString m_errorReason;
};
