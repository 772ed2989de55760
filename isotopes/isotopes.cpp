// The isotope table and its lookups.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "isotopes/isotopes_internal.h"
#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

HINSTANCE IsotopiaModule() { return ThisModule(); }

namespace iso {

const ISOTOPE* table() {
  DWORD size = 0;
  const void* data = plat::ops().findData(ThisModule(), ISO_TABLE_RESOURCE, &size);
  if (!data || size < ISO_RECORDS * sizeof(ISOTOPE)) return nullptr;
  return static_cast<const ISOTOPE*>(data);
}

int reportArgument(unsigned reason) {
  // Context from Winkit, reason from Isotopia's table.
  return CVErrMess(ThisModule(), CVTEXT(256), CVTEXT(reason), CVE_WINKIT | CVE_CALLER_REASON);
}

bool passes(const ISOTOPE& r, int filter) {
  float twice = 2 * r.spin;
  bool half = r.spin == 0.5f;
  bool integer = std::floor(r.spin) == r.spin;
  switch (filter) {
    case ISO_ALL: return true;
    case ISO_SPIN_HALF: return half;
    case ISO_NOT_SPIN_HALF: return !half;
    case ISO_INTEGER_SPIN: return integer;
    case ISO_QUADRUPOLAR_HALF_INTEGER: return !integer && std::floor(twice) == twice && r.spin > 0.5f;
    case ISO_ALL_BUT_NONE: return r.id != 0;
    default: return false;
  }
}

std::string listText(const ISOTOPE& r, ListKind kind) {
  char text[64];
  switch (kind) {
    case ListKind::Labels: plat::copyText(text, 8, r.label); break;
    case ListKind::Ids: std::snprintf(text, sizeof text, "%5d", r.id); break;
    case ListKind::Gammas: std::snprintf(text, sizeof text, "%12.5f", static_cast<double>(r.gamma)); break;
    case ListKind::Spins: GetSpinString(r.spin, text); break;
    case ListKind::Abundances:
      std::snprintf(text, sizeof text, "%12.5f", static_cast<double>(r.abundance));
      break;
  }
  return text;
}

}  // namespace iso

namespace {

// The record `id`, or null after reporting an identifier above 129.
const ISOTOPE* record(unsigned id) {
  if (id >= ISO_RECORDS) {
    iso::reportArgument(iso::kTextBadNucleus);
    return nullptr;
  }
  const ISOTOPE* t = iso::table();
  return t ? &t[id] : nullptr;
}

bool writable(char* buffer, std::size_t size) {
  if (plat::isWritable(buffer, size)) return true;
  CVErrMess(ThisModule(), CVTEXT(256), CVTEXT(257), CVE_WINKIT);
  return false;
}

// Copies a NUL-padded field of at most `field` bytes.
char* copyField(char* buffer, const char* from, std::size_t field) {
  std::size_t n = strnlen(from, field - 1);
  std::memcpy(buffer, from, n);
  buffer[n] = 0;
  return buffer;
}

}  // namespace

int GetNoNuclei() { return ISO_RECORDS - 1; }
int GetNoZ() { return 92; }

char* GetNucleusLabel(unsigned id, char* buffer) {
  const ISOTOPE* r = record(id);
  if (!r || !writable(buffer, 7)) return nullptr;
  // Labels have at most 6 characters ("Sn-119"), so 7 bytes hold them.
  return copyField(buffer, r->label, 7);
}

char* GetWinNMRNucleus(unsigned id, char* buffer) {
  if (id >= ISO_RECORDS) return nullptr;
  const ISOTOPE* t = iso::table();
  if (!t || !writable(buffer, 7)) return nullptr;
  char label[8];
  copyField(label, t[id].label, 8);
  const char* dash = std::strchr(label, '-');
  if (id == 0 || !dash) return copyField(buffer, label, 7);
  // "Sn-119" becomes "119Sn": the mass number, then the symbol.
  std::snprintf(buffer, 7, "%s%.*s", dash + 1, static_cast<int>(dash - label), label);
  return buffer;
}

char* GetNucleusName(unsigned id, char* buffer) {
  const ISOTOPE* r = record(id);
  if (!r || !writable(buffer, 14)) return nullptr;
  return copyField(buffer, r->name, 14);
}

float GetNucleusGamma(unsigned id) {
  const ISOTOPE* r = record(id);
  return r ? r->gamma : 0.0f;
}

float GetNucleusSpin(unsigned id) {
  if (id < ISO_RECORDS && !iso::table()) return -1.0f;
  const ISOTOPE* r = record(id);
  return r ? r->spin : 0.0f;
}

float GetNucleusNatAbundance(unsigned id) {
  if (id < ISO_RECORDS && !iso::table()) return -1.0f;
  const ISOTOPE* r = record(id);
  return r ? r->abundance : 0.0f;
}

float GetNucleusQ(unsigned id) {
  const ISOTOPE* r = record(id);
  return r ? r->q : 0.0f;
}

int GetNucleusZ(unsigned id) {
  const ISOTOPE* r = record(id);
  return r ? r->z : 0;
}

char* GetSpinString(float spin, char* buffer) {
  if (!writable(buffer, 8)) return nullptr;
  if (std::floor(spin) != spin) {
    std::snprintf(buffer, 8, "%d/2", static_cast<int>(std::lround(2 * spin)));
  } else {
    std::snprintf(buffer, 8, "%d", static_cast<int>(spin));
  }
  return buffer;
}

int GetNucleusIdFromString(const char* label) {
  const ISOTOPE* t = iso::table();
  if (!t || !plat::isReadable(label, 1)) return -1;
  for (int i = 0; i <= GetNoNuclei(); ++i)
    if (std::strncmp(t[i].label, label, sizeof t[i].label) == 0 &&
        strnlen(label, sizeof t[i].label + 1) <= sizeof t[i].label)
      return i;
  return -1;
}

int NumberOfIsotopes(int z) {
  unsigned zz = static_cast<unsigned>(z) & 0xFFFF;
  if (zz > 92) {
    iso::reportArgument(iso::kTextBadNucleus);
    return 0;
  }
  const ISOTOPE* t = iso::table();
  if (!t) return 0;
  int count = 0;
  for (int i = 0; i < ISO_RECORDS && static_cast<unsigned>(t[i].z) <= zz; ++i)
    if (static_cast<unsigned>(t[i].z) == zz) ++count;
  return count;
}

int ZtoFirstID(int z) {
  unsigned zz = static_cast<unsigned>(z) & 0xFFFF;
  if (zz > 92) return -1;
  const ISOTOPE* t = iso::table();
  if (!t) return -1;
  for (int i = 0; i < ISO_RECORDS; ++i) {
    if (static_cast<unsigned>(t[i].z) == zz) return i;
    if (static_cast<unsigned>(t[i].z) > zz) return -1;
  }
  return -1;
}

float RDD(float gamma1, float gamma2, float r) {
  if (r == 0.0f) return 0.0f;
  float a = std::fabs(r);
  return gamma1 * gamma2 * 167.845f / (a * a * a);
}
