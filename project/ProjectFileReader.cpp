#include "ProjectFileReader.h"

#include "ValueCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <cstring>

namespace {

// One walk over one document. The walk reads every token through next(),
// which keeps the nesting depth and turns parser errors into a failure.
class Walker
{
public:
    Walker(const QByteArray &data, bool keepRecords, ProjectRecordLists *out)
        : m_xml(data), m_keep(keepRecords), m_out(out)
    {
    }

    bool readHeader();
    bool readItemList();
    bool readToEnd();
    QString error() const { return m_error; }

private:
    bool next();
    bool fail(const QString &what);
    bool expectStart(const QString &name);
    bool readText(QString *text);
    bool skipToEndOf(int depth);

    // Attribute items.
    bool readProcess();
    bool readLink();
    bool readMemory();
    bool readDataflow();
    bool attrText(const char *name, QString *value);
    bool attrInt(const char *name, int *value);
    bool attrNumber(const char *name, double *value);
    bool attrPolygon(const char *name, PolygonPoints *value);

    // Child-element items.
    bool readState();
    bool readTransition();
    bool readTextItem();
    bool childText(const char *name, QString *value);
    bool childInt(const char *name, int *value);
    bool childNumber(const char *name, double *value);
    bool childFlag(const char *name, bool *value);
    bool childPolygon(const char *name, PolygonPoints *value);
    bool valueError(const char *name, const QString &text);

    QXmlStreamReader m_xml;
    bool m_keep;
    ProjectRecordLists *m_out;
    QString m_element;      // item element being read, for messages
    int m_depth = 0;
    int m_processCount = 0;
    QString m_error;
};

bool Walker::fail(const QString &what)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("line %1, column %2: %3")
                      .arg(m_xml.lineNumber())
                      .arg(m_xml.columnNumber())
                      .arg(what);
    return false;
}

bool Walker::next()
{
    switch (m_xml.readNext()) {
    case QXmlStreamReader::StartElement:
        if (++m_depth > ProjectFileReader::MaxDepth)
            return fail(QStringLiteral("elements nested too deeply"));
        return true;
    case QXmlStreamReader::EndElement:
        --m_depth;
        return true;
    case QXmlStreamReader::Invalid:
        return fail(m_xml.hasError() ? m_xml.errorString()
                                     : QStringLiteral("unexpected end of document"));
    default:
        return true;
    }
}

bool Walker::expectStart(const QString &name)
{
    if (!m_xml.isStartElement() || m_xml.name() != name)
        return fail(QStringLiteral("expected element '%1'").arg(name));
    return true;
}

// The text content of the element just started, up to its end. Comments
// and processing instructions inside are passed over; a child element is
// an error.
bool Walker::readText(QString *text)
{
    QString result;
    for (;;) {
        if (!next())
            return false;
        switch (m_xml.tokenType()) {
        case QXmlStreamReader::Characters:
            result += m_xml.text();
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            break;
        case QXmlStreamReader::EndElement:
            *text = result;
            return true;
        default:
            return fail(QStringLiteral("unexpected %1 in text element '%2'")
                            .arg(m_xml.tokenString(), m_xml.name().toString()));
        }
    }
}

// Reads on until the element open at nesting depth `depth` is closed.
bool Walker::skipToEndOf(int depth)
{
    while (m_depth >= depth) {
        if (!next())
            return false;
    }
    return true;
}

bool Walker::readHeader()
{
    if (!next() || m_xml.tokenType() != QXmlStreamReader::StartDocument)
        return fail(QStringLiteral("not an XML document"));
    if (!next() || !expectStart(QStringLiteral("QsmdProject")))
        return false;
    // The next start element is ProjectFiles.
    do {
        if (!next())
            return false;
    } while (!m_xml.isStartElement() && !m_xml.isEndElement());
    if (!expectStart(QStringLiteral("ProjectFiles")))
        return false;
    QString tree;
    if (!readText(&tree))
        return false;
    m_out->treeText = tree;
    if (!next())
        return false;
    if (!m_xml.isWhitespace())
        return fail(QStringLiteral("expected white space after ProjectFiles"));
    if (!next() || !expectStart(QStringLiteral("SceneData")))
        return false;
    if (!next() || !next() || !expectStart(QStringLiteral("GraphicsItemList")))
        return false;
    return true;
}

bool Walker::readItemList()
{
    const int listDepth = m_depth;
    for (;;) {
        if (!next())
            return false;
        if (m_xml.isEndElement() && m_depth < listDepth)
            return true;
        if (!m_xml.isStartElement())
            continue;
        const QStringRef name = m_xml.name();
        bool ok = true;
        if (name == QLatin1String("Process"))
            ok = readProcess();
        else if (name == QLatin1String("Link"))
            ok = readLink();
        else if (name == QLatin1String("Memory"))
            ok = readMemory();
        else if (name == QLatin1String("Dataflow"))
            ok = readDataflow();
        else if (name == QLatin1String("StateItem"))
            ok = readState();
        else if (name == QLatin1String("TransitionItem"))
            ok = readTransition();
        else if (name == QLatin1String("TextItem"))
            ok = readTextItem();
        if (!ok)
            return false;
    }
}

bool Walker::readToEnd()
{
    while (m_xml.tokenType() != QXmlStreamReader::EndDocument) {
        if (!next())
            return false;
    }
    return true;
}

bool Walker::valueError(const char *name, const QString &text)
{
    return fail(QStringLiteral("%1: value of '%2' is not readable: \"%3\"")
                    .arg(m_element, QLatin1String(name), text.left(40)));
}

// ---- attribute items ------------------------------------------------------

bool Walker::attrText(const char *name, QString *value)
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    const QLatin1String key(name);
    if (!attributes.hasAttribute(key))
        return fail(QStringLiteral("%1: attribute '%2' is missing").arg(m_element, key));
    *value = attributes.value(key).toString();
    return true;
}

bool Walker::attrInt(const char *name, int *value)
{
    QString text;
    if (!attrText(name, &text))
        return false;
    return ValueCodec::parseInt(text, value) || valueError(name, text);
}

bool Walker::attrNumber(const char *name, double *value)
{
    QString text;
    if (!attrText(name, &text))
        return false;
    return ValueCodec::parseNumber(text, value) || valueError(name, text);
}

bool Walker::attrPolygon(const char *name, PolygonPoints *value)
{
    QString text;
    if (!attrText(name, &text))
        return false;
    return ValueCodec::parsePolygon(text, value) || valueError(name, text);
}

bool Walker::readProcess()
{
    m_element = QStringLiteral("Process");
    ProcessRecord r;
    const bool ok = attrInt("level", &r.level) && attrInt("Nos", &r.nos)
        && attrInt("id", &r.id) && attrText("label", &r.label)
        && attrInt("parentId", &r.parentId) && attrInt("grandParentId", &r.grandParentId)
        && attrNumber("xCoord", &r.xCoord) && attrNumber("yCoord", &r.yCoord)
        && attrInt("width", &r.width) && attrInt("height", &r.height)
        && attrInt("shape", &r.shape) && attrText("code", &r.code)
        && attrText("description", &r.description)
        && attrText("backgroundColour", &r.backgroundColour)
        && attrPolygon("polygon", &r.polygon);
    if (!ok)
        return false;
    ++m_processCount;
    if (m_keep)
        m_out->processes.append(r);
    return true;
}

bool Walker::readLink()
{
    m_element = QStringLiteral("Link");
    LinkRecord r;
    const bool ok = attrInt("level", &r.level) && attrInt("parentId", &r.parentId)
        && attrInt("grandParentId", &r.grandParentId)
        && attrNumber("xCoord", &r.xCoord) && attrNumber("yCoord", &r.yCoord)
        && attrText("label", &r.label) && attrText("description", &r.description)
        && attrText("datatype", &r.datatype) && attrText("startItem", &r.startItem)
        && attrText("endItem", &r.endItem)
        && attrText("backgroundColour", &r.backgroundColour)
        && attrPolygon("polygon", &r.polygon);
    if (!ok)
        return false;
    r.fileBlock = m_processCount - 1;
    if (m_keep)
        m_out->links.append(r);
    return true;
}

bool Walker::readMemory()
{
    m_element = QStringLiteral("Memory");
    MemoryRecord r;
    const bool ok = attrInt("level", &r.level) && attrInt("parentId", &r.parentId)
        && attrInt("grandParentId", &r.grandParentId)
        && attrNumber("xCoord", &r.xCoord) && attrNumber("yCoord", &r.yCoord)
        && attrText("label", &r.label) && attrText("description", &r.description)
        && attrText("datatype", &r.datatype)
        && attrText("backgroundColour", &r.backgroundColour)
        && attrPolygon("polygon", &r.polygon);
    if (!ok)
        return false;
    r.fileBlock = m_processCount - 1;
    if (m_keep)
        m_out->memories.append(r);
    return true;
}

bool Walker::readDataflow()
{
    m_element = QStringLiteral("Dataflow");
    DataflowRecord r;
    bool ok = attrInt("level", &r.level) && attrInt("parentId", &r.parentId)
        && attrInt("grandParentId", &r.grandParentId) && attrInt("lineType", &r.lineType)
        && attrNumber("xCoord", &r.xCoord) && attrNumber("yCoord", &r.yCoord)
        && attrText("label", &r.label) && attrText("description", &r.description)
        && attrText("datatype", &r.datatype)
        && attrText("backgroundColour", &r.backgroundColour)
        && attrPolygon("polygon", &r.polygon);
    if (!ok)
        return false;
    // The writer names the two ends only for the two directions it knows
    // (lineType 1 and 2), so only those must carry them; a file it wrote
    // with any other lineType still opens.
    if (r.lineType == 1 || r.lineType == 2) {
        ok = attrText("startItem", &r.startItem) && attrText("endItem", &r.endItem);
    } else {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        r.startItem = attributes.value(QLatin1String("startItem")).toString();
        r.endItem = attributes.value(QLatin1String("endItem")).toString();
    }
    if (!ok)
        return false;
    r.fileBlock = m_processCount - 1;
    if (m_keep)
        m_out->dataflows.append(r);
    return true;
}

// ---- child-element items --------------------------------------------------

bool Walker::childText(const char *name, QString *value)
{
    const QLatin1String key(name);
    if (!next())
        return false;
    if (!m_xml.isWhitespace())
        return fail(QStringLiteral("%1: expected white space before element '%2'")
                        .arg(m_element, key));
    if (!next())
        return false;
    if (!m_xml.isStartElement() || m_xml.name() != key) {
        const QString found = m_xml.isStartElement() ? m_xml.name().toString()
                                                     : m_xml.tokenString();
        return fail(QStringLiteral("%1: expected element '%2', found '%3'")
                        .arg(m_element, key, found));
    }
    return readText(value);
}

bool Walker::childInt(const char *name, int *value)
{
    QString text;
    if (!childText(name, &text))
        return false;
    return ValueCodec::parseInt(text, value) || valueError(name, text);
}

bool Walker::childNumber(const char *name, double *value)
{
    QString text;
    if (!childText(name, &text))
        return false;
    return ValueCodec::parseNumber(text, value) || valueError(name, text);
}

bool Walker::childFlag(const char *name, bool *value)
{
    QString text;
    if (!childText(name, &text))
        return false;
    return ValueCodec::parseFlag(text, value) || valueError(name, text);
}

bool Walker::childPolygon(const char *name, PolygonPoints *value)
{
    QString text;
    if (!childText(name, &text))
        return false;
    return ValueCodec::parsePolygon(text, value) || valueError(name, text);
}

bool Walker::readState()
{
    m_element = QStringLiteral("StateItem");
    const int depth = m_depth;
    StateRecord r;
    QString transitions;
    const bool ok = childInt("level", &r.level) && childInt("parentId", &r.parentId)
        && childInt("grandParentId", &r.grandParentId) && childText("label", &r.label)
        && childFlag("ifInitialState", &r.ifInitialState)
        && childText("initialCondition", &r.initialCondition)
        && childText("initialDescription", &r.initialDescription)
        && childNumber("xCoord", &r.xCoord) && childNumber("yCoord", &r.yCoord)
        && childInt("width", &r.width) && childInt("height", &r.height)
        && childText("backgroundColour", &r.backgroundColour)
        && childPolygon("polygon", &r.polygon) && childText("action", &r.action)
        && childText("description", &r.description)
        && childInt("numberOfTI", &r.numberOfTI) && childText("transitions", &transitions)
        && skipToEndOf(depth);
    if (!ok)
        return false;
    r.transitions = ValueCodec::splitLabels(transitions);
    r.fileBlock = m_processCount - 1;
    if (m_keep)
        m_out->states.append(r);
    return true;
}

bool Walker::readTransition()
{
    m_element = QStringLiteral("TransitionItem");
    const int depth = m_depth;
    TransitionRecord r;
    const bool ok = childInt("level", &r.level) && childInt("parentId", &r.parentId)
        && childInt("grandParentId", &r.grandParentId) && childText("label", &r.label)
        && childText("condition", &r.condition)
        && childText("backgroundColour", &r.backgroundColour)
        && childNumber("xCoord", &r.xCoord) && childNumber("yCoord", &r.yCoord)
        && childText("midPos", &r.midPos) && childInt("width", &r.width)
        && childInt("height", &r.height) && childPolygon("polygon", &r.polygon)
        && childText("startItem", &r.startItem) && childText("endItem", &r.endItem)
        && childText("description", &r.description) && childText("action", &r.action)
        && skipToEndOf(depth);
    if (!ok)
        return false;
    if (!r.midPos.isEmpty() && !ValueCodec::parsePoint(r.midPos, nullptr))
        return valueError("midPos", r.midPos);
    r.fileBlock = m_processCount - 1;
    if (m_keep)
        m_out->transitions.append(r);
    return true;
}

bool Walker::readTextItem()
{
    m_element = QStringLiteral("TextItem");
    const int depth = m_depth;
    TextRecord r;
    const bool ok = childInt("level", &r.level) && childInt("parentId", &r.parentId)
        && childInt("grandParentId", &r.grandParentId)
        && childNumber("xCoord", &r.xCoord) && childNumber("yCoord", &r.yCoord)
        && childInt("width", &r.width) && childInt("height", &r.height)
        && childInt("type", &r.type)
        && childText("backgroundColour", &r.backgroundColour)
        && childText("textColour", &r.textColour) && childPolygon("polygon", &r.polygon)
        && childText("action", &r.action) && skipToEndOf(depth);
    if (!ok)
        return false;
    r.fileBlock = m_processCount - 1;
    if (m_keep)
        m_out->texts.append(r);
    return true;
}

// A linear scan over the raw bytes for a start tag with more than `limit`
// attributes (counted as '=' outside quoted values). Comments, CDATA
// sections, processing instructions and declarations are passed over.
// Works on the ASCII bytes of markup, so UTF-8 and UTF-16 files alike.
bool hasCrowdedTag(const QByteArray &data, int limit)
{
    const char *p = data.constData();
    const char *end = p + data.size();
    auto startsWith = [&](const char *at, const char *text) {
        const size_t n = std::strlen(text);
        return size_t(end - at) >= n && std::memcmp(at, text, n) == 0;
    };
    auto skipPast = [&](const char *from, const char *text) {
        const size_t n = std::strlen(text);
        for (const char *q = from; size_t(end - q) >= n; ++q) {
            if (std::memcmp(q, text, n) == 0)
                return q + n;
        }
        return end;
    };
    while (p < end) {
        p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            return false;
        if (startsWith(p, "<!--")) {
            p = skipPast(p + 4, "-->");
        } else if (startsWith(p, "<![CDATA[")) {
            p = skipPast(p + 9, "]]>");
        } else if (startsWith(p, "<?")) {
            p = skipPast(p + 2, "?>");
        } else {
            int attributes = 0;
            char quote = 0;
            for (++p; p < end; ++p) {
                const char c = *p;
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > limit)
                        return true;
                } else if (c == '>') {
                    ++p;
                    break;
                }
            }
        }
    }
    return false;
}

} // namespace

QString ProjectFileReader::corruptMessage()
{
    return QStringLiteral("Design file is corrupt and cannot be opened. \nOpening Project Aborted.");
}

bool ProjectFileReader::check(const QString &path)
{
    return readFile(path, Mode::Check);
}

bool ProjectFileReader::checkData(const QByteArray &data)
{
    return run(data, Mode::Check);
}

bool ProjectFileReader::load(const QString &path)
{
    return readFile(path, Mode::Load);
}

bool ProjectFileReader::loadData(const QByteArray &data)
{
    return run(data, Mode::Load);
}

bool ProjectFileReader::readTreeText(const QString &path)
{
    return readFile(path, Mode::TreeText);
}

bool ProjectFileReader::readTreeTextData(const QByteArray &data)
{
    return run(data, Mode::TreeText);
}

ProjectRecordLists ProjectFileReader::takeRecords()
{
    ProjectRecordLists result = std::move(m_records);
    m_records = ProjectRecordLists();
    return result;
}

bool ProjectFileReader::readFile(const QString &path, Mode mode)
{
    m_records = ProjectRecordLists();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    // The whole file is read first: the size limit holds before any
    // parsing, and the parser sees every token whole.
    if (file.size() > MaxFileSize) {
        m_error = QStringLiteral("%1: file is larger than %2 MiB")
                      .arg(path).arg(MaxFileSize / (1024 * 1024));
        return false;
    }
    QByteArray data;
    if (file.isSequential()) {
        // A pipe or device has no size: read in pieces up to the limit.
        while (!file.atEnd() && data.size() <= MaxFileSize) {
            const QByteArray piece = file.read(1 << 20);
            if (piece.isEmpty())
                break;
            data += piece;
        }
    } else {
        data = file.readAll();
    }
    if (file.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return run(data, mode);
}

bool ProjectFileReader::run(const QByteArray &data, Mode mode)
{
    m_records = ProjectRecordLists();
    m_error.clear();
    if (data.size() > MaxFileSize) {
        m_error = QStringLiteral("file is larger than %1 MiB").arg(MaxFileSize / (1024 * 1024));
        return false;
    }
    if (hasCrowdedTag(data, MaxAttributes)) {
        m_error = QStringLiteral("an element has more than %1 attributes").arg(MaxAttributes);
        return false;
    }
    ProjectRecordLists records;
    Walker walker(data, mode == Mode::Load, &records);
    bool ok = walker.readHeader();
    if (ok && mode != Mode::TreeText)
        ok = walker.readItemList() && walker.readToEnd();
    if (!ok) {
        m_error = walker.error();
        return false;
    }
    if (mode == Mode::Check)
        records = ProjectRecordLists();
    m_records = std::move(records);
    return true;
}
