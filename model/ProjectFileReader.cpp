#include "ProjectFileReader.h"

#include "EntryExitMarker.h"
#include "RawProjectBytes.h"
#include "RecordFields.h"
#include "RecordGroups.h"
#include "UnknownParts.h"
#include "ValueCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <type_traits>

namespace {

// One walk over one document. The walk reads every token through next(),
// which keeps the nesting depth and turns parser errors into a failure.
class Walker
{
public:
    // The parser reads the bytes through a buffer device, which makes it
    // decode them a piece at a time instead of into one copy of the whole
    // document.
    Walker(const QByteArray &data, bool keepRecords, ProjectRecordLists *out)
        : m_data(data), m_keep(keepRecords), m_out(out)
    {
        m_buffer.setData(data);
        m_buffer.open(QIODevice::ReadOnly);
        m_xml.setDevice(&m_buffer);
    }

    bool readHeader();
    bool readItemList();
    bool readToEnd();
    bool readSimulationSettings();
    // What was passed over without being known (see UnknownParts); empty
    // unless records are kept.
    LoadNotes unknownNotes() const { return m_unknown.notes(); }
    QString error() const { return m_error; }
    int errorLine() const { return m_errorLine; }
    int errorColumn() const { return m_errorColumn; }
    QString errorReason() const { return m_errorReason; }

private:
    bool next();
    bool fail(const QString &what);
    bool failOnParser();
    bool skipProlog();
    bool expectStart(const QString &name);
    bool readText(QString *text);
    bool readStackingAttribute(double *value);
    template <typename Record>
    bool readTrailingChildren(int depth, Record *r);
    bool isListElement(const QStringRef &name) const;
    void noteUnknown(const char *kind, const QString &name, const QString &where);
    template <typename Record>
    void noteUnknownAttributes(const Record &r);

    // Items. Each field is an attribute or a child element (see
    // RecordFields), read as text and then decoded by its type.
    bool readProcess();
    template <typename Record>
    bool readItem(QVector<Record> *list);
    template <typename Record>
    bool readFields(Record *r);
    bool readFields(DataflowRecord *r);
    template <typename Record>
    void readOptionalAttributes(Record *)
    {
    }
    void readOptionalAttributes(ProcessRecord *r);
    bool checkItem(const TransitionRecord &r);
    template <typename Record>
    bool checkItem(const Record &) { return true; }
    bool fieldText(const char *name, QString *value);
    bool attrText(const char *name, QString *value);
    bool childText(const char *name, QString *value);
    bool field(const char *name, QString *value) { return fieldText(name, value); }
    bool field(const char *name, int *value) { return decoded(name, value, ValueCodec::parseInt); }
    bool field(const char *name, double *value) { return decoded(name, value, ValueCodec::parseNumber); }
    bool field(const char *name, bool *value) { return decoded(name, value, ValueCodec::parseFlag); }
    bool field(const char *name, PolygonPoints *value)
    {
        return decoded(name, value, ValueCodec::parsePolygon);
    }
    bool field(const char *name, QStringList *value);
    template <typename T>
    bool decoded(const char *name, T *value, bool (*parse)(const QString &, T *));
    bool valueError(const char *name, const QString &text);

    const QByteArray m_data;
    QBuffer m_buffer;
    QXmlStreamReader m_xml;
    bool m_keep;
    ProjectRecordLists *m_out;
    QString m_element;      // item element being read, for messages
    QXmlStreamAttributes m_attributes; // of that element, taken once
    bool m_childElements = false; // its fields are child elements
    int m_depth = 0;
    int m_processCount = 0;
    UnknownParts m_unknown;   // what was passed over without being known
    QString m_error;
    int m_errorLine = 0;
    int m_errorColumn = 0;
    QString m_errorReason;
};

bool Walker::fail(const QString &what)
{
    if (m_error.isEmpty()) {
        m_errorLine = int(m_xml.lineNumber());
        m_errorColumn = int(m_xml.columnNumber());
        m_errorReason = what;
        m_error = QStringLiteral("line %1, column %2: %3").arg(m_errorLine).arg(m_errorColumn).arg(what);
    }
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
        return failOnParser();
    default:
        return true;
    }
}

// The parser checks the encoding a block of input at a time and reports a
// fault at the place it had reached, not where the bad bytes are; for a
// UTF-8 document the place is found in the bytes themselves.
bool Walker::failOnParser()
{
    if (!m_xml.hasError())
        return fail(QStringLiteral("unexpected end of document"));
    const bool encoding = m_xml.errorString().contains(QLatin1String("encoded"));
    const QString declared = m_xml.documentEncoding().toString();
    const bool utf8 = declared.isEmpty() || declared.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0;
    const int at = encoding && utf8 ? RawProjectBytes::firstInvalidUtf8(m_data) : -1;
    if (at < 0 || !m_error.isEmpty())
        return fail(m_xml.errorString());
    m_errorLine = 1;
    int lineStart = 0;
    for (int i = 0; i < at; ++i) {
        if (m_data.at(i) == '\n') {
            ++m_errorLine;
            lineStart = i + 1;
        }
    }
    // Columns count characters: every byte but UTF-8 continuation bytes.
    m_errorColumn = 1;
    for (int i = lineStart; i < at; ++i) {
        if ((uchar(m_data.at(i)) & 0xC0) != 0x80)
            ++m_errorColumn;
    }
    m_errorReason = m_xml.errorString();
    m_error = QStringLiteral("line %1, column %2: %3").arg(m_errorLine).arg(m_errorColumn).arg(m_errorReason);
    return false;
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
            // A text usually comes as one token: a long one is copied once,
            // at its size, instead of grown piece by piece or kept in the
            // parser's larger buffer.
            if (result.isEmpty())
                result = QString(m_xml.text().unicode(), m_xml.text().size());
            else
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

// What XML allows between the declaration and the root element:
// comments, processing instructions and white space. A document type
// declaration is not passed over, so it is refused before anything in it
// is expanded.
bool Walker::skipProlog()
{
    for (;;) {
        if (!next())
            return false;
        const QXmlStreamReader::TokenType type = m_xml.tokenType();
        if (type == QXmlStreamReader::Comment || type == QXmlStreamReader::ProcessingInstruction
            || (type == QXmlStreamReader::Characters && m_xml.isWhitespace()))
            continue;
        return true;
    }
}

bool Walker::readHeader()
{
    if (!next() || m_xml.tokenType() != QXmlStreamReader::StartDocument)
        return fail(QStringLiteral("not an XML document"));
    if (!skipProlog() || !expectStart(QStringLiteral("QsmdProject")))
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

// Process, the record groups and their records' elements.
bool Walker::isListElement(const QStringRef &name) const
{
    if (name == QLatin1String("Process"))
        return true;
    return !forEachRecordGroup([&](const auto &group) {
        return name != QLatin1String(group.name()) && name != QLatin1String(group.element());
    });
}

bool Walker::readItemList()
{
    const int listDepth = m_depth;
    // The depth of the outermost unknown element open, whose own unknown
    // children are part of it and not listed again.
    int unknownDepth = 0;
    for (;;) {
        if (!next())
            return false;
        if (m_xml.isEndElement() && m_depth < listDepth)
            return true;
        if (m_xml.isEndElement() && m_depth < unknownDepth)
            unknownDepth = 0;
        if (!m_xml.isStartElement())
            continue;
        const QStringRef name = m_xml.name();
        bool ok = true;
        if (!isListElement(name)) {
            // Read past as before: records inside it are still read.
            if (unknownDepth == 0) {
                noteUnknown("Element", name.toString(), QStringLiteral("in the item list"));
                unknownDepth = m_depth;
            }
        } else if (name == QLatin1String("Process")) {
            ok = readProcess();
        } else {
            // Each record group's element goes to its list; other elements
            // (the group elements themselves) are read past.
            forEachRecordGroup([&](const auto &group) {
                if (name != QLatin1String(group.element()))
                    return true;
                ok = readItem(&group.of(*m_out));
                return false;
            });
        }
        if (!ok)
            return false;
    }
}

// Whatever follows the item list is read past but the project's optional
// SimulationSettings (after SceneData); other elements directly inside
// SceneData or QsmdProject are listed as unknown.
bool Walker::readToEnd()
{
    const int sceneDepth = m_depth;
    bool settingsRead = false;
    while (m_xml.tokenType() != QXmlStreamReader::EndDocument) {
        if (!next())
            return false;
        if (m_xml.isStartElement() && m_depth == 2 && m_xml.name() == QLatin1String(SimulationSettingsElement)) {
            if (settingsRead)
                return fail(QStringLiteral("more than one SimulationSettings element"));
            settingsRead = true;
            if (!readSimulationSettings())
                return false;
        } else if (m_xml.isStartElement() && m_depth <= sceneDepth + 1) {
            noteUnknown("Element", m_xml.name().toString(), QStringLiteral("after the item list"));
        }
    }
    return true;
}

// includeFolder elements, then at most one prelude, each holding text.
bool Walker::readSimulationSettings()
{
    SimulationSettings settings;
    bool prelude = false;
    const int depth = m_depth;
    for (;;) {
        if (!next())
            return false;
        if (m_xml.isEndElement() && m_depth < depth)
            break;
        if (m_xml.isCharacters() && m_xml.isWhitespace())
            continue;
        if (!m_xml.isStartElement())
            return fail(QStringLiteral("unexpected %1 in SimulationSettings").arg(m_xml.tokenString()));
        QString text;
        if (m_xml.name() == QLatin1String(IncludeFolderElement) && !prelude) {
            if (!readText(&text))
                return false;
            if (text.isEmpty())
                return fail(QStringLiteral("SimulationSettings: an empty includeFolder"));
            if (settings.includePath.size() >= SimulationSettings::MaxIncludeFolders)
                return fail(QStringLiteral("SimulationSettings: more than %1 include folders")
                                .arg(SimulationSettings::MaxIncludeFolders));
            settings.includePath << text;
        } else if (m_xml.name() == QLatin1String(PreludeElement) && !prelude) {
            if (!readText(&text))
                return false;
            prelude = true;
            settings.prelude = text;
        } else {
            return fail(QStringLiteral("SimulationSettings: unexpected element '%1'").arg(m_xml.name().toString()));
        }
    }
    if (m_keep)
        m_out->simulation = settings;
    return true;
}

void Walker::noteUnknown(const char *kind, const QString &name, const QString &where)
{
    if (m_keep)
        m_unknown.add(kind, name, where, m_xml.lineNumber());
}

bool Walker::valueError(const char *name, const QString &text)
{
    return fail(QStringLiteral("%1: value of '%2' is not readable: \"%3\"")
                    .arg(m_element, QLatin1String(name), text.left(40)));
}

// ---- items ------------------------------------------------------------------

bool Walker::fieldText(const char *name, QString *value)
{
    return m_childElements ? childText(name, value) : attrText(name, value);
}

template <typename T>
bool Walker::decoded(const char *name, T *value, bool (*parse)(const QString &, T *))
{
    QString text;
    if (!fieldText(name, &text))
        return false;
    return parse(text, value) || valueError(name, text);
}

bool Walker::field(const char *name, QStringList *value)
{
    QString text;
    if (!fieldText(name, &text))
        return false;
    *value = ValueCodec::splitLabels(text);
    return true;
}

bool Walker::attrText(const char *name, QString *value)
{
    const QLatin1String key(name);
    for (const QXmlStreamAttribute &attribute : qAsConst(m_attributes)) {
        if (attribute.qualifiedName() == key) {
            *value = attribute.value().toString();
            return true;
        }
    }
    return fail(QStringLiteral("%1: attribute '%2' is missing").arg(m_element, key));
}

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

// Reads every field in file order; an item of child elements is then read
// on to its end, whatever follows the last field.
template <typename Record>
bool Walker::readFields(Record *r)
{
    using Fields = RecordFields<Record>;
    m_element = QLatin1String(Fields::element);
    m_childElements = Fields::childElements;
    if (!m_childElements)
        m_attributes = m_xml.attributes();
    const int depth = m_depth;
    const bool ok = Fields::visit(*r, [this](const char *name, auto &value) {
        return this->field(name, &value);
    });
    if (!ok)
        return false;
    if (Fields::childElements)
        return readTrailingChildren(depth, r);
    readOptionalAttributes(r);
    noteUnknownAttributes(*r);
    return readStackingAttribute(&r->stacking);
}

namespace {

// Whether an attribute item of this kind takes an attribute of this name:
// its fields, the stacking value and its kind's optional ones.
template <typename Record>
bool takesAttribute(const Record &r, const QStringRef &name)
{
    bool known = name == QLatin1String(StackingField);
    RecordFields<Record>::visit(r, [&](const char *field, const auto &) {
        known = known || name == QLatin1String(field);
        return !known;
    });
    return known;
}

bool takesAttribute(const ProcessRecord &r, const QStringRef &name)
{
    return name == QLatin1String(CodeStyleField) || takesAttribute<ProcessRecord>(r, name);
}

bool takesAttribute(const DataflowRecord &r, const QStringRef &name)
{
    return name == QLatin1String("startItem") || name == QLatin1String("endItem")
           || takesAttribute<DataflowRecord>(r, name);
}

// The attributes every item of the kind carries (the dataflow's ends aside).
template <typename Record>
int requiredAttributes(const Record &r)
{
    int count = 0;
    RecordFields<Record>::visit(r, [&count](const char *, const auto &) {
        ++count;
        return true;
    });
    return count;
}

int requiredAttributes(const DataflowRecord &r)
{
    int count = 0;
    RecordFields<DataflowRecord>::visit(
        r,
        [&count](const char *, const auto &) {
            ++count;
            return true;
        },
        false);
    return count;
}

} // namespace

// Attribute names are unique in a tag, so an item with no more attributes
// than its required fields (all of them found) has none unknown.
template <typename Record>
void Walker::noteUnknownAttributes(const Record &r)
{
    if (!m_keep || m_attributes.size() <= requiredAttributes(r))
        return;
    for (const QXmlStreamAttribute &attribute : qAsConst(m_attributes)) {
        if (!takesAttribute(r, attribute.qualifiedName()))
            noteUnknown("Attribute", attribute.qualifiedName().toString(),
                        QStringLiteral("of %1").arg(m_element));
    }
}

void Walker::readOptionalAttributes(ProcessRecord *r)
{
    r->codeStyle = m_attributes.value(QLatin1String(CodeStyleField)).toString();
    r->counterType = m_attributes.value(QLatin1String(CounterTypeField)).toString();
}

// The optional stacking attribute; absent leaves the value at 0.
bool Walker::readStackingAttribute(double *value)
{
    const QStringRef text = m_attributes.value(QLatin1String(StackingField));
    if (text.isNull())
        return true;
    return ValueCodec::parseNumber(text.toString(), value) || valueError(StackingField, text.toString());
}

// Reads on to the end of the item open at `depth`, past whatever follows the
// last field; the kind's optional fields and a stacking element directly
// inside the item are taken, wherever they come, and every other element
// there is listed as unknown (with what is inside it).
template <typename Record>
bool Walker::readTrailingChildren(int depth, Record *r)
{
    while (m_depth >= depth) {
        if (!next())
            return false;
        if (!m_xml.isStartElement() || m_depth != depth + 1)
            continue;
        const QStringRef name = m_xml.name();
        if (name == QLatin1String(StackingField)) {
            QString text;
            if (!readText(&text))
                return false;
            if (!ValueCodec::parseNumber(text, &r->stacking))
                return valueError(StackingField, text);
            continue;
        }
        bool known = false;
        bool ok = true;
        OptionalFields<Record>::visit(*r, [&](const char *field, auto &value) {
            if (name != QLatin1String(field))
                return true;
            known = true;
            ok = this->readText(&value);
            return false;
        });
        if (!ok)
            return false;
        if (!known)
            noteUnknown("Element", name.toString(), QStringLiteral("in %1").arg(m_element));
    }
    return true;
}

bool Walker::readFields(DataflowRecord *r)
{
    using Fields = RecordFields<DataflowRecord>;
    m_element = QLatin1String(Fields::element);
    m_childElements = false;
    m_attributes = m_xml.attributes();
    const bool ok = Fields::visit(
        *r, [this](const char *name, auto &value) { return this->field(name, &value); }, false);
    if (!ok || !readStackingAttribute(&r->stacking))
        return false;
    noteUnknownAttributes(*r);
    // The writer names the two ends only for the two directions it knows
    // (lineType 1 and 2), so only those must carry them; a file it wrote
    // with any other lineType still opens.
    if (Fields::hasEnds(*r))
        return attrText("startItem", &r->startItem) && attrText("endItem", &r->endItem);
    r->startItem = m_attributes.value(QLatin1String("startItem")).toString();
    r->endItem = m_attributes.value(QLatin1String("endItem")).toString();
    return true;
}

bool Walker::checkItem(const TransitionRecord &r)
{
    if (!r.midPos.isEmpty() && !ValueCodec::parsePoint(r.midPos, nullptr))
        return valueError("midPos", r.midPos);
    return true;
}

bool Walker::readProcess()
{
    ProcessRecord r;
    if (!readFields(&r))
        return false;
    ++m_processCount;
    if (m_keep)
        m_out->processes.append(r);
    return true;
}

template <typename Record>
bool Walker::readItem(QVector<Record> *list)
{
    Record r;
    if (!readFields(&r) || !checkItem(r))
        return false;
    r.fileBlock = m_processCount - 1;
    if constexpr (std::is_same_v<Record, StateRecord>) {
        // The marker speaks to releases that do not read entry and exit
        // actions; this one does.
        if (EntryExitMarker::isMarker(r))
            return true;
    }
    if (m_keep)
        list->append(r);
    return true;
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

QString ProjectFileReader::errorDetail(const QString &path) const
{
    if (m_errorLine > 0)
        return QStringLiteral("%1:%2:%3: %4").arg(path).arg(m_errorLine).arg(m_errorColumn).arg(errorReason());
    // File-level failures already name the file.
    return m_error.startsWith(path + QLatin1Char(':')) ? m_error : QStringLiteral("%1: %2").arg(path, m_error);
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
    m_errorLine = m_errorColumn = 0;
    m_errorReason.clear();
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
    m_errorLine = m_errorColumn = 0;
    m_errorReason.clear();
    if (data.size() > MaxFileSize) {
        m_error = QStringLiteral("file is larger than %1 MiB").arg(MaxFileSize / (1024 * 1024));
        return false;
    }
    if (RawProjectBytes::hasCrowdedTag(data, MaxAttributes)) {
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
        m_errorLine = walker.errorLine();
        m_errorColumn = walker.errorColumn();
        m_errorReason = walker.errorReason();
        return false;
    }
    if (mode == Mode::Check)
        records = ProjectRecordLists();
    else
        records.readNotes = walker.unknownNotes();
    m_records = std::move(records);
    return true;
}
