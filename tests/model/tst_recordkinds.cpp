#include "ItemRecord.h"
#include "RecordGroups.h"
#include "RecordKinds.h"

#include <QtTest>

#include <typeinfo>
#include <variant>

// The model's one list of item kinds: the file order it gives the
// ItemRecord variant and a canvas's groups, and the load order a fresh
// load makes items in (saved stacking values count on it).
class TestRecordKinds : public QObject
{
    Q_OBJECT

    template <typename Record>
    static QByteArray nameOf()
    {
        return QByteArray(RecordFields<Record>::element);
    }

private slots:
    void listGivesTheVariantAndTheGroupsInFileOrder()
    {
        QCOMPARE(int(std::variant_size<ItemRecord>::value), ItemRecordTypes::size + 1);
        QVERIFY((std::is_same<std::variant_alternative_t<0, ItemRecord>, std::monostate>::value));
        QCOMPARE(itemRecordIndex<ProcessRecord>(), 1);
        QCOMPARE(itemRecordIndex<LinkRecord>(), 2);
        QCOMPARE(itemRecordIndex<MemoryRecord>(), 3);
        QCOMPARE(itemRecordIndex<DataflowRecord>(), 4);
        QCOMPARE(itemRecordIndex<StateRecord>(), 5);
        QCOMPARE(itemRecordIndex<TransitionRecord>(), 6);
        QCOMPARE(itemRecordIndex<TextRecord>(), 7);
        QCOMPARE(ItemRecordTypes::indexOf<QString>(), -1);

        // The groups after a block's Process record, as every saved file
        // has them; the last three only on state machines.
        QStringList groups;
        QList<bool> machinesOnly;
        forEachRecordGroup([&](const auto &group) {
            groups << QString::fromLatin1(group.name());
            machinesOnly << group.onMachinesOnly();
            return true;
        });
        QCOMPARE(groups, QStringList({"LinkItems", "MemoryItems", "DataflowItems", "StateItems",
                                      "TransitionItems", "TextItems"}));
        QCOMPARE(machinesOnly, QList<bool>({false, false, false, true, true, true}));

        // A group that stops the walk stops it there.
        int visited = 0;
        QVERIFY(!forEachRecordGroup([&](const auto &) { return ++visited < 2; }));
        QCOMPARE(visited, 2);
    }

    void loadOrderMakesEndsBeforeWhatJoinsThem()
    {
        QList<QByteArray> order;
        QList<int> ranks;
        QList<QByteArray> endsLater;   // kinds made before one of their ends
        QList<int> ranksByIndex;
        RecordKinds::forEachInLoadOrder([&](auto tag) {
            using Record = typename decltype(tag)::Type;
            using Kind = RecordKind<Record>;
            order << nameOf<Record>();
            ranks << Kind::loadRank;
            if (RecordKinds::rankOf<typename Kind::StartRecord>() >= Kind::loadRank
                || RecordKinds::rankOf<typename Kind::EndRecord>() >= Kind::loadRank)
                endsLater << nameOf<Record>();
            ranksByIndex << RecordKinds::rankOfRecordIndex(itemRecordIndex<Record>());
            return true;
        });
        QVERIFY(endsLater.isEmpty());
        QCOMPARE(ranksByIndex, ranks);
        QCOMPARE(order, QList<QByteArray>({"Process", "StateItem", "TransitionItem", "TextItem", "Link",
                                           "Memory", "Dataflow"}));
        QCOMPARE(ranks, QList<int>({0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(RecordKinds::rankOfRecordIndex(0), -1);   // no record

        // What the connectors join.
        QVERIFY((std::is_same<RecordKind<TransitionRecord>::StartRecord, StateRecord>::value));
        QVERIFY((std::is_same<RecordKind<LinkRecord>::EndRecord, ProcessRecord>::value));
        QVERIFY((std::is_same<RecordKind<DataflowRecord>::StartRecord, ProcessRecord>::value));
        QVERIFY((std::is_same<RecordKind<DataflowRecord>::EndRecord, MemoryRecord>::value));
        QVERIFY((std::is_void<RecordKind<StateRecord>::StartRecord>::value));

        int visited = 0;
        QVERIFY(!RecordKinds::forEachInLoadOrder([&](auto) { return ++visited < 3; }));
        QCOMPARE(visited, 3);
    }
};

QTEST_GUILESS_MAIN(TestRecordKinds)
#include "tst_recordkinds.moc"
