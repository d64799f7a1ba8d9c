#include "ProjectFileWriter.h"

#include "ValueCodec.h"

#include <QBuffer>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace {

using ValueCodec::formatNumber;
using ValueCodec::formatPolygon;
using ValueCodec::xmlSafe;

// Text inside an element: the XML parser turns "\r\n" and a lone "\r" into
// "\n" on reading, so write them that way and a saved file reads back as
// written.
QString elementText(const QString &text)
{
    if (!text.contains(QLatin1Char('\r')))
        return xmlSafe(text);
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return xmlSafe(normal);
}

// The tree text with every line ended by "\r\n".
QString treeText(const QString &text)
{
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normal.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return xmlSafe(normal);
}

class Emitter
{
public:
    explicit Emitter(QIODevice *device) : m_xml(device) { m_xml.setAutoFormatting(true); }

    void writeDocument(const ProjectDocument &document);
    bool hasError() const { return m_xml.hasError(); }

private:
    void attr(const char *name, const QString &value)
    {
        m_xml.writeAttribute(QLatin1String(name), xmlSafe(value));
    }
    void attr(const char *name, int value) { m_xml.writeAttribute(QLatin1String(name), QString::number(value)); }
    void coord(const char *name, double value) { m_xml.writeAttribute(QLatin1String(name), formatNumber(value)); }
    void child(const char *name, const QString &value)
    {
        m_xml.writeTextElement(QLatin1String(name), elementText(value));
    }
    void child(const char *name, int value) { m_xml.writeTextElement(QLatin1String(name), QString::number(value)); }
    void childCoord(const char *name, double value)
    {
        m_xml.writeTextElement(QLatin1String(name), formatNumber(value));
    }

    void processAttributes(const ProcessRecord &r);
    void writeBlock(const CanvasBlock &block, GroupLayout layout);
    void writeGroups(const CanvasBlock &block, bool all);
    template <typename Record>
    void writeGroup(const char *name, const QVector<Record> &records, bool always);

    void writeItem(const LinkRecord &r);
    void writeItem(const MemoryRecord &r);
    void writeItem(const DataflowRecord &r);
    void writeItem(const StateRecord &r);
    void writeItem(const TransitionRecord &r);
    void writeItem(const TextRecord &r);

    QXmlStreamWriter m_xml;
};

void Emitter::writeDocument(const ProjectDocument &document)
{
    m_xml.writeStartDocument();
    m_xml.writeStartElement(QStringLiteral("QsmdProject"));
    m_xml.writeTextElement(QStringLiteral("ProjectFiles"), treeText(document.treeText));
    m_xml.writeStartElement(QStringLiteral("SceneData"));
    m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("v1.0"));
    m_xml.writeStartElement(QStringLiteral("GraphicsItemList"));

    m_xml.writeEmptyElement(QStringLiteral("Process"));
    processAttributes(document.root);
    if (document.layout == GroupLayout::Saved) {
        // The level-1 canvas keeps only process items; its groups stay empty.
        writeGroup("LinkItems", QVector<LinkRecord>(), true);
        writeGroup("MemoryItems", QVector<MemoryRecord>(), true);
        writeGroup("DataflowItems", QVector<DataflowRecord>(), true);
    }
    for (const CanvasBlock &block : document.blocks)
        writeBlock(block, document.layout);

    m_xml.writeEndElement(); // GraphicsItemList
    m_xml.writeEndElement(); // SceneData
    m_xml.writeEndElement(); // QsmdProject
    m_xml.writeEndDocument();
}

void Emitter::processAttributes(const ProcessRecord &r)
{
    attr("level", r.level);
    attr("Nos", r.nos);
    attr("id", r.id);
    attr("label", r.label);
    attr("parentId", r.parentId);
    attr("grandParentId", r.grandParentId);
    coord("xCoord", r.xCoord);
    coord("yCoord", r.yCoord);
    attr("width", r.width);
    attr("height", r.height);
    attr("shape", r.shape);
    attr("code", r.code);
    attr("description", r.description);
    attr("backgroundColour", r.backgroundColour);
    attr("polygon", formatPolygon(r.polygon));
}

void Emitter::writeBlock(const CanvasBlock &block, GroupLayout layout)
{
    if (layout == GroupLayout::Saved) {
        m_xml.writeEmptyElement(QStringLiteral("Process"));
        processAttributes(block.process);
        writeGroups(block, true);
        return;
    }
    const bool hasItems = !block.links.isEmpty() || !block.memories.isEmpty()
        || !block.dataflows.isEmpty() || !block.states.isEmpty()
        || !block.transitions.isEmpty() || !block.texts.isEmpty();
    if (!hasItems) {
        m_xml.writeEmptyElement(QStringLiteral("Process"));
        processAttributes(block.process);
        return;
    }
    m_xml.writeStartElement(QStringLiteral("Process"));
    processAttributes(block.process);
    writeGroups(block, false);
    m_xml.writeEndElement();
}

// `all`: write every group of the canvas, empty ones too. State-machine
// groups belong to level-5 canvases; elsewhere they are written only if
// they hold items, so nothing handed to the writer is ever dropped.
void Emitter::writeGroups(const CanvasBlock &block, bool all)
{
    const bool machine = all && block.process.level == 5;
    writeGroup("LinkItems", block.links, all);
    writeGroup("MemoryItems", block.memories, all);
    writeGroup("DataflowItems", block.dataflows, all);
    writeGroup("StateItems", block.states, machine);
    writeGroup("TransitionItems", block.transitions, machine);
    writeGroup("TextItems", block.texts, machine);
}

template <typename Record>
void Emitter::writeGroup(const char *name, const QVector<Record> &records, bool always)
{
    if (records.isEmpty() && !always)
        return;
    m_xml.writeStartElement(QLatin1String(name));
    attr("number", records.size());
    for (const Record &r : records)
        writeItem(r);
    m_xml.writeEndElement();
}

void Emitter::writeItem(const LinkRecord &r)
{
    m_xml.writeEmptyElement(QStringLiteral("Link"));
    attr("level", r.level);
    attr("parentId", r.parentId);
    attr("grandParentId", r.grandParentId);
    coord("xCoord", r.xCoord);
    coord("yCoord", r.yCoord);
    attr("label", r.label);
    attr("description", r.description);
    attr("datatype", r.datatype);
    attr("startItem", r.startItem);
    attr("endItem", r.endItem);
    attr("backgroundColour", r.backgroundColour);
    attr("polygon", formatPolygon(r.polygon));
}

void Emitter::writeItem(const MemoryRecord &r)
{
    m_xml.writeEmptyElement(QStringLiteral("Memory"));
    attr("level", r.level);
    attr("parentId", r.parentId);
    attr("grandParentId", r.grandParentId);
    coord("xCoord", r.xCoord);
    coord("yCoord", r.yCoord);
    attr("label", r.label);
    attr("description", r.description);
    attr("datatype", r.datatype);
    attr("backgroundColour", r.backgroundColour);
    attr("polygon", formatPolygon(r.polygon));
}

void Emitter::writeItem(const DataflowRecord &r)
{
    m_xml.writeEmptyElement(QStringLiteral("Dataflow"));
    attr("level", r.level);
    attr("parentId", r.parentId);
    attr("grandParentId", r.grandParentId);
    attr("lineType", r.lineType);
    coord("xCoord", r.xCoord);
    coord("yCoord", r.yCoord);
    attr("label", r.label);
    attr("description", r.description);
    attr("datatype", r.datatype);
    // The two ends are named only for the two known directions.
    if (r.lineType == 1 || r.lineType == 2) {
        attr("startItem", r.startItem);
        attr("endItem", r.endItem);
    }
    attr("backgroundColour", r.backgroundColour);
    attr("polygon", formatPolygon(r.polygon));
}

void Emitter::writeItem(const StateRecord &r)
{
    m_xml.writeStartElement(QStringLiteral("StateItem"));
    child("level", r.level);
    child("parentId", r.parentId);
    child("grandParentId", r.grandParentId);
    child("label", r.label);
    child("ifInitialState", r.ifInitialState ? 1 : 0);
    child("initialCondition", r.initialCondition);
    child("initialDescription", r.initialDescription);
    childCoord("xCoord", r.xCoord);
    childCoord("yCoord", r.yCoord);
    child("width", r.width);
    child("height", r.height);
    child("backgroundColour", r.backgroundColour);
    child("polygon", formatPolygon(r.polygon));
    child("action", r.action);
    child("description", r.description);
    child("numberOfTI", r.numberOfTI);
    child("transitions", ValueCodec::joinLabels(r.transitions));
    m_xml.writeEndElement();
}

void Emitter::writeItem(const TransitionRecord &r)
{
    m_xml.writeStartElement(QStringLiteral("TransitionItem"));
    child("level", r.level);
    child("parentId", r.parentId);
    child("grandParentId", r.grandParentId);
    child("label", r.label);
    child("condition", r.condition);
    child("backgroundColour", r.backgroundColour);
    childCoord("xCoord", r.xCoord);
    childCoord("yCoord", r.yCoord);
    child("midPos", r.midPos);
    child("width", r.width);
    child("height", r.height);
    child("polygon", formatPolygon(r.polygon));
    child("startItem", r.startItem);
    child("endItem", r.endItem);
    child("description", r.description);
    child("action", r.action);
    m_xml.writeEndElement();
}

void Emitter::writeItem(const TextRecord &r)
{
    m_xml.writeStartElement(QStringLiteral("TextItem"));
    child("level", r.level);
    child("parentId", r.parentId);
    child("grandParentId", r.grandParentId);
    childCoord("xCoord", r.xCoord);
    childCoord("yCoord", r.yCoord);
    child("width", r.width);
    child("height", r.height);
    child("type", r.type);
    child("backgroundColour", r.backgroundColour);
    child("textColour", r.textColour);
    child("polygon", formatPolygon(r.polygon));
    child("action", r.action);
    m_xml.writeEndElement();
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    if (file.write(data) != data.size()) {
        m_error = QStringLiteral("%1 was not written: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_error = QStringLiteral("%1 was not written: %2").arg(path, file.errorString());
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
