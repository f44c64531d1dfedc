// mklogdb FILE: creates the card-load log database at FILE when it is missing.
// With --force an existing file is replaced.
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/db/DB.h"
#include "platform/db/LogDatabase.h"
#include "platform/rtl/CodePages.h"

int main(int argc, char** argv) {
  bool force = false;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--force") == 0)
      force = true;
    else if (!file)
      file = argv[i];
    else
      file = nullptr, i = argc;
  }
  if (!file) {
    std::fprintf(stderr, "usage: mklogdb [--force] FILE\n");
    return 2;
  }
  try {
    if (force) ::unlink(file);
    bool made = EnsureLogDatabase(UTF8ToUTF16(file));
    std::printf("%s: %s\n", file, made ? "created" : "exists, left as it is");
    return 0;
  } catch (const Exception& E) {
    std::fprintf(stderr, "mklogdb: %s\n", E.what());
    return 1;
  }
}
