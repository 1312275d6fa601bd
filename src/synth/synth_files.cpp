#include "synth/synth_files.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/run_document.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

struct PendingFile {
  fs::path target;
  fs::path temporary;
  std::string bytes;
};

bool WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

void RemoveQuietly(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

std::string DocumentText(const SynthResult& run, const std::string& waveName) {
  RunParameters document = run.document;
  document.waveFiles = {waveName};
  std::ostringstream text;
  WriteRunDocument(text, document);
  return text.str();
}

}  // namespace

std::string FormatTruthCsv(const std::vector<TruthRow>& truth) {
  std::string text = "rpm,torque_ftlb,hp\n";
  for (const TruthRow& row : truth) text += FormatText("%.0f,%.6f,%.6f\n", row.rpm, row.torqueFtLb, row.horsepower);
  return text;
}

std::string FormatSparksCsv(const std::vector<SparkEvent>& sparks) {
  std::string text = "index,time_s,revolutions,rpm\n";
  for (std::size_t k = 0; k < sparks.size(); ++k)
    text += FormatText("%d,%.9f,%.6f,%.3f\n", static_cast<int>(k), sparks[k].timeSeconds, sparks[k].revolutions,
                       sparks[k].rpm);
  return text;
}

Outcome WriteSynthFiles(const SynthResult& run, const std::string& folder, const std::string& name) {
  const fs::path base(folder);
  std::error_code error;
  fs::create_directories(base, error);
  if (error || !fs::is_directory(base, error)) return Outcome::Failure("Could not create folder - " + folder);

  std::vector<PendingFile> files = {
      {base / (name + ".wav"), {}, std::string(run.wave.begin(), run.wave.end())},
      {base / (name + ".dat"), {}, DocumentText(run, name + ".wav")},
      {base / (name + ".truth.csv"), {}, FormatTruthCsv(run.truth)},
      {base / (name + ".sparks.csv"), {}, FormatSparksCsv(run.sparks)},
  };
  if (!run.loggerCsv.empty()) files.push_back({base / (name + ".log.csv"), {}, run.loggerCsv});
  for (PendingFile& file : files) file.temporary = file.target.string() + ".writing";
  const auto fail = [&files](const fs::path& culprit, std::size_t renamed) {
    for (std::size_t k = 0; k < files.size(); ++k) RemoveQuietly(k < renamed ? files[k].target : files[k].temporary);
    return Outcome::Failure("Could not write - " + culprit.string());
  };

  for (const PendingFile& file : files)
    if (!WriteBytes(file.temporary, file.bytes)) return fail(file.target, 0);
  for (std::size_t k = 0; k < files.size(); ++k) {
    fs::rename(files[k].temporary, files[k].target, error);
    if (error) return fail(files[k].target, k);
  }
  return {};
}

}  // namespace ruvo
