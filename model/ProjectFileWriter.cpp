#include "ProjectFileWriter.h"

#include "CheckedSaveFile.h"
#include "EntryExitMarker.h"
#include "RecordFields.h"
#include "RecordGroups.h"
#include "SubMachineLevels.h"
#include "ValueCodec.h"

#include <QBuffer>
#include <QXmlStreamWriter>

#include <algorithm>
#include <type_traits>

namespace {

using ValueCodec::formatNumber;
using ValueCodec::formatPolygon;
using ValueCodec::xmlSafe;

// "\r\n" and a lone "\r" turned into "\n".
QString unixLineEnds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Text inside an element: the XML parser turns "\r\n" and a lone "\r" into
// "\n" on reading, so write them that way and a saved file reads back as
// written.
QString elementText(const QString &text)
{
    return xmlSafe(text.contains(QLatin1Char('\r')) ? unixLineEnds(text) : text);
}

// The tree text with every line ended by "\r\n".
QString treeText(const QString &text)
{
    return xmlSafe(unixLineEnds(text).replace(QLatin1Char('\n'), QLatin1String("\r\n")));
}

class Emitter
{
public:
    explicit Emitter(QIODevice *device) : m_xml(device) { m_xml.setAutoFormatting(true); }

    void writeDocument(const ProjectDocument &document);
    bool hasError() const { return m_xml.hasError(); }

private:
    // One attribute per field of an attribute item.
    void attr(const char *name, const QString &value)
    {
        m_xml.writeAttribute(QLatin1String(name), xmlSafe(value));
    }
    void attr(const char *name, int value) { m_xml.writeAttribute(QLatin1String(name), QString::number(value)); }
    void attr(const char *name, double value) { m_xml.writeAttribute(QLatin1String(name), formatNumber(value)); }
    void attr(const char *name, const PolygonPoints &value) { attr(name, formatPolygon(value)); }

    // One text element per field of a state-machine item.
    void child(const char *name, const QString &value)
    {
        m_xml.writeTextElement(QLatin1String(name), elementText(value));
    }
    void child(const char *name, int value) { m_xml.writeTextElement(QLatin1String(name), QString::number(value)); }
    void child(const char *name, double value)
    {
        m_xml.writeTextElement(QLatin1String(name), formatNumber(value));
    }
    void child(const char *name, bool value) { child(name, value ? 1 : 0); }
    void child(const char *name, const PolygonPoints &value) { child(name, formatPolygon(value)); }
    void child(const char *name, const QStringList &value) { child(name, ValueCodec::joinLabels(value)); }

    template <typename Record>
    void attributes(const Record &r)
    {
        RecordFields<Record>::visit(r, [this](const char *name, const auto &value) {
            this->attr(name, value);
            return true;
        });
        if (r.stacking != 0)
            attr(StackingField, r.stacking);
        optionalAttributes(r);
    }

    template <typename Record>
    void optionalAttributes(const Record &)
    {
    }
    void optionalAttributes(const ProcessRecord &r)
    {
        if (!r.codeStyle.isEmpty())
            attr(CodeStyleField, r.codeStyle);
        if (!r.counterType.isEmpty())
            attr(CounterTypeField, r.counterType);
    }

    void writeBlock(const CanvasBlock &block, GroupLayout layout);
    void writeSimulationSettings(const SimulationSettings &settings);
    void writeGroups(const CanvasBlock &block, bool all);
    template <typename Record>
    void writeGroup(const char *name, const QVector<Record> &records, bool always);
    template <typename Record>
    void writeItem(const Record &r);

    QXmlStreamWriter m_xml;
    // Whether a state group still has to carry the EntryExitMarker.
    bool m_markerPending = false;
};

void Emitter::writeDocument(const ProjectDocument &document)
{
    m_markerPending = std::any_of(document.blocks.cbegin(), document.blocks.cend(),
                                  [](const CanvasBlock &block) {
                                      return EntryExitMarker::needsMarker(block.states);
                                  });
    m_xml.writeStartDocument();
    m_xml.writeStartElement(QStringLiteral("QsmdProject"));
    m_xml.writeTextElement(QStringLiteral("ProjectFiles"), treeText(document.treeText));
    m_xml.writeStartElement(QStringLiteral("SceneData"));
    m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("v1.0"));
    m_xml.writeStartElement(QStringLiteral("GraphicsItemList"));

    m_xml.writeEmptyElement(QStringLiteral("Process"));
    attributes(document.root);
    if (document.layout == GroupLayout::Saved) {
        // The level-1 canvas keeps only process items; its groups stay empty.
        forEachRecordGroup([this](const auto &group) {
            using Record = typename std::decay_t<decltype(group)>::RecordType;
            if (!group.onMachinesOnly())
                writeGroup(group.name(), QVector<Record>(), true);
            return true;
        });
    }
    for (const CanvasBlock &block : document.blocks)
        writeBlock(block, document.layout);

    m_xml.writeEndElement(); // GraphicsItemList
    m_xml.writeEndElement(); // SceneData
    writeSimulationSettings(document.simulation);
    m_xml.writeEndElement(); // QsmdProject
    m_xml.writeEndDocument();
}

// Only a project that has them writes them, so older files stay as they were.
void Emitter::writeSimulationSettings(const SimulationSettings &settings)
{
    if (settings.isEmpty())
        return;
    m_xml.writeStartElement(QLatin1String(SimulationSettingsElement));
    for (const QString &folder : settings.includePath)
        child(IncludeFolderElement, folder);
    if (!settings.prelude.isEmpty())
        child(PreludeElement, settings.prelude);
    m_xml.writeEndElement();
}

void Emitter::writeBlock(const CanvasBlock &block, GroupLayout layout)
{
    if (layout == GroupLayout::Saved) {
        m_xml.writeEmptyElement(QStringLiteral("Process"));
        attributes(block.process);
        writeGroups(block, true);
        return;
    }
    const bool hasItems = !forEachRecordGroup(
        [&block](const auto &group) { return group.of(block).isEmpty(); });
    if (!hasItems) {
        m_xml.writeEmptyElement(QStringLiteral("Process"));
        attributes(block.process);
        return;
    }
    m_xml.writeStartElement(QStringLiteral("Process"));
    attributes(block.process);
    writeGroups(block, false);
    m_xml.writeEndElement();
}

// `all`: write every group of the canvas, empty ones too. State-machine
// groups belong to the canvases of machines and sub-machines; elsewhere they are written only if
// they hold items, so nothing handed to the writer is ever dropped.
void Emitter::writeGroups(const CanvasBlock &block, bool all)
{
    const bool machine = all && isMachineCanvasLevel(block.process.level);
    forEachRecordGroup([&](const auto &group) {
        writeGroup(group.name(), group.of(block), group.onMachinesOnly() ? machine : all);
        return true;
    });
}

template <typename Record>
void Emitter::writeGroup(const char *name, const QVector<Record> &records, bool always)
{
    if (records.isEmpty() && !always)
        return;
    // The first state group with an entry or exit action carries the
    // marker after its states; its count includes it, as it is an element
    // of the group.
    bool marker = false;
    if constexpr (std::is_same_v<Record, StateRecord>)
        marker = m_markerPending && EntryExitMarker::needsMarker(records);
    m_xml.writeStartElement(QLatin1String(name));
    attr("number", records.size() + (marker ? 1 : 0));
    for (const Record &r : records)
        writeItem(r);
    if constexpr (std::is_same_v<Record, StateRecord>) {
        if (marker) {
            writeItem(EntryExitMarker::record());
            m_markerPending = false;
        }
    }
    m_xml.writeEndElement();
}

template <typename Record>
void Emitter::writeItem(const Record &r)
{
    using Fields = RecordFields<Record>;
    if constexpr (Fields::childElements) {
        m_xml.writeStartElement(QLatin1String(Fields::element));
        Fields::visit(r, [this](const char *name, const auto &value) {
            this->child(name, value);
            return true;
        });
        OptionalFields<Record>::visit(r, [this](const char *name, const auto &value) {
            if (!value.isEmpty())
                this->child(name, value);
            return true;
        });
        if (r.stacking != 0)
            child(StackingField, r.stacking);
        m_xml.writeEndElement();
    } else {
        m_xml.writeEmptyElement(QLatin1String(Fields::element));
        attributes(r);
    }
}

} // namespace

bool ProjectFileWriter::writeTo(QIODevice *device, const ProjectDocument &document)
{
    Emitter emitter(device);
    emitter.writeDocument(document);
    if (emitter.hasError()) {
        m_error = device->errorString().isEmpty() ? QStringLiteral("writing failed")
                                                  : device->errorString();
        return false;
    }
    return true;
}

bool ProjectFileWriter::write(const ProjectDocument &document, const QString &path)
{
    m_error.clear();
    const QString problem = documentProblem(document);
    if (!problem.isEmpty()) {
        m_error = QStringLiteral("%1 was not written: %2").arg(path, problem);
        return false;
    }
    // The text is built in memory and written in one go: much faster than
    // many small device writes, and nothing reaches the disk unless the
    // whole document could be produced.
    QByteArray data;
    if (!writeToBytes(document, &data)) {
        m_error = QStringLiteral("%1 was not written: %2").arg(path, m_error);
        return false;
    }
    QString reason;
    if (!CheckedSaveFile::writeWhole(path, data, QIODevice::WriteOnly, &reason)) {
        m_error = QStringLiteral("%1 was not written: %2").arg(path, reason);
        return false;
    }
    return true;
}

bool ProjectFileWriter::writeToBytes(const ProjectDocument &document, QByteArray *bytes)
{
    m_error.clear();
    const QString problem = documentProblem(document);
    if (!problem.isEmpty()) {
        m_error = problem;
        return false;
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!writeTo(&buffer, document))
        return false;
    buffer.close();
    *bytes = data;
    return true;
}
