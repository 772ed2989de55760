#include "support/faults.h"

#include <cstring>

namespace qtest {
namespace {

plat::Ops gSaved;
unsigned gKinds = 0;
int gFailAt = 0;
int gCalls = 0;
bool gFired = false;

bool failNow(unsigned kind) {
  if (!(gKinds & kind)) return false;
  ++gCalls;
  if (gFailAt > 0 && gCalls == gFailAt) {
    gFired = true;
    return true;
  }
  return false;
}

HANDLE openFault(const char* p, plat::Access a, plat::Share s, plat::Disposition d) {
  if (failNow(kFaultOpen)) {
    gSaved.setLastError(plat::kErrAccessDenied);
    return INVALID_HANDLE_VALUE;
  }
  return gSaved.openFile(p, a, s, d);
}

BOOL readFault(HANDLE f, void* b, DWORD n, DWORD* got) {
  if (failNow(kFaultRead)) {
    if (got) *got = 0;
    gSaved.setLastError(plat::kErrReadFault);
    return FALSE;
  }
  return gSaved.readFile(f, b, n, got);
}

BOOL writeFault(HANDLE f, const void* b, DWORD n, DWORD* put) {
  if (failNow(kFaultWrite)) {
    if (put) *put = 0;
    gSaved.setLastError(plat::kErrDiskFull);
    return FALSE;
  }
  return gSaved.writeFile(f, b, n, put);
}

BOOL seekFault(HANDLE f, std::int64_t o, plat::Seek s, std::int64_t* pos) {
  if (failNow(kFaultSeek)) {
    gSaved.setLastError(plat::kErrInvalidParameter);
    return FALSE;
  }
  return gSaved.seekFile(f, o, s, pos);
}

BOOL sizeFault(HANDLE f, std::uint64_t* size) {
  if (failNow(kFaultSize)) {
    gSaved.setLastError(plat::kErrInvalidHandle);
    return FALSE;
  }
  return gSaved.fileSize(f, size);
}

void* heapFault(std::size_t n) {
  if (failNow(kFaultHeap)) {
    gSaved.setLastError(plat::kErrNotEnoughMemory);
    return nullptr;
  }
  return gSaved.heapAlloc(n);
}

HGLOBAL memFault(std::size_t n) {
  if (failNow(kFaultMemory)) {
    gSaved.setLastError(plat::kErrNotEnoughMemory);
    return nullptr;
  }
  return gSaved.memAlloc(n);
}

HGLOBAL memReFault(HGLOBAL h, std::size_t n) {
  if (failNow(kFaultMemory)) {
    gSaved.setLastError(plat::kErrNotEnoughMemory);
    return nullptr;
  }
  return gSaved.memReAlloc(h, n);
}

DWORD getProfileFault(const char* s, const char* k, const char* f, char* b, DWORD n, const char* file) {
  if (failNow(kFaultProfile)) {
    if (b && n) plat::copyText(b, n, f ? f : "");
    return b && n ? static_cast<DWORD>(std::strlen(b)) : 0;
  }
  return gSaved.getProfileString(s, k, f, b, n, file);
}

BOOL writeProfileFault(const char* s, const char* k, const char* v, const char* file) {
  if (failNow(kFaultProfile)) {
    gSaved.setLastError(plat::kErrAccessDenied);
    return FALSE;
  }
  return gSaved.writeProfileString(s, k, v, file);
}

HANDLE findFault(const char* p, plat::FindData* d) {
  if (failNow(kFaultFind)) {
    gSaved.setLastError(plat::kErrPathNotFound);
    return INVALID_HANDLE_VALUE;
  }
  return gSaved.findFirst(p, d);
}

}  // namespace

FaultPlan::FaultPlan(unsigned kinds, int failAt) : saved_(plat::ops()) {
  gSaved = saved_;
  gKinds = kinds;
  gFailAt = failAt;
  gCalls = 0;
  gFired = false;
  plat::Ops& o = plat::ops();
  o.openFile = openFault;
  o.readFile = readFault;
  o.writeFile = writeFault;
  o.seekFile = seekFault;
  o.fileSize = sizeFault;
  o.heapAlloc = heapFault;
  o.memAlloc = memFault;
  o.memReAlloc = memReFault;
  o.getProfileString = getProfileFault;
  o.writeProfileString = writeProfileFault;
  o.findFirst = findFault;
}

FaultPlan::~FaultPlan() {
  plat::ops() = saved_;
  gKinds = 0;
}

int FaultPlan::calls() const { return gCalls; }
bool FaultPlan::fired() const { return gFired; }

const plat::Ops& realOps() { return gKinds ? gSaved : plat::ops(); }

}  // namespace qtest
