#pragma once
// The evaluation run shared by both programs: split the labelled files of a
// list at random into 90 % training and 10 % test files, train a duration
// table, estimate the test files and write the table's report.

#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "model/triphone_table.h"
#include "stats/duration_statistics.h"
#include "text/fatal.h"
#include "text/labeled_file.h"
#include "text/link_walk.h"
#include "text/open_file.h"
#include "text/sentence.h"
#include "text/sentence_filter.h"
#include "text/sentence_vectors.h"
#include "text/utility.h"

namespace segdur {

// The triphone list read from the working directory, and its entry limit.
constexpr char kTriphoneListPath[] = "hepsi.txt";
constexpr int kTriphoneListEntries = 8000;
// Sample rate handed to the labelled-file reader.
constexpr float kLabelSampleRate = 16000.0f;
// The triphone whose totals are printed after training and after testing.
constexpr char kReportedTriphone[] = "edi";
// Share of the labelled files that train: the first n x 0.9 (in double,
// truncated toward zero) of the shuffled list; the rest test.
constexpr double kTrainingShare = 0.9;
// Selectors of the statistics object every run constructs and destroys: all
// syllables, words of any syllable count, every position in the word.
constexpr int kStatisticsSyllableType = 2;
constexpr int kStatisticsSyllableNumber = 0;
constexpr int kStatisticsWordPosition = 5;

namespace driver_detail {

// One labelled file of the run: prints "<index> <path>\n", reads the file,
// and hands its training elements to `use` when its sentence is valid. A
// valid sentence is analysed once; an invalid one twice, so that each
// message of its analysis is printed twice.
template <class Index, class Use>
void process_labeled_file(Index index, const std::string& path, std::string& sentence_text,
                          Use use) {
  std::cout << index << " ";
  LabeledFile labeled_file(kLabelSampleRate);
  std::unique_ptr<char[]> shown(string_to_char_array(path));
  std::cout << shown.get() << std::endl;
  std::unique_ptr<char[]> opened(string_to_char_array(path));
  labeled_file.read(opened.get());
  sentence_text = labeled_file.get_labels();
  SentenceVectors vectors(sentence_text, labeled_file.get_durations());
  if (vectors.is_valid()) {
    use(std::move(vectors));
  } else {
    // The vectors hold the analysis that decides validity. An invalid
    // sentence is analysed once more, so its messages appear twice, as the
    // output of a run has always shown them.
    Sentence(sentence_text, "do");
  }
  labeled_file.close();
}

// Ends the run before anything is created or truncated when `output` or the
// report names the same existing regular file as the label list, the
// triphone list or one of the labelled files, however either path is spelt
// ("... it is an input of the run"; `output` is named when both do). An
// output that does not exist yet, or that is no regular file (/dev/null, a
// FIFO: opening it destroys nothing), is not compared; when neither is
// compared the inputs are not looked at. One stat per input.
inline void refuse_outputs_among_inputs(const char* output, const char* label_list,
                                        const std::vector<std::string>& labeled_files) {
  const FileIdentity outputs[] = {FileIdentity(output), FileIdentity(kPerformanceReportPath)};
  const char* const output_names[] = {output, kPerformanceReportPath};
  bool is_input[] = {false, false};
  if (!outputs[0].names_a_file() && !outputs[1].names_a_file()) return;
  auto compare = [&](const char* input_path) {
    const FileIdentity input(input_path);
    for (int k = 0; k < 2; ++k) is_input[k] = is_input[k] || outputs[k].is_same_file(input);
  };
  compare(label_list);
  compare(kTriphoneListPath);
  for (const std::string& path : labeled_files) compare(path.c_str());
  for (int k = 0; k < 2; ++k) {
    if (is_input[k]) fatal_output_is_input(output_names[k]);
  }
}

// Ends the run before `output` is created when its links could not be
// followed for the report either (a link another user planted in a shared
// sticky folder, more than kMaxSymlinks links, a folder that cannot be
// searched: the open message naming `output`), when the report's links
// could not be followed (the open message naming the report), or when
// `output` names the report: the same entry of the same folder after the
// links, whether or not the report exists, or the existing report through
// a hard link ("... it is the report of the run"). Returns the walk of
// `output`, which its open then goes by.
inline Destination refuse_output_as_report(const char* output) {
  Destination destination = find_destination_or_die(output);
  if (destination.is_same_file(find_destination_or_die(kPerformanceReportPath))) {
    fatal_output_is_report(output);
  }
  return destination;
}

// Ends the run when `list`, opened on `path`, holds no entry: it holds none
// exactly when it is empty, since any first byte starts an entry. A failed
// read ends the run as well. Consumes nothing.
inline void refuse_empty_triphone_list(std::ifstream& list, const char* path) {
  if (list.peek() != std::ifstream::traits_type::eof()) return;
  check_read_or_die(list, path);
  fatal_empty_triphone_list(path);
}

// What a run does before anything else: each closed standard descriptor is
// taken by /dev/null, so that no file of the run gets its number; a reader
// that quits (SIGPIPE) and a file-size limit (SIGXFSZ) fail the writes they
// hit, reported at the end like a full disk, instead of ending the process;
// an allocation that fails ends the run through the error path ("Out of
// memory", status 1, a pending temporary removed) instead of aborting it.
inline void prepare_process() {
  occupy_closed_standard_descriptors();
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  std::set_new_handler([] { fatal_out_of_memory(); });
}

}  // namespace driver_detail

// The whole run: `argv[1]` is the label list (white-space separated paths),
// `argv[2]` the file created empty through the sentence filter. The table is
// made by `make_database()` after the lists and the output file are opened; it
// needs read, train, compute_means, print_info, test, finalize_statistics and
// write_performance. Returns 0 after a complete run; every error ends the
// process with status 1 (usage text, a list or labelled file that cannot be
// read, an output file or report that cannot be created or is an input of
// the run, an output file that is the report, a report or standard output
// that cannot be written, a list that names no labelled file or no
// triphone, memory that runs out, errors of the table).
template <class MakeDatabase>
int run_evaluation(int argc, char** argv, MakeDatabase make_database) {
  driver_detail::prepare_process();
  std::string vector_mode = "word";
  if (argc < 3) fatal("Usage: Programname labellist.txt textout.txt");

  std::ifstream label_list;
  open_input_or_die(label_list, argv[1]);
  std::string entry;
  std::vector<std::string> labeled_files;
  while (label_list >> entry) labeled_files.push_back(entry);
  check_read_or_die(label_list, argv[1]);
  // Read whole: its descriptor is free for the rest of the run.
  label_list.close();
  if (labeled_files.empty()) fatal_empty_list(argv[1]);

  std::srand(static_cast<unsigned>(std::time(nullptr)));
  const int n = static_cast<int>(labeled_files.size());
  std::vector<int> order = make_shuffled_index_vector(n);
  const int train_count = static_cast<int>(static_cast<double>(n) * kTrainingShare);

  DurationStatistics statistics(vector_mode, kStatisticsSyllableType, kStatisticsSyllableNumber,
                                kStatisticsWordPosition);
  SentenceFilter filter;
  driver_detail::refuse_outputs_among_inputs(argv[2], argv[1], labeled_files);
  // Opened and found to hold an entry before the second argument is
  // created, so that a missing or empty list (also one named as the second
  // argument) creates nothing.
  std::ifstream triphone_list;
  open_input_or_die(triphone_list, kTriphoneListPath);
  driver_detail::refuse_empty_triphone_list(triphone_list, kTriphoneListPath);
  filter.open_fine_file(argv[2], driver_detail::refuse_output_as_report(argv[2]));
  std::string sentence_text;
  // The table lives on the heap: segdur2's is 140 kB, and a stack that had
  // to grow for it when memory is short would end the run with SIGSEGV
  // instead of "Out of memory".
  const std::unique_ptr<decltype(make_database())> table(new auto(make_database()));
  auto& database = *table;
  database.read(std::move(triphone_list), kTriphoneListPath, kTriphoneListEntries);

  for (int i = 0; i < train_count; ++i) {
    driver_detail::process_labeled_file(i, labeled_files[order[i]], sentence_text,
                                        [&](SentenceVectors s) { database.train(std::move(s)); });
  }
  database.compute_means();
  std::cout << "\n " << 0;
  database.print_info(kReportedTriphone);
  std::cout << "\nError finding\n";

  for (std::size_t i = static_cast<std::size_t>(train_count); i < labeled_files.size(); ++i) {
    driver_detail::process_labeled_file(i, labeled_files[order[i]], sentence_text,
                                        [&](SentenceVectors s) { database.test(std::move(s)); });
  }
  database.finalize_statistics();
  database.print_info(kReportedTriphone);
  database.write_performance();
  flush_standard_output_or_die();
  return 0;
}

}  // namespace segdur
