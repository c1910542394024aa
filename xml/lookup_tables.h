// The reader's two generated lookup tables (tools/xml-tables/generate.py):
// character entities and encoding names, each a fixed number of hash buckets
// holding one string of digit-prefixed records.
#pragma once

namespace vexaro::xml::tables {

inline constexpr int kEntityBucketCount = 130;
inline constexpr int kCodePageBucketCount = 150;

extern const char* const kEntityBuckets[kEntityBucketCount];
extern const char* const kCodePageBuckets[kCodePageBucketCount];

}  // namespace vexaro::xml::tables
