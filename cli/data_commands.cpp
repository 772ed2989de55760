// quintar info FILE... and quintar dump FILE: a data set's parameter record
// and its points, through Convera's public functions.

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/load.h"
#include "cli/ui_console.h"

namespace cli {
namespace {

std::string dataFormatText(unsigned df) {
  static const struct {
    unsigned bit;
    const char* name;
  } kBits[] = {{DF_FID, "fid"},       {DF_SPECTRUM, "spectrum"}, {DF_1D, "1d"}, {DF_2D, "2d"},
               {DF_COMPLEX, "complex"}, {DF_1R, "1r"},          {DF_1I, "1i"}, {DF_RR, "rr"},
               {DF_RI, "ri"},         {DF_IR, "ir"},             {DF_II, "ii"}, {DF_UNKNOWN, "unknown"}};
  std::string s;
  for (const auto& b : kBits) {
    if (!(df & b.bit)) continue;
    if (!s.empty()) s += ' ';
    s += b.name;
  }
  return s;
}

// The record, one "name: value" line each, in the order of the record.
void printInfo(const std::string& path, DataSet& d) {
  SPECINFO& in = d.info;
  float lo = 0, hi = 0;
  if (!d.real.empty()) {
    lo = hi = d.real[0];
    for (float v : d.real) {
      if (v < lo) lo = v;
      if (v > hi) hi = v;
    }
  }
  in.SetMax(hi);
  in.SetMin(lo);
  std::printf("file: %s\n", path.c_str());
  std::printf("format: %d %s\n", d.format, formatName(d.format));
  std::printf("dimensions: %u\n", in.GetDimension());
  std::printf("data format: 0x%X %s\n", in.GetDataFormat(), dataFormatText(in.GetDataFormat()).c_str());
  std::printf("modification time: %ld\n", in.GetModTime());
  std::printf("max: %.9g\nmin: %.9g\n", static_cast<double>(in.GetMax()), static_cast<double>(in.GetMin()));
  std::printf("file name: %s\n", in.GetFileName());
  for (unsigned i = 1; i <= in.GetDimension(); ++i) {
    std::printf("dimension %u SI: %ld\n", i, in.GetSI(i));
    std::printf("dimension %u TD: %ld\n", i, in.GetTD(i));
    std::printf("dimension %u XDIM: %ld\n", i, in.GetXDIM(i));
    std::printf("dimension %u SF: %.9g MHz\n", i, static_cast<double>(in.GetSF(i)));
    std::printf("dimension %u F1: %.9g Hz\n", i, static_cast<double>(in.GetF1(i)));
    std::printf("dimension %u F2: %.9g Hz\n", i, static_cast<double>(in.GetF2(i)));
    std::printf("dimension %u SW: %.9g Hz\n", i, static_cast<double>(in.GetSW(i)));
    std::printf("dimension %u Inc: %.9g Hz\n", i, static_cast<double>(in.GetInc(i)));
    std::printf("dimension %u DW: %.9g s\n", i, static_cast<double>(in.GetDW(i)));
    std::printf("dimension %u nucleus: %d %s\n", i, in.GetNucleus(i), in.GetNucleusLabel(i));
    std::printf("dimension %u AQMode: 0x%X\n", i, in.GetAQMode(i));
    std::printf("dimension %u DigMode: %u\n", i, in.GetDigMode(i));
    std::printf("dimension %u DigType: %u\n", i, in.GetDigType(i));
    std::printf("dimension %u DigDecim: %u\n", i, in.GetDigDecim(i));
    std::printf("dimension %u DigFirmware: %u\n", i, in.GetDigFirmware(i));
    std::printf("dimension %u DigFilter: %.9g points\n", i, static_cast<double>(in.GetDigFilter(i)));
  }
  std::printf("NC fid: %.9g\nNC spectrum: %.9g\n", static_cast<double>(in.GetNC(1)),
              static_cast<double>(in.GetNC(2)));
}

int runInfo(const std::vector<std::string>& files, const std::string& sf) {
  useConsole(sf);
  int status = 0;
  for (std::size_t k = 0; k < files.size(); ++k) {
    DataSet d;
    if (!load(files[k], d)) {
      status = 1;
      continue;
    }
    if (k) std::printf("\n");
    printInfo(files[k], d);
  }
  return status;
}

// Point i lies at F1 - i (F1 - F2) / SI; ppm = Hz / SF.
int runDump(const std::string& file, const std::string& sf) {
  useConsole(sf);
  DataSet d;
  if (!load(file, d)) return 1;
  SPECINFO& in = d.info;
  double f1 = in.GetF1(1), f2 = in.GetF2(1), si = static_cast<double>(in.GetSI(1));
  double sfMHz = in.GetSF(1);
  std::printf("# %s: %s, %s\n# index Hz ppm real imaginary\n", file.c_str(), formatName(d.format),
              dataFormatText(in.GetDataFormat()).c_str());
  for (std::size_t i = 0; i < d.real.size(); ++i) {
    double hz = f1 - static_cast<double>(i % static_cast<std::size_t>(si)) * (f1 - f2) / si;
    double ppm = sfMHz > 0 ? hz / sfMHz : std::nan("");
    double im = d.imag.empty() ? 0.0 : static_cast<double>(d.imag[i]);
    std::printf("%zu %.6f %.6f %.9g %.9g\n", i, hz, ppm, static_cast<double>(d.real[i]), im);
  }
  return 0;
}

}  // namespace

void addDataCommands(CLI::App& app, int& status) {
  auto files = std::make_shared<std::vector<std::string>>();
  auto sf = std::make_shared<std::string>();
  auto* info = app.add_subcommand("info", "Print the format and the parameter record of data files");
  info->add_option("files", *files, "NMR data files (fid, 1r, .dx, .spe, .dat, ...)")->required();
  info->add_option("--sf", *sf, "Spectrometer frequency in MHz for files that lack it");
  info->callback([files, sf, &status] { status = runInfo(*files, *sf); });

  auto file = std::make_shared<std::string>();
  auto sf2 = std::make_shared<std::string>();
  auto* dump = app.add_subcommand("dump", "Print every point: index, Hz, ppm, real, imaginary");
  dump->add_option("file", *file, "An NMR data file")->required();
  dump->add_option("--sf", *sf2, "Spectrometer frequency in MHz for files that lack it");
  dump->callback([file, sf2, &status] { status = runDump(*file, *sf2); });
}

}  // namespace cli
