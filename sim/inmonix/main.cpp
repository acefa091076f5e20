// Stand-in for the input-monitor program. It writes each argument on a line
// of its own to the file named by INMONIX_RECORD (when set), then tells the
// program that started it that it is ready for input, and ends.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (const char* record = std::getenv("INMONIX_RECORD")) {
    if (std::FILE* f = std::fopen(record, "w")) {
      for (int i = 0; i < argc; ++i) std::fprintf(f, "%s\n", argv[i]);
      std::fclose(f);
    }
  }
  if (const char* idle = std::getenv("ORVANE_INPUT_IDLE_FD")) {
    const int fd = std::atoi(idle);
    const char byte = 1;
    if (fd > 2 && ::write(fd, &byte, 1) == 1) ::close(fd);
  }
  return 0;
}
