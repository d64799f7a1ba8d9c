#include "BlockRecords.h"

#include "RecordGroups.h"

#include <type_traits>

namespace {

// Runs f on the record unless it is empty: every record kind has the
// identity and stacking fields.
template <typename F>
void withRecord(ItemRecord *record, F f)
{
    std::visit(
        [&f](auto &r) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(r)>, std::monostate>)
                f(r);
        },
        *record);
}

} // namespace

namespace BlockRecords {

void append(CanvasBlock *block, ItemRecord &&record)
{
    std::visit(
        [block](auto &&r) {
            using Record = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<Record, ProcessRecord>) {
                block->process = std::move(r);
            } else if constexpr (!std::is_same_v<Record, std::monostate>) {
                forEachRecordGroup([&](const auto &group) {
                    using Group = std::decay_t<decltype(group)>;
                    if constexpr (std::is_same_v<typename Group::RecordType, Record>) {
                        group.of(*block).append(std::move(r));
                        return false;
                    }
                    return true;
                });
            }
        },
        std::move(record));
}

void stamp(ItemRecord *record, int level, int parentId, int grandParentId)
{
    withRecord(record, [&](auto &r) {
        r.level = level;
        r.parentId = parentId;
        r.grandParentId = grandParentId;
    });
}

void setStacking(ItemRecord *record, double stacking)
{
    withRecord(record, [stacking](auto &r) { r.stacking = stacking; });
}

} // namespace BlockRecords
