// Isotopia: the table of NMR isotopes. Every part of the package names a
// nucleus by its identifier, an index 0 to 129 into this table; 0 is "no
// nucleus". The table and six sort orders are data resources of the library.
#pragma once

#include "winutil/platform/wintypes.h"
#include "isotopia_export.h"

// One record of the isotope table (data resource 1), 44 bytes, little-endian.
#pragma pack(push, 1)
struct ISOTOPE {
  short id;
  char label[8];
  short z;
  char name[16];
  float gamma;      // 10^7 rad s^-1 T^-1
  float spin;
  float abundance;  // percent
  float q;          // 10^-28 m^2
};
#pragma pack(pop)
static_assert(sizeof(ISOTOPE) == 44, "isotope records are 44 bytes");

enum : int {
  ISO_RECORDS = 130,
  ISO_TABLE_RESOURCE = 1,
  ISO_SORT_FIRST = 2,  // sort orders: resources 2 to 7
  ISO_SORT_LAST = 7,
};

// List filters of the InitNucleiList functions.
enum : int {
  ISO_ALL = 0,
  ISO_SPIN_HALF = 1,
  ISO_NOT_SPIN_HALF = 2,
  ISO_INTEGER_SPIN = 3,
  ISO_QUADRUPOLAR_HALF_INTEGER = 4,
  ISO_ALL_BUT_NONE = 5,
};

// Exported by their plain names.
extern "C" {

ISOTOPIA_API int GetNoNuclei();  // 129, the highest identifier
ISOTOPIA_API int GetNoZ();       // 92, the highest atomic number

// The getters report an identifier above 129 in the error box ("Call with
// invalid argument!" / "Not a valid nucleus identifier!") and an unwritable
// buffer as "Invalid data pointer!"; they then return null or 0.
ISOTOPIA_API char* GetNucleusLabel(unsigned id, char* buffer);  // 7 bytes
ISOTOPIA_API char* GetWinNMRNucleus(unsigned id, char* buffer);  // "13C"; null for 130 and above
ISOTOPIA_API char* GetNucleusName(unsigned id, char* buffer);   // 14 bytes
ISOTOPIA_API float GetNucleusGamma(unsigned id);
ISOTOPIA_API float GetNucleusSpin(unsigned id);
ISOTOPIA_API float GetNucleusNatAbundance(unsigned id);
ISOTOPIA_API float GetNucleusQ(unsigned id);  // quadrupole moment, 10^-28 m^2
ISOTOPIA_API int GetNucleusZ(unsigned id);
ISOTOPIA_API char* GetSpinString(float spin, char* buffer);  // "1/2", "3/2", "1"
ISOTOPIA_API int GetNucleusIdFromString(const char* label);   // -1 when none matches
ISOTOPIA_API int NumberOfIsotopes(int z);
ISOTOPIA_API int ZtoFirstID(int z);

// Fill a combo box of a dialog with the records passing `filter`, in
// identifier order: labels, identifiers ("%5d"), gammas ("%12.5f"), spins
// and abundances ("%12.5f"). 1 done, 0 on failure.
ISOTOPIA_API int InitNucleiListLabels(HWND dialog, int control, int filter);
ISOTOPIA_API int InitNucleiListIDs(HWND dialog, int control, int filter);
ISOTOPIA_API int InitNucleiListGammas(HWND dialog, int control, int filter);
ISOTOPIA_API int InitNucleiListSpins(HWND dialog, int control, int filter);
ISOTOPIA_API int InitNucleiListNAs(HWND dialog, int control, int filter);

// Dipolar coupling constant in Hz of two nuclei r angstrom apart:
// D = (mu0 / 4 pi) g1 g2 hbar / (2 pi r^3) = g1 g2 167.845 / |r|^3, 0 for r 0.
ISOTOPIA_API float RDD(float gamma1, float gamma2, float r);

// Isotopia's module handle.
ISOTOPIA_API HINSTANCE IsotopiaModule();

}  // extern "C"
