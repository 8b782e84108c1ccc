// Fuzz target: reading the triphone list. Input: the first byte is the entry
// limit (as a signed number, so 0 and negative limits are covered), the rest
// the list file.

#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "model/database.h"

using segdur::fuzzing::require;

namespace {
constexpr std::size_t kPrintedKeys = 4;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  segdur::fuzzing::silence_standard_output();
  if (size == 0) return 0;
  const int max_entries = static_cast<signed char>(data[0]);
  const std::string path = segdur::fuzzing::write_scratch_file(data + 1, size - 1);
  try {
    segdur::Database database("ortalama");
    database.read(path.c_str(), max_entries);
    const auto& records = database.get_records();
    require(database.get_names().size() == records.size(), "one name per record");
    if (max_entries > 0) require(records.size() <= static_cast<std::size_t>(max_entries), "entry limit");
    for (std::size_t i = 0; i < records.size(); ++i) {
      const auto& r = records[i];
      require(r.name[3] == '\0' && r.name[4] == r.name[1], "name layout");
      require(r.count == 0 && r.error_count == 0 && r.mean_duration == 0.0f, "records start at zero");
      segdur::triphone_PIVD_struct element{};
      std::memcpy(element.triphone, r.name, 3);
      const int found = database.find_triphone(element);
      require(found >= 0 && static_cast<std::size_t>(found) <= i, "a listed key finds its first record");
      require(std::strncmp(records[found].name, r.name, 3) == 0, "the found record has the key");
      // Printing scans every record; a few keys are enough.
      if (i < kPrintedKeys) database.print_info(std::string(r.name, strnlen(r.name, 3)));
    }
  } catch (const segdur::fuzzing::RunEnded&) {
    require(false, "reading a readable list never ends the run");
  }
  return 0;
}
