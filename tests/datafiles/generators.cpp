#include "datafiles/generators.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "support/files.h"

namespace gen {
namespace {

std::string word(std::uint32_t v, bool big) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) {
    auto byte = static_cast<char>((v >> (8 * i)) & 0xFF);
    out[big ? 3 - i : i] = byte;
  }
  return out;
}

std::uint32_t bitsOf(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

std::string format(const char* fmt, double v) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

}  // namespace

std::string floatsLE(const std::vector<float>& values) {
  std::string out;
  for (float v : values) out += word(bitsOf(v), false);
  return out;
}

std::string intsLE(const std::vector<std::int32_t>& values) {
  std::string out;
  for (std::int32_t v : values) out += word(static_cast<std::uint32_t>(v), false);
  return out;
}

std::string floatsBE(const std::vector<float>& values) {
  std::string out;
  for (float v : values) out += word(bitsOf(v), true);
  return out;
}

std::string intsBE(const std::vector<std::int32_t>& values) {
  std::string out;
  for (std::int32_t v : values) out += word(static_cast<std::uint32_t>(v), true);
  return out;
}

Pars without(Pars pars, const std::string& name) {
  Pars out;
  for (auto& p : pars)
    if (p.name != name) out.push_back(p);
  return out;
}

Pars with(Pars pars, const std::string& name, double value) {
  for (auto& p : pars)
    if (p.name == name) {
      p.value = value;
      return pars;
    }
  char type = value == std::floor(value) ? 'i' : 'd';
  pars.push_back({name, type, value, {}});
  return pars;
}

std::string record(const Par& p) {
  std::string r(28, '\0');
  std::memcpy(&r[0], p.name.data(), p.name.size() < 19 ? p.name.size() : 19);
  if (p.type == 'i') {
    r.replace(20, 4, word(static_cast<std::uint32_t>(static_cast<std::int32_t>(p.value)), false));
  } else if (p.type == 'f') {
    r.replace(20, 4, word(bitsOf(static_cast<float>(p.value)), false));
  } else {
    std::uint64_t u;
    std::memcpy(&u, &p.value, 8);
    r.replace(20, 4, word(static_cast<std::uint32_t>(u), false));
    r.replace(24, 4, word(static_cast<std::uint32_t>(u >> 32), false));
  }
  return r;
}

std::string binaryParameters(const Pars& pars) {
  std::string out = record({"A000", 'i', 0, {}});
  for (const auto& p : pars) out += record(p);
  return out;
}

std::string textParameters(const Pars& pars) {
  std::string out = "##TITLE= Parameter file\r\n##JCAMPDX= 5.0\r\n";
  for (const auto& p : pars) {
    out += "##$" + p.name + "= ";
    if (p.type == 'i') {
      out += format("%.0f", p.value);
    } else if (p.type == 't') {
      out += "<" + p.text + ">";
    } else {
      out += format("%.10g", p.value);
    }
    out += "\r\n";
  }
  return out + "##END=\r\n";
}

Pars acquisition(int aqMod, double sfo1, double swh, int td) {
  return {{"AQ_mod", 'i', static_cast<double>(aqMod), {}},
          {"SFO1", 'd', sfo1, {}},
          {"SW_h", 'd', swh, {}},
          {"TD", 'i', static_cast<double>(td), {}}};
}

Pars processing(float offset, int si, int xdim) {
  return {{"OFFSET", 'f', offset, {}},
          {"SI", 'i', static_cast<double>(si), {}},
          {"XDIM", 'i', static_cast<double>(xdim), {}}};
}

void writeGroup(const std::string& folder, const std::string& base,
                const std::vector<std::pair<std::string, std::string>>& files) {
  for (const auto& f : files) {
    std::string sep = folder.find('/') != std::string::npos ? "/" : "\\";
    qtest::writeBytes(folder + sep + base + f.first, f.second);
  }
}

std::vector<std::string> asciiSpectrumHeader(long n, double f1, double f2, double sf, bool complex,
                                             int aqmod) {
  char buf[128];
  std::vector<std::string> h;
  h.push_back("WinNMR ASCII export");
  std::snprintf(buf, sizeof buf, "Point Count: %ld", n);
  h.push_back(buf);
  h.push_back(complex ? "Real + Imaginary Data" : "Real Data");
  h.push_back("Starting Point: 0");
  std::snprintf(buf, sizeof buf, "Ending Point: %ld", n - 1);
  h.push_back(buf);
  h.push_back("First Point: " + format("%.6f", f1));
  h.push_back("Last Point: " + format("%.6f", f2));
  h.push_back("Hz/Pt: " + format("%.9g", (f1 - f2) / static_cast<double>(n)));
  h.push_back("First Point [ppm]: " + format("%.9g", f1 / sf));
  h.push_back("Last Point [ppm]: " + format("%.9g", f2 / sf));
  std::snprintf(buf, sizeof buf, "AQmod: %d", aqmod);
  h.push_back(buf);
  h.push_back("SF: " + format("%.6f", sf));
  return h;
}

std::vector<std::string> asciiFidHeader(long n, double dwellMs, double sf, int aqmod) {
  char buf[128];
  std::vector<std::string> h;
  h.push_back("WinNMR ASCII export");
  std::snprintf(buf, sizeof buf, "Point Count: %ld", n);
  h.push_back(buf);
  h.push_back("Processed FID Data");
  h.push_back("Starting Point: 0");
  std::snprintf(buf, sizeof buf, "Ending Point: %ld", n - 1);
  h.push_back(buf);
  h.push_back("First Point: 0");
  h.push_back("Last Point: " + format("%.9g", 2.0 * static_cast<double>(n) * dwellMs));
  h.push_back("Dwell: " + format("%.9g", dwellMs));
  std::snprintf(buf, sizeof buf, "AQmod: %d", aqmod);
  h.push_back(buf);
  h.push_back("SF: " + format("%.6f", sf));
  return h;
}

std::vector<std::string> dropLine(std::vector<std::string> lines, const std::string& label,
                                  bool all) {
  for (auto it = lines.begin(); it != lines.end();) {
    if (it->find(label) != std::string::npos) {
      it = lines.erase(it);
      if (!all) break;
    } else {
      ++it;
    }
  }
  return lines;
}

std::vector<std::string> replaceLine(std::vector<std::string> lines, const std::string& label,
                                     const std::string& line) {
  for (auto& l : lines)
    if (l.find(label) != std::string::npos) {
      l = line;
      break;
    }
  return lines;
}

std::string asciiExport(const std::vector<std::string>& header, const std::vector<float>& real,
                        const std::vector<float>& imag, const std::string& separator,
                        const std::string& eol) {
  std::string out;
  for (const auto& l : header) out += l + eol;
  for (float v : real) out += format("%.9g", v) + eol;
  if (!imag.empty()) {
    out += separator + eol;
    for (float v : imag) out += format("%.9g", v) + eol;
  }
  return out;
}

std::string keyValues(const KeyValues& lines) {
  std::string out;
  for (const auto& kv : lines) out += kv.first + "=" + kv.second + "\n";
  return out;
}

KeyValues without(KeyValues lines, const std::string& key) {
  KeyValues out;
  for (auto& kv : lines)
    if (kv.first != key) out.push_back(kv);
  return out;
}

KeyValues with(KeyValues lines, const std::string& key, const std::string& value) {
  for (auto& kv : lines)
    if (kv.first == key) {
      kv.second = value;
      return lines;
    }
  lines.emplace_back(key, value);
  return lines;
}

KeyValues spinsightAcq(double sf, double swKHz) {
  return {{"ch1", "1"}, {"sf1", format("%.9g", sf)}, {"sw", format("%.9g", swKHz)}};
}

KeyValues spinsightProc(int size, int domain, int datatype, double rmp, double rmv, int units) {
  return {{"datatype", std::to_string(datatype)},
          {"domain1", std::to_string(domain)},
          {"current_size1", std::to_string(size)},
          {"rmp1", format("%.9g", rmp)},
          {"rmv1", format("%.9g", rmv)},
          {"rmvunits1", std::to_string(units)}};
}

void writeSpinsight(const std::string& folder, const KeyValues& acq, const KeyValues& proc,
                    const std::string& data) {
  std::string sep = folder.find('/') != std::string::npos ? "/" : "\\";
  qtest::writeBytes(folder + sep + "acq", keyValues(acq));
  qtest::writeBytes(folder + sep + "proc", keyValues(proc));
  qtest::writeBytes(folder + sep + "data", data);
}

std::string simpson(const std::vector<std::string>& header, const std::vector<float>& real,
                    const std::vector<float>& imag) {
  std::string out = "SIMP\n";
  for (const auto& l : header) out += l + "\n";
  out += "DATA\n";
  for (std::size_t i = 0; i < real.size(); ++i) {
    out += format("%.9g", real[i]);
    if (!imag.empty()) out += " " + format("%.9g", imag[i]);
    out += "\n";
  }
  return out + "END\n";
}

std::string quintar(unsigned si, double sf, double inc, double f1, double f2,
                    const std::vector<float>& values) {
  return quintarLines({std::to_string(si), format("%f", sf), format("%f", inc), format("%f", f1),
                       format("%f", f2)},
                      values);
}

std::string quintarLines(const std::vector<std::string>& header, const std::vector<float>& values) {
  std::string out;
  for (const auto& l : header) out += l + "\n";
  for (float v : values) out += format("%f", v) + "\n";
  return out;
}

std::vector<float> ramp(long n, float seed) {
  std::vector<float> v(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i)
    v[static_cast<std::size_t>(i)] =
        std::round(1000.0f * seed * std::sin(0.37f * static_cast<float>(i) + seed)) / 8.0f;
  return v;
}

}  // namespace gen
