// Fault injection over the platform's operations: the n-th call of the
// chosen kinds fails as the operating system would report it.
#pragma once

#include "winutil/platform/platform.h"

namespace qtest {

enum FaultKind : unsigned {
  kFaultOpen = 1u << 0,
  kFaultRead = 1u << 1,
  kFaultWrite = 1u << 2,
  kFaultSeek = 1u << 3,
  kFaultSize = 1u << 4,
  kFaultHeap = 1u << 5,
  kFaultMemory = 1u << 6,
  kFaultProfile = 1u << 7,
  kFaultFind = 1u << 8,
  kFaultFiles = kFaultOpen | kFaultRead | kFaultWrite | kFaultSeek | kFaultSize,
  kFaultAll = 0x1FFu,
};

// While it lives, call number `failAt` (1-based) among the operations of
// `kinds` fails; failAt 0 only counts. Errors: open 5 (access denied), read
// 30 (read fault), write 112 (disk full), seek 87, size 6, memory 8.
class FaultPlan {
 public:
  FaultPlan(unsigned kinds, int failAt);
  ~FaultPlan();
  FaultPlan(const FaultPlan&) = delete;
  FaultPlan& operator=(const FaultPlan&) = delete;

  int calls() const;   // operations of the chosen kinds seen so far
  bool fired() const;  // whether the planned failure happened

 private:
  plat::Ops saved_;
};

// The original operations while a plan is active, for test fixtures that must
// not be disturbed.
const plat::Ops& realOps();

}  // namespace qtest
