// Small data files of the formats that no public sample exists for, written
// from the formats' layout: WinNMR file groups with binary or text
// parameter files, the WinNMR ASCII export, Spinsight directories, SIMPSON
// text and Quintar ".dat" files. Every builder takes its parts as data, so a
// test can drop, change or cut any of them to make a broken variant.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gen {

// ---- words ------------------------------------------------------------------

std::string floatsLE(const std::vector<float>& values);
std::string intsLE(const std::vector<std::int32_t>& values);
std::string floatsBE(const std::vector<float>& values);
std::string intsBE(const std::vector<std::int32_t>& values);

// ---- WinNMR parameter files ------------------------------------------------------

// One parameter: its name, how it is stored and its value. In binary records
// 'i' is a 32-bit integer, 'f' a float, 'd' a double; in text files 'i' is
// written as an integer, 'f' and 'd' with "%.10g", 't' as "<text>".
struct Par {
  std::string name;
  char type;
  double value;
  std::string text;  // for 't'
};
using Pars = std::vector<Par>;

// A copy of `pars` without the parameter `name`, or with its value replaced.
Pars without(Pars pars, const std::string& name);
Pars with(Pars pars, const std::string& name, double value);

// One 28-byte record: the name in bytes 0-19 (zero-terminated, cut to 19
// characters), the value from byte 20, little-endian.
std::string record(const Par& p);
// A binary parameter file: the record "A000" (integer 0), then one record per
// parameter.
std::string binaryParameters(const Pars& pars);
// A Bruker-style text file: "##TITLE= ...", one line "##$NAME= value" per
// parameter, "##END=", lines ended by CR LF.
std::string textParameters(const Pars& pars);

// Acquisition and processing parameters of a 1D data set: AQ_mod, SFO1,
// SW_h, TD / OFFSET, SI, XDIM.
Pars acquisition(int aqMod = 1, double sfo1 = 400.13, double swh = 8000, int td = 16384);
Pars processing(float offset = 12.0f, int si = 8192, int xdim = 0);

// Writes a WinNMR group into `folder`: base + each (extension, bytes).
void writeGroup(const std::string& folder, const std::string& base,
                const std::vector<std::pair<std::string, std::string>>& files);

// ---- WinNMR ASCII export ---------------------------------------------------------------

// Header lines of an exported 1D spectrum of `n` points ("Real Data" or
// "Real + Imaginary Data"): Point Count, the kind, Starting / Ending Point,
// First / Last Point in Hz, Hz/Pt, the second First / Last Point in ppm,
// AQmod and SF.
std::vector<std::string> asciiSpectrumHeader(long n, double f1, double f2, double sf,
                                             bool complex = false, int aqmod = 3);
// Header lines of an exported FID: Point Count, "Processed FID Data",
// Starting / Ending Point, First / Last Point in ms (0 and 2 n dwell),
// Dwell in ms, AQmod and SF.
std::vector<std::string> asciiFidHeader(long n, double dwellMs, double sf, int aqmod = 1);
// `lines` without the first line holding `label` (all of them when `all`),
// or with that line replaced.
std::vector<std::string> dropLine(std::vector<std::string> lines, const std::string& label,
                                  bool all = false);
std::vector<std::string> replaceLine(std::vector<std::string> lines, const std::string& label,
                                     const std::string& line);
// The export: header lines, the real values, and, when `imag` is not empty,
// the separator line and the imaginary values; lines ended by `eol`.
std::string asciiExport(const std::vector<std::string>& header, const std::vector<float>& real,
                        const std::vector<float>& imag = {},
                        const std::string& separator = "Imaginary Data",
                        const std::string& eol = "\r\n");

// ---- Spinsight -------------------------------------------------------------------------

using KeyValues = std::vector<std::pair<std::string, std::string>>;
// key=value lines ended by LF.
std::string keyValues(const KeyValues& lines);
KeyValues without(KeyValues lines, const std::string& key);
KeyValues with(KeyValues lines, const std::string& key, const std::string& value);
// ch1=1, sf1=<sf>, sw=<sw kHz>.
KeyValues spinsightAcq(double sf = 100.6, double swKHz = 50.0);
// datatype, domain1, current_size1, rmp1, rmv1, rmvunits1.
KeyValues spinsightProc(int size = 4, int domain = 0, int datatype = 0, double rmp = 100.6,
                        double rmv = 0.0, int units = 1);
// The directory's three files: "data", "acq", "proc".
void writeSpinsight(const std::string& folder, const KeyValues& acq, const KeyValues& proc,
                    const std::string& data);

// ---- SIMPSON and Quintar -----------------------------------------------------------------

// SIMP, the header lines, DATA, one line per point ("re im", or "re" when
// `imag` is empty), END; lines ended by LF.
std::string simpson(const std::vector<std::string>& header, const std::vector<float>& real,
                    const std::vector<float>& imag);
// The five header lines (SI, SF, Inc, F1, F2 written as the writer does,
// "%u" and "%f") and one "%f" line per value.
std::string quintar(unsigned si, double sf, double inc, double f1, double f2,
                    const std::vector<float>& values);
// Same, with the header lines given as text.
std::string quintarLines(const std::vector<std::string>& header, const std::vector<float>& values);

// n values: a smooth shape with signs and fractions, different for each seed.
std::vector<float> ramp(long n, float seed = 1.0f);

}  // namespace gen
