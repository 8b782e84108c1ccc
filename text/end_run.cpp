#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "text/fatal.h"

namespace segdur {

void end_run(MessageStream stream, std::string_view message) {
  std::cout.flush();
  if (stream == MessageStream::kStandardOutput) {
    std::cout << message;
    std::cout.flush();
  } else {
    std::fwrite(message.data(), 1, message.size(), stderr);
  }
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(1);
}

}  // namespace segdur
