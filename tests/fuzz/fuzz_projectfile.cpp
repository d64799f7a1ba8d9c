// Fuzz target for the project file reader.
//
// Any input must be read or refused without a crash, a hang or undefined
// behaviour, and both passes must agree. An accepted input that groups
// into a document must then survive a round trip: written, read and
// written again it gives the same bytes.

#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "project file fuzz: %s %s\n", what, qPrintable(detail));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     int(size));
    ProjectFileReader reader;
    const bool checked = reader.checkData(bytes);
    const bool loaded = reader.loadData(bytes);
    if (checked != loaded)
        broken("check and load disagree", reader.errorString());
    if (!loaded)
        return 0;
    const ProjectRecordLists records = reader.takeRecords();

    ProjectFileReader treeReader;
    if (!treeReader.readTreeTextData(bytes) || treeReader.treeText() != records.treeText)
        broken("tree text differs from the load pass");

    ProjectDocument document;
    QString error;
    if (!groupRecords(records, GroupLayout::Saved, &document, &error))
        return 0;

    ProjectFileWriter writer;
    QByteArray first;
    if (!writer.writeToBytes(document, &first))
        broken("grouped document not written", writer.errorString());
    ProjectFileReader again;
    if (!again.loadData(first))
        broken("written file not read", again.errorString());
    ProjectDocument regrouped;
    if (!groupRecords(again.records(), GroupLayout::Saved, &regrouped, &error))
        broken("written file not grouped", error);
    QByteArray second;
    if (!writer.writeToBytes(regrouped, &second) || second != first)
        broken("second write differs from the first");
    return 0;
}
