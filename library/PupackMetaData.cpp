#include "library/PupackMetaData.h"

namespace tessel
{

PupackMetaData PupackMetaData::fromRecord(std::shared_ptr<const PupackRecord> record, int order)
{
    PupackMetaData entry;
    if (record != nullptr)
    {
        entry.identifier = record->identifier;
        entry.target = record->target;
        entry.narrator = record->narrator;
        entry.filePath = record->filePath;
    }
    entry.record = std::move(record);
    entry.order = order;
    return entry;
}

} // namespace tessel
