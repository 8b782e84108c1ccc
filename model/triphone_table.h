#pragma once
// The list of triphone records that both duration tables share: reading the
// triphone list, looking up a token's record, printing a record's totals, and
// writing and loading the raw binary form of the records.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/key_index.h"
#include "model/table_values.h"
#include "text/fatal.h"
#include "text/open_file.h"
#include "text/sentence_vectors.h"

namespace segdur {

// Records appended by one load of a binary database ("-bd").
constexpr int kBinaryLoadRecords = 2000;

// The most records one read of a triphone list reserves ahead.
constexpr int kMaxReservedRecords = 8000;

// The evaluation report, written in the working directory.
constexpr char kPerformanceReportPath[] = "performance_triphone.txt";

// Bytes of a record's `name`: previous, centre, next letter, NUL, centre letter, 3 unused.
constexpr int kRecordNameSize = 8;
constexpr int kNameCentreCopy = 4;

// The binary form is the records' bytes as they stand in memory; it is
// little-endian with IEEE single-precision floats only on such a host.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the binary database is little-endian");
static_assert(std::numeric_limits<float>::is_iec559, "floats are IEEE 754 single precision");

// The key of a record or a token: the characters of `name` before its first
// NUL, at most `size` of them.
inline std::string key_of(const char* name, std::size_t size) {
  const void* nul = std::memchr(name, '\0', size);
  return std::string(name, nul ? static_cast<const char*>(nul) - name : size);
}

// A table of triphone records in list order with the set of their keys.
//
// `Record` is a plain structure with `float mean_duration, mean_error`,
// `int32_t count, error_count`, `char name[kRecordNameSize]`, `void init()`
// (zeroes every statistic and name[3]) and `static constexpr std::size_t
// kFileSize`, the size of one record in the binary file (= sizeof(Record)).
//
// Invariant: `names` and `records` grow together, one key per record; the
// index maps every key to its first record, so a key listed twice always
// finds its first record.
template <class Record>
class TriphoneTable {
  static_assert(std::is_trivially_copyable_v<Record>, "records are copied as bytes");
  static_assert(sizeof(Record) == Record::kFileSize, "a record is its file form");

 public:
  // Reads the triphone list `list`, opened on `path` (see opened_list), and
  // closes it: three lines per entry, of which the first three characters of
  // the first line name the triphone (a character beyond the line's end
  // counts as NUL, so a short or empty line gives a short or empty key).
  // Appends one zeroed record per entry; stops at the first first-line read
  // that fails, or after `max_entries` entries when that is positive. An
  // entry lacking its second or third line still counts.
  // Prints "\nIn read Size of Database is : " and the number of keys.
  // A list that cannot be read ends the run (status 1).
  void read(std::ifstream&& list, const char* path, int max_entries) {
    if (list_file.is_open()) fatal_open_read(path);
    list_file = std::move(list);
    read_list(path, max_entries);
  }

  // The triphone list at `path` opened in text mode; a list that cannot be
  // opened prints the open message and ends the run (status 1).
  static std::ifstream opened_list(const char* path) {
    std::ifstream list;
    open_input_or_die(list, path);
    return list;
  }

  // Each opens its stream (the binary files in binary mode, output created
  // or truncated) or, when the file cannot be opened or the stream is
  // already open, prints the open message and ends the run.
  void open_binary_input(const char* path) {
    open_input_or_die(binary_in, path, std::ios::in | std::ios::binary);
  }
  void open_binary_output(const char* path) {
    open_output_or_die(binary_out, path, std::ios::out | std::ios::trunc | std::ios::binary);
  }

  // True when some record has the key `name`.
  bool contains(const std::string& name) const { return first_record.find(name) >= 0; }

  // The index of the first record whose key equals the element's triphone
  // (its characters before the NUL), or -1 when no record is listed under it.
  // Never scans the records.
  int find_triphone(triphone_PIVD_struct element) const {
    const int index = first_record.find(key_of(element.triphone, sizeof element.triphone));
    if (index == -1) return -1;
    // append() keeps the index in step with the records, so an entry always
    // names a record of its key; an index past the records would be a listed
    // key without a record.
    if (index < 0 || static_cast<std::size_t>(index) >= records.size()) {
      std::cout << "Alerttttttttttttttttttttttttttttttttttttttttttttttt";
      return -1;
    }
    return index;
  }

  // For every record whose key is `name`, in record order, prints its totals
  // (duration, count, error, error count) as they stand. Prints nothing when
  // no record has that key.
  void print_info(const std::string& name) const {
    if (!contains(name)) return;
    for (const Record& r : records) {
      if (key_of(r.name, kRecordNameSize) != name) continue;
      std::cout << "\nInformation for " << name;
      std::cout << "\nG. Durat " << r.mean_duration << std::endl;
      std::cout << "\nG. Count " << r.count << std::endl;
      std::cout << "\nG. Error " << r.mean_error << std::endl;
      std::cout << "\nG. E. Count " << r.error_count << std::endl;
    }
  }

  // Writes every record, in order, as Record::kFileSize raw bytes to `path`
  // (created or truncated) and prints "\nSize of Database : " and the count.
  // A failed write then ends the run (status 1), removing the cut file when
  // `path` itself is a regular file.
  void write_binary(const char* path) {
    open_binary_output(path);
    for (const Record& r : records) {
      binary_out.write(reinterpret_cast<const char*>(&r), sizeof r);
    }
    std::cout << "\nSize of Database : " << records.size() << std::endl;
    close_output_or_die(binary_out, path);
  }

  // Appends records from the binary database at `path`. "-bd": prints
  // " \nbinary database " and appends the first kBinaryLoadRecords records
  // in file order; a shorter file gives the records it holds in full (a
  // partial record at its end is dropped). "-td": reads nothing. Both then
  // print a line end and "count size = " with the number of keys. Any other
  // type prints its message and ends the run (status 1), as does a file that
  // cannot be opened or read.
  void load(const char* path, const std::string& type) {
    open_binary_input(path);
    if (type == "-bd") {
      std::cout << " \nbinary database ";
      for (int k = 0; k < kBinaryLoadRecords; ++k) {
        Record r{};
        if (!binary_in.read(reinterpret_cast<char*>(&r), sizeof r)) break;
        append(r);
      }
    } else if (type != "-td") {
      fatal(" invalid database type \n Should be -bd for binary database \n"
            "-td for text database");
    }
    check_read_or_die(binary_in, path);
    std::cout << std::endl << "count size = " << names.size();
    binary_in.close();
  }

  // The key of every record, a key listed twice held twice.
  const std::multiset<std::string>& get_names() const { return names; }
  // The records in list order.
  const std::vector<Record>& get_records() const { return records; }
  // Record `index` (0 <= index < number of records) for its statistics; its
  // `name` must not be changed.
  Record& record(int index) { return records[index]; }
  const Record& record(int index) const { return records[index]; }

 protected:
  // Calls visit(index, element) for every training element of `sentence`
  // whose triphone is listed, in text order; other elements are skipped.
  template <class Visit>
  void for_each_listed(const SentenceVectors& sentence, Visit visit) const {
    for (const triphone_PIVD_struct& element : sentence.get_triphone_PIVD_vector()) {
      int index = find_triphone(element);
      if (index != -1) visit(index, element);
    }
  }

  // Every record, for the statistics passes of the derived table.
  std::vector<Record>& all_records() { return records; }

 private:
  // Reads the entries of the open list_file, as read() says, and closes it.
  void read_list(const char* path, int max_entries) {
    Record working{};
    working.init();
    // One allocation for a list of up to max_entries records instead of
    // copying the growing array of large records again and again; a limit
    // above kMaxReservedRecords reserves no more than that and lets a longer
    // list grow the array as it comes.
    if (max_entries > 0) {
      records.reserve(records.size() +
                      static_cast<std::size_t>(std::min(max_entries, kMaxReservedRecords)));
    }
    std::string line;
    int entries = 0;
    while (std::getline(list_file, line)) {
      for (int k = 0; k < 3; ++k) {
        working.name[k] = k < static_cast<int>(line.size()) ? line[k] : '\0';
      }
      working.name[kNameCentreCopy] = working.name[1];
      append(working);
      std::getline(list_file, line);
      std::getline(list_file, line);
      if (++entries == max_entries) break;
    }
    check_read_or_die(list_file, path);
    std::cout << "\nIn read Size of Database is : " << names.size() << std::endl;
    list_file.close();
  }

  void append(const Record& r) {
    std::string key = key_of(r.name, kRecordNameSize);
    first_record.add(key, static_cast<int>(records.size()));
    names.insert(std::move(key));
    records.push_back(r);
  }

  std::multiset<std::string> names;
  std::vector<Record> records;
  KeyIndex first_record;
  std::ifstream list_file;
  std::ifstream binary_in;
  std::ofstream binary_out;
};

}  // namespace segdur
