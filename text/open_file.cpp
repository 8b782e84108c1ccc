#include "text/open_file.h"

#include <filesystem>
#include <system_error>

#include "text/fatal.h"

namespace segdur {

void open_input_or_die(std::ifstream& stream, const char* path, std::ios::openmode mode) {
  std::error_code ignored;
  if (path == nullptr || stream.is_open() || std::filesystem::is_directory(path, ignored)) {
    fatal_open_read(path);
  }
  stream.open(path, mode);
  if (!stream.is_open()) fatal_open_read(path);
}

void open_output_or_die(std::ofstream& stream, const char* path, std::ios::openmode mode) {
  if (path == nullptr || stream.is_open()) fatal_open_write(path);
  stream.open(path, mode);
  if (!stream.is_open()) fatal_open_write(path);
}

}  // namespace segdur
