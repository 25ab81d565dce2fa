#include "vertical_offset/section_record.h"

#include <new>

SectionRecord::~SectionRecord() { FreeSectionSubRecords(*this); }

void FreeSectionSubRecords(SectionRecord& record) {
  SectionSubRecord* node = record.subRecords;
  record.subRecords = nullptr;
  while (node != nullptr) {
    SectionSubRecord* next = node->next;
    delete node;
    node = next;
  }
}

SectionSubRecord* StartSectionSubRecords(SectionRecord& record) {
  FreeSectionSubRecords(record);
  record.subRecords = new (std::nothrow) SectionSubRecord;
  return record.subRecords;
}

SectionSubRecord* AppendSectionSubRecord(SectionSubRecord* node) {
  SectionSubRecord* added = new (std::nothrow) SectionSubRecord;
  if (added == nullptr) return nullptr;
  added->next = node->next;
  node->next = added;
  return added;
}
